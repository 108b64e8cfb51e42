// preview_title.h - the text of zibo-preview's window title, e.g.
// "zibo-preview  25318 ms  beat 59  slide s1  paused". Pure code; any thread.
#ifndef ZIBO_PREVIEW_PREVIEW_TITLE_H
#define ZIBO_PREVIEW_PREVIEW_TITLE_H

#include <cstdint>
#include <string>

namespace zibo {

struct TitleState {
  int32_t t = 0;  // the music time of the picture on screen
  bool paused = false;
  bool looping = false;
  int32_t loop_from_ms = -1;  // -1: not set
  int32_t loop_to_ms = -1;
  std::string problem;  // why a changed file is not in use, or ""
};

// The scene drawn at music time t: its schedule row's name ("loading bar",
// "slide s1", ...), or "black" before the first row and after the last.
const char* SceneNameAt(int32_t t);

// Time, beat, scene and state (paused, looping or playing); then the loop's
// bounds where set, and the problem if there is one.
std::string PreviewTitle(const TitleState& state);

}  // namespace zibo

#endif
