#include "bass/output_device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bass/bass.h"
#include "bass/bass_error.h"

namespace zibo::bass {

int OutputDevice::Open(int device, int rate, StreamTable* table) {
  table_ = table;
  rate_ = rate;
  handed_ = 0;
  floor_ = 0;
  floor_time_ = 0;
  resumed_frame_ = 0;
  running_ = false;
  lost_ = false;
  kind_ = Kind::kNone;
  if (device == BASS_DEVICE_DEFAULT) {
    mixer_.Reserve(kBlockFrames);
    // A caller that names an SDL driver wants SDL (the disk driver's tests).
    const char* sdl_driver = std::getenv("SDL_AUDIODRIVER");
    std::string server_why, sdl_why;
    if (!(sdl_driver && *sdl_driver) &&
        pulse_.Open(rate, kBlockFrames, &OutputDevice::Render, this, &server_why)) {
      kind_ = Kind::kPulse;
    } else {
      int code = sdl_.Open(rate, kBlockFrames, &OutputDevice::Render, this, &sdl_why);
      if (code != BASS_OK) {
        SetErrorDetail("%s%s%s", server_why.c_str(), server_why.empty() ? "" : "; ",
                       sdl_why.c_str());
        return code;
      }
      kind_ = Kind::kSdl;
    }
  } else if (device != BASS_DEVICE_NOSOUND) {
    return BASS_ERROR_DEVICE;
  }
  Start();
  return BASS_OK;
}

void OutputDevice::Close() {
  pulse_.Close();  // no mixing runs after these
  sdl_.Close();
  kind_ = Kind::kNone;
  running_ = false;
  table_ = nullptr;
}

void OutputDevice::Start() {
  Lock();
  const bool was_running = running_;
  if (!running_) {
    running_ = true;
    resumed_time_ = MonotonicSeconds();
    if (kind_ == Kind::kPulse) pulse_.SetRunning(true);
  }
  Unlock();
  if (!was_running && kind_ == Kind::kSdl) sdl_.SetRunning(true);
}

void OutputDevice::Stop() {
  Lock();
  if (running_) {
    resumed_frame_ = HeardFrame();  // the clock stands still here
    running_ = false;
    if (kind_ == Kind::kPulse) pulse_.SetRunning(false);
  }
  Unlock();
  if (kind_ == Kind::kSdl) sdl_.SetRunning(false);
}

void OutputDevice::Lock() {
  switch (kind_) {
    case Kind::kPulse: pulse_.Lock(); break;
    case Kind::kSdl: sdl_.Lock(); break;
    case Kind::kNone: quiet_mutex_.lock(); break;
  }
}

void OutputDevice::Unlock() {
  switch (kind_) {
    case Kind::kPulse: pulse_.Unlock(); break;
    case Kind::kSdl: sdl_.Unlock(); break;
    case Kind::kNone: quiet_mutex_.unlock(); break;
  }
}

int64_t OutputDevice::HeardFrame() {
  int64_t frame = resumed_frame_;
  if (running_) {
    const double now = MonotonicSeconds();
    if (kind_ != Kind::kNone && !lost_) {
      std::string why;
      const bool heard = kind_ == Kind::kPulse ? pulse_.HeardFrame(now, &frame, &why)
                                               : sdl_.HeardFrame(now, resumed_frame_, &frame, &why);
      if (heard) floor_time_ = now;
      if (!why.empty()) LoseOutput(now, why);
    }
    if (kind_ == Kind::kNone || lost_) {
      frame = resumed_frame_ + int64_t(std::floor((now - resumed_time_) * rate_));
    }
  }
  floor_ = std::max(floor_, frame);
  return floor_;
}

int64_t OutputDevice::FramesHanded() { return mixes() ? handed_ : HeardFrame(); }

const char* OutputDevice::name() const {
  switch (kind_) {
    case Kind::kPulse: return lost_ ? "pulse (lost)" : "pulse";
    case Kind::kSdl: return lost_ ? "sdl (lost)" : "sdl";
    case Kind::kNone: break;
  }
  return "none";
}

void OutputDevice::LoseOutput(double now, const std::string& why) {
  // On from where the picture was, as if the output had played on meanwhile.
  const double since = floor_time_ > 0 ? std::max(0.0, now - floor_time_) : 0.0;
  resumed_frame_ = floor_ + int64_t(std::floor(since * rate_));
  resumed_time_ = now;
  lost_ = true;
  // Starts that waited for a block to be mixed take effect now.
  for (int i = 0; table_ && i < StreamTable::kSlots; ++i) {
    Stream* s = table_->slot(i);
    if (s && s->playing && s->start_pending) {
      s->start_pending = false;
      s->anchor_device_frame = resumed_frame_;
    }
  }
  std::fprintf(stderr, "sound output lost (%s): playing on in silence\n", why.c_str());
}

void OutputDevice::Render(void* self_ptr, int16_t* out, int frames) {
  // The output holds the device lock around this call.
  auto* self = static_cast<OutputDevice*>(self_ptr);
  if (self->running_ && self->table_ && !self->lost_) {
    self->mixer_.Mix(self->table_, self->handed_, out, frames);
  } else {
    std::memset(out, 0, size_t(frames) * Mixer::kChannels * sizeof(int16_t));
  }
  self->handed_ += frames;
}

}  // namespace zibo::bass
