// frame_timing.h - which music time each captured frame shows.
//
// A frame rate is an exact fraction num/den frames per second. Frame i of a
// capture that starts at `from_ms` shows music time
//   from_ms + floor(i * 1000 * den / num)
// in exact integer arithmetic, so 60000/1001 fps never drifts. Pure code.
#ifndef ZIBO_CAPTURE_FRAME_TIMING_H
#define ZIBO_CAPTURE_FRAME_TIMING_H

#include <cstdint>

namespace zibo {

struct FrameRate {
  int64_t num = 60;
  int64_t den = 1;
};

// Limits that keep every product below in 64 bits: num and den up to a
// million, at most one frame per millisecond.
constexpr int64_t kMaxFrameRateTerm = 1000000;
constexpr int64_t kMaxFramesPerSecond = 1000;

// The rate with num and den divided by their greatest common divisor.
FrameRate ReducedFrameRate(FrameRate rate);

// Music time of frame `index` (index >= 0).
int32_t FrameTimeMs(int32_t from_ms, FrameRate rate, int64_t index);

// How many frames show a time in [from_ms, to_ms): the smallest i with
// FrameTimeMs(i) >= to_ms. Zero when to_ms <= from_ms.
int64_t FrameCount(int32_t from_ms, int32_t to_ms, FrameRate rate);

// Seconds that `frames` frames last at `rate`.
double FramesToSeconds(int64_t frames, FrameRate rate);

}  // namespace zibo

#endif
