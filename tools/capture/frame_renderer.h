// frame_renderer.h - draws the show's frame for a music time, offscreen.
//
// Sets the show up the way the live show does, in its order: a GL context
// (here without a display, at the capture size), the music (decoded whole,
// for the noise scene's spectrum), then the show's pictures and noise
// texture (show.h). Each frame is cleared and drawn by the live show's own
// frame drawing, then read back. A frame whose sides are not 4:3 gets the
// 4:3 picture as large as fits, centred, with black bars (as the preview
// draws it), unless it is stretched. A supersampled frame is drawn at n
// times the width and height and shrunk by a box filter (box_filter.h);
// the renderer keeps one read-back buffer of that larger size.
// Owns its GL context: create, use and destroy it on one thread.
#ifndef ZIBO_CAPTURE_FRAME_RENDERER_H
#define ZIBO_CAPTURE_FRAME_RENDERER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "music_spectrum.h"
#include "show/offscreen_gl.h"
#include "show/show.h"

namespace zibo {

// How the 4:3 picture fills the frame.
struct Framing {
  int supersample = 1;   // 1..4: drawn at this multiple of the frame's sides
  bool stretch = false;  // fill the whole frame, whatever its sides
};

class FrameRenderer {
 public:
  // Returns null with `error` set (e.g. "bg.tga: No such file or
  // directory") when the context, the music or a picture cannot be had.
  static std::unique_ptr<FrameRenderer> Create(const std::string& media_dir, int width,
                                               int height, bool hold_h, std::string* error,
                                               Framing framing = Framing());
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Draws music time t and reads the picture back as RGBA, bottom row first
  // (GL order). False with `error` set on a GL failure.
  bool Render(int32_t t, std::vector<uint8_t>* rgba_bottom_up, std::string* error);

 private:
  FrameRenderer() = default;

  std::unique_ptr<OffscreenGl> gl_;
  DecodedAudio music_;
  std::unique_ptr<MusicSpectrum> spectrum_;
  std::unique_ptr<Show> show_;
  bool hold_h_ = false;
  int width_ = 0, height_ = 0;
  int supersample_ = 1;
  std::vector<uint8_t> large_;  // the supersampled picture, before shrinking
};

}  // namespace zibo

#endif
