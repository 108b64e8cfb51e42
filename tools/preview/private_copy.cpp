#include "private_copy.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zibo {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

PrivateCopy::PrivateCopy(const std::string& path) {
  auto fail = [&](const std::string& why) { error_ = path + ": " + why; };
  const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) {
    fail(std::strerror(errno));
    return;
  }
  struct stat before, after;
  if (fstat(in, &before) != 0 || !S_ISREG(before.st_mode)) {
    close(in);
    fail("not a regular file");
    return;
  }
  const int out = memfd_create("zibo-preview-copy", MFD_CLOEXEC);
  if (out < 0) {
    const int err = errno;
    close(in);
    fail(std::string("memfd_create failed: ") + std::strerror(err));
    return;
  }
  off_t done = 0;
  ssize_t got = 0;
  while ((got = sendfile(out, in, nullptr, size_t(1) << 24)) > 0) done += got;
  const int err = errno;
  const bool same = got == 0 && fstat(in, &after) == 0 && SameFile(before, after) && done == after.st_size;
  close(in);
  if (!same) {
    close(out);
    fail(got < 0 ? std::string("cannot copy: ") + std::strerror(err) : "changed while it was read");
    return;
  }
  fd_ = out;
  name_ = "/proc/self/fd/" + std::to_string(out);
}

PrivateCopy::~PrivateCopy() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace zibo
