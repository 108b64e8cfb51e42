// libFuzzer target: ParseTga over any bytes must neither crash nor break
// its contract (see tga_parse_check.h). Built by fuzz/CMakeLists.txt with
// clang; run through scripts/fuzz.sh.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tga_parse_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault;
  if (zibo::CheckParseTga(data, size, &fault) == zibo::TgaCheck::kFailed) {
    std::fprintf(stderr, "ParseTga broke its contract: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
