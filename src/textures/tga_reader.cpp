#include "textures/tga_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zibo {
namespace {

uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

bool ParseTga(const uint8_t* data, size_t size, TgaImage* out, std::string* error) {
  if (size < kTgaHeaderSize) {
    *error = "file is shorter than its 18-byte header";
    return false;
  }
  const int32_t width = ReadLe16(data + 12);
  const int32_t height = ReadLe16(data + 14);
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
  if (bytes > 0xFFFFFFFFull) {
    *error = "image too large: " + std::to_string(width) + "x" + std::to_string(height) +
             " pixels do not fit in memory";
    return false;
  }
  std::unique_ptr<uint8_t[], FreeBytes> rgba;
  if (bytes > 0) {
    rgba.reset(static_cast<uint8_t*>(std::calloc(size_t(bytes), 1)));
    if (!rgba) {
      *error = "cannot allocate " + std::to_string(bytes) + " bytes for a " + std::to_string(width) +
               "x" + std::to_string(height) + " image";
      return false;
    }
  }
  // Pixels present in the data are converted; the rest stay as calloc gave
  // them, (0, 0, 0, 0), as if every missing byte had read as zero.
  const uint8_t* src = data + kTgaHeaderSize;
  const size_t pixels = size_t(width) * size_t(height);
  const size_t present_bytes = size - kTgaHeaderSize;
  const size_t whole = present_bytes / 3 < pixels ? present_bytes / 3 : pixels;
  uint8_t* dst = rgba.get();
  for (size_t i = 0; i < whole; ++i, src += 3, dst += 4) {
    dst[0] = src[0];
    dst[1] = src[2];
    dst[2] = src[1];
    dst[3] = 0;
  }
  if (whole < pixels) {
    uint8_t tail[3] = {0, 0, 0};
    const size_t left = present_bytes - whole * 3;  // 0, 1 or 2 bytes of a partial pixel
    for (size_t k = 0; k < left && k < 3; ++k) tail[k] = src[k];
    dst[0] = tail[0];
    dst[1] = tail[2];
    dst[2] = tail[1];
    dst[3] = 0;
  }
  out->width = width;
  out->height = height;
  out->rgba = std::move(rgba);
  return true;
}

bool ReadTgaFile(const char* path, TgaImage* out, std::string* error) {
  auto fail = [&](const std::string& reason) {
    *error = std::string(path) + ": " + reason;
    return false;
  };
  // Non-blocking, so that a FIFO without a writer cannot hang us here; only
  // a regular file is read.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st;
  const char* refused = nullptr;
  if (fstat(fd, &st) != 0) {
    refused = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    refused = std::strerror(EISDIR);
  } else if (!S_ISREG(st.st_mode)) {
    refused = "not a regular file";
  } else {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) refused = std::strerror(errno);
  }
  FILE* file = refused ? nullptr : fdopen(fd, "rb");
  if (!file) {
    const std::string reason = refused ? refused : std::strerror(errno);
    close(fd);
    return fail(reason);
  }
  // Read in bulk, but no further than the header's pixel data reaches: the
  // file may be shorter (missing pixels read as zero) or carry trailing
  // bytes. The file's size bounds the buffer, whatever the header claims.
  uint8_t header[kTgaHeaderSize];
  size_t have = std::fread(header, 1, kTgaHeaderSize, file);
  std::unique_ptr<uint8_t[]> bytes;
  if (have == kTgaHeaderSize) {
    const uint64_t pixels = uint64_t(ReadLe16(header + 12)) * ReadLe16(header + 14);
    const uint64_t on_disk = st.st_size > 0 ? uint64_t(st.st_size) : 0;
    // Too large an image is refused by ParseTga; read only its header then.
    const uint64_t wanted = pixels * 4 <= 0xFFFFFFFFull ? kTgaHeaderSize + pixels * 3 : 0;
    const size_t size = size_t(std::max<uint64_t>(kTgaHeaderSize, std::min(wanted, on_disk)));
    bytes.reset(new (std::nothrow) uint8_t[size]);
    if (!bytes) {
      std::fclose(file);
      return fail("cannot allocate " + std::to_string(size) + " bytes to read the file");
    }
    std::memcpy(bytes.get(), header, kTgaHeaderSize);
    while (have < size) {
      const size_t got = std::fread(bytes.get() + have, 1, size - have, file);
      if (got == 0) break;
      have += got;
    }
  }
  const bool read_error = std::ferror(file) != 0;
  const int err = errno;
  std::fclose(file);
  if (read_error) return fail(std::strerror(err));
  std::string reason;
  if (!ParseTga(bytes ? bytes.get() : header, have, out, &reason)) return fail(reason);
  return true;
}

}  // namespace zibo
