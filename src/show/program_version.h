// program_version.h - what every zibo program prints for --version: its
// name, the version, the copyright and the licence. Any thread.
#ifndef ZIBO_SHOW_PROGRAM_VERSION_H
#define ZIBO_SHOW_PROGRAM_VERSION_H

#include <string>

namespace zibo {

// "zibo-capture 1.0.0\nCopyright ...\n...", ending in a newline.
std::string VersionText(const char* program);

}  // namespace zibo

#endif
