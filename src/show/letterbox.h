// letterbox.h - where the 4:3 picture goes in a window or frame of any size: as
// large as fits, centred, the rest left black. Pure code; any thread.
#ifndef ZIBO_SHOW_LETTERBOX_H
#define ZIBO_SHOW_LETTERBOX_H

namespace zibo {

// A GL viewport: lower-left corner and size, in pixels.
struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
};

// The largest 4:3 viewport within width x height (rounded to whole pixels,
// at least 1x1), centred.
Viewport Letterbox(int width, int height);

}  // namespace zibo

#endif
