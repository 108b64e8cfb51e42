#include "show/show_frame.h"

#include <GL/gl.h>

#include "show/gl_state.h"

namespace zibo {

void ClearShowFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void DrawShowFrame(SceneSchedule& schedule, int32_t t, bool h_down) {
  BeginScreenSpace();
  glDisable(GL_DEPTH_TEST);
  schedule.Draw(t, h_down);
}

void FinishShowFrame() { glFinish(); }

}  // namespace zibo
