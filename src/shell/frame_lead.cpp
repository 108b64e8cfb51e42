#include "shell/frame_lead.h"

#include <algorithm>
#include <cmath>

namespace zibo {
namespace {

// Each frame moves the averages by this share of its difference: a few
// dozen frames settle them, and single frames barely move them.
constexpr double kWeight = 1.0 / 16;

void Average(double sample, double* average, bool* measured) {
  sample = std::clamp(sample, 0.0, FrameLead::kMaxSeconds);
  *average = *measured ? *average + kWeight * (sample - *average) : sample;
  *measured = true;
}

}  // namespace

void FrameLead::Started(double now) {
  if (last_started_ >= 0) Average(now - last_started_ - held_, &between_, &measured_between_);
  last_started_ = started_ = now;
  held_ = 0;
  held_until_ = -1;
}

void FrameLead::Held(double from, double until) {
  if (started_ < 0) return;
  held_ = std::max(0.0, until - from);
  held_until_ = until;
}

void FrameLead::Shown(double now) {
  if (started_ < 0) return;
  Average(now - started_ - held_, &to_screen_, &measured_screen_);
  if (held_until_ >= 0) Average(now - held_until_, &present_, &measured_present_);
  started_ = -1;
}

int32_t FrameLead::Ms() const {
  return int32_t(std::lround((to_screen_ + between_ / 2) * 1000));
}

int32_t FrameLead::ReachMs() const { return int32_t(std::lround((to_screen_ + between_) * 1000)); }

int32_t FrameLead::PresentMs() const { return int32_t(std::lround(present_ * 1000)); }

}  // namespace zibo
