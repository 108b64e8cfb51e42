#include "shared_picture.h"

#include "scenes/scene_schedule.h"

namespace zibo {
namespace {

// Upper bound of the filling bar's row: 40 beats in single precision.
constexpr double kBarFillEndMs = 17142.857421875;

constexpr uint32_t kNothingDrawn = 1;

}  // namespace

int LoadingBarStep(int32_t t) {
  // Divided first, then multiplied, in double precision, as the schedule does.
  return int(double(float(t)) / kBarFillEndMs * 16.0);
}

uint32_t SharedPictureKey(int32_t t) {
  const int row = SceneRowAt(t);
  switch (row) {
    case 0:
      return kNothingDrawn;
    case 1:
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
