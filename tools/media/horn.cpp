// horn.cpp - two reedy tones a major third apart, like a car's twin horn.
#include "horn.h"

#include <algorithm>
#include <cmath>

#include "synth.h"

namespace zibo::media {

std::vector<float> RenderHorn() {
  const size_t n = size_t(kHornSeconds * kSampleRate);
  std::vector<float> out(n);
  WaveTables tables;
  Oscillator low(tables, Wave::kSquare, 370.0, 6000.0);
  Oscillator high(tables, Wave::kSquare, 466.2, 6000.0, 0.3);
  Svf body;
  body.Set(1800, 1.6);
  for (size_t i = 0; i < n; ++i) {
    const float t = float(i) / kSampleRate;
    const float env = std::min({1.0f, t / 0.015f, (float(kHornSeconds) - t) / 0.05f});
    const float x = 0.5f * low.Next() + 0.5f * high.Next();
    out[i] = std::tanh(2.0f * body.Process(x).low) * 0.8f * std::max(0.0f, env);
  }
  return out;
}

}  // namespace zibo::media
