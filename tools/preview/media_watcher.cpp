#include "media_watcher.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

namespace zibo {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// On the folder: a name that now means another file, or none. A file
// written under a new name is closed after the folder saw it created,
// possibly before its own watch is in place: its close is heard here too.
constexpr uint32_t kFolderEvents =
    IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE | IN_CLOSE_WRITE | IN_ONLYDIR;
// On each file (through symbolic links): who opens, changes and closes it.
constexpr uint32_t kFileEvents = IN_OPEN | IN_MODIFY | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;

}  // namespace

MediaWatcher::MediaWatcher(std::vector<std::string> paths) : paths_(std::move(paths)) {
  watch_of_.assign(paths_.size(), -1);
  open_.assign(paths_.size(), 0);
  modified_.assign(paths_.size(), false);
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::string("inotify_init1 failed: ") + std::strerror(errno);
    return;
  }
  std::set<std::string> folders;
  for (const std::string& path : paths_) folders.insert(FolderOf(path));
  for (const std::string& folder : folders) {
    const int wd = inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
    if (wd < 0) {
      error_ = "cannot watch " + folder + ": " + std::strerror(errno);
      continue;
    }
    folder_of_watch_[wd] = folder;
  }
  for (size_t i = 0; i < paths_.size(); ++i) WatchFile(int(i));
}

MediaWatcher::~MediaWatcher() {
  if (fd_ >= 0) close(fd_);
}

void MediaWatcher::WatchFile(int index) {
  // A missing file has no watch; its folder's watch sees it come back.
  const int wd = inotify_add_watch(fd_, paths_[size_t(index)].c_str(), kFileEvents);
  if (wd != watch_of_[size_t(index)] && watch_of_[size_t(index)] >= 0) {
    inotify_rm_watch(fd_, watch_of_[size_t(index)]);
    file_watch_.erase(watch_of_[size_t(index)]);
  }
  watch_of_[size_t(index)] = wd;
  if (wd >= 0) file_watch_[wd] = index;
}

int MediaWatcher::IndexOfName(int folder_watch, const char* name) const {
  const auto folder = folder_of_watch_.find(folder_watch);
  if (folder == folder_of_watch_.end()) return -1;
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (FolderOf(paths_[i]) == folder->second && NameOf(paths_[i]) == name) return int(i);
  }
  return -1;
}

std::vector<int> MediaWatcher::Poll() {
  std::set<int> changed, renamed;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = fd_ < 0 ? -1 : read(fd_, buffer, sizeof buffer);
    if (got <= 0) break;  // EAGAIN: nothing more now
    for (ssize_t at = 0; at < got;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += ssize_t(sizeof(inotify_event) + e->len);
      if (e->mask & IN_Q_OVERFLOW) {  // events were lost: every file may have changed
        for (size_t i = 0; i < paths_.size(); ++i) changed.insert(int(i)), renamed.insert(int(i));
        continue;
      }
      const auto file = file_watch_.find(e->wd);
      if (file != file_watch_.end()) {
        const size_t i = size_t(file->second);
        if (e->mask & IN_OPEN) ++open_[i];
        if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) open_[i] = open_[i] > 0 ? open_[i] - 1 : 0;
        if (e->mask & IN_MODIFY) modified_[i] = true;
        if (e->mask & IN_CLOSE_WRITE) changed.insert(int(i));
        if (e->mask & IN_IGNORED) file_watch_.erase(file), watch_of_[i] = -1;
        continue;
      }
      const int index = e->len ? IndexOfName(e->wd, e->name) : -1;
      if (index < 0) continue;
      if (e->mask & IN_CLOSE_WRITE) changed.insert(index);
      if (e->mask & (IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE)) changed.insert(index), renamed.insert(index);
      if (e->mask & IN_CREATE) {
        struct stat st;
        renamed.insert(index);
        if (lstat(paths_[size_t(index)].c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
          changed.insert(index);  // a link is complete once made
        } else {
          open_[size_t(index)] = 1;  // its writer opened it before its watch existed
        }
      }
    }
  }
  for (int i : renamed) {
    const int open = open_[size_t(i)];
    WatchFile(i);
    open_[size_t(i)] = open;
  }
  // Changed by its name alone (truncate(2)): complete once nobody has it open.
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (modified_[i] && open_[i] == 0) changed.insert(int(i));
  }
  for (int i : changed) open_[size_t(i)] = 0, modified_[size_t(i)] = false;
  return std::vector<int>(changed.begin(), changed.end());
}

}  // namespace zibo
