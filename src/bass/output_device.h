// output_device.h - where the mixed sound goes, and the device clock.
//
// Three kinds of output behind one face: a desktop sound server
// (pulse_output.h), tried first; the default SDL audio output
// (sdl_output.h), its fallback and the choice whenever SDL_AUDIODRIVER is
// set; and the no-sound device, which outputs nothing and whose clock simply
// runs in real time on the monotonic clock. The first two mix the stream
// table on their own thread in blocks they ask for. Whatever the kind, the
// device counts frames from 0 at Open; HeardFrame says which one is being
// heard now, never decreasing. The output runs from Open on; Stop pauses it
// (the clock stands still) and Start resumes it.
//
// An output lost while playing (the server died, stalled or dropped the
// stream; the SDL device was removed) is noticed by the next HeardFrame:
// from the frame heard then, the clock runs on in real time as on the
// no-sound device, starts take effect at once, and one line on stderr says
// what happened. It is never taken up again.
//
// Why an output could not be opened goes to the error detail
// (bass_diagnostics.h), not to the terminal: the caller's fallback to the
// no-sound device is meant to be silent.
//
// Threads: everything except the mixing is called from the show's thread
// (HeardFrame also from stream decoders). The stream table and the clock
// are shared with the output's thread; touch them only between Lock and
// Unlock (the output's own lock, or a mutex on the no-sound device; held
// briefly, recursive).
#ifndef ZIBO_BASS_OUTPUT_DEVICE_H
#define ZIBO_BASS_OUTPUT_DEVICE_H

#include <cstdint>
#include <mutex>

#include "bass/mixer.h"
#include "bass/pulse_output.h"
#include "bass/sdl_output.h"
#include "bass/stream_table.h"

namespace zibo::bass {

class OutputDevice {
 public:
  static constexpr int kBlockFrames = 1024;

  // Opens `device` (BASS_DEVICE_DEFAULT or BASS_DEVICE_NOSOUND) at `rate` Hz,
  // mixing the streams of `table`. Returns BASS_OK or an error code.
  int Open(int device, int rate, StreamTable* table);
  void Close();
  void Start();
  void Stop();

  void Lock();
  void Unlock();

  // Under the lock: the device frame being heard now.
  int64_t HeardFrame();
  // Under the lock: frames handed to the output so far (the no-sound device
  // hands over what it "plays").
  int64_t FramesHanded();

  // Under the lock: true when a mixing output anchors starts; false on the
  // no-sound device and after a loss, where a start takes effect at once.
  bool mixes() const { return kind_ != Kind::kNone && !lost_; }
  int rate() const { return rate_; }
  // Under the lock: which output plays (see bass_diagnostics.h).
  const char* name() const;

 private:
  enum class Kind { kNone, kPulse, kSdl };
  static void Render(void* self, int16_t* out, int frames);
  // Under the lock: keeps time on the monotonic clock from now on.
  void LoseOutput(double now, const std::string& why);

  Kind kind_ = Kind::kNone;
  PulseOutput pulse_;
  SdlOutput sdl_;
  std::recursive_mutex quiet_mutex_;  // the no-sound device's lock
  int rate_ = 44100;
  StreamTable* table_ = nullptr;
  Mixer mixer_;

  bool running_ = false;        // between Start and Stop
  bool lost_ = false;           // the output went away; real time from then on
  int64_t handed_ = 0;          // frames handed to the output
  int64_t resumed_frame_ = 0;   // heard frame when the real-time clock last (re)started
  double resumed_time_ = 0;     // and when
  int64_t floor_ = 0;           // largest heard frame reported
  double floor_time_ = 0;       // when the output last reported it
};

}  // namespace zibo::bass

#endif
