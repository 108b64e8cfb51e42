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
  if (last_started_ >= 0) Average(now - last_started_, &between_, &measured_between_);
  last_started_ = started_ = now;
}

void FrameLead::Waited(double now) {
  if (started_ < 0) return;
  last_started_ = started_ = now;
}

void FrameLead::Shown(double now) {
  if (started_ < 0) return;
  Average(now - started_, &to_screen_, &measured_screen_);
  started_ = -1;
}

int32_t FrameLead::Ms() const {
  return int32_t(std::lround((to_screen_ + between_ / 2) * 1000));
}

int32_t FrameLead::ToScreenMs() const { return int32_t(std::lround(to_screen_ * 1000)); }

int32_t FrameLead::ReachMs() const { return int32_t(std::lround((to_screen_ + between_) * 1000)); }

}  // namespace zibo
