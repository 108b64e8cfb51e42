// capture_options.h - the command line of zibo-capture.
//
//   zibo-capture --at MS --out FILE.png
//   zibo-capture [--fps N|N/D] [--from MS] [--to MS] --out FILE
//   common: [--media DIR] [--size WxH] [--stretch] [--supersample N] [--hold h,space]
//   .mp4/.mkv: [--preset NAME] [--crf N]
//   zibo-capture --help | --version
//
// The ending of --out picks the format; "-" is y4m on standard output. Values may also be written
// --name=value. Pure code; any thread.
#ifndef ZIBO_CAPTURE_CAPTURE_OPTIONS_H
#define ZIBO_CAPTURE_CAPTURE_OPTIONS_H

#include <cstdint>
#include <string>

#include "frame_timing.h"

namespace zibo {

// The first whole millisecond past the show's last drawn frame.
constexpr int32_t kShowEndWholeMs = 128572;

enum class OutputFormat {
  kPng,        // one picture (--at)
  kPngFolder,  // numbered pictures in a folder (--out ends in '/')
  kY4m,        // raw YUV 4:2:0 video
  kVideo,      // .mp4 or .mkv through ffmpeg, with the music
};

// H.264 settings for .mp4 and .mkv: measured against lossless encodings of
// slides, the dancer, the noise and the strobe, these come as close as or
// closer than "veryfast" at 18 everywhere (SSIM 0.96 on the noise, above
// 0.997 elsewhere), and x264 spends much less time on them.
constexpr const char* kDefaultPreset = "superfast";
constexpr int kDefaultCrf = 16;

struct CaptureOptions {
  bool single_frame = false;  // --at given
  int32_t at_ms = 0;
  FrameRate fps;              // reduced
  int32_t from_ms = 0;
  int32_t to_ms = kShowEndWholeMs;
  std::string out;
  OutputFormat format = OutputFormat::kY4m;
  std::string media_dir = ".";
  bool media_named = false;  // --media given; else the folder is looked up
  int width = 800;
  int height = 600;
  bool stretch = false;        // fill a frame that is not 4:3 instead of adding bars
  int supersample = 1;         // 1..4
  bool hold_h = false;
  bool hold_space = false;
  std::string preset = kDefaultPreset;  // x264's speed preset
  int crf = kDefaultCrf;                // x264's constant quality, 0 = lossless
};

enum class ParseOutcome {
  kRun,      // options filled in
  kHelp,     // --help: print the usage and succeed
  kVersion,  // --version: print the name and version and succeed
  kError,    // `error` says what is wrong: print it and the usage, exit 2
};

ParseOutcome ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                                 std::string* error);

// The usage text, ending in a newline.
const char* CaptureUsage();

}  // namespace zibo

#endif
