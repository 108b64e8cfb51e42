#include "support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/file_bytes.h"

namespace zibo::testing {

RunningProgram::RunningProgram(const std::string& binary, const ProgramOptions& options) {
  WriteFileBytes(output_.Path("stdin"), options.stdin_text);
  std::vector<std::string> args = {binary};
  args.insert(args.end(), options.args.begin(), options.args.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  if ((pid_ = fork()) != 0) {
    if (pid_ > 0) setpgid(pid_, pid_);  // the group exists before anyone signals it
    return;
  }
  setpgid(0, 0);
  const char* names[] = {"stdin", "stdout", "stderr"};
  for (int fd = 0; fd < 3; ++fd) {
    const int opened = open(output_.Path(names[fd]).c_str(), fd ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0644);
    if (opened < 0 || dup2(opened, fd) < 0) _exit(125);
  }
  for (const std::string& entry : options.env) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos) unsetenv(entry.c_str());
    else setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
  }
  if (options.cwd.empty() || chdir(options.cwd.c_str()) == 0) execvp(argv[0], argv.data());
  _exit(126);
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) kill(-pid_, SIGKILL);
  Wait(10000);
}

bool RunningProgram::Wait(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!ended_ && pid_ > 0 && waitpid(pid_, &wait_status_, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return ended_ = true;
}

void RunningProgram::Signal(int signal_number) {
  if (pid_ > 0 && !ended_) kill(pid_, signal_number);
}

bool RunningProgram::GroupAlive() const { return pid_ > 0 && kill(-pid_, 0) == 0; }

std::string RunningProgram::Status() const {
  if (!ended_ || pid_ <= 0) return pid_ > 0 ? "running" : "not started";
  if (WIFEXITED(wait_status_)) return "exit " + std::to_string(WEXITSTATUS(wait_status_));
  return "signal " + std::to_string(WTERMSIG(wait_status_)) + " (" + strsignal(WTERMSIG(wait_status_)) + ")";
}

std::string RunningProgram::Output(const char* name) const { return ReadFileBytes(output_.Path(name)); }

ProgramResult RunProgram(const std::string& binary, const ProgramOptions& options, int timeout_ms) {
  RunningProgram program(binary, options);
  program.Wait(timeout_ms);
  return {program.Status(), program.Stdout(), program.Stderr()};
}

}  // namespace zibo::testing
