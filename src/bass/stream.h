// stream.h - one playable stream: its decoded samples and its play state.
//
// The samples are at the output rate and channel count and never change
// while readable. A stream holds them in one of two ways:
//  - whole: all of them in `audio.samples` (a short or resampled file);
//  - windowed: a long file at the output rate is decoded by a background
//    thread (stream_decoder.h) into `window`, a ring of `window_frames`
//    frames where frame f lives in slot (f - base) mod window_frames. Only
//    the frames [begin, ready) are readable; the decoder keeps them a little
//    behind and well ahead of the play position. A seek elsewhere has its
//    first frames decoded into free slots as a pending window (`pending_*`),
//    which replaces the window when the seek takes effect, so the old
//    position plays on meanwhile.
// Readers go through CopyFrames, which hands out silence for any frame not
// held (before 0, past the end, outside the window), as past the end.
//
// The play state maps device frames to stream frames: while playing, device
// frame `anchor_device_frame` carries stream frame `start_frame`, and every
// later device frame the next stream frame, past the end of the samples too
// (the clock runs on through silence).
//
// Threads: the stream owns its samples, the decoder thread fills them. The
// decoder writes only ring slots outside [begin, ready) and publishes new
// frames with a release store of `ready`; `begin`, `base`, a smaller
// `ready` and the pending window change only under both the output device's
// lock and `buffer_mutex`. So CopyFrames is safe under either lock: the
// mixer calls it under the device lock, the spectrum under `buffer_mutex`.
// The play-state fields are shared with the mixer and are only touched
// under the output device's lock; `last_reported` belongs to the show's
// thread alone.
#ifndef ZIBO_BASS_STREAM_H
#define ZIBO_BASS_STREAM_H

#include <atomic>
#include <condition_variable>
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

  // Rate and channels; the samples themselves only for a whole stream.
  DecodedAudio audio;

  // The ring of a windowed stream (null for a whole one): memory taken but
  // not zeroed, so that opening costs no page faults.
  std::unique_ptr<float[]> window;
  int64_t window_frames = 0;
  int64_t keep_behind = 0;  // frames kept before the play position
  std::atomic<int64_t> begin{0};
  std::atomic<int64_t> ready{0};
  int64_t base = 0;
  // A seek's first frames [pending_begin, pending_ready), slots at
  // `pending_base`; pending_begin is -1 when there are none.
  int64_t pending_begin = -1, pending_ready = -1, pending_base = 0;
  // The file's length in frames once the decoder has met its end, else -1.
  std::atomic<int64_t> end{-1};
  // A seek's target while it waits: the decoder holds the window there.
  std::atomic<int64_t> pinned{-1};
  std::mutex buffer_mutex;
  std::atomic<bool> stop_decoding{false};
  std::mutex wake_mutex;  // with `wake`: rouses an idle decoder
  std::condition_variable wake;
  pthread_t decoder = {};
  bool decoder_running = false;  // `decoder` must be joined

  int64_t SlotOf(int64_t frame, int64_t at_base) const {
    int64_t slot = (frame - at_base) % window_frames;
    return slot < 0 ? slot + window_frames : slot;
  }
  // Copies frames [first, first + count) into `dst` (count * channels
  // values), silence for frames not held. Call under the device lock or
  // `buffer_mutex`.
  void CopyFrames(int64_t first, int64_t count, float* dst) const;
  // The end of the frames readable now: all of a whole stream, the window's
  // end for a windowed one.
  int64_t ReadyFrames() const {
    return window ? ready.load(std::memory_order_acquire) : int64_t(audio.frames());
  }
  void WakeDecoder() {
    std::lock_guard<std::mutex> guard(wake_mutex);
    wake.notify_all();
  }
  // Stops the background decoder and waits for it; what is held stays
  // readable.
  void StopDecoding() {
    stop_decoding.store(true, std::memory_order_relaxed);
    WakeDecoder();
    if (decoder_running) pthread_join(decoder, nullptr);  // fails only for a bad thread id
    decoder_running = false;
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
