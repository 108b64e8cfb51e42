// stream.h - one playable stream: decoded samples and its play state.
//
// The samples are decoded once, at the output rate and channel count, and
// never change. The play state maps device frames to stream frames: while
// playing, device frame `anchor_device_frame` carries stream frame
// `start_frame`, and every later device frame the next stream frame, past
// the end of the samples too (the clock runs on through silence).
//
// Threads: the play-state fields are shared with the mixer and are only
// touched under the output device's lock; `last_reported` belongs to the
// show's thread alone.
#ifndef ZIBO_BASS_STREAM_H
#define ZIBO_BASS_STREAM_H

#include <cstdint>

#include "bass/audio_decoder.h"

namespace zibo::bass {

struct Stream {
  DecodedAudio audio;

  bool playing = false;        // the mixer adds it and its clock runs
  bool start_pending = false;  // asked to play; the next mixed block anchors it
  int64_t start_frame = 0;     // stream frame at the anchor (or where it stopped)
  int64_t anchor_device_frame = 0;

  int64_t last_reported = 0;  // the largest position handed out since (re)start
};

// Stream frame heard when the device is heard at `heard_device_frame`.
// Before a pending start takes effect, and while stopped, that is
// `start_frame`. Call under the device lock.
inline int64_t StreamFrameHeard(const Stream& s, int64_t heard_device_frame) {
  if (!s.playing || s.start_pending) return s.start_frame;
  int64_t since = heard_device_frame - s.anchor_device_frame;
  return s.start_frame + (since > 0 ? since : 0);
}

}  // namespace zibo::bass

#endif
