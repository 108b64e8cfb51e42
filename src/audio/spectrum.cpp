#include "audio/spectrum.h"

#include <kiss_fftr.h>

#include <cmath>

namespace zibo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// kissfft keeps scratch space in its configuration, so each thread gets one.
struct FftPlan {
  kiss_fftr_cfg cfg = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
  float window[kFftSize];
  FftPlan() {
    // Periodic Hann window: its coherent gain is exactly 1/2.
    for (int n = 0; n < kFftSize; ++n) {
      window[n] = float(0.5 * (1.0 - std::cos(2.0 * kPi * n / kFftSize)));
    }
  }
  ~FftPlan() { kiss_fftr_free(cfg); }
  FftPlan(const FftPlan&) = delete;
  FftPlan& operator=(const FftPlan&) = delete;
};

FftPlan& ThreadPlan() {
  thread_local FftPlan plan;
  return plan;
}

}  // namespace

void ComputeSpectrum512(const float* mono, float* out) {
  FftPlan& plan = ThreadPlan();
  if (!plan.cfg || !mono) {
    for (int k = 0; k < kFftBins; ++k) out[k] = 0;
    return;
  }
  kiss_fft_scalar windowed[kFftSize];
  for (int n = 0; n < kFftSize; ++n) windowed[n] = mono[n] * plan.window[n];
  kiss_fft_cpx bins[kFftSize / 2 + 1];
  kiss_fftr(plan.cfg, windowed, bins);
  for (int k = 0; k < kFftBins; ++k) {
    double re = bins[k].r, im = bins[k].i;
    out[k] = float(2.0 * std::sqrt(re * re + im * im) / kFftSize);
  }
}

long long FirstFrameAtMs(long long music_ms, int rate) {
  if (music_ms <= 0 || rate <= 0) return 0;
  auto ms_of = [rate](long long frame) {
    return (long long)(double(frame * 4) / (double(rate) * 4) * 1000.0);
  };
  // ceil(ms * rate / 1000), then nudged past double rounding at the edges.
  long long frame = (music_ms * rate + 999) / 1000;
  while (ms_of(frame) < music_ms) ++frame;
  while (frame > 0 && ms_of(frame - 1) >= music_ms) --frame;
  return frame;
}

void ComputeSpectrumAt(const float* samples, size_t frames, int channels, long long first,
                       float* out) {
  float mono[kFftSize];
  for (int n = 0; n < kFftSize; ++n) {
    long long frame = first + n;
    if (!samples || channels <= 0 || frame < 0 || (unsigned long long)frame >= frames) {
      mono[n] = 0;
      continue;
    }
    const float* f = samples + size_t(frame) * size_t(channels);
    double sum = 0;
    for (int c = 0; c < channels; ++c) sum += f[c];
    mono[n] = float(sum / channels);
  }
  ComputeSpectrum512(mono, out);
}

}  // namespace zibo
