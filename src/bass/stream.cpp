#include "bass/stream.h"

#include <algorithm>
#include <cstring>

namespace zibo::bass {

void Stream::CopyFrames(int64_t first, int64_t count, float* dst) const {
  const size_t channels = size_t(audio.channels);
  std::fill(dst, dst + size_t(std::max<int64_t>(count, 0)) * channels, 0.0f);
  int64_t held_begin = 0;
  int64_t held_end = int64_t(audio.frames());
  if (window) {
    held_begin = begin.load(std::memory_order_relaxed);  // steady under either lock
    held_end = ready.load(std::memory_order_acquire);
  }
  int64_t from = std::max(first, held_begin);
  const int64_t to = std::min(first + count, held_end);
  while (from < to) {
    // One run of consecutive slots: up to the ring's end for a window.
    int64_t slot = window ? SlotOf(from, base) : from;
    int64_t run = window ? std::min(to - from, window_frames - slot) : to - from;
    const float* src = window ? window.get() : audio.samples.data();
    std::memcpy(dst + size_t(from - first) * channels, src + size_t(slot) * channels,
                size_t(run) * channels * sizeof(float));
    from += run;
  }
}

}  // namespace zibo::bass
