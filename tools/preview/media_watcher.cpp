#include "media_watcher.h"

#include <sys/stat.h>

#include <utility>

namespace zibo {

MediaWatcher::MediaWatcher(std::vector<std::string> paths) : paths_(std::move(paths)) {
  for (const std::string& path : paths_) reported_.push_back(StateOf(path));
  seen_ = reported_;
}

MediaWatcher::FileState MediaWatcher::StateOf(const std::string& path) {
  FileState s;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.size = st.st_size;
  s.mtime_ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  s.inode = (long long)st.st_ino;
  return s;
}

std::vector<int> MediaWatcher::Poll() {
  std::vector<int> changed;
  for (size_t i = 0; i < paths_.size(); ++i) {
    const FileState now = StateOf(paths_[i]);
    if (now == seen_[i] && !(now == reported_[i])) {
      reported_[i] = now;
      changed.push_back(int(i));
    }
    seen_[i] = now;
  }
  return changed;
}

}  // namespace zibo
