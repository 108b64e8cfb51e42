#include "frame_renderer.h"

#include "show/show_music.h"

namespace zibo {

std::unique_ptr<FrameRenderer> FrameRenderer::Create(const std::string& media_dir, int width,
                                                     int height, bool hold_h,
                                                     std::string* error) {
  std::unique_ptr<FrameRenderer> renderer(new FrameRenderer);
  renderer->hold_h_ = hold_h;
  renderer->gl_ = OffscreenGl::Create(width, height, error);
  if (!renderer->gl_) return nullptr;
  if (!DecodeShowMusic(media_dir, &renderer->music_, error)) return nullptr;
  renderer->spectrum_.reset(new MusicSpectrum(renderer->music_));
  renderer->show_ = Show::Load(TgaFilesIn(media_dir), *renderer->spectrum_, error);
  if (!renderer->show_) return nullptr;
  return renderer;
}

bool FrameRenderer::Render(int32_t t, std::vector<uint8_t>* rgba_bottom_up, std::string* error) {
  spectrum_->SetTimeMs(t);
  show_->DrawFrame(t, hold_h_);
  return gl_->ReadPixelsBottomUp(rgba_bottom_up, error);
}

}  // namespace zibo
