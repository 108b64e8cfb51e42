#include "preview_media.h"

#include <GL/gl.h>

#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "music/music_player.h"
#include "show/show_media.h"
#include "textures/texture_upload.h"
#include "transport.h"

namespace zibo {
namespace {

// Why the audio library could not open `path`, e.g. "disco.mp3: Format not
// recognised. (audio error 41)".
std::string AudioProblem(const std::string& path) {
  const char* detail = bass::LastErrorDetail();
  const std::string why = detail && *detail ? detail : path + ": cannot be opened";
  return why + " (audio error " + std::to_string(BASS_ErrorGetCode()) + ")";
}

}  // namespace

float SongSpectrum::SpectrumAt(float fraction) { return StreamSpectrumAt(*song_, fraction); }

PreviewMedia::~PreviewMedia() {
  if (song_) BASS_StreamFree(song_);
  if (effect_) BASS_StreamFree(effect_);
}

std::string PreviewMedia::PathOf(const char* name) const {
  if (dir_.empty() || dir_ == ".") return name;
  return dir_ + (dir_.back() == '/' ? "" : "/") + name;
}

uint32_t* PreviewMedia::TextureOf(int image) {
  if (image == 0) return &textures_.bg_texture;
  if (image == 1) return &textures_.bg2_texture;
  return &textures_.slide_textures[image - 2];
}

bool PreviewMedia::LoadPicture(const char* name, uint32_t* texture, std::string* error) {
  uint32_t fresh = 0;
  if (!LoadTgaTexture(PathOf(name).c_str(), &fresh, error)) return false;
  if (*texture) glDeleteTextures(1, texture);
  *texture = fresh;
  return true;
}

bool PreviewMedia::Load(std::string* error) {
  // The show's order: the song, the effect, the pictures, the noise.
  song_ = BASS_StreamCreateFile(0, PathOf(kSongFile).c_str(), 0, 0, 0);
  if (!song_) {
    *error = AudioProblem(PathOf(kSongFile));
    return false;
  }
  effect_ = BASS_StreamCreateFile(0, PathOf(kEffectFile).c_str(), 0, 0, 0);
  for (int i = 0; i < kImageFileCount; ++i) {
    if (!LoadPicture(kImageFiles[i], TextureOf(i), error)) return false;
  }
  textures_.noise_texture = CreateNoiseTexture();
  return true;
}

std::string PreviewMedia::Reload(int index, Transport* transport) {
  const char* name = kMediaFiles[index];
  std::string error;
  if (name == kSongFile || name == kEffectFile) {
    const uint32_t fresh = BASS_StreamCreateFile(0, PathOf(name).c_str(), 0, 0, 0);
    if (!fresh) return AudioProblem(PathOf(name));
    uint32_t& stream = name == kSongFile ? song_ : effect_;
    if (name == kSongFile) transport->Adopt(fresh);
    if (stream) BASS_StreamFree(stream);
    stream = fresh;
    return "";
  }
  const bool ok = LoadPicture(name, TextureOf(index - (kMediaFileCount - kImageFileCount)), &error);
  // Leave the binding as start-up does, so later frames start from the same state.
  glBindTexture(GL_TEXTURE_2D, textures_.noise_texture);
  return ok ? "" : error;
}

}  // namespace zibo
