// show.h - the show itself: its pictures, its schedule and one frame of it.
//
// Loads the nine pictures in the show's order (bg, bg2, s1..s7) through a
// caller's loader, then makes the noise texture, and draws the frame for a
// music time with the schedule. The live show, capture, the benchmarks and
// the tests all set the show up here, so that they draw the same pictures.
// Owns its textures' names (never deleted) and its schedule; borrows the
// spectrum. Needs a current GL context; the GL thread only.
#ifndef ZIBO_SHOW_SHOW_H
#define ZIBO_SHOW_SHOW_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scenes/scene_schedule.h"

namespace zibo {

// Loads the picture of one media file name into a GL texture; false with
// `error` set when it cannot.
using LoadTgaFn = std::function<bool(const char* name, uint32_t* texture, std::string* error)>;

// `name` inside `media_dir`; just `name` for the current directory ".", so
// that messages name the file the way the show does.
std::string MediaPath(const std::string& media_dir, const char* name);

// A loader that reads the TGA files from `media_dir`; its errors name the
// path (e.g. "bg.tga: No such file or directory").
LoadTgaFn TgaFilesIn(const std::string& media_dir);

class Show {
 public:
  // Null with `error` set when a picture cannot be loaded (the first failure
  // ends the loading).
  static std::unique_ptr<Show> Load(const LoadTgaFn& load_tga, SpectrumSource& spectrum,
                                    std::string* error);
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;

  // Draws music time t on the current frame (see show_frame.h).
  void Draw(int32_t t, bool h_down);
  // Clears the frame, then draws music time t.
  void DrawFrame(int32_t t, bool h_down);

  // Loads picture `image` of kImageFiles again into a new texture that
  // replaces (and deletes) the old one. False with `error` set leaves the
  // old one in use. For the preview's live reload.
  bool ReloadPicture(int image, const LoadTgaFn& load_tga, std::string* error);

  const ShowTextures& textures() const { return textures_; }
  SceneSchedule& schedule() { return schedule_; }

 private:
  explicit Show(SpectrumSource& spectrum) : schedule_(textures_, spectrum) {}
  uint32_t* PictureTexture(int image);

  ShowTextures textures_;
  SceneSchedule schedule_;
};

}  // namespace zibo

#endif
