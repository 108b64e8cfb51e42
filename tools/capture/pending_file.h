// pending_file.h - writing a file so that a failed or interrupted write
// never harms an earlier file of the same name.
//
// The bytes go to a new hidden file in the same folder (".NAME.PID-N.part",
// made with O_EXCL); Commit renames it onto NAME, so NAME is always either
// the old file or the complete new one. A PendingFile destroyed without
// Commit removes its file. Every pending name is also listed where a
// signal handler can reach it: RemovePendingFilesOnSignals makes SIGINT,
// SIGTERM and SIGHUP remove them before the process ends by the signal.
// An object is used by one thread at a time; different threads may hold
// different ones.
#ifndef ZIBO_CAPTURE_PENDING_FILE_H
#define ZIBO_CAPTURE_PENDING_FILE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zibo {

class PendingFile {
 public:
  // Creates the hidden file, open for writing. Null with `error` set
  // (naming `path`) when it cannot be made.
  static std::unique_ptr<PendingFile> Create(const std::string& path, std::string* error);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // The open descriptor; TakeFd hands it (and closing it) to the caller.
  int TakeFd();
  const std::string& pending_path() const { return pending_; }
  // Closes the descriptor if still held and renames the file onto its
  // final name. False with `error` set leaves the old file as it was.
  bool Commit(std::string* error);

 private:
  PendingFile(std::string path, std::string pending, int fd, int slot)
      : path_(std::move(path)), pending_(std::move(pending)), fd_(fd), slot_(slot) {}
  std::string path_, pending_;
  int fd_;
  int slot_;  // in the signal handler's list, -1 when not listed
  bool committed_ = false;
};

// Writes `bytes` into a PendingFile for `path` and commits it.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error);

// Installs the handlers that remove pending files on SIGINT, SIGTERM and
// SIGHUP, then end the process by the same signal. Main thread, once.
void RemovePendingFilesOnSignals();

}  // namespace zibo

#endif
