// preview_media.h - the show's eleven media files as the preview holds them,
// and reloading one of them after it changed on disk.
//
// The pictures are GL textures (the names in `textures`, which the scene
// schedule borrows, are replaced in place); the song and the effect are
// audio-library streams. A file that no longer loads leaves the old one in
// use. Needs the audio library initialised and a current GL context; owns
// the streams and textures. Main (GL) thread only.
#ifndef ZIBO_PREVIEW_PREVIEW_MEDIA_H
#define ZIBO_PREVIEW_PREVIEW_MEDIA_H

#include <cstdint>
#include <string>
#include <utility>

#include "scenes/scene_schedule.h"

namespace zibo {

class Transport;

// The noise scene's spectrum from the song stream in `*song`, read as the
// show reads it, so a reloaded song is used at once.
class SongSpectrum : public SpectrumSource {
 public:
  explicit SongSpectrum(const uint32_t* song) : song_(song) {}
  float SpectrumAt(float fraction) override;

 private:
  const uint32_t* song_;
};

class PreviewMedia {
 public:
  explicit PreviewMedia(std::string media_dir) : dir_(std::move(media_dir)) {}
  ~PreviewMedia();
  PreviewMedia(const PreviewMedia&) = delete;
  PreviewMedia& operator=(const PreviewMedia&) = delete;

  // Loads all of them as the show does: false with `error` ("bg.tga: ...")
  // when the song or a picture cannot be had; a missing effect is no error.
  bool Load(std::string* error);

  // Reloads file `index` of kMediaFiles; a new song continues at the
  // transport's time. Returns "" or why the file is not in use.
  std::string Reload(int index, Transport* transport);

  // The file's path in the media folder.
  std::string PathOf(const char* name) const;

  const ShowTextures& textures() const { return textures_; }
  uint32_t song() const { return song_; }
  uint32_t effect() const { return effect_; }
  SpectrumSource& spectrum() { return spectrum_; }

 private:
  // The texture of picture `image` of kImageFiles.
  uint32_t* TextureOf(int image);
  bool LoadPicture(const char* name, uint32_t* texture, std::string* error);

  std::string dir_;
  ShowTextures textures_;
  uint32_t song_ = 0;
  uint32_t effect_ = 0;
  SongSpectrum spectrum_{&song_};
};

}  // namespace zibo

#endif
