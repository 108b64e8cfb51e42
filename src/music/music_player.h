// music_player.h - the show's music: one stream, its clock and spectrum.
//
// Wraps the audio library (bass.h): Open initialises the default output,
// falling back to the no-sound device, and opens the music file; Play starts
// it; PositionMs is the show's only clock; SpectrumAt probes one FFT bin of
// what is heard now. Every failure is reported under the caption
// "vel Error!" as "<message>: <error code>" and ends the process with
// status 1. Main thread only.
#ifndef ZIBO_MUSIC_MUSIC_PLAYER_H
#define ZIBO_MUSIC_MUSIC_PLAYER_H

#include <cstdint>

namespace zibo {

// What MusicPlayer reads, for any playing stream of the audio library (the
// preview's song, which it opens and replaces itself).
int32_t StreamPositionMs(uint32_t stream);
float StreamSpectrumAt(uint32_t stream, float fraction);

class MusicPlayer {
 public:
  // Open(file, window): `window` is handed to the audio library (SDL_Window*).
  MusicPlayer(const char* file, void* window) { Open(file, window); }
  ~MusicPlayer() { Close(); }
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  void Play();
  // Playback position in whole milliseconds, truncated toward zero.
  int32_t PositionMs() const;
  // Magnitude of bin int(fraction * 512) of a fresh 512-point spectrum.
  float SpectrumAt(float fraction) const;

  uint32_t stream() const { return stream_; }

 private:
  void Open(const char* file, void* window);
  void Stop();
  void Close();

  uint32_t stream_ = 0;
  int32_t play_result_ = 0;
};

}  // namespace zibo

#endif
