// run_program.h - runs a real program for a test and collects how it ended.
//
// The child runs in its own process group with the given arguments, extra
// environment ("NAME=value" sets, "NAME" unsets), folder and standard input;
// its output goes to files in a folder the handle owns. Every wait is
// bounded; the destructor kills and reaps the group. Test thread only.
#ifndef ZIBO_TESTS_SUPPORT_RUN_PROGRAM_H
#define ZIBO_TESTS_SUPPORT_RUN_PROGRAM_H

#include <ostream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace zibo::testing {

struct ProgramOptions {
  std::vector<std::string> args, env;
  std::string cwd, stdin_text;  // cwd "" = the test's own
};

class RunningProgram {
 public:
  RunningProgram(const std::string& binary, const ProgramOptions& options);
  ~RunningProgram();
  bool Wait(int timeout_ms);  // true once the program has ended
  void Signal(int signal_number);
  bool GroupAlive() const;    // whether anything of its process group lives
  // "exit 1", "signal 11 (Segmentation fault)" or "running".
  std::string Status() const;
  std::string Stdout() const { return Output("stdout"); }
  std::string Stderr() const { return Output("stderr"); }
  // Status and both outputs, for a failure message.
  std::string Describe() const { return Status() + "\n--- stdout:\n" + Stdout() + "\n--- stderr:\n" + Stderr(); }

 private:
  std::string Output(const char* name) const;
  TempDir output_;
  int pid_ = -1, wait_status_ = 0;
  bool ended_ = false;
};

struct ProgramResult {
  std::string status, out, err;
};
inline void PrintTo(const ProgramResult& r, std::ostream* os) { *os << r.status << "\n--- stderr:\n" << r.err; }

// Runs to the end (killed after `timeout_ms`).
ProgramResult RunProgram(const std::string& binary, const ProgramOptions& options, int timeout_ms = 300000);

}  // namespace zibo::testing

#endif
