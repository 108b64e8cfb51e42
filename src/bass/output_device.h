// output_device.h - where the mixed sound goes, and the device clock.
//
// Two kinds of device: the default SDL audio output (16-bit stereo at the
// requested rate, blocks of 1024 frames, mixed in SDL's callback), and the
// no-sound device, which outputs nothing and whose clock simply runs in real
// time on the monotonic clock. Either way the device counts frames from 0 at
// Open; HeardFrame says which one is being heard now, never decreasing. The
// output runs from Open on; Stop pauses it (the clock stands still) and
// Start resumes it.
//
// Why the SDL output could not be opened goes to the error detail
// (bass_diagnostics.h), not to the terminal: the caller's fallback to the
// no-sound device is meant to be silent.
//
// Threads: everything except the callback is called from the show's thread.
// The stream table and the clock are shared with the callback; touch them
// only between Lock and Unlock (SDL's audio device lock, held briefly).
#ifndef ZIBO_BASS_OUTPUT_DEVICE_H
#define ZIBO_BASS_OUTPUT_DEVICE_H

#include <SDL.h>

#include <cstdint>

#include "bass/mixer.h"
#include "bass/output_clock.h"
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

  // True when a mixer callback anchors starts; false on the no-sound device,
  // where a start takes effect at once.
  bool mixes() const { return sdl_device_ != 0; }
  int rate() const { return rate_; }

 private:
  static void SDLCALL Callback(void* self, Uint8* data, int bytes);
  int OpenSdl(int rate);

  SDL_AudioDeviceID sdl_device_ = 0;
  int rate_ = 44100;
  StreamTable* table_ = nullptr;
  Mixer mixer_;
  OutputClock clock_;

  bool running_ = false;        // between Start and Stop
  int64_t handed_ = 0;          // SDL: frames handed to the device
  int64_t resumed_frame_ = 0;   // heard frame when the output last (re)started
  double resumed_time_ = 0;     // and when
  int64_t floor_ = 0;           // largest heard frame reported
};

}  // namespace zibo::bass

#endif
