#include "shared_picture.h"

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

}  // namespace zibo
