// tga_writer.h - writes an RgbImage as the show's TGA picture file.
//
// The file is an uncompressed 24-bit true-colour TGA with an empty image-ID
// field and no colour map; the top row comes first in the file and the
// descriptor's top-left origin bit (0x20) is set. The show reads the three
// bytes of a pixel b1 b2 b3 as red = b1, green = b3, blue = b2, so each pixel
// is stored as red, blue, green to show its intended colour there. Sides
// must be powers of two from 1 to 32768. Single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_TGA_WRITER_H
#define ZIBO_TOOLS_MEDIA_TGA_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "rgb_image.h"

namespace zibo::media {

// The whole file's bytes; empty with `error` set when the size is not allowed.
std::vector<uint8_t> EncodeTga(const RgbImage& image, std::string* error);

// Encodes and writes the file; on failure returns false with `error` set to
// "<path>: <reason>".
bool WriteTga(const std::string& path, const RgbImage& image, std::string* error);

}  // namespace zibo::media

#endif
