#include "shared_picture.h"

#include "scenes/scene_schedule.h"

namespace zibo {
namespace {

constexpr uint32_t kNothingDrawn = 1;

}  // namespace

uint32_t SharedPictureKey(int32_t t) {
  const int row = SceneRowAt(t);
  switch (row) {
    case 0:
      return kNothingDrawn;
    case 1:  // drawn LoadingBarStep(t) / 16 full
      return 100 + uint32_t(LoadingBarStep(t));
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
    case 10:
      return uint32_t(row) * 100;
    case 12:
      return 1200 + (t % 100 < 50 ? 1 : 0);
    default:
      return 0;
  }
}

}  // namespace zibo
