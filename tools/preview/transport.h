// transport.h - the preview's clock and its controls over the song stream:
// seek, pause, loop.
//
// The clock is the song's playback position, read as the show reads it
// (whole milliseconds, truncated). A seek or a pause puts the stream on the
// first sample that reads as the target millisecond, so a paused picture,
// its spectrum included, is the one offline capture draws for that time.
// While looping, a read at or past the loop's end seeks to its start first.
// Borrows the stream (an audio-library handle); after the song is replaced,
// Adopt moves the new stream to the old one's time and state. Main thread
// only.
#ifndef ZIBO_PREVIEW_TRANSPORT_H
#define ZIBO_PREVIEW_TRANSPORT_H

#include <cstdint>

namespace zibo {

class Transport {
 public:
  // Seeks `stream` to `at_ms` and plays it.
  Transport(uint32_t stream, int32_t at_ms);

  // The time to draw now (wrapping the loop first, see above).
  int32_t Now();

  void SeekTo(int32_t ms);
  void TogglePause();
  // The loop's bounds (-1 until set); it loops only when on and from < to.
  void SetLoopStart(int32_t ms) { loop_from_ = ms; }
  void SetLoopEnd(int32_t ms) { loop_to_ = ms; }
  void SetLooping(bool on) { looping_ = on; }

  // Takes over `stream` (a fresh copy of the song) at the current time and
  // state; the caller frees the old one afterwards. False, keeping the old
  // stream untouched, when the new one cannot go to that time (shorter).
  bool Adopt(uint32_t stream);

  bool paused() const { return paused_; }
  bool looping() const { return looping_; }
  int32_t loop_from() const { return loop_from_; }
  int32_t loop_to() const { return loop_to_; }

 private:
  uint32_t stream_;
  bool paused_ = false;
  bool looping_ = false;
  int32_t loop_from_ = -1;
  int32_t loop_to_ = -1;
};

}  // namespace zibo

#endif
