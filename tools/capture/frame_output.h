// frame_output.h - where encoded frames go: numbered files in a folder, or
// one byte stream (a .y4m file, or a pipe to ffmpeg).
//
// Frames arrive in order, already encoded. Every write is checked and a
// failure names the file and the reason. One thread at a time (capture's
// writer thread).
#ifndef ZIBO_CAPTURE_FRAME_OUTPUT_H
#define ZIBO_CAPTURE_FRAME_OUTPUT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pending_file.h"

namespace zibo {

class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  virtual bool WriteFrame(int64_t index, const std::vector<uint8_t>& bytes,
                          std::string* error) = 0;
  // Completes the output (closing files, waiting for a consumer).
  virtual bool Finish(std::string* error) = 0;
};

// Frame i goes to DIR/NNNNNN.png (six digits, from 000000). The folder is
// made if it is missing; its parent must exist.
std::unique_ptr<FrameOutput> CreateFolderOutput(const std::string& dir, std::string* error);

// Writes every byte of `size` bytes to `fd`, retrying short writes.
// False with errno set on failure.
bool WriteAll(int fd, const uint8_t* data, size_t size);

// A byte stream on an open descriptor that the output owns and closes.
// `name` is used in messages. `header` is written first. A reader that
// goes away fails the next write ("NAME: the reader went away (Broken
// pipe)"); SIGPIPE must be ignored for that.
class StreamOutput : public FrameOutput {
 public:
  StreamOutput(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~StreamOutput() override;
  bool WriteHeader(const std::string& header, std::string* error);
  bool WriteFrame(int64_t index, const std::vector<uint8_t>& bytes, std::string* error) override;
  bool Finish(std::string* error) override;
  // For a file output: after Finish, puts the complete file in place of any
  // earlier one of its name. Not committed, the file is removed.
  bool Commit(std::string* error);

 private:
  friend std::unique_ptr<StreamOutput> CreateFileOutput(const std::string&, std::string*);
  bool Write(const uint8_t* data, size_t size, std::string* error);
  int fd_;
  std::string name_;
  std::unique_ptr<PendingFile> file_;
};

// A StreamOutput into a pending file (pending_file.h) for `path`.
std::unique_ptr<StreamOutput> CreateFileOutput(const std::string& path, std::string* error);

}  // namespace zibo

#endif
