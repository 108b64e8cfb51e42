// mixer.h - mixes the playing streams into 16-bit output.
//
// Called by the output device's callback under its lock. Pending starts are
// anchored at the first frame of the block being mixed; every playing stream
// adds its samples for the block (nothing once past its end); the sum is
// clipped to the 16-bit range. No allocation: the float scratch buffers are
// made once, when the device opens.
#ifndef ZIBO_BASS_MIXER_H
#define ZIBO_BASS_MIXER_H

#include <cstdint>
#include <vector>

#include "bass/stream_table.h"

namespace zibo::bass {

class Mixer {
 public:
  static constexpr int kChannels = 2;

  // Prepares scratch space for blocks of up to `max_frames` frames.
  void Reserve(int max_frames);

  // Mixes `frames` frames that the device plays from device frame
  // `first_device_frame` on into `out` (interleaved stereo). Longer blocks
  // than reserved are mixed in parts.
  void Mix(StreamTable* table, int64_t first_device_frame, int16_t* out, int frames);

 private:
  void MixPart(StreamTable* table, int64_t first_device_frame, int16_t* out, int frames);

  std::vector<float> scratch_;
  std::vector<float> part_;  // one stream's frames for a part
};

// The 16-bit sample for float `x`: scaled by 32768, rounded to nearest,
// clipped to [-32768, 32767]; NaN is silence. 16-bit sources decoded to float come back
// unchanged.
int16_t FloatToS16(float x);

}  // namespace zibo::bass

#endif
