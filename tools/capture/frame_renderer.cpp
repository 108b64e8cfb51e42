#include "frame_renderer.h"

#include <GL/gl.h>

#include "box_filter.h"
#include "show/letterbox.h"
#include "show/show_music.h"

namespace zibo {

std::unique_ptr<FrameRenderer> FrameRenderer::Create(const std::string& media_dir, int width,
                                                     int height, bool hold_h, std::string* error,
                                                     Framing framing) {
  std::unique_ptr<FrameRenderer> renderer(new FrameRenderer);
  renderer->hold_h_ = hold_h;
  renderer->width_ = width;
  renderer->height_ = height;
  const int n = renderer->supersample_ = framing.supersample;
  const std::string drawn = std::to_string(width * n) + "x" + std::to_string(height * n) +
                            " (" + std::to_string(width) + "x" + std::to_string(height) +
                            " supersampled " + std::to_string(n) + " times)";
  renderer->gl_ = OffscreenGl::Create(width * n, height * n, error);
  if (!renderer->gl_) {
    if (n > 1) *error += "\n  the picture is drawn at " + drawn;
    return nullptr;
  }
  GLint most[2] = {0, 0};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
  if (width * n > most[0] || height * n > most[1]) {
    *error = "offscreen GL: a picture drawn at " + drawn + " is larger than the " +
             std::to_string(most[0]) + "x" + std::to_string(most[1]) + " this GL can draw";
    return nullptr;
  }
  // The bars are placed at the frame's size, so that supersampling never
  // blends a bar into the picture's edge pixels.
  if (!framing.stretch) {
    const Viewport v = Letterbox(width, height);
    glViewport(v.x * n, v.y * n, v.width * n, v.height * n);
  }
  if (!DecodeShowMusic(media_dir, &renderer->music_, error)) return nullptr;
  renderer->spectrum_.reset(new MusicSpectrum(renderer->music_));
  renderer->show_ = Show::Load(TgaFilesIn(media_dir), *renderer->spectrum_, error);
  if (!renderer->show_) return nullptr;
  return renderer;
}

bool FrameRenderer::Render(int32_t t, std::vector<uint8_t>* rgba_bottom_up, std::string* error) {
  spectrum_->SetTimeMs(t);
  show_->DrawFrame(t, hold_h_);
  if (supersample_ == 1) return gl_->ReadPixelsBottomUp(rgba_bottom_up, error);
  if (!gl_->ReadPixelsBottomUp(&large_, error)) return false;
  BoxReduce(large_.data(), width_, height_, supersample_, rgba_bottom_up);
  return true;
}

}  // namespace zibo
