#include "transport.h"

#include "bass/bass.h"
#include "audio/spectrum.h"
#include "music/music_player.h"

namespace zibo {
namespace {

constexpr int kRate = 44100;  // the show's output rate

bool SetPositionMs(uint32_t stream, int32_t ms) {
  return BASS_ChannelSetPosition(stream, QWORD(FirstFrameAtMs(ms < 0 ? 0 : ms, kRate)) * 4);
}

}  // namespace

Transport::Transport(uint32_t stream, int32_t at_ms) : stream_(stream) {
  SetPositionMs(stream_, at_ms);
  BASS_StreamPlay(stream_, 0, 0);
}

int32_t Transport::Now() {
  int32_t t = StreamPositionMs(stream_);
  if (looping_ && loop_from_ >= 0 && loop_from_ < loop_to_ && t >= loop_to_) {
    SeekTo(loop_from_);
    t = StreamPositionMs(stream_);
  }
  return t;
}

void Transport::SeekTo(int32_t ms) { SetPositionMs(stream_, ms); }

void Transport::TogglePause() {
  if (paused_) {
    BASS_ChannelResume(stream_);
  } else {
    const int32_t t = StreamPositionMs(stream_);
    BASS_ChannelPause(stream_);
    SetPositionMs(stream_, t);  // hold on the time shown, not where the device stops
  }
  paused_ = !paused_;
}

bool Transport::Adopt(uint32_t stream) {
  const int32_t t = StreamPositionMs(stream_);
  if (!SetPositionMs(stream, t)) return false;
  stream_ = stream;
  BASS_StreamPlay(stream_, 0, 0);
  if (paused_) BASS_ChannelPause(stream_), SetPositionMs(stream_, t);
  return true;
}

}  // namespace zibo
