// synth.h - the building blocks of the generator's small synthesizer.
//
// A stereo mix buffer, a seeded noise source, band-limited wavetable
// oscillators, envelopes and a state-variable filter. Waveforms are built
// from their harmonics up to a chosen ceiling, so a voice has no energy
// above that frequency (no aliasing, and bands above it stay quiet).
// Everything is deterministic: the same calls give the same samples.
// Single-threaded; WaveTables owns its tables, oscillators borrow them.
#ifndef ZIBO_TOOLS_MEDIA_SYNTH_H
#define ZIBO_TOOLS_MEDIA_SYNTH_H

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace zibo::media {

constexpr int kSampleRate = 44100;
constexpr double kPiD = 3.14159265358979323846;

// Two channels of float samples, both of the same length.
class StereoMix {
 public:
  explicit StereoMix(size_t frames) : left_(frames, 0.0f), right_(frames, 0.0f) {}
  size_t frames() const { return left_.size(); }
  float* left() { return left_.data(); }
  float* right() { return right_.data(); }
  const float* left() const { return left_.data(); }
  const float* right() const { return right_.data(); }

  // Adds `n` mono samples from frame `at` on, with `gain` and constant-power
  // `pan` (-1 left, 0 centre, 1 right); frames outside the mix are dropped.
  void AddMono(long long at, const float* signal, size_t n, float gain, float pan);

 private:
  std::vector<float> left_, right_;
};

// xorshift64* noise: uniform values in [-1, 1), the same sequence for the same seed.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed ? seed : 1) {}
  float Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const uint64_t r = state_ * 0x2545F4914F6CDD1DULL;
    return float(double(r >> 40) / double(1 << 23) - 1.0);
  }

 private:
  uint64_t state_;
};

enum class Wave { kSine, kSaw, kSquare, kTriangle };

// One cycle of each waveform with a given number of harmonics, built on
// first use and kept.
class WaveTables {
 public:
  static constexpr int kSize = 16384;  // large, so linear interpolation stays clean
  const float* Get(Wave wave, int harmonics);

 private:
  std::vector<float> sine_;
  std::map<std::pair<Wave, int>, std::unique_ptr<float[]>> tables_;
};

// A wavetable oscillator at a fixed pitch whose harmonics stay below `ceiling_hz`.
class Oscillator {
 public:
  Oscillator(WaveTables& tables, Wave wave, double hz, double ceiling_hz, double phase = 0.0);
  float Next() {
    // 32-bit phase: the top 14 bits index the table, the rest interpolate.
    const uint32_t i = phase_ >> kFractionBits;
    const float frac = float(phase_ & kFractionMask) * (1.0f / float(kFractionMask + 1));
    const float a = table_[i], b = table_[(i + 1) & (WaveTables::kSize - 1)];
    phase_ += increment_;
    return a + (b - a) * frac;
  }
  // Changes the pitch by a factor (vibrato), keeping the table.
  void SetRatio(double ratio) { increment_ = uint32_t(std::llround(base_increment_ * ratio)); }

 private:
  static constexpr int kFractionBits = 32 - 14;  // WaveTables::kSize is 2^14
  static constexpr uint32_t kFractionMask = (1u << kFractionBits) - 1;
  const float* table_;
  uint32_t phase_, increment_;
  double base_increment_;
};

double MidiToHz(double note);

// Attack-decay-sustain-release amplitude at `t` seconds for a note held
// `held` seconds; the release starts when the note is let go.
struct Adsr {
  float attack = 0.005f, decay = 0.1f, sustain = 0.7f, release = 0.1f;
  float At(float t, float held) const;
  float Length(float held) const { return held + release; }
};

// Topology-preserving state-variable filter (lowpass, bandpass and highpass at once).
class Svf {
 public:
  void Set(double cutoff_hz, double q);
  struct Out {
    float low, band, high;
  };
  Out Process(float x) {
    const float v3 = x - ic2_;
    const float v1 = a1_ * ic1_ + a2_ * v3;
    const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    return {v2, v1, x - k_ * v1 - v2};
  }

 private:
  float k_ = 1, a1_ = 0, a2_ = 0, a3_ = 0, ic1_ = 0, ic2_ = 0;
};

}  // namespace zibo::media

#endif
