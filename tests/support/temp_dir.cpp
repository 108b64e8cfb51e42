#include "support/temp_dir.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zibo-test-XXXXXX";
  if (mkdtemp(&pattern[0])) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}
