#include "preview_title.h"

#include "preview_keys.h"
#include "scenes/scene_schedule.h"

namespace zibo {

const char* SceneNameAt(int32_t t) {
  const int row = SceneRowAt(t);
  return row == 0 ? "black" : kScheduleRows[row - 1].name;
}

std::string PreviewTitle(const TitleState& s) {
  std::string title = "zibo-preview  " + std::to_string(s.t) + " ms  beat " +
                      std::to_string(BeatAt(s.t)) + "  " + SceneNameAt(s.t) + "  " +
                      (s.paused ? "paused" : s.looping ? "looping" : "playing");
  if (s.loop_from_ms >= 0 || s.loop_to_ms >= 0) {
    auto bound = [](int32_t ms) { return ms < 0 ? std::string("?") : std::to_string(ms); };
    title += "  loop " + bound(s.loop_from_ms) + "-" + bound(s.loop_to_ms) + " ms";
    if (!s.looping) title += " (off)";
  }
  if (!s.problem.empty()) title += "  " + s.problem;
  return title;
}

}  // namespace zibo
