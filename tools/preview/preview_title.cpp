#include "preview_title.h"

#include "preview_keys.h"
#include "scenes/scene_schedule.h"

namespace zibo {

const char* SceneNameAt(int32_t t) {
  static const char* const kRowNames[] = {
      "black",   "loading bar", "emptying bar",   "slide s1", "slide s2", "slide s3", "slide s4",
      "dancer",  "slide s5",    "hanging dancer", "slide s6", "noise",    "strobe"};
  return kRowNames[SceneRowAt(t)];
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
