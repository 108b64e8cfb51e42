// audio_test_files.h - real audio files for the audio tests.
//
// A temporary folder that cleans up after itself, signal generators, and
// writing those signals through libsndfile as WAV, FLAC, Ogg Vorbis or MP3,
// so the tests decode files made by a real encoder.
#ifndef ZIBO_TESTS_BASS_AUDIO_TEST_FILES_H
#define ZIBO_TESTS_BASS_AUDIO_TEST_FILES_H

#include <string>
#include <vector>

namespace zibo::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// libsndfile major formats with their usual encodings.
enum class FileKind { kWav16, kFlac, kOggVorbis, kMp3 };

// Writes interleaved float `samples` (`channels` per frame); false on failure.
// 16-bit kinds store round(x * 32768), clipped.
bool WriteAudioFile(const std::string& path, FileKind kind, int rate, int channels,
                    const std::vector<float>& samples);

// `frames` frames of a sine of `hz` at `amplitude`, the same on every channel.
std::vector<float> Sine(double hz, double amplitude, int rate, int channels, size_t frames);

// Deterministic pseudo-random samples in [-amplitude, amplitude], never
// quieter than 1/64 of it, so that no 16-bit sample rounds to zero.
std::vector<float> Noise(unsigned seed, double amplitude, int channels, size_t frames);

// Writes raw bytes to `path`.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

}  // namespace zibo::testing

#endif
