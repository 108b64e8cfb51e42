// temp_dir.h - a fresh folder under $TMPDIR (or /tmp) for one test, removed
// with everything in it when the object goes. Any thread.
#ifndef ZIBO_TESTS_SUPPORT_TEMP_DIR_H
#define ZIBO_TESTS_SUPPORT_TEMP_DIR_H

#include <string>

namespace zibo::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace zibo::testing

#endif
