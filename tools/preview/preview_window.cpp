#include "preview_window.h"

#include <SDL.h>

#include "show/letterbox.h"
#include "show/gl_state.h"

namespace zibo {

std::unique_ptr<PreviewWindow> PreviewWindow::Create(int width, int height, std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = std::string("no video: ") + SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<PreviewWindow> w(new PreviewWindow);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  w->window_ = SDL_CreateWindow("zibo-preview", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
  if (w->window_) w->context_ = SDL_GL_CreateContext(w->window_);
  if (!w->context_ || SDL_GL_MakeCurrent(w->window_, w->context_) != 0) {
    *error = std::string("no OpenGL window: ") + SDL_GetError();
    return nullptr;
  }
  SDL_GL_SetSwapInterval(1);  // where the driver allows it
  SetInitialGlState(width, height);
  return w;
}

PreviewWindow::~PreviewWindow() {
  if (context_) SDL_GL_DeleteContext(context_);
  if (window_) SDL_DestroyWindow(window_);
}

Viewport PreviewWindow::PictureViewport() const {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  return Letterbox(width, height);
}

void PreviewWindow::Present() { SDL_GL_SwapWindow(window_); }

void PreviewWindow::SetTitle(const std::string& title) {
  if (title == title_) return;
  title_ = title;
  SDL_SetWindowTitle(window_, title.c_str());
}

}  // namespace zibo
