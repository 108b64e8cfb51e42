// private_copy.h - a copy of a file that only this process sees.
//
// The preview plays its song and effect from such copies, so that a file
// overwritten in place (cp new.mp3 disco.mp3 truncates the same file) never
// changes a stream that is playing: the old one plays on exactly as before
// until the new file has loaded. The copy lives in memory (memfd) and is
// opened by name through /proc/self/fd; it vanishes once the last
// descriptor to it is closed. Any thread.
#ifndef ZIBO_PREVIEW_PRIVATE_COPY_H
#define ZIBO_PREVIEW_PRIVATE_COPY_H

#include <string>

namespace zibo {

class PrivateCopy {
 public:
  // Copies `path` (a regular file, opened without blocking). ok() is false
  // with error() saying why ("disco.mp3: No such file or directory", "...
  // changed while it was read").
  explicit PrivateCopy(const std::string& path);
  ~PrivateCopy();
  PrivateCopy(const PrivateCopy&) = delete;
  PrivateCopy& operator=(const PrivateCopy&) = delete;

  bool ok() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }
  // A name that opens the copy while this object lives.
  const std::string& name() const { return name_; }

 private:
  int fd_ = -1;
  std::string name_, error_;
};

}  // namespace zibo

#endif
