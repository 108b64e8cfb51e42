// show_media.h - a fresh directory of the show's eleven media files for
// one test case, with helpers to spoil one of them.
//
// The good files come from the build's generated media (PROJECT_BINARY_DIR
// /media) when all eleven are there, else from the small fixture set that
// make_fixture_media writes at build time. Good files are linked, spoilt
// ones written fresh, so every case sees its own directory. Test thread only.
#ifndef ZIBO_TESTS_SHOW_MEDIA_H
#define ZIBO_TESTS_SHOW_MEDIA_H

#include <string>
#include <vector>

#include "show/show_media.h"

namespace zibo {


// The directory holding the eleven good files, or "" with `error` set.
std::string GoodMediaDir(std::string* error);

class CaseDirectory {
 public:
  // Makes a new temporary directory with links to every good file.
  bool Create(const std::string& good_dir, std::string* error);
  ~CaseDirectory();

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // The good file's bytes.
  std::string GoodBytes(const std::string& name) const;
  // Replaces the file (or link) with these bytes, with nothing, or with an
  // empty directory.
  bool Write(const std::string& name, const std::string& bytes);
  bool Remove(const std::string& name);
  bool MakeDirectory(const std::string& name);

 private:
  std::string path_;
  std::string good_dir_;
};

// Writes `seconds` of a stereo 44.1 kHz tone sweep through libsndfile;
// `format` is an SF_FORMAT_* major|minor pair. False on failure.
bool WriteToneFile(const std::string& path, double seconds, int format, std::string* error);

// Whether any non-zero byte has appeared in a file that SDL's "disk" audio
// driver writes: the device writes silence until the music starts.
bool AudioOutputHasSound(const std::string& path);

}  // namespace zibo

#endif
