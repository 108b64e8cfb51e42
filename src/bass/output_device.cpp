#include "bass/output_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bass/bass.h"
#include "bass/bass_error.h"

namespace zibo::bass {

int OutputDevice::Open(int device, int rate, StreamTable* table) {
  table_ = table;
  rate_ = rate;
  handed_ = 0;
  floor_ = 0;
  resumed_frame_ = 0;
  if (device == BASS_DEVICE_NOSOUND) {
    sdl_device_ = 0;
  } else if (device == BASS_DEVICE_DEFAULT) {
    int code = OpenSdl(rate);
    if (code != BASS_OK) return code;
  } else {
    return BASS_ERROR_DEVICE;
  }
  Start();
  return BASS_OK;
}

int OutputDevice::OpenSdl(int rate) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    SetErrorDetail("SDL audio initialisation failed: %s", SDL_GetError());
    return BASS_ERROR_DRIVER;
  }
  mixer_.Reserve(kBlockFrames);
  clock_.Reset(rate, kBlockFrames);
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = Mixer::kChannels;
  want.samples = kBlockFrames;
  want.callback = &OutputDevice::Callback;
  want.userdata = this;
  SDL_AudioSpec have;
  // No changes allowed: SDL converts to whatever the hardware wants, and our
  // callback always sees 16-bit stereo at `rate`.
  sdl_device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (sdl_device_ == 0) {
    SetErrorDetail("opening the default SDL output at %d Hz, 16-bit stereo, failed: %s", rate,
                   SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return BASS_ERROR_DRIVER;
  }
  if (have.freq != want.freq || have.format != want.format || have.channels != want.channels ||
      have.samples != want.samples) {
    // SDL promises to convert when no changes are allowed; check anyway.
    SetErrorDetail("asked SDL for %d Hz, format 0x%x, %d channels, %d frames; got %d Hz, "
                   "0x%x, %d, %d",
                   want.freq, want.format, want.channels, want.samples, have.freq, have.format,
                   have.channels, have.samples);
    SDL_CloseAudioDevice(sdl_device_);
    sdl_device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return BASS_ERROR_FORMAT;
  }
  return BASS_OK;
}

void OutputDevice::Close() {
  if (sdl_device_ != 0) {
    SDL_CloseAudioDevice(sdl_device_);  // waits for the callback thread
    sdl_device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  running_ = false;
  table_ = nullptr;
}

void OutputDevice::Start() {
  Lock();
  if (running_) {
    Unlock();
    return;
  }
  running_ = true;
  resumed_time_ = MonotonicSeconds();
  clock_.Resync();
  Unlock();
  if (sdl_device_ != 0) SDL_PauseAudioDevice(sdl_device_, 0);
}

void OutputDevice::Stop() {
  Lock();
  if (running_) {
    resumed_frame_ = HeardFrame();  // the clock stands still here
    running_ = false;
  }
  Unlock();
  if (sdl_device_ != 0) SDL_PauseAudioDevice(sdl_device_, 1);
}

void OutputDevice::Lock() {
  if (sdl_device_ != 0) SDL_LockAudioDevice(sdl_device_);
}

void OutputDevice::Unlock() {
  if (sdl_device_ != 0) SDL_UnlockAudioDevice(sdl_device_);
}

int64_t OutputDevice::HeardFrame() {
  int64_t frame = resumed_frame_;
  if (running_) {
    double now = MonotonicSeconds();
    if (sdl_device_ != 0) {
      frame = clock_.HeardFrame(now, resumed_frame_);
    } else {
      frame = resumed_frame_ + int64_t(std::floor((now - resumed_time_) * rate_));
    }
  }
  floor_ = std::max(floor_, frame);
  return floor_;
}

int64_t OutputDevice::FramesHanded() { return sdl_device_ != 0 ? handed_ : HeardFrame(); }

void SDLCALL OutputDevice::Callback(void* self_ptr, Uint8* data, int bytes) {
  // SDL holds the device lock around this call.
  auto* self = static_cast<OutputDevice*>(self_ptr);
  const double now = MonotonicSeconds();
  const int frames = bytes / int(Mixer::kChannels * sizeof(int16_t));
  auto* out = reinterpret_cast<int16_t*>(data);
  if (self->running_ && self->table_) {
    self->mixer_.Mix(self->table_, self->handed_, out, frames);
    self->clock_.OnBlock(self->handed_, frames, now);
  } else {
    std::memset(data, 0, size_t(bytes));
  }
  self->handed_ += frames;
}

}  // namespace zibo::bass
