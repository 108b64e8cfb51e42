#include "bass/sdl_output.h"

#include <cstdio>

#include "bass/bass.h"
#include "bass/mixer.h"

namespace zibo::bass {

int SdlOutput::Open(int rate, int block_frames, Render render, void* user, std::string* why) {
  render_ = render;
  user_ = user;
  handed_ = 0;
  char text[400];
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *why = std::string("SDL audio initialisation failed: ") + SDL_GetError();
    return BASS_ERROR_DRIVER;
  }
  clock_.Reset(rate, block_frames);
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = Mixer::kChannels;
  want.samples = Uint16(block_frames);
  want.callback = &SdlOutput::Callback;
  want.userdata = this;
  SDL_AudioSpec have;
  // No changes allowed: SDL converts to whatever the hardware wants, and our
  // callback always sees 16-bit stereo at `rate`.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    std::snprintf(text, sizeof text,
                  "opening the default SDL output at %d Hz, 16-bit stereo, failed: %s", rate,
                  SDL_GetError());
    *why = text;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return BASS_ERROR_DRIVER;
  }
  if (have.freq != want.freq || have.format != want.format || have.channels != want.channels ||
      have.samples != want.samples) {
    // SDL promises to convert when no changes are allowed; check anyway.
    std::snprintf(text, sizeof text,
                  "asked SDL for %d Hz, format 0x%x, %d channels, %d frames; got %d Hz, "
                  "0x%x, %d, %d",
                  want.freq, want.format, want.channels, want.samples, have.freq, have.format,
                  have.channels, have.samples);
    *why = text;
    Close();
    return BASS_ERROR_FORMAT;
  }
  return BASS_OK;
}

void SdlOutput::Close() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);  // waits for the callback thread
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::SetRunning(bool running) {
  if (running) {
    Lock();
    clock_.Resync();
    Unlock();
  }
  SDL_PauseAudioDevice(device_, running ? 0 : 1);
}

bool SdlOutput::HeardFrame(double now, int64_t fallback, int64_t* frame, std::string* why) {
  if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
    *why = "the audio device was removed";
    return false;
  }
  *frame = clock_.HeardFrame(now, fallback);
  return true;
}

void SDLCALL SdlOutput::Callback(void* self_ptr, Uint8* data, int bytes) {
  // SDL holds the device lock around this call.
  auto* self = static_cast<SdlOutput*>(self_ptr);
  const double now = MonotonicSeconds();
  const int frames = bytes / int(Mixer::kChannels * sizeof(int16_t));
  self->render_(self->user_, reinterpret_cast<int16_t*>(data), frames);
  self->clock_.OnBlock(self->handed_, frames, now);
  self->handed_ += frames;
}

}  // namespace zibo::bass
