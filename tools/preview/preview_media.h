// preview_media.h - the show's eleven media files as the preview holds them,
// and reloading one of them after it changed on disk.
//
// The pictures are the show's (show.h), drawn by its schedule and replaced
// in place; the song and the effect are audio-library streams. A file that no longer loads leaves the old one in
// use. Needs the audio library initialised and a current GL context; owns
// the streams and textures. Main (GL) thread only.
#ifndef ZIBO_PREVIEW_PREVIEW_MEDIA_H
#define ZIBO_PREVIEW_PREVIEW_MEDIA_H

#include <cstdint>
#include <string>
#include <utility>

#include <memory>

#include "scenes/scene_schedule.h"
#include "show/show.h"

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

  // The show, once loaded.
  Show& show() { return *show_; }
  uint32_t song() const { return song_; }
  uint32_t effect() const { return effect_; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  std::unique_ptr<Show> show_;
  uint32_t song_ = 0;
  uint32_t effect_ = 0;
  SongSpectrum spectrum_{&song_};
};

}  // namespace zibo

#endif
