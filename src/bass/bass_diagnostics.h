// bass_diagnostics.h - figures about the audio library for benchmarks.
//
// Not part of the show's interface. Show's thread only.
#ifndef ZIBO_BASS_BASS_DIAGNOSTICS_H
#define ZIBO_BASS_BASS_DIAGNOSTICS_H

#include <cstdint>

namespace zibo::bass {

// Output frames handed to the device so far (0 before BASS_Init): the naive
// clock that ignores latency and runs in whole callback blocks.
uint64_t FramesHandedToDevice();

// Which output plays: "pulse" (a sound server), "sdl", "none" (the no-sound
// device, also before BASS_Init), each with " (lost)" once it went away.
const char* OutputName();

// Why the last failing platform call failed, in words; "" if none did.
const char* LastErrorDetail();

}  // namespace zibo::bass

#endif
