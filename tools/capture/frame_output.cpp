#include "frame_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "png_writer.h"

namespace zibo {
namespace {

class FolderOutput : public FrameOutput {
 public:
  explicit FolderOutput(std::string dir) : dir_(std::move(dir)) {}

  bool WriteFrame(int64_t index, const std::vector<uint8_t>& bytes, std::string* error) override {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", (long long)index);
    return WriteWholeFile(dir_ + name, bytes, error);
  }
  bool Finish(std::string*) override { return true; }

 private:
  std::string dir_;  // ends in '/'
};

}  // namespace

std::unique_ptr<FrameOutput> CreateFolderOutput(const std::string& dir, std::string* error) {
  std::string folder = dir;
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    *error = folder + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = folder + ": not a folder";
    return nullptr;
  }
  return std::unique_ptr<FrameOutput>(new FolderOutput(folder));
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= size_t(written);
  }
  return true;
}

StreamOutput::~StreamOutput() {
  if (fd_ >= 0) close(fd_);
}

bool StreamOutput::Write(const uint8_t* data, size_t size, std::string* error) {
  if (fd_ < 0) {
    *error = name_ + ": already closed";
    return false;
  }
  if (!WriteAll(fd_, data, size)) {
    const std::string reason = std::strerror(errno);
    *error = name_ + ": " + (errno == EPIPE ? "the reader went away (" + reason + ")" : reason);
    return false;
  }
  return true;
}

bool StreamOutput::WriteHeader(const std::string& header, std::string* error) {
  return Write(reinterpret_cast<const uint8_t*>(header.data()), header.size(), error);
}

bool StreamOutput::WriteFrame(int64_t, const std::vector<uint8_t>& bytes, std::string* error) {
  return Write(bytes.data(), bytes.size(), error);
}

bool StreamOutput::Finish(std::string* error) {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    *error = name_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool StreamOutput::Commit(std::string* error) {
  if (!file_) return true;
  return Finish(error) && file_->Commit(error);
}

std::unique_ptr<StreamOutput> CreateFileOutput(const std::string& path, std::string* error) {
  std::unique_ptr<PendingFile> file = PendingFile::Create(path, error);
  if (!file) return nullptr;
  std::unique_ptr<StreamOutput> output(new StreamOutput(file->TakeFd(), path));
  output->file_ = std::move(file);
  return output;
}

}  // namespace zibo
