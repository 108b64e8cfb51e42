// chapters.h - the chapters of a captured video: one for each row of the
// show's schedule that the captured frames touch, titled with the row's
// name ("loading bar", "slide s1", ...), from the first frame showing it.
// Frames before the first row (nothing drawn yet) open the first chapter.
// Pure code; any thread.
#ifndef ZIBO_CAPTURE_CHAPTERS_H
#define ZIBO_CAPTURE_CHAPTERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "frame_timing.h"

namespace zibo {

struct Chapter {
  int64_t first_frame = 0;
  const char* title = "";
};

// The chapters of `frames` frames from `from_ms` at `rate` (FrameTimeMs).
std::vector<Chapter> CaptureChapters(int32_t from_ms, FrameRate rate, int64_t frames);

// The chapters as an ffmpeg metadata file (";FFMETADATA1"), each lasting
// until the next one or the end, timed in frames.
std::string FfmetadataChapters(const std::vector<Chapter>& chapters, FrameRate rate,
                               int64_t frames);

}  // namespace zibo

#endif
