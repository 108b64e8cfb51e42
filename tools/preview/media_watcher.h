// media_watcher.h - notices when the show's media files change on disk.
//
// Listens to inotify rather than guessing from polls: a file counts as
// changed once a writer has closed it, once another file has been moved to
// its name, or once it has gone (a missing file is a state like any other:
// its disappearance and its return are both changes). A file changed
// without being opened (truncate(2)) counts once nobody has it open. A
// writer that pauses mid-file, however long, is waited for. Each change is
// reported once. Files reached through a symbolic link are followed.
// One thread (the preview's); Poll never blocks.
#ifndef ZIBO_PREVIEW_MEDIA_WATCHER_H
#define ZIBO_PREVIEW_MEDIA_WATCHER_H

#include <map>
#include <string>
#include <vector>

namespace zibo {

class MediaWatcher {
 public:
  // Watches `paths` (files in one or more folders). Without inotify (too
  // many watches, say) nothing is ever reported; error() says why.
  explicit MediaWatcher(std::vector<std::string> paths);
  ~MediaWatcher();
  MediaWatcher(const MediaWatcher&) = delete;
  MediaWatcher& operator=(const MediaWatcher&) = delete;

  // Reads what happened since the last call; returns the indexes (into
  // `paths`) of the files whose change is complete, each once.
  std::vector<int> Poll();

  const std::string& error() const { return error_; }

 private:
  void WatchFile(int index);  // (again) after the name may point elsewhere
  int IndexOfName(int folder_watch, const char* name) const;

  std::vector<std::string> paths_;
  int fd_ = -1;
  std::string error_;
  std::map<int, int> file_watch_;  // watch -> index of the file it watches
  std::vector<int> watch_of_;      // index -> its file's watch, or -1
  std::vector<int> open_;          // opens not yet closed, as far as seen
  std::vector<bool> modified_;     // changed since the last report, not yet closed
  std::map<int, std::string> folder_of_watch_;
};

}  // namespace zibo

#endif
