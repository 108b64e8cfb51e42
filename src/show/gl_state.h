// gl_state.h - the GL state every show context starts with, and the 2D
// space every frame draws in. Needs a current GL context; calls GL only.
#ifndef ZIBO_SHOW_GL_STATE_H
#define ZIBO_SHOW_GL_STATE_H

namespace zibo {

// Viewport (0, 0, width, height), a 45-degree perspective projection
// (aspect 4/3 in single precision, near 0.1, far 100) left in
// GL_PROJECTION mode, clear colour (0, 0, 0, 0), depth test on with
// GL_LESS, culling off, blend function SRC_ALPHA / ONE_MINUS_SRC_ALPHA with
// blending off. The window uses 800x600; capture may use other sizes.
void SetInitialGlState(int viewport_width, int viewport_height);

// Projection glOrtho(0, 640, 0, 480, -1, 1), identity modelview; leaves
// the matrix mode at GL_MODELVIEW.
void BeginScreenSpace();

}  // namespace zibo

#endif
