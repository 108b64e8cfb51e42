// tga_writer.cpp - TGA encoding in the show's byte order.
#include "tga_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zibo::media {
namespace {

bool IsPowerOfTwo(int n) { return n > 0 && n <= 32768 && (n & (n - 1)) == 0; }

}  // namespace

std::vector<uint8_t> EncodeTga(const RgbImage& image, std::string* error) {
  if (!IsPowerOfTwo(image.width) || !IsPowerOfTwo(image.height) ||
      image.pixels.size() != size_t(image.width) * size_t(image.height)) {
    *error = "picture is " + std::to_string(image.width) + "x" + std::to_string(image.height) +
             ", sides must be powers of two up to 32768";
    return {};
  }
  std::vector<uint8_t> bytes(18 + image.pixels.size() * 3, 0);
  bytes[2] = 2;  // uncompressed true colour
  bytes[12] = uint8_t(image.width & 0xFF);
  bytes[13] = uint8_t(image.width >> 8);
  bytes[14] = uint8_t(image.height & 0xFF);
  bytes[15] = uint8_t(image.height >> 8);
  bytes[16] = 24;
  bytes[17] = 0x20;  // top row first
  uint8_t* out = bytes.data() + 18;
  for (const Rgb& p : image.pixels) {
    *out++ = p.r;
    *out++ = p.b;
    *out++ = p.g;
  }
  return bytes;
}

bool WriteTga(const std::string& path, const RgbImage& image, std::string* error) {
  std::string reason;
  const std::vector<uint8_t> bytes = EncodeTga(image, &reason);
  if (bytes.empty()) {
    *error = path + ": " + reason;
    return false;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
  const int write_errno = errno;
  if (std::fclose(f) != 0 || written != bytes.size()) {
    *error = path + ": wrote " + std::to_string(written) + " of " + std::to_string(bytes.size()) +
             " bytes: " + std::strerror(written != bytes.size() ? write_errno : errno);
    return false;
  }
  return true;
}

}  // namespace zibo::media
