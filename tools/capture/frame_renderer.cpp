#include "frame_renderer.h"

#include "shell/show_frame.h"
#include "textures/texture_upload.h"

namespace zibo {

std::string MediaPath(const std::string& media_dir, const char* name) {
  if (media_dir.empty() || media_dir == ".") return name;
  if (media_dir.back() == '/') return media_dir + name;
  return media_dir + "/" + name;
}

std::unique_ptr<FrameRenderer> FrameRenderer::Create(const std::string& media_dir, int width,
                                                     int height, bool hold_h,
                                                     std::string* error) {
  std::unique_ptr<FrameRenderer> renderer(new FrameRenderer);
  renderer->hold_h_ = hold_h;
  renderer->gl_ = OffscreenGl::Create(width, height, error);
  if (!renderer->gl_) return nullptr;

  const std::string music_path = MediaPath(media_dir, kMusicFileName);
  std::string message;
  if (DecodeAudioFile(music_path.c_str(), kMusicRate, kMusicChannels, &renderer->music_,
                      &message) != 0) {
    if (message.empty()) message = "cannot be decoded";
    *error = message.compare(0, music_path.size(), music_path) == 0
                 ? message
                 : music_path + ": " + message;
    return nullptr;
  }
  renderer->spectrum_.reset(new MusicSpectrum(renderer->music_));

  ShowTextures& textures = renderer->textures_;
  static const char* const kSlides[7] = {"s1.tga", "s2.tga", "s3.tga", "s4.tga",
                                         "s5.tga", "s6.tga", "s7.tga"};
  if (!LoadTgaTexture(MediaPath(media_dir, "bg.tga").c_str(), &textures.bg_texture, error) ||
      !LoadTgaTexture(MediaPath(media_dir, "bg2.tga").c_str(), &textures.bg2_texture, error)) {
    return nullptr;
  }
  for (int i = 0; i < 7; ++i) {
    if (!LoadTgaTexture(MediaPath(media_dir, kSlides[i]).c_str(), &textures.slide_textures[i],
                        error)) {
      return nullptr;
    }
  }
  textures.noise_texture = CreateNoiseTexture();
  renderer->schedule_.reset(new SceneSchedule(textures, *renderer->spectrum_));
  return renderer;
}

bool FrameRenderer::Render(int32_t t, std::vector<uint8_t>* rgba_bottom_up, std::string* error) {
  ClearShowFrame();
  spectrum_->SetTimeMs(t);
  DrawShowFrame(*schedule_, t, hold_h_);
  return gl_->ReadPixelsBottomUp(rgba_bottom_up, error);
}

}  // namespace zibo
