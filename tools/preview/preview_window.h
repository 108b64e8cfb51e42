// preview_window.h - zibo-preview's resizable window and its OpenGL
// context, over SDL.
//
// The context is double-buffered RGBA with a depth buffer, in the GL state
// every show context starts with (gl_state.h), with vertical sync where the
// driver offers it. Owns the window and the context; destroy it before
// SDL_Quit. Main thread only.
#ifndef ZIBO_PREVIEW_PREVIEW_WINDOW_H
#define ZIBO_PREVIEW_PREVIEW_WINDOW_H

#include <memory>
#include <string>

struct SDL_Window;

namespace zibo {

struct Viewport;

class PreviewWindow {
 public:
  // A window whose client area is width x height; null with `error` set
  // when SDL's video or the GL context cannot be had.
  static std::unique_ptr<PreviewWindow> Create(int width, int height, std::string* error);
  ~PreviewWindow();
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Where the 4:3 picture goes in the window's present size.
  Viewport PictureViewport() const;
  void Present();
  // Sets the title when it differs from the present one.
  void SetTitle(const std::string& title);

  SDL_Window* window() const { return window_; }

 private:
  PreviewWindow() = default;

  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;  // SDL_GLContext
  std::string title_;
};

}  // namespace zibo

#endif
