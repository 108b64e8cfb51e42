#include "music/music_player.h"

#include <cstdint>
#include <cstdio>

#include "bass/bass.h"
#include "shell/report.h"

namespace zibo {
namespace {

constexpr int kOutputRate = 44100;
constexpr DWORD kInitFlags = 32;
constexpr const char* kCaption = "vel Error!";

// Reports "<message>: <last audio error code>" and ends the process.
[[noreturn]] void Fail(const char* message) {
  char text[500];
  std::snprintf(text, sizeof text, "%s: %d", message, BASS_ErrorGetCode());
  FailAndExit(kCaption, text, nullptr);
}

}  // namespace

void MusicPlayer::Open(const char* file, void* window) {
  stream_ = 0;
  // A machine without a usable output still gets the whole show, silently.
  if (!BASS_Init(BASS_DEVICE_DEFAULT, kOutputRate, kInitFlags, window) &&
      !BASS_Init(BASS_DEVICE_NOSOUND, kOutputRate, kInitFlags, window)) {
    Fail("Unable to init BASS");
  }
  stream_ = BASS_StreamCreateFile(0, file, 0, 0, 0);
  if (stream_ == 0) Fail("Unable to load song.");
}

void MusicPlayer::Play() {
  BASS_Start();
  play_result_ = BASS_StreamPlay(stream_, 0, 0);
  if (play_result_ == 0) Fail("Unable to play song!");
}

int32_t MusicPlayer::PositionMs() const { return StreamPositionMs(stream_); }

float MusicPlayer::SpectrumAt(float fraction) const { return StreamSpectrumAt(stream_, fraction); }

int32_t StreamPositionMs(uint32_t stream) {
  QWORD bytes = BASS_ChannelGetPosition(stream);
  double ms = BASS_ChannelBytes2Seconds(stream, bytes) * 1000.0;
  // Truncation toward zero; a clock beyond the 32-bit range (24 days) stops
  // at its end instead of overflowing.
  if (!(ms < 2147483647.0)) return ms > 0 ? INT32_MAX : 0;
  if (ms < -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(ms);
}

float StreamSpectrumAt(uint32_t stream, float fraction) {
  float buffer[512];
  BASS_ChannelGetData(stream, buffer, BASS_DATA_FFT512);
  // Only the first 256 values are magnitudes; anything outside reads as 0
  // (this also keeps a NaN fraction away from the index).
  if (!(fraction > -1.0f / 512 && fraction < 0.5f)) return 0;
  return buffer[static_cast<int>(fraction * 512)];
}

void MusicPlayer::Stop() {
  if (stream_ != 0) BASS_ChannelStop(stream_);
  if (!BASS_Stop()) Fail("Unable to stop");
}

void MusicPlayer::Close() {
  Stop();
  BASS_StreamFree(stream_);
  BASS_Free();
}

}  // namespace zibo
