// png_writer.h - encoding pictures as PNG (libpng): captured frames and the icon.
//
// Pictures are 8-bit RGB; the framebuffer's alpha is dropped, as a window
// would show it. Rows come from GL bottom-up and are written top-down.
// Reentrant; any thread.
#ifndef ZIBO_CAPTURE_PNG_WRITER_H
#define ZIBO_CAPTURE_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "pending_file.h"  // WriteWholeFile, to store the encoded bytes

namespace zibo {

// Encodes width x height RGBA pixels, bottom row first, into `png`.
bool EncodePng(int width, int height, const uint8_t* rgba_bottom_up, std::vector<uint8_t>* png,
               std::string* error);

}  // namespace zibo

#endif
