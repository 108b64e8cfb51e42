#include "scenes/shared_picture.h"

#include <cstdint>

#include "scenes/scene_schedule.h"

namespace zibo {
namespace {

constexpr uint32_t kNothingDrawn = 1;

}  // namespace

uint32_t SharedPictureKey(int32_t t) {
  const int row = SceneRowAt(t);
  if (row == 0) return kNothingDrawn;
  const uint32_t row_key = uint32_t(row) * 100;
  switch (kScheduleRows[row - 1].motion) {
    case Motion::kStill:
      return row_key;
    case Motion::kBarSteps:  // drawn LoadingBarStep(t) / 16 full
      return row_key + uint32_t(LoadingBarStep(t));
    case Motion::kStrobing:
      return row_key + (StrobeInverted(t) ? 1 : 0);
    case Motion::kMoving:
      break;
  }
  return 0;
}

int32_t NextPictureChange(int32_t t, int32_t horizon) {
  const uint32_t key = SharedPictureKey(t);
  if (key == 0) return -1;
  // Pictures hold for 50 ms or more and horizons are a frame or two long,
  // so a walk over whole milliseconds is cheap.
  for (int32_t d = 1; d <= horizon; ++d) {
    if (t > INT32_MAX - d) break;
    if (SharedPictureKey(t + d) != key) return t + d;
  }
  return -1;
}

}  // namespace zibo
