#include "support/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zibo::testing {

bool WriteAudioFile(const std::string& path, FileKind kind, int rate, int channels,
                    const std::vector<float>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  switch (kind) {
    case FileKind::kWav16: info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16; break;
    case FileKind::kFlac: info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16; break;
    case FileKind::kOggVorbis: info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; break;
    case FileKind::kMp3: info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III; break;
  }
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = sf_count_t(samples.size() / size_t(channels));
  bool ok;
  if (kind == FileKind::kWav16 || kind == FileKind::kFlac) {
    // Our own x * 32768, the inverse of how 16-bit files are read.
    std::vector<short> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
      pcm[i] = short(std::clamp(std::lrint(samples[i] * 32768.0), -32768L, 32767L));
    }
    ok = sf_writef_short(file, pcm.data(), frames) == frames;
  } else {
    ok = sf_writef_float(file, samples.data(), frames) == frames;
  }
  return sf_close(file) == 0 && ok;
}

std::vector<float> Sine(double hz, double amplitude, int rate, int channels, size_t frames) {
  std::vector<float> out(frames * size_t(channels));
  for (size_t f = 0; f < frames; ++f) {
    const float v = float(amplitude * std::sin(2 * M_PI * hz * double(f) / rate));
    std::fill_n(out.begin() + long(f * size_t(channels)), channels, v);
  }
  return out;
}

std::vector<float> Noise(unsigned seed, double amplitude, int channels, size_t frames) {
  std::vector<float> out(frames * size_t(channels));
  uint32_t state = seed * 2654435761u + 1;
  for (float& s : out) {
    state = state * 1664525u + 1013904223u;
    const double u = double(state >> 8) / double(1u << 24);  // [0, 1)
    s = float(((state >> 7) & 1 ? 1 : -1) * amplitude * (1.0 / 64 + (1 - 1.0 / 64) * u));
  }
  return out;
}

}  // namespace zibo::testing
