// file_bytes.h - a file's whole contents as a byte string, read or written
// in one call. Any thread.
#ifndef ZIBO_TESTS_SUPPORT_FILE_BYTES_H
#define ZIBO_TESTS_SUPPORT_FILE_BYTES_H

#include <string>

namespace zibo::testing {

// Empty when the file cannot be read.
std::string ReadFileBytes(const std::string& path);
// Replaces the file's contents; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace zibo::testing

#endif
