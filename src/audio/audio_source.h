// audio_source.h - an open audio file read piece by piece.
//
// Opens a file with libsndfile after the same checks the whole-file decoder
// makes (a regular file, audio libsndfile can read, a sane rate and channel
// count), then hands out its frames in pieces, converted to `out_channels`
// channels (mono duplicated, more channels averaged down) at the file's own
// rate. Values that decode as NaN or infinity become silence.
//
// Owns the file until destroyed. Not shared: one thread at a time, and it
// may be handed from one thread to another.
#ifndef ZIBO_AUDIO_AUDIO_SOURCE_H
#define ZIBO_AUDIO_AUDIO_SOURCE_H

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zibo {

class AudioSource {
 public:
  static constexpr int kMaxChannels = 64;
  static constexpr int kMaxRate = 768000;

  AudioSource() = default;
  AudioSource(const AudioSource&) = delete;
  AudioSource& operator=(const AudioSource&) = delete;
  ~AudioSource();

  // Returns an AudioStatus: kAudioOk or FILEOPEN (missing, unreadable, no regular file),
  // FILEFORM (no audio), CODEC (unsupported encoding), FORMAT (absurd rate
  // or channel count); `message` (if given) says why.
  int Open(const char* path, int out_channels, std::string* message);

  // Reads up to `max_frames` frames into `dest` (room for max_frames *
  // out_channels values); returns the frames read, 0 at the end.
  size_t Read(float* dest, size_t max_frames);

  // Moves the read position to `frame` (0 is the start). False when the file
  // cannot go there (past the length libsndfile knows); the read position is
  // then unknown.
  bool Seek(int64_t frame);

  int rate() const { return info_.samplerate; }
  // libsndfile's frame count: exact for most formats, an estimate for MP3.
  int64_t frames_hint() const { return int64_t(info_.frames); }

 private:
  int fd_ = -1;
  SNDFILE* file_ = nullptr;
  SF_INFO info_ = {};
  int out_channels_ = 0;
  std::vector<float> chunk_;  // one piece at the file's channel count
};

}  // namespace zibo

#endif
