// offscreen_gl.h - a GL context without a display, for tests, benchmarks
// and capture.
//
// Uses SDL's "offscreen" video driver (EGL on Mesa): a hidden window of the
// requested size with a double-buffered RGBA context and a depth buffer,
// made current on the calling thread, with SetInitialGlState applied.
// One instance per process at a time; it owns SDL's video subsystem.
#ifndef ZIBO_SHELL_OFFSCREEN_GL_H
#define ZIBO_SHELL_OFFSCREEN_GL_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zibo {

class OffscreenGl {
 public:
  // Returns null and fills `error` when no context can be had.
  static std::unique_ptr<OffscreenGl> Create(int width, int height, std::string* error);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Reads the back buffer as RGBA bytes, top row first.
  void ReadPixelsTopDown(std::vector<uint8_t>* rgba) const;
  // Reads the back buffer as RGBA bytes in GL order (bottom row first).
  void ReadPixelsBottomUp(std::vector<uint8_t>* rgba) const;

 private:
  OffscreenGl() = default;
  int width_ = 0;
  int height_ = 0;
  void* window_ = nullptr;   // SDL_Window*
  void* context_ = nullptr;  // SDL_GLContext
};

}  // namespace zibo

#endif
