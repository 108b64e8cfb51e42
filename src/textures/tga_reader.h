// tga_reader.h - the show's TGA image reader, over bytes or a file.
//
// Reads width and height from the 18-byte header (little-endian at offsets
// 12 and 14) and takes 3 bytes per pixel from offset 18 on, rows in file
// order (the first stored row becomes row 0), whatever the rest of the
// header says. Each file pixel b1 b2 b3 becomes the RGBA bytes
// (b1, b3, b2, 0). Pixels past the end of a short file come out (0,0,0,0).
// Zero width or height gives an empty image.
// Fails when the data is shorter than the header, or when the RGBA buffer
// (width * height * 4 bytes) would not fit in 32 bits or cannot be
// allocated. Pure code, no GL; safe on any thread.
#ifndef ZIBO_TEXTURES_TGA_READER_H
#define ZIBO_TEXTURES_TGA_READER_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace zibo {

constexpr size_t kTgaHeaderSize = 18;

// Image bytes come from calloc: a short file's missing pixels are the
// allocator's zero pages, never written, so a header that claims gigabytes
// costs no time until the pixels are used.
struct FreeBytes {
  void operator()(uint8_t* p) const { std::free(p); }
};

struct TgaImage {
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint8_t[], FreeBytes> rgba;  // width * height * 4 bytes, row 0 first

  size_t byte_size() const { return size_t(width) * size_t(height) * 4; }
  // The RGBA bytes of pixel (x, y), y counted from row 0.
  const uint8_t* pixel(int32_t x, int32_t y) const {
    return rgba.get() + (size_t(y) * size_t(width) + size_t(x)) * 4;
  }
};

// On failure returns false and sets `error` to a short reason
// ("file is shorter than its 18-byte header", "image too large ...").
bool ParseTga(const uint8_t* data, size_t size, TgaImage* out, std::string* error);

// Reads the whole file and parses it; anything but a regular file (a
// folder, a FIFO, a device) is refused without waiting on it. On failure
// `error` is "<path>: <reason>", e.g. "bg.tga: No such file or directory".
bool ReadTgaFile(const char* path, TgaImage* out, std::string* error);

}  // namespace zibo

#endif
