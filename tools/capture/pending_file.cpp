#include "pending_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zibo {
namespace {

// Pending names a signal handler may remove: the video or picture being
// written plus one frame of a folder at a time, with room to spare.
constexpr int kSlots = 8;
char g_names[kSlots][PATH_MAX];
std::atomic<bool> g_listed[kSlots];
std::atomic<bool> g_taken[kSlots];

int List(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int slot = 0; slot < kSlots; ++slot) {
    bool free_slot = false;
    if (g_taken[slot].compare_exchange_strong(free_slot, true)) {
      std::memcpy(g_names[slot], name.c_str(), name.size() + 1);
      g_listed[slot].store(true);
      return slot;
    }
  }
  return -1;
}

void Unlist(int slot) {
  if (slot < 0) return;
  g_listed[slot].store(false);
  g_taken[slot].store(false);
}

void RemoveAndEnd(int signal_number) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (g_listed[slot].load()) unlink(g_names[slot]);
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

std::atomic<unsigned> g_counter{0};

}  // namespace

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& path, std::string* error) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") {
    *error = path + ": not a file name";
    return nullptr;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string pending = folder + "." + name + "." + std::to_string(getpid()) + "-" +
                                std::to_string(g_counter++) + ".part";
    const int fd = open(pending.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      return std::unique_ptr<PendingFile>(new PendingFile(path, pending, fd, List(pending)));
    }
    if (errno != EEXIST) {
      *error = path + ": " + std::strerror(errno);
      return nullptr;
    }
  }
  *error = path + ": no free name for the file to write it in";
  return nullptr;
}

PendingFile::~PendingFile() {
  if (fd_ >= 0) close(fd_);
  if (!committed_) unlink(pending_.c_str());
  Unlist(slot_);
}

int PendingFile::TakeFd() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool PendingFile::Commit(std::string* error) {
  if (fd_ >= 0) {
    const int fd = TakeFd();
    if (close(fd) != 0) {
      *error = path_ + ": " + std::strerror(errno);
      return false;
    }
  }
  if (rename(pending_.c_str(), path_.c_str()) != 0) {
    *error = path_ + ": " + std::strerror(errno) + " (renaming " + pending_ + " to it)";
    return false;
  }
  committed_ = true;
  return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
  std::unique_ptr<PendingFile> file = PendingFile::Create(path, error);
  if (!file) return false;
  const int fd = file->TakeFd();
  const uint8_t* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      *error = path + ": " + std::strerror(errno);
      close(fd);
      return false;
    }
    data += written;
    left -= size_t(written);
  }
  if (close(fd) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return file->Commit(error);
}

void RemovePendingFilesOnSignals() {
  struct sigaction action = {};
  action.sa_handler = RemoveAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

}  // namespace zibo
