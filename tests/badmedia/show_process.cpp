#include "show_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zibo {

std::string ReadWholeFile(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, got);
  std::fclose(f);
  return text;
}

ShowProcess::~ShowProcess() {
  if (pid_ <= 0) return;
  if (!exited_) {
    kill(-pid_, SIGKILL);
    WaitForExit(10000);
  }
  kill(-pid_, SIGKILL);  // anything the show left behind in its group
}

bool ShowProcess::Start(const std::string& binary, const ShowOptions& options,
                        std::string* error) {
  directory_ = options.directory;
  const std::string stdin_path = directory_ + "/.stdin";
  FILE* in = std::fopen(stdin_path.c_str(), "wb");
  if (!in) {
    *error = "cannot write " + stdin_path + ": " + std::strerror(errno);
    return false;
  }
  std::fwrite(options.stdin_text.data(), 1, options.stdin_text.size(), in);
  std::fclose(in);

  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    setpgid(0, 0);
    if (chdir(directory_.c_str()) != 0) _exit(125);
    const int in_fd = open(".stdin", O_RDONLY);
    const int out_fd = open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(125);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    for (const std::string& name : options.unset_env) unsetenv(name.c_str());
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(126);
  }
  setpgid(pid, pid);  // also here, so that the group exists before we signal it
  pid_ = pid;
  return true;
}

bool ShowProcess::WaitForExit(int timeout_ms) {
  if (exited_) return true;
  if (pid_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    const pid_t got = waitpid(pid_, &status, WNOHANG);
    if (got == pid_) {
      exited_ = true;
      status_ = status;
      return true;
    }
    if (got < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool ShowProcess::Running() { return pid_ > 0 && !WaitForExit(0); }

void ShowProcess::Signal(int signal_number) {
  if (pid_ > 0 && !exited_) kill(pid_, signal_number);
}

bool ShowProcess::GroupAlive() const { return pid_ > 0 && kill(-pid_, 0) == 0; }

std::string ShowProcess::Describe() const {
  if (!exited_) return "running";
  if (WIFEXITED(status_)) return "exit " + std::to_string(WEXITSTATUS(status_));
  if (WIFSIGNALED(status_)) {
    return "signal " + std::to_string(WTERMSIG(status_)) + " (" + strsignal(WTERMSIG(status_)) + ")";
  }
  return "status " + std::to_string(status_);
}

std::string ShowProcess::Stdout() const { return ReadWholeFile(directory_ + "/.stdout"); }
std::string ShowProcess::Stderr() const { return ReadWholeFile(directory_ + "/.stderr"); }

}  // namespace zibo
