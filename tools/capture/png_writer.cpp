#include "png_writer.h"

#include <png.h>

#include <cstdio>

namespace zibo {
namespace {

struct PngSink {
  std::vector<uint8_t>* bytes;
  char message[256];
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  sink->bytes->insert(sink->bytes->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void OnPngError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors: libpng leaves it by longjmp.
bool EncodeRows(png_structp png, png_infop info, int width, int height, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the alpha byte of each pixel
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool EncodePng(int width, int height, const uint8_t* rgba_bottom_up, std::vector<uint8_t>* png,
               std::string* error) {
  png->clear();
  PngSink sink{png, "out of memory"};
  png_structp writer =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
  if (!writer) {
    *error = "png_create_write_struct failed";
    return false;
  }
  png_infop info = png_create_info_struct(writer);
  if (!info) {
    png_destroy_write_struct(&writer, nullptr);
    *error = "png_create_info_struct failed";
    return false;
  }
  png_set_write_fn(writer, &sink, AppendBytes, FlushNothing);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  const size_t stride = size_t(width) * 4;
  for (int y = 0; y < height; ++y) {
    rows[size_t(y)] = const_cast<png_bytep>(rgba_bottom_up + size_t(height - 1 - y) * stride);
  }
  const bool ok = EncodeRows(writer, info, width, height, rows.data());
  png_destroy_write_struct(&writer, &info);
  if (!ok) *error = std::string("PNG encoding failed: ") + sink.message;
  return ok;
}

}  // namespace zibo
