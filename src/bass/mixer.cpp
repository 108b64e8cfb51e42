#include "bass/mixer.h"

#include <algorithm>
#include <cmath>

namespace zibo::bass {

int16_t FloatToS16(float x) {
  if (std::isnan(x)) return 0;
  float scaled = x * 32768.0f;
  if (scaled <= -32768.0f) return -32768;
  if (scaled >= 32767.0f) return 32767;
  return int16_t(std::lrintf(scaled));
}

void Mixer::Reserve(int max_frames) {
  scratch_.assign(size_t(std::max(max_frames, 1)) * kChannels, 0.0f);
  part_ = scratch_;
}

void Mixer::Mix(StreamTable* table, int64_t first_device_frame, int16_t* out, int frames) {
  const int part = int(scratch_.size() / kChannels);
  if (part == 0) {
    std::fill(out, out + size_t(frames) * kChannels, int16_t(0));
    return;
  }
  for (int done = 0; done < frames; done += part) {
    int n = std::min(part, frames - done);
    MixPart(table, first_device_frame + done, out + size_t(done) * kChannels, n);
  }
}

void Mixer::MixPart(StreamTable* table, int64_t first_device_frame, int16_t* out, int frames) {
  std::fill(scratch_.begin(), scratch_.begin() + frames * kChannels, 0.0f);
  for (int i = 0; i < StreamTable::kSlots; ++i) {
    Stream* s = table->slot(i);
    if (!s || !s->playing) continue;
    if (s->start_pending) {
      s->start_pending = false;
      s->anchor_device_frame = first_device_frame;
    }
    if (s->audio.channels != kChannels) continue;
    const int64_t from = s->start_frame + (first_device_frame - s->anchor_device_frame);
    const int64_t count = s->paused_at >= 0 ? std::clamp<int64_t>(s->paused_at - from, 0, frames)
                                            : frames;
    s->CopyFrames(from, count, part_.data());  // silence past what is decoded
    for (size_t k = 0; k < size_t(count) * kChannels; ++k) scratch_[k] += part_[k];
  }
  for (int i = 0; i < frames * kChannels; ++i) out[i] = FloatToS16(scratch_[size_t(i)]);
}

}  // namespace zibo::bass
