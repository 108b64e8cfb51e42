// show_process.h - runs the real zibo binary as a child process for tests.
//
// The child runs in its own process group, in a given directory, with the
// given extra environment, one line of standard input (the answer to the
// terminal question) and its output captured to files in that directory.
// Every wait is bounded; the destructor kills and reaps whatever is left,
// so no test leaves a show running. Test thread only.
#ifndef ZIBO_TESTS_SHOW_PROCESS_H
#define ZIBO_TESTS_SHOW_PROCESS_H

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace zibo {

struct ShowOptions {
  std::string directory;                                  // the show's current directory
  std::string stdin_text;                                 // e.g. "n\n"
  std::vector<std::pair<std::string, std::string>> env;   // set (value) in the child
  std::vector<std::string> unset_env;                     // removed in the child
};

class ShowProcess {
 public:
  ShowProcess() = default;
  ~ShowProcess();
  ShowProcess(const ShowProcess&) = delete;
  ShowProcess& operator=(const ShowProcess&) = delete;

  // Starts `binary`. False (with `error` set) when it could not be started.
  bool Start(const std::string& binary, const ShowOptions& options, std::string* error);

  // Waits up to `timeout_ms` for the process to end. True once it has; its
  // wait status is then in status().
  bool WaitForExit(int timeout_ms);
  bool Running();
  void Signal(int signal_number);
  // Whether any process of the show's group (helpers it forked) still lives.
  bool GroupAlive() const;

  int status() const { return status_; }
  bool exited() const { return exited_; }
  // "exit 1", "signal 11 (Segmentation fault)", "running".
  std::string Describe() const;
  std::string Stdout() const;
  std::string Stderr() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
  std::string directory_;
};

// The file's whole content ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);

}  // namespace zibo

#endif
