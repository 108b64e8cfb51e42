// gl_window.h - the show's one window and its OpenGL context, over SDL.
//
// Constructing a GlWindow sets `quit` to 0, opens an 800x600 window titled
// "zibo" (fullscreen with a real 800x600x32 display-mode switch, or
// windowed, topmost and centred), creates a double-buffered RGBA context
// with a depth buffer, makes it current, applies the initial GL state and
// asks for vertical sync. Any failure is reported under the caption "Damn"
// with the failing step's name and ends the process (status 1). The
// destructor destroys the window and puts the desktop's display mode back.
// Main thread only.
#ifndef ZIBO_SHELL_GL_WINDOW_H
#define ZIBO_SHELL_GL_WINDOW_H

#include <cstdint>

struct SDL_Window;

namespace zibo {

// 0 while the show goes on; 1 once the window has been asked to close.
extern int32_t quit;

class GlWindow {
 public:
  explicit GlWindow(bool fullscreen);
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // Takes and handles at most one pending event; never waits.
  void PumpMessage();
  void BeginScreenSpace();
  // Presents the frame: a buffer swap, paced by the display where the
  // driver allows it. A single-buffered drawable (display-less drivers)
  // only has its drawing finished.
  void SwapFrame();
  // True when SwapFrame waits for the display's refresh (vertical sync was
  // granted); frames then reach the screen only at refreshes.
  bool PacedByDisplay() const { return paced_by_display_; }
  uint32_t CreateMipmappedTexture(int32_t width, int32_t height, const uint8_t* rgba);
  // Reports an unreadable file under "Damn" and ends the process.
  uint32_t LoadTgaTexture(const char* path);

  SDL_Window* window() const { return window_; }

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;  // SDL_GLContext
  bool fullscreen_ = false;
  bool double_buffered_ = true;
  bool paced_by_display_ = false;
};

}  // namespace zibo

#endif
