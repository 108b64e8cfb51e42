#include "show/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace zibo {

void SetInitialGlState(int viewport_width, int viewport_height) {
  glViewport(0, 0, viewport_width, viewport_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(4.0f / 3.0f), 0.1, 100.0);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glDepthFunc(GL_LESS);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void BeginScreenSpace() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace zibo
