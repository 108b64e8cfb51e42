#include "support/temp_dir.h"

#include <stdlib.h>

#include <filesystem>

namespace zibo::testing {

TempDir::TempDir() {
  // temp_directory_path() honours $TMPDIR.
  std::string pattern = (std::filesystem::temp_directory_path() / "zibo-test-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace zibo::testing
