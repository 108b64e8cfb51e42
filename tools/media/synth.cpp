// synth.cpp - mixing, wavetables, envelopes and filters.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace zibo::media {

void StereoMix::AddMono(long long at, const float* signal, size_t n, float gain, float pan) {
  const double angle = (double(std::clamp(pan, -1.0f, 1.0f)) + 1.0) * kPiD / 4.0;
  const float gl = gain * float(std::cos(angle)) * float(M_SQRT2);
  const float gr = gain * float(std::sin(angle)) * float(M_SQRT2);
  const long long first = std::max(0LL, -at);
  const long long last = std::min<long long>(static_cast<long long>(n), static_cast<long long>(frames()) - at);
  for (long long i = first; i < last; ++i) {
    left_[size_t(at + i)] += signal[i] * gl;
    right_[size_t(at + i)] += signal[i] * gr;
  }
}

const float* WaveTables::Get(Wave wave, int harmonics) {
  if (wave == Wave::kSine) harmonics = 1;
  harmonics = std::max(1, harmonics);
  auto key = std::make_pair(wave, harmonics);
  auto found = tables_.find(key);
  if (found != tables_.end()) return found->second.get();

  if (sine_.empty()) {
    sine_.resize(kSize);
    for (int i = 0; i < kSize; ++i) sine_[size_t(i)] = float(std::sin(2 * kPiD * i / kSize));
  }
  std::vector<double> sum(kSize, 0.0);
  for (int h = 1; h <= harmonics; ++h) {
    double amp = 0;
    switch (wave) {
      case Wave::kSine: amp = 1; break;
      case Wave::kSaw: amp = 2.0 / (kPiD * h); break;
      case Wave::kSquare: amp = (h & 1) ? 4.0 / (kPiD * h) : 0.0; break;
      case Wave::kTriangle:
        amp = (h & 1) ? 8.0 / (kPiD * kPiD * h * h) * (((h - 1) / 2) % 2 ? -1 : 1) : 0.0;
        break;
    }
    if (amp == 0) continue;
    // Soften the top harmonics a little so the ceiling is not a brick wall.
    const double fade = harmonics > 8 ? std::min(1.0, 1.5 * (1.0 - double(h - 1) / harmonics)) : 1.0;
    for (int i = 0; i < kSize; ++i) sum[size_t(i)] += amp * fade * sine_[size_t((h * i) & (kSize - 1))];
  }
  auto table = std::make_unique<float[]>(kSize);
  for (int i = 0; i < kSize; ++i) table[size_t(i)] = float(sum[size_t(i)]);
  const float* result = table.get();
  tables_.emplace(key, std::move(table));
  return result;
}

Oscillator::Oscillator(WaveTables& tables, Wave wave, double hz, double ceiling_hz, double phase)
    : table_(tables.Get(wave, int(ceiling_hz / std::max(hz, 1.0)))),
      phase_(uint32_t(std::llround((phase - std::floor(phase)) * 4294967296.0) & 0xFFFFFFFFLL)),
      increment_(uint32_t(std::llround(hz / kSampleRate * 4294967296.0))),
      base_increment_(hz / kSampleRate * 4294967296.0) {}

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

float Adsr::At(float t, float held) const {
  auto level = [this](float u) {
    if (u < attack) return u / attack;
    u -= attack;
    if (u < decay) return 1.0f - (1.0f - sustain) * (u / decay);
    return sustain;
  };
  if (t < 0) return 0;
  if (t < held) return level(t);
  const float r = (t - held) / release;
  return r >= 1 ? 0.0f : level(held) * (1.0f - r) * (1.0f - r);
}

void Svf::Set(double cutoff_hz, double q) {
  const double fc = std::clamp(cutoff_hz, 10.0, 0.49 * kSampleRate);
  const double g = std::tan(kPiD * fc / kSampleRate);
  k_ = float(1.0 / q);
  a1_ = float(1.0 / (1.0 + g * (g + k_)));
  a2_ = float(g * a1_);
  a3_ = float(g * a2_);
}

}  // namespace zibo::media
