// output_clock.h - when is which output frame heard.
//
// The device callback reports each block it hands over (first frame, frame
// count, time of the call). Callback times jitter, so they are smoothed by a
// second-order delay-locked loop (after F. Adriaensen, "Using a DLL to filter
// time"): it follows the device's real consumption rate, and between two
// callbacks the heard frame is interpolated linearly on the monotonic clock.
// One block of output latency is subtracted (the block just handed over
// waits behind the one the device is playing), and the estimate is never
// ahead of the frames handed over.
//
// Threads: OnBlock runs in the audio callback, the rest on the show's
// thread; both under the output device's lock.
#ifndef ZIBO_BASS_OUTPUT_CLOCK_H
#define ZIBO_BASS_OUTPUT_CLOCK_H

#include <cstdint>

namespace zibo::bass {

// Seconds on the monotonic clock since an arbitrary fixed point.
double MonotonicSeconds();

class OutputClock {
 public:
  // Starts afresh for a device playing `rate` frames per second in blocks of
  // `block_frames`.
  void Reset(int rate, int block_frames);
  // The next block restarts the loop (after the output was paused).
  void Resync() { locked_ = false; }
  // A block of `frames` frames starting at device frame `first` was handed
  // to the device at time `now`.
  void OnBlock(int64_t first, int frames, double now);
  // The device frame heard at time `now`; `fallback` before the first block
  // since Reset or Resync. May step back slightly when the loop corrects;
  // callers keep their own floor.
  int64_t HeardFrame(double now, int64_t fallback) const;

 private:
  int rate_ = 44100;
  int block_frames_ = 1024;
  bool locked_ = false;   // a block has arrived since Reset/Resync
  int64_t first_ = 0;     // first frame of the latest block
  int frames_ = 0;        // its length
  double t0_ = 0;         // filtered time of the latest block
  double t1_ = 0;         // predicted time of the next block
  double period_ = 0;     // filtered time per block
  double locked_since_ = 0;       // when the loop last (re)started
  int64_t frames_since_lock_ = 0;  // frames handed since then
};

}  // namespace zibo::bass

#endif
