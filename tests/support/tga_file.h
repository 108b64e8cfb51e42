// tga_file.h - TGA file bytes for tests: an uncompressed 24-bit header whose
// fields can all be set, and a small picture no flip, mirror or channel swap
// leaves unchanged. Any thread.
#ifndef ZIBO_TESTS_SUPPORT_TGA_FILE_H
#define ZIBO_TESTS_SUPPORT_TGA_FILE_H

#include <cstdint>
#include <string>

namespace zibo::testing {

struct TgaHeader {
  int width = 0, height = 0;
  uint8_t id_length = 0, colour_map = 0, image_type = 2, bits = 24, descriptor = 0;
  std::string Bytes() const;  // the 18 header bytes, sizes little-endian
};

// A header for width x height followed by `pixels` (3 bytes each, as stored).
std::string TgaBytes(int width, int height, const std::string& pixels);

// width x height stored pixels whose three bytes are 1 + x, 100 + y and
// 200 + x + y (for sizes up to 50 x 50).
std::string AsymmetricPixels(int width, int height);

}  // namespace zibo::testing

#endif
