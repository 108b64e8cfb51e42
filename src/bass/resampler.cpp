#include "bass/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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
  size_t in_frames = in.size() / size_t(channels);
  if (in_rate == out_rate) {
    out->assign(in.begin(), in.begin() + long(in_frames * channels));
    return;
  }
  const Kernel kernel(in_rate, out_rate);
  const long long reach = (long long)std::ceil(kernel.reach);
  const size_t out_frames = ResampledFrameCount(in_frames, in_rate, out_rate);
  out->assign(out_frames * size_t(channels), 0.0f);
  std::vector<double> acc(static_cast<size_t>(channels));
  for (size_t i = 0; i < out_frames; ++i) {
    // Source position of output frame i, split exactly into whole + fraction.
    uint64_t num = uint64_t(i) * uint64_t(in_rate);
    long long whole = (long long)(num / uint64_t(out_rate));
    double frac = double(num % uint64_t(out_rate)) / out_rate;
    std::fill(acc.begin(), acc.end(), 0.0);
    long long first = std::max(0LL, whole - reach + 1);
    long long last = std::min((long long)in_frames - 1, whole + reach);
    for (long long j = first; j <= last; ++j) {
      float h = kernel.At(double(j - whole) - frac);
      if (h == 0) continue;
      const float* frame = &in[size_t(j) * size_t(channels)];
      for (int c = 0; c < channels; ++c) acc[size_t(c)] += double(h) * frame[c];
    }
    float* dst = &(*out)[i * size_t(channels)];
    for (int c = 0; c < channels; ++c) dst[c] = float(acc[size_t(c)]);
  }
}

}  // namespace zibo::bass
