#include "frame_timing.h"

#include <numeric>

namespace zibo {

FrameRate ReducedFrameRate(FrameRate rate) {
  const int64_t divisor = std::gcd(rate.num, rate.den);
  if (divisor > 1) {
    rate.num /= divisor;
    rate.den /= divisor;
  }
  return rate;
}

int32_t FrameTimeMs(int32_t from_ms, FrameRate rate, int64_t index) {
  return int32_t(from_ms + index * 1000 * rate.den / rate.num);
}

int64_t FrameCount(int32_t from_ms, int32_t to_ms, FrameRate rate) {
  if (to_ms <= from_ms) return 0;
  // floor(i * 1000 * den / num) < span  <=>  i * 1000 * den < span * num,
  // so the count is ceil(span * num / (1000 * den)).
  const int64_t span = int64_t(to_ms) - from_ms;
  const int64_t step = 1000 * rate.den;
  return (span * rate.num + step - 1) / step;
}

double FramesToSeconds(int64_t frames, FrameRate rate) {
  return double(frames) * double(rate.den) / double(rate.num);
}

}  // namespace zibo
