#include "tga_parse_check.h"

#include "textures/tga_reader.h"

namespace zibo {
namespace {

// The file byte at `offset`, or 0 past the end (missing bytes read as zero).
uint8_t ByteOrZero(const uint8_t* data, size_t size, uint64_t offset) {
  return offset < size ? data[offset] : 0;
}

}  // namespace

TgaCheck CheckParseTga(const uint8_t* data, size_t size, std::string* fault) {
  TgaImage image;
  std::string error;
  if (size < kTgaHeaderSize) {
    if (ParseTga(data, size, &image, &error)) {
      *fault = "accepted " + std::to_string(size) + " bytes, shorter than the header";
      return TgaCheck::kFailed;
    }
    if (error.empty()) {
      *fault = "rejected a short file without a reason";
      return TgaCheck::kFailed;
    }
    return TgaCheck::kPassed;
  }
  const uint32_t width = data[12] | (data[13] << 8);
  const uint32_t height = data[14] | (data[15] << 8);
  const uint64_t pixels = uint64_t(width) * height;
  if (pixels * 4 > 0xFFFFFFFFull) {
    // Never allocated, so cheap to check at any size.
    if (ParseTga(data, size, &image, &error) || error.empty()) {
      *fault = "did not reject " + std::to_string(width) + "x" + std::to_string(height) +
               " (buffer over 32 bits) with a reason";
      return TgaCheck::kFailed;
    }
    return TgaCheck::kPassed;
  }
  if (pixels > kMaxCheckedPixels) return TgaCheck::kSkipped;

  if (!ParseTga(data, size, &image, &error)) {
    *fault = "rejected a valid " + std::to_string(width) + "x" + std::to_string(height) +
             " header: " + error;
    return TgaCheck::kFailed;
  }
  if (uint32_t(image.width) != width || uint32_t(image.height) != height) {
    *fault = "size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             " instead of " + std::to_string(width) + "x" + std::to_string(height);
    return TgaCheck::kFailed;
  }
  if ((pixels == 0) != (image.rgba == nullptr)) {
    *fault = pixels == 0 ? "a buffer for an empty image" : "no buffer for a non-empty image";
    return TgaCheck::kFailed;
  }
  for (uint64_t i = 0; i < pixels; ++i) {
    const uint64_t at = kTgaHeaderSize + i * 3;
    const uint8_t want[4] = {ByteOrZero(data, size, at), ByteOrZero(data, size, at + 2),
                             ByteOrZero(data, size, at + 1), 0};
    const uint8_t* got = image.rgba.get() + i * 4;
    for (int c = 0; c < 4; ++c) {
      if (got[c] != want[c]) {
        *fault = "pixel " + std::to_string(i) + " channel " + std::to_string(c) + " is " +
                 std::to_string(got[c]) + ", expected " + std::to_string(want[c]);
        return TgaCheck::kFailed;
      }
    }
  }
  return TgaCheck::kPassed;
}

}  // namespace zibo
