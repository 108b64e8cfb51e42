#include "support/tga_file.h"

namespace zibo::testing {

std::string TgaHeader::Bytes() const {
  std::string h(18, '\0');
  h[0] = char(id_length);
  h[1] = char(colour_map);
  h[2] = char(image_type);
  h[12] = char(width & 0xFF);
  h[13] = char((width >> 8) & 0xFF);
  h[14] = char(height & 0xFF);
  h[15] = char((height >> 8) & 0xFF);
  h[16] = char(bits);
  h[17] = char(descriptor);
  return h;
}

std::string TgaBytes(int width, int height, const std::string& pixels) {
  return TgaHeader{width, height}.Bytes() + pixels;
}

std::string AsymmetricPixels(int width, int height) {
  std::string pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels += {char(1 + x), char(100 + y), char(200 + x + y)};
  }
  return pixels;
}

}  // namespace zibo::testing
