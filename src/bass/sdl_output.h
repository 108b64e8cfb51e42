// sdl_output.h - the default SDL audio output.
//
// 16-bit stereo at the asked rate in blocks of `block_frames` frames, filled
// by `render` in SDL's callback. SDL tells nothing of the latency behind it,
// so the clock is the callback times smoothed (output_clock.h), one block
// behind what was handed over. SDL reports a removed device only as a
// stopped status, after which it paces the callback on its own timer: that
// output is "lost" and its clock no longer counts.
//
// Threads: Open and Close on the caller's thread; everything else between
// Lock and Unlock (SDL's device lock, recursive), which SDL also holds
// around the callback.
#ifndef ZIBO_BASS_SDL_OUTPUT_H
#define ZIBO_BASS_SDL_OUTPUT_H

#include <SDL.h>

#include <cstdint>
#include <string>

#include "bass/output_clock.h"

namespace zibo::bass {

class SdlOutput {
 public:
  using Render = void (*)(void* user, int16_t* out, int frames);

  // Opens the default SDL output, playing. Returns BASS_OK, or DRIVER or
  // FORMAT with `why` set.
  int Open(int rate, int block_frames, Render render, void* user, std::string* why);
  void Close();
  bool open() const { return device_ != 0; }

  void Lock() { SDL_LockAudioDevice(device_); }
  void Unlock() { SDL_UnlockAudioDevice(device_); }

  // Pauses or resumes the device; the call itself takes SDL's lock, so
  // make it outside Lock/Unlock.
  void SetRunning(bool running);
  // Under the lock: the frame heard at monotonic time `now` (`fallback`
  // before the first block since the device last started). False when the
  // device was removed, with `why` set.
  bool HeardFrame(double now, int64_t fallback, int64_t* frame, std::string* why);

 private:
  static void SDLCALL Callback(void* self, Uint8* data, int bytes);

  SDL_AudioDeviceID device_ = 0;
  Render render_ = nullptr;
  void* user_ = nullptr;
  OutputClock clock_;
  int64_t handed_ = 0;  // frames handed to SDL
};

}  // namespace zibo::bass

#endif
