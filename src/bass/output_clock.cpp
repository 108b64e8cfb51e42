#include "bass/output_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace zibo::bass {
namespace {
// Loop bandwidth in Hz: wide at first, to lock onto the device's true rate
// quickly, then narrowing so that scheduling jitter of a few milliseconds is
// averaged away.
constexpr double kWideBandwidthHz = 1.0;
constexpr double kNarrowBandwidthHz = 0.2;
constexpr double kPi = 3.14159265358979323846;
}  // namespace

double MonotonicSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void OutputClock::Reset(int rate, int block_frames) {
  rate_ = rate > 0 ? rate : 44100;
  block_frames_ = block_frames > 0 ? block_frames : 1024;
  locked_ = false;
}

void OutputClock::OnBlock(int64_t first, int frames, double now) {
  if (frames <= 0) return;
  const double nominal = double(frames) / rate_;
  if (!locked_) {
    // First block after a (re)start: trust the nominal rate.
    locked_ = true;
    period_ = nominal;
    locked_since_ = now;
    frames_since_lock_ = 0;
    t0_ = now;
    t1_ = now + period_;
  } else {
    double expected_period = period_ * frames / std::max(frames_, 1);
    double error = now - t1_;
    if (error > 2 * expected_period) {
      // A stall: the device resumes later, at its old rate. Take the new
      // phase at once rather than run ahead of it while creeping back.
      t0_ = now;
      t1_ = now + expected_period;
      period_ = expected_period;
    } else if (error < -2 * expected_period && frames_since_lock_ >= 8 * int64_t(frames)) {
      // Blocks keep coming far faster than we think (a device that does not
      // pace itself in real time): restart from the average rate so far.
      // A short burst, as when a driver fills its buffer at start-up, is
      // left to the loop instead.
      double average = (now - locked_since_) / double(frames_since_lock_) * frames;
      period_ = average > 0 ? average : nominal;
      t0_ = now;
      t1_ = now + period_;
    } else {
      double locked_for = now - locked_since_;
      double bandwidth =
          std::max(kNarrowBandwidthHz, kWideBandwidthHz / (1 + locked_for));
      double omega = 2 * kPi * bandwidth * expected_period;
      t0_ = t1_;
      t1_ += std::sqrt(2.0) * omega * error + expected_period;
      period_ = expected_period + omega * omega * error;
    }
  }
  // Guard the interpolation in HeardFrame against a degenerate estimate.
  if (!(period_ > 0)) period_ = nominal;
  if (!(t1_ > t0_)) t1_ = t0_ + period_;
  frames_since_lock_ += frames;
  first_ = first;
  frames_ = frames;
}

int64_t OutputClock::HeardFrame(double now, int64_t fallback) const {
  if (!locked_) return fallback;
  const int64_t handed = first_ + frames_;
  double progress = (now - t0_) / (t1_ - t0_) * frames_;
  double heard = double(first_) + progress - block_frames_;
  if (!(heard < double(handed))) return handed;  // also keeps the cast defined
  return int64_t(std::floor(heard));
}

}  // namespace zibo::bass
