// decoded_audio.cpp - libsndfile decoding and a kissfft spectrum for the tests.
#include "decoded_audio.h"

#include <sndfile.h>

#include "audio/spectrum.h"

namespace zibo::media::test {

std::string GeneratedFile(const std::string& name) {
  return std::string(ZIBO_GENERATED_MEDIA) + "/" + name;
}

std::vector<float> DecodedAudio::Mono() const {
  std::vector<float> mono(static_cast<size_t>(frames()));
  for (size_t f = 0; f < mono.size(); ++f) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) sum += samples[f * size_t(channels) + size_t(c)];
    mono[f] = sum / float(channels);
  }
  return mono;
}

bool Decode(const std::string& path, DecodedAudio* out, std::string* error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    *error = path + ": " + sf_strerror(nullptr);
    return false;
  }
  out->sample_rate = info.samplerate;
  out->channels = info.channels;
  out->samples.clear();
  std::vector<float> chunk(size_t(65536) * size_t(info.channels));
  sf_count_t got;
  while ((got = sf_readf_float(file, chunk.data(), 65536)) > 0)
    out->samples.insert(out->samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
  sf_close(file);
  return true;
}

std::vector<float> ProbeSpectrum(const DecodedAudio& audio, long long first) {
  std::vector<float> magnitudes(kFftBins);
  ComputeSpectrumAt(audio.samples.data(), size_t(audio.frames()), audio.channels, first,
                    magnitudes.data());
  return magnitudes;
}

}  // namespace zibo::media::test
