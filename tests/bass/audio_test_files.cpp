#include "audio_test_files.h"

#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zibo::testing {

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zibo-audio-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data())) path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool WriteAudioFile(const std::string& path, FileKind kind, int rate, int channels,
                    const std::vector<float>& samples) {
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
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
  sf_count_t frames = sf_count_t(samples.size() / size_t(channels));
  bool ok;
  if (kind == FileKind::kWav16 || kind == FileKind::kFlac) {
    // Our own 16-bit conversion (x * 32768), the inverse of how files are
    // read, so that 16-bit-exact values survive the round trip unchanged.
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
    float v = float(amplitude * std::sin(2 * M_PI * hz * double(f) / rate));
    for (int c = 0; c < channels; ++c) out[f * size_t(channels) + size_t(c)] = v;
  }
  return out;
}

std::vector<float> Noise(unsigned seed, double amplitude, int channels, size_t frames) {
  std::vector<float> out(frames * size_t(channels));
  uint32_t state = seed * 2654435761u + 1;
  for (float& s : out) {
    state = state * 1664525u + 1013904223u;
    double u = double(state >> 8) / double(1u << 24);  // [0, 1)
    double magnitude = 1.0 / 64 + (1 - 1.0 / 64) * u;
    s = float(((state >> 7) & 1 ? 1 : -1) * amplitude * magnitude);
  }
  return out;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace zibo::testing
