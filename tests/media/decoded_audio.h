// decoded_audio.h - test helpers: the generated files' location, decoding a
// sound file through libsndfile, and the probe spectrum the live show reads.
#ifndef ZIBO_TESTS_MEDIA_DECODED_AUDIO_H
#define ZIBO_TESTS_MEDIA_DECODED_AUDIO_H

#include <string>
#include <vector>

namespace zibo::media::test {

// Path of a file the generator wrote for this test run.
std::string GeneratedFile(const std::string& name);

struct DecodedAudio {
  int sample_rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved
  long long frames() const { return channels ? (long long)samples.size() / channels : 0; }
  // Channels averaged, one value per frame.
  std::vector<float> Mono() const;
};

// Decodes the whole file; on failure returns false with `error` set.
bool Decode(const std::string& path, DecodedAudio* out, std::string* error);

// The show's 256 spectrum magnitudes (Hann window, 2|X[k]|/512, channels
// averaged) of the 512 frames from `first` on.
std::vector<float> ProbeSpectrum(const DecodedAudio& audio, long long first);

}  // namespace zibo::media::test

#endif
