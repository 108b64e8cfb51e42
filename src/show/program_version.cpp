#include "show/program_version.h"

namespace zibo {

std::string VersionText(const char* program) {
  return std::string(program) + " " ZIBO_VERSION
         "\n"
         "Copyright (c) 2026 the zibo developers\n"
         "License: MIT. This is free software: you may use, copy, change and pass it on,\n"
         "keeping this notice. There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace zibo
