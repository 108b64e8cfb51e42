// media_watcher.h - notices when the show's media files change on disk.
//
// Polls each file's size, modification time and inode. A file counts as
// changed once its new state has held for one poll (so a file still being
// written is not read half-done), and is reported once per change. A
// missing file is a state like any other: its disappearance and its return
// are both changes. One thread (the preview's).
#ifndef ZIBO_PREVIEW_MEDIA_WATCHER_H
#define ZIBO_PREVIEW_MEDIA_WATCHER_H

#include <string>
#include <vector>

namespace zibo {

class MediaWatcher {
 public:
  // Watches `paths`, taking their present state as known.
  explicit MediaWatcher(std::vector<std::string> paths);

  // Looks at every file again; returns the indexes (into `paths`) of the
  // files whose change has settled since the last report.
  std::vector<int> Poll();

 private:
  struct FileState {
    bool exists = false;
    long long size = 0, mtime_ns = 0, inode = 0;
    bool operator==(const FileState& o) const {
      return exists == o.exists && size == o.size && mtime_ns == o.mtime_ns && inode == o.inode;
    }
  };
  static FileState StateOf(const std::string& path);

  std::vector<std::string> paths_;
  std::vector<FileState> reported_;  // the state last reported (or found at the start)
  std::vector<FileState> seen_;      // the state at the last poll
};

}  // namespace zibo

#endif
