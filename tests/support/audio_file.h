// audio_file.h - real audio files for tests: float signals written through
// libsndfile as WAV, FLAC, Ogg Vorbis or MP3, so the code under test decodes
// what a real encoder made. Any thread.
#ifndef ZIBO_TESTS_SUPPORT_AUDIO_FILE_H
#define ZIBO_TESTS_SUPPORT_AUDIO_FILE_H

#include <cstddef>
#include <string>
#include <vector>

namespace zibo::testing {

enum class FileKind { kWav16, kFlac, kOggVorbis, kMp3 };

// Writes interleaved `samples` (`channels` per frame); false on failure.
// 16-bit kinds store round(x * 32768), clipped, so values on 16-bit steps
// read back exactly.
bool WriteAudioFile(const std::string& path, FileKind kind, int rate, int channels,
                    const std::vector<float>& samples);

// `frames` frames of a sine of `hz` at `amplitude`, the same on every channel.
std::vector<float> Sine(double hz, double amplitude, int rate, int channels, size_t frames);

// Deterministic pseudo-random samples in [-amplitude, amplitude], never
// quieter than 1/64 of it, so that no 16-bit sample rounds to zero.
std::vector<float> Noise(unsigned seed, double amplitude, int channels, size_t frames);

}  // namespace zibo::testing

#endif
