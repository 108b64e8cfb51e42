// frame_renderer.h - draws the show's frame for a music time, offscreen.
//
// Sets the show up the way the live show does, in its order: a GL context
// (here without a display, at the capture size), the music (decoded whole,
// for the noise scene's spectrum), then "bg.tga", "bg2.tga", the slides
// s1.tga to s7.tga and the noise texture. Each frame is cleared and drawn
// by the live show's own frame drawing (show_frame.h), then read back.
// Owns its GL context: create, use and destroy it on one thread.
#ifndef ZIBO_CAPTURE_FRAME_RENDERER_H
#define ZIBO_CAPTURE_FRAME_RENDERER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bass/audio_decoder.h"
#include "music_spectrum.h"
#include "scenes/scene_schedule.h"
#include "shell/offscreen_gl.h"

namespace zibo {

// The music's file name and the rate it is decoded at (the live output's).
constexpr const char* kMusicFileName = "disco.mp3";
constexpr int kMusicRate = 44100;
constexpr int kMusicChannels = 2;

// `name` inside `media_dir`; just `name` for the current directory ".", so
// that messages name the file the way the show does.
std::string MediaPath(const std::string& media_dir, const char* name);

class FrameRenderer {
 public:
  // Returns null with `error` set (e.g. "bg.tga: No such file or
  // directory") when the context, the music or a picture cannot be had.
  static std::unique_ptr<FrameRenderer> Create(const std::string& media_dir, int width,
                                               int height, bool hold_h, std::string* error);
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  int width() const { return gl_->width(); }
  int height() const { return gl_->height(); }

  // Draws music time t and reads the picture back as RGBA, bottom row first
  // (GL order). False with `error` set on a GL failure.
  bool Render(int32_t t, std::vector<uint8_t>* rgba_bottom_up, std::string* error);

 private:
  FrameRenderer() = default;

  std::unique_ptr<OffscreenGl> gl_;
  DecodedAudio music_;
  std::unique_ptr<MusicSpectrum> spectrum_;
  ShowTextures textures_;
  std::unique_ptr<SceneSchedule> schedule_;
  bool hold_h_ = false;
};

}  // namespace zibo

#endif
