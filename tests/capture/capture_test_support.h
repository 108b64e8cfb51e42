// capture_test_support.h - running zibo-capture and reading what it wrote,
// for the capture tests.
#ifndef ZIBO_TESTS_CAPTURE_TEST_SUPPORT_H
#define ZIBO_TESTS_CAPTURE_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace zibo {

// A fresh folder under $TMPDIR (or /tmp), removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status, or -1 if it did not exit normally
  std::string err;  // everything written to standard error
};

// Runs zibo-capture with `args`; `env` entries ("NAME=value") are added to
// (or replace in) the environment.
RunResult RunCapture(const std::vector<std::string>& args,
                     const std::vector<std::string>& env = {});

// The standard output of a shell command, and its exit status.
std::string CommandOutput(const std::string& command, int* status);

std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Reads a PNG as 8-bit RGB, top row first. False if it cannot.
bool ReadPngRgb(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgb);

// The folder of the show's media made by zibo-media.
std::string MediaDir();

}  // namespace zibo

#endif
