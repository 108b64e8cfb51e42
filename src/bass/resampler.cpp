#include "bass/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace zibo::bass {
namespace {

constexpr int kZeroCrossings = 16;   // sinc lobes on each side of the centre
constexpr int kTableSteps = 512;     // kernel samples per input sample distance
constexpr double kPassband = 0.97;   // cutoff as a fraction of the lower Nyquist
constexpr double kPi = 3.14159265358979323846;

// The kernel h(d) for |d| in input samples, tabulated for d = 0 .. reach.
struct Kernel {
  double cutoff = 1;   // in cycles per input sample, relative to Nyquist
  double reach = 0;    // half-width in input samples
  std::vector<float> table;

  Kernel(int in_rate, int out_rate) {
    cutoff = kPassband * std::min(1.0, double(out_rate) / in_rate);
    reach = kZeroCrossings / cutoff;
    size_t size = size_t(std::ceil(reach * kTableSteps)) + 2;
    table.resize(size);
    for (size_t i = 0; i < size; ++i) {
      double d = double(i) / kTableSteps;
      if (d >= reach) {
        table[i] = 0;
        continue;
      }
      double x = cutoff * d;
      double sinc = x == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
      double t = d / reach;  // 0 .. 1 across the window's half
      double blackman = 0.42 + 0.5 * std::cos(kPi * t) + 0.08 * std::cos(2 * kPi * t);
      table[i] = float(cutoff * sinc * blackman);
    }
  }

  float At(double distance) const {
    double pos = std::fabs(distance) * kTableSteps;
    size_t i = size_t(pos);
    if (i + 1 >= table.size()) return 0;
    float frac = float(pos - double(i));
    return table[i] + (table[i + 1] - table[i]) * frac;
  }
};

}  // namespace

size_t ResampledFrameCount(size_t in_frames, int in_rate, int out_rate) {
  if (in_rate <= 0 || out_rate <= 0) return 0;
  return size_t((uint64_t(in_frames) * uint64_t(out_rate) + uint64_t(in_rate) / 2) /
                uint64_t(in_rate));
}

void ResampleInterleaved(const std::vector<float>& in, int channels, int in_rate, int out_rate,
                         std::vector<float>* out) {
  out->clear();
  if (channels <= 0 || in_rate <= 0 || out_rate <= 0) return;
  const size_t in_frames = in.size() / size_t(channels);
  if (in_rate == out_rate) {
    out->assign(in.begin(), in.begin() + long(in_frames * channels));
    return;
  }
  const Kernel kernel(in_rate, out_rate);
  const long long reach = (long long)std::ceil(kernel.reach);
  const int taps = int(2 * reach);  // input frames whole-reach+1 .. whole+reach
  const size_t out_frames = ResampledFrameCount(in_frames, in_rate, out_rate);
  out->assign(out_frames * size_t(channels), 0.0f);

  // Output frame i sits at input position i * in_rate / out_rate; its
  // fraction takes only out_rate / gcd distinct values (147 for 48 kHz to
  // 44.1 kHz), so the filter taps of each phase are worked out once.
  const uint64_t step = std::gcd(uint64_t(in_rate), uint64_t(out_rate));
  const uint64_t phases = uint64_t(out_rate) / step;
  constexpr uint64_t kMaxTabulatedPhases = 8192;
  const bool tabulated = phases <= kMaxTabulatedPhases;
  std::vector<float> coefficients(size_t(tabulated ? phases : 1) * size_t(taps));
  auto fill_taps = [&](uint64_t phase, float* dst) {
    double frac = double(phase) / double(phases);
    for (int t = 0; t < taps; ++t) dst[t] = kernel.At(double(t - reach + 1) - frac);
  };
  if (tabulated) {
    for (uint64_t p = 0; p < phases; ++p) fill_taps(p, &coefficients[size_t(p) * size_t(taps)]);
  }

  std::vector<double> acc(static_cast<size_t>(channels));
  for (size_t i = 0; i < out_frames; ++i) {
    uint64_t num = uint64_t(i) * uint64_t(in_rate);
    long long whole = (long long)(num / uint64_t(out_rate));
    uint64_t phase = (num % uint64_t(out_rate)) / step;
    const float* h = &coefficients[0];
    if (tabulated) {
      h = &coefficients[size_t(phase) * size_t(taps)];
    } else {
      fill_taps(phase, coefficients.data());
    }
    // Taps that fall outside the input read silence.
    long long first = whole - reach + 1;
    int t_begin = int(std::max(0LL, -first));
    int t_end = int(std::min<long long>(taps, (long long)in_frames - first));
    float* dst = &(*out)[i * size_t(channels)];
    if (channels == 2) {
      double left = 0, right = 0;
      for (int t = t_begin; t < t_end; ++t) {
        const float* frame = &in[size_t(first + t) * 2];
        left += double(h[t]) * frame[0];
        right += double(h[t]) * frame[1];
      }
      dst[0] = float(left);
      dst[1] = float(right);
      continue;
    }
    std::fill(acc.begin(), acc.end(), 0.0);
    for (int t = t_begin; t < t_end; ++t) {
      const float* frame = &in[size_t(first + t) * size_t(channels)];
      for (int c = 0; c < channels; ++c) acc[size_t(c)] += double(h[t]) * frame[c];
    }
    for (int c = 0; c < channels; ++c) dst[c] = float(acc[size_t(c)]);
  }
}

}  // namespace zibo::bass
