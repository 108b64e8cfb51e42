// Placeholder: the schedule is being written.
#include "scenes/scene_schedule.h"
namespace zibo {
int SceneRowAt(int32_t) { return 0; }
bool IsPastShowEnd(int32_t t) { return double(float(t)) > double(kShowEndMs); }
void SceneSchedule::Draw(int32_t, bool) {}
}
