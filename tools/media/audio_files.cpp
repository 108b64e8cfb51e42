// audio_files.cpp - libsndfile encoding of the generated sound.
#include "audio_files.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zibo::media {
namespace {

// Writes interleaved frames and closes the file, reporting the first failure.
bool WriteAndClose(SNDFILE* file, const std::string& path, const float* frames, int channels,
                   sf_count_t count, std::string* error) {
  constexpr sf_count_t kChunk = 65536;
  bool ok = true;
  for (sf_count_t done = 0; done < count && ok;) {
    const sf_count_t n = std::min(kChunk, count - done);
    const sf_count_t wrote = sf_writef_float(file, frames + done * channels, n);
    if (wrote != n) {
      *error = path + ": sf_writef_float wrote " + std::to_string(wrote) + " of " +
               std::to_string(n) + " frames: " + sf_strerror(file);
      ok = false;
    }
    done += n;
  }
  const int closed = sf_close(file);
  if (ok && closed != 0) {
    *error = path + ": sf_close failed: " + sf_error_number(closed);
    ok = false;
  }
  return ok;
}

// libsndfile gives each Ogg stream a random serial number. Rewriting it to
// a fixed one (and each page's checksum with it) makes the file the same on
// every run.
bool FixOggSerial(const std::string& path, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) {
    *error = path + ": cannot reopen to fix the stream serial: " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  size_t at = 0;
  while (at + 27 <= bytes.size() && std::memcmp(&bytes[at], "OggS", 4) == 0) {
    const size_t segments = bytes[at + 26];
    if (at + 27 + segments > bytes.size()) break;
    size_t length = 27 + segments;
    for (size_t i = 0; i < segments; ++i) length += bytes[at + 27 + i];
    if (at + length > bytes.size()) break;
    const uint32_t serial = 0x4F42495A;  // "ZIBO"
    for (int i = 0; i < 4; ++i) bytes[at + 14 + size_t(i)] = uint8_t(serial >> (8 * i));
    for (int i = 0; i < 4; ++i) bytes[at + 22 + size_t(i)] = 0;
    uint32_t crc = 0;  // Ogg's CRC-32: polynomial 0x04C11DB7, not reflected, initial 0
    for (size_t i = 0; i < length; ++i) {
      crc ^= uint32_t(bytes[at + i]) << 24;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) bytes[at + 22 + size_t(i)] = uint8_t(crc >> (8 * i));
    at += length;
  }
  const bool whole = at == bytes.size();
  const bool written = whole && std::fseek(f, 0, SEEK_SET) == 0 &&
                       std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!whole) {
    *error = path + ": not a sequence of Ogg pages (stopped at byte " + std::to_string(at) + " of " +
             std::to_string(bytes.size()) + ")";
    return false;
  }
  if (!written || !closed) {
    *error = path + ": rewriting the stream serial failed: " + std::strerror(errno);
    return false;
  }
  return true;
}

SNDFILE* Open(const std::string& path, int format, int channels, std::string* error) {
  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) *error = path + ": sf_open for writing failed: " + sf_strerror(nullptr);
  return file;
}

}  // namespace

bool WriteMp3(const std::string& path, const StereoMix& mix, std::string* error) {
  SNDFILE* file = Open(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 2, error);
  if (!file) return false;
  // Constant bitrate; compression level 0 asks for the highest rate, 320 kbps.
  // libsndfile 1.2.0 reports the bitrate-mode request as failed even when it
  // took effect, so the mode is checked by reading it back instead.
  int mode = SF_BITRATE_MODE_CONSTANT;
  double level = 0.0;
  sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
  const bool level_set = sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level) == SF_TRUE;
  const int got_mode = sf_command(file, SFC_GET_BITRATE_MODE, nullptr, 0);
  if (!level_set || got_mode != SF_BITRATE_MODE_CONSTANT) {
    *error = path + ": asked for constant 320 kbps, got bitrate mode " + std::to_string(got_mode) +
             (level_set ? "" : " and the compression level was refused") + ": " + sf_strerror(file);
    sf_close(file);
    return false;
  }
  std::vector<float> interleaved(mix.frames() * 2);
  for (size_t i = 0; i < mix.frames(); ++i) {
    interleaved[2 * i] = mix.left()[i];
    interleaved[2 * i + 1] = mix.right()[i];
  }
  return WriteAndClose(file, path, interleaved.data(), 2, sf_count_t(mix.frames()), error);
}

bool WriteOggMono(const std::string& path, const std::vector<float>& samples, std::string* error) {
  SNDFILE* file = Open(path, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, error);
  if (!file) return false;
  return WriteAndClose(file, path, samples.data(), 1, sf_count_t(samples.size()), error) &&
         FixOggSerial(path, error);
}

}  // namespace zibo::media
