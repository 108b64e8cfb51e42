// stream.h - one playable stream: decoded samples and its play state.
//
// The samples are decoded once, at the output rate and channel count, and
// never change once decoded. A stream may still be decoding in the
// background (stream_decoder.h): then only the first ReadyFrames() frames of
// Samples() may be read, and past them the stream is silent, as past its end. The play state maps device frames to stream frames: while
// playing, device frame `anchor_device_frame` carries stream frame
// `start_frame`, and every later device frame the next stream frame, past
// the end of the samples too (the clock runs on through silence).
//
// Threads: the background decoder writes `buffer` beyond the ready count and
// publishes each piece with a release store; readers load it with acquire.
// It replaces `buffer` or `audio.samples` only while holding both the output
// device's lock and `buffer_mutex` (see stream_decoder.h); the spectrum
// reads the samples under `buffer_mutex`.
// The play-state fields are shared with the mixer and are only
// touched under the output device's lock; `last_reported` belongs to the
// show's thread alone.
#ifndef ZIBO_BASS_STREAM_H
#define ZIBO_BASS_STREAM_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include <pthread.h>

#include "audio/audio_decoder.h"

namespace zibo::bass {

struct Stream {
  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() { StopDecoding(); }

  DecodedAudio audio;

  // While a long file decodes in the background its samples go here instead
  // of `audio.samples` (which stays empty): memory taken but not zeroed, so
  // that opening costs no page faults; the decoder touches it as it writes.
  std::unique_ptr<float[]> buffer;
  size_t buffer_frames = 0;
  // Frames decoded so far; -1 when all of `audio` is decoded.
  std::atomic<int64_t> ready{-1};
  std::mutex buffer_mutex;
  std::atomic<bool> stop_decoding{false};
  // False while the background decoder may still publish more frames.
  std::atomic<bool> decoded_all{true};
  pthread_t decoder = {};
  bool decoder_running = false;  // `decoder` must be joined

  // The samples, interleaved at `audio.channels`.
  const float* Samples() const { return buffer ? buffer.get() : audio.samples.data(); }
  // Frames that may be read now.
  int64_t ReadyFrames() const {
    int64_t r = ready.load(std::memory_order_acquire);
    return r < 0 ? int64_t(audio.frames()) : r;
  }
  // Waits until the background decoder has decoded everything.
  void FinishDecoding() {
    if (decoder_running) pthread_join(decoder, nullptr);  // fails only for a bad thread id
    decoder_running = false;
  }
  // Asks the background decoder to stop and waits for it; what was decoded
  // stays readable.
  void StopDecoding() {
    stop_decoding.store(true, std::memory_order_relaxed);
    FinishDecoding();
  }

  bool playing = false;        // the mixer adds it and its clock runs
  bool start_pending = false;  // asked to play; the next mixed block anchors it
  int64_t start_frame = 0;     // stream frame at the anchor (or where it stopped)
  int64_t anchor_device_frame = 0;
  // Paused: -1, or the stream frame where mixing and the position stop.
  int64_t paused_at = -1;

  int64_t last_reported = 0;  // the largest position handed out since (re)start
};

// Stream frame heard when the device is heard at `heard_device_frame`.
// Before a pending start takes effect, and while stopped, that is
// `start_frame`; a paused stream never reads past `paused_at`. Before the
// anchor it is less than `start_frame` (callers keep their own floor), so
// that a resumed stream's position waits for the device instead of jumping.
// Call under the device lock.
inline int64_t StreamFrameHeard(const Stream& s, int64_t heard_device_frame) {
  if (!s.playing || s.start_pending) return s.start_frame;
  int64_t frame = s.start_frame + (heard_device_frame - s.anchor_device_frame);
  return s.paused_at >= 0 && frame > s.paused_at ? s.paused_at : frame;
}

}  // namespace zibo::bass

#endif
