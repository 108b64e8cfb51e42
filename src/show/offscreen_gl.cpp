#include "show/offscreen_gl.h"

#include <cstring>
#include <string>

#include <GL/gl.h>
#include <SDL.h>

#include "show/gl_state.h"

namespace zibo {
namespace {

constexpr const char* kDriver = "offscreen";

// Depth sizes tried in turn: the show asks for 32 bits; drivers that stop
// at 24 get the nearest one offered.
constexpr int kDepthSizes[] = {32, 24, 16};

std::string SdlFailure(const std::string& asked) {
  return asked + " failed: " + SDL_GetError();
}

bool SetAttribute(SDL_GLattr attr, int value, const char* name, std::string* error) {
  if (SDL_GL_SetAttribute(attr, value) != 0) {
    *error = SdlFailure(std::string("SDL_GL_SetAttribute(") + name + ", " + std::to_string(value) + ")");
    return false;
  }
  return true;
}

bool SetColourAttributes(int depth, std::string* error) {
  return SetAttribute(SDL_GL_DOUBLEBUFFER, 1, "SDL_GL_DOUBLEBUFFER", error) &&
         SetAttribute(SDL_GL_RED_SIZE, 8, "SDL_GL_RED_SIZE", error) &&
         SetAttribute(SDL_GL_GREEN_SIZE, 8, "SDL_GL_GREEN_SIZE", error) &&
         SetAttribute(SDL_GL_BLUE_SIZE, 8, "SDL_GL_BLUE_SIZE", error) &&
         SetAttribute(SDL_GL_ALPHA_SIZE, 8, "SDL_GL_ALPHA_SIZE", error) &&
         SetAttribute(SDL_GL_DEPTH_SIZE, depth, "SDL_GL_DEPTH_SIZE", error) &&
         SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY,
                      "SDL_GL_CONTEXT_PROFILE_MASK", error);
}

}  // namespace

std::unique_ptr<OffscreenGl> OffscreenGl::Create(int width, int height, std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "offscreen GL: size " + std::to_string(width) + "x" + std::to_string(height) +
             " is not positive";
    return nullptr;
  }
  std::unique_ptr<OffscreenGl> gl(new OffscreenGl);
  // The offscreen driver must win over any SDL_VIDEODRIVER in the
  // environment, until this context is gone.
  if (!SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, kDriver, SDL_HINT_OVERRIDE)) {
    *error = SdlFailure("SDL_SetHint(SDL_HINT_VIDEODRIVER, offscreen)");
    return nullptr;
  }
  gl->hint_ = true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = SdlFailure("SDL_InitSubSystem(SDL_INIT_VIDEO) with the offscreen driver");
    return nullptr;
  }
  gl->video_ = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, kDriver) != 0) {
    *error = std::string("SDL video driver: asked for offscreen, got ") + (driver ? driver : "none");
    return nullptr;
  }

  std::string attempts;
  for (int depth : kDepthSizes) {
    if (!SetColourAttributes(depth, error)) return nullptr;
    SDL_Window* window = SDL_CreateWindow("zibo offscreen", 0, 0, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
      attempts += SdlFailure("\n  SDL_CreateWindow(" + std::to_string(width) + "x" +
                             std::to_string(height) + ", depth " + std::to_string(depth) + ")");
      continue;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
      attempts += SdlFailure("\n  SDL_GL_CreateContext(depth " + std::to_string(depth) + ")");
      SDL_DestroyWindow(window);
      continue;
    }
    gl->window_ = window;
    gl->context_ = context;
    break;
  }
  if (!gl->context_) {
    *error = "offscreen GL: no context with RGBA 8/8/8/8, double buffer and a depth buffer:" +
             attempts;
    return nullptr;
  }
  if (SDL_GL_MakeCurrent(static_cast<SDL_Window*>(gl->window_), gl->context_) != 0) {
    *error = SdlFailure("SDL_GL_MakeCurrent");
    return nullptr;
  }

  // What was actually granted; the colour must be 8 bits a channel and the
  // depth buffer at least 16 bits for the pictures to match the window's.
  GLint red = 0, green = 0, blue = 0, depth_bits = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
  if (red != 8 || green != 8 || blue != 8 || depth_bits < 16) {
    *error = "offscreen GL: asked for RGB 8/8/8 with depth 32, got RGB " + std::to_string(red) +
             "/" + std::to_string(green) + "/" + std::to_string(blue) + " with depth " +
             std::to_string(depth_bits);
    return nullptr;
  }
  gl->depth_bits_ = depth_bits;
  gl->width_ = width;
  gl->height_ = height;
  SetInitialGlState(width, height);
  const GLenum gl_error = glGetError();
  if (gl_error != GL_NO_ERROR) {
    *error = "offscreen GL: setting the initial state raised GL error 0x" +
             std::to_string(gl_error);
    return nullptr;
  }
  return gl;
}

OffscreenGl::~OffscreenGl() {
  if (context_) SDL_GL_DeleteContext(context_);
  if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
  if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (hint_) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
}

bool OffscreenGl::ReadPixelsBottomUp(std::vector<uint8_t>* rgba, std::string* error) const {
  rgba->resize(size_t(width_) * size_t(height_) * 4);
  // Read the buffer that drawing goes to: the back buffer of a double-
  // buffered surface, the only one of the single-buffered EGL pbuffer.
  GLint draw_buffer = GL_BACK;
  glGetIntegerv(GL_DRAW_BUFFER, &draw_buffer);
  glReadBuffer(GLenum(draw_buffer));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
  const GLenum gl_error = glGetError();
  if (gl_error != GL_NO_ERROR) {
    if (error) {
      *error = "glReadPixels(" + std::to_string(width_) + "x" + std::to_string(height_) +
               ", GL_RGBA, GL_UNSIGNED_BYTE) raised GL error " + std::to_string(gl_error);
    }
    rgba->clear();
    return false;
  }
  return true;
}

bool OffscreenGl::ReadPixelsTopDown(std::vector<uint8_t>* rgba, std::string* error) const {
  if (!ReadPixelsBottomUp(rgba, error)) return false;
  const size_t row = size_t(width_) * 4;
  std::vector<uint8_t> swap(row);
  for (int y = 0; y < height_ / 2; ++y) {
    uint8_t* top = rgba->data() + size_t(y) * row;
    uint8_t* bottom = rgba->data() + size_t(height_ - 1 - y) * row;
    std::memcpy(swap.data(), top, row);
    std::memcpy(top, bottom, row);
    std::memcpy(bottom, swap.data(), row);
  }
  return true;
}

}  // namespace zibo
