// file_bytes.h - a file's whole content as bytes, read or written in one go.
#ifndef ZIBO_TESTS_SUPPORT_FILE_BYTES_H
#define ZIBO_TESTS_SUPPORT_FILE_BYTES_H

#include <string>

// "" when the file cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

#endif
