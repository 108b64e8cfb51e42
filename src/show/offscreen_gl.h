// offscreen_gl.h - a GL context without a display, for tests, benchmarks
// and capture.
//
// Uses SDL's "offscreen" video driver (EGL on Mesa): a hidden window of the
// requested size with an RGBA 8/8/8/8 context and a depth buffer (double
// buffering is asked for; the driver's EGL pbuffer may give one buffer),
// made current on the calling thread, with SetInitialGlState applied.
// The depth buffer is 32 bits where offered (Mesa's llvmpipe does), else
// the nearest size, 24 or 16. One instance per process at a time; it owns SDL's video subsystem
// from Create to destruction. The thread that created it uses it.
#ifndef ZIBO_SHOW_OFFSCREEN_GL_H
#define ZIBO_SHOW_OFFSCREEN_GL_H

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

  int depth_bits() const { return depth_bits_; }

  // Reads the drawn buffer as RGBA bytes, top row first. On a GL error
  // returns false, empties `rgba` and describes it in `error` if given.
  bool ReadPixelsTopDown(std::vector<uint8_t>* rgba, std::string* error = nullptr) const;
  // Reads the drawn buffer as RGBA bytes in GL order (bottom row first).
  bool ReadPixelsBottomUp(std::vector<uint8_t>* rgba, std::string* error = nullptr) const;

 private:
  OffscreenGl() = default;
  int width_ = 0;
  int height_ = 0;
  int depth_bits_ = 0;
  bool video_ = false;       // SDL's video subsystem was started by Create
  bool hint_ = false;        // the video driver hint was set by Create
  void* window_ = nullptr;   // SDL_Window*
  void* context_ = nullptr;  // SDL_GLContext
};

}  // namespace zibo

#endif
