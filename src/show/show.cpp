#include "show/show.h"

#include <GL/gl.h>

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
  for (int i = 0; i < kImageFileCount; ++i) {
    if (!load_tga(kImageFiles[i], show->PictureTexture(i), error)) return nullptr;
  }
  show->textures_.noise_texture = CreateNoiseTexture();
  return show;
}

uint32_t* Show::PictureTexture(int image) {
  if (image == 0) return &textures_.bg_texture;
  if (image == 1) return &textures_.bg2_texture;
  return &textures_.slide_textures[image - 2];  // in kImageFiles' order
}

bool Show::ReloadPicture(int image, const LoadTgaFn& load_tga, std::string* error) {
  uint32_t fresh = 0;
  if (!load_tga(kImageFiles[image], &fresh, error)) return false;
  uint32_t* texture = PictureTexture(image);
  glDeleteTextures(1, texture);
  *texture = fresh;
  // Start-up leaves the noise texture bound; so does a reload.
  glBindTexture(GL_TEXTURE_2D, textures_.noise_texture);
  return true;
}

void Show::Draw(int32_t t, bool h_down) { DrawShowFrame(schedule_, t, h_down); }

void Show::DrawFrame(int32_t t, bool h_down) {
  ClearShowFrame();
  Draw(t, h_down);
}

}  // namespace zibo
