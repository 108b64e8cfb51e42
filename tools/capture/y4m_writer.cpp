#include "y4m_writer.h"

namespace zibo {
namespace {

constexpr char kFrameTag[] = "FRAME\n";
constexpr size_t kFrameTagSize = sizeof kFrameTag - 1;

}  // namespace

// BT.601 studio range with coefficients scaled by 65536 / 255 (luma) and
// 65536 / 255 / 4 (chroma from 2x2 sums), rounded to nearest. The biases
// keep every intermediate value non-negative before the shift.
uint8_t LumaOf(int r, int g, int b) {
  return uint8_t(((16829 * r + 33039 * g + 6416 * b + 32768) >> 16) + 16);
}

uint8_t BlueDifferenceOf4(int r4, int g4, int b4) {
  return uint8_t((-9714 * r4 - 19070 * g4 + 28784 * b4 + (128 << 18) + (1 << 17)) >> 18);
}

uint8_t RedDifferenceOf4(int r4, int g4, int b4) {
  return uint8_t((28784 * r4 - 24103 * g4 - 4681 * b4 + (128 << 18) + (1 << 17)) >> 18);
}

std::string Y4mStreamHeader(int width, int height, FrameRate rate) {
  return "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" +
         std::to_string(rate.num) + ":" + std::to_string(rate.den) +
         " Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n";
}

void EncodeY4mFrame(int width, int height, const uint8_t* rgba_bottom_up,
                    std::vector<uint8_t>* frame) {
  const size_t luma_size = size_t(width) * size_t(height);
  const size_t chroma_size = luma_size / 4;
  frame->resize(kFrameTagSize + luma_size + 2 * chroma_size);
  uint8_t* out = frame->data();
  for (size_t i = 0; i < kFrameTagSize; ++i) out[i] = uint8_t(kFrameTag[i]);
  uint8_t* luma = out + kFrameTagSize;
  uint8_t* blue = luma + luma_size;
  uint8_t* red = blue + chroma_size;
  const size_t stride = size_t(width) * 4;

  // Two output rows at a time; output row y is GL row height - 1 - y.
  for (int y = 0; y < height; y += 2) {
    const uint8_t* upper = rgba_bottom_up + size_t(height - 1 - y) * stride;
    const uint8_t* lower = upper - stride;
    uint8_t* luma_upper = luma + size_t(y) * size_t(width);
    uint8_t* luma_lower = luma_upper + width;
    uint8_t* blue_row = blue + size_t(y / 2) * size_t(width / 2);
    uint8_t* red_row = red + size_t(y / 2) * size_t(width / 2);
    for (int x = 0; x < width; x += 2) {
      const uint8_t* a = upper + size_t(x) * 4;
      const uint8_t* b = lower + size_t(x) * 4;
      luma_upper[x] = LumaOf(a[0], a[1], a[2]);
      luma_upper[x + 1] = LumaOf(a[4], a[5], a[6]);
      luma_lower[x] = LumaOf(b[0], b[1], b[2]);
      luma_lower[x + 1] = LumaOf(b[4], b[5], b[6]);
      const int r4 = a[0] + a[4] + b[0] + b[4];
      const int g4 = a[1] + a[5] + b[1] + b[5];
      const int b4 = a[2] + a[6] + b[2] + b[6];
      blue_row[x / 2] = BlueDifferenceOf4(r4, g4, b4);
      red_row[x / 2] = RedDifferenceOf4(r4, g4, b4);
    }
  }
}

}  // namespace zibo
