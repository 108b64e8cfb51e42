// temp_dir.h - a fresh folder under $TMPDIR (or /tmp) that removes itself
// with its contents. Test thread only.
#ifndef ZIBO_TESTS_SUPPORT_TEMP_DIR_H
#define ZIBO_TESTS_SUPPORT_TEMP_DIR_H

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

#endif
