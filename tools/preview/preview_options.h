// preview_options.h - the command line of zibo-preview.
//
//   zibo-preview [--media DIR] [--at MS] [--loop FROM:TO] [--windowed|--size WxH]
//
// Values may also be written --name=value. Pure code; any thread.
#ifndef ZIBO_PREVIEW_PREVIEW_OPTIONS_H
#define ZIBO_PREVIEW_PREVIEW_OPTIONS_H

#include <cstdint>
#include <string>

namespace zibo {

struct PreviewOptions {
  std::string media_dir = ".";
  bool media_named = false;  // --media given; else the folder is looked up
  int32_t at_ms = 0;
  bool loop = false;  // --loop given: looping is on from the start
  int32_t loop_from_ms = 0;
  int32_t loop_to_ms = 0;
  int width = 800;  // the window's client area
  int height = 600;
};

enum class PreviewParse { kRun, kHelp, kVersion, kError };

// Fills `options`, or says in `error` what is wrong.
PreviewParse ParsePreviewOptions(int argc, const char* const* argv, PreviewOptions* options,
                                 std::string* error);

// The usage and key list, ending in a newline.
const char* PreviewUsage();

}  // namespace zibo

#endif
