#include "show/show.h"

#include "show/show_frame.h"
#include "show/show_media.h"
#include "textures/texture_upload.h"

namespace zibo {

std::string MediaPath(const std::string& media_dir, const char* name) {
  if (media_dir.empty() || media_dir == ".") return name;
  if (media_dir.back() == '/') return media_dir + name;
  return media_dir + "/" + name;
}

LoadTgaFn TgaFilesIn(const std::string& media_dir) {
  return [media_dir](const char* name, uint32_t* texture, std::string* error) {
    return LoadTgaTexture(MediaPath(media_dir, name).c_str(), texture, error);
  };
}

std::unique_ptr<Show> Show::Load(const LoadTgaFn& load_tga, SpectrumSource& spectrum,
                                 std::string* error) {
  std::unique_ptr<Show> show(new Show(spectrum));
  ShowTextures& textures = show->textures_;
  uint32_t* const slots[kImageFileCount] = {
      &textures.bg_texture,        &textures.bg2_texture,       &textures.slide_textures[0],
      &textures.slide_textures[1], &textures.slide_textures[2], &textures.slide_textures[3],
      &textures.slide_textures[4], &textures.slide_textures[5], &textures.slide_textures[6]};
  for (int i = 0; i < kImageFileCount; ++i) {
    if (!load_tga(kImageFiles[i], slots[i], error)) return nullptr;
  }
  textures.noise_texture = CreateNoiseTexture();
  return show;
}

void Show::Draw(int32_t t, bool h_down) { DrawShowFrame(schedule_, t, h_down); }

void Show::DrawFrame(int32_t t, bool h_down) {
  ClearShowFrame();
  Draw(t, h_down);
}

}  // namespace zibo
