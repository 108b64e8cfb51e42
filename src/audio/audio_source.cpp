#include "audio/audio_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "audio/audio_status.h"

namespace zibo {
namespace {

constexpr size_t kChunkFrames = 4096;

int Report(int code, std::string* message, const std::string& text) {
  if (message) *message = text;
  return code;
}

// Maps a libsndfile open failure to the library's error codes.
int OpenErrorCode(int sf_code) {
  switch (sf_code) {
    case SF_ERR_SYSTEM: return kAudioFileOpen;
    case SF_ERR_UNSUPPORTED_ENCODING: return kAudioBadCodec;
    default: return kAudioNotAudio;
  }
}

// Opens `path` as a regular file for reading; returns the descriptor or -1
// with `*error` set.
int OpenRegularFile(const char* path, std::string* message, int* error) {
  // Non-blocking, so that a FIFO without a writer cannot hang us here.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = Report(kAudioFileOpen, message,
                    std::string("cannot open ") + path + ": " + std::strerror(errno));
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *error = Report(kAudioFileOpen, message, std::string(path) + " is not a regular file");
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    *error = Report(kAudioFileOpen, message,
                    std::string("cannot read ") + path + ": " + std::strerror(errno));
    return -1;
  }
  return fd;
}

// Writes `count` frames of `in` (`in_channels` each) to `out` with
// `out_channels` each: equal counts copy, mono is duplicated, anything else
// is averaged to mono first. Non-finite values become silence.
void Convert(const float* in, size_t count, int in_channels, int out_channels, float* out) {
  auto finite = [](float x) { return std::isfinite(x) ? x : 0.0f; };
  for (size_t f = 0; f < count; ++f) {
    const float* frame = in + f * size_t(in_channels);
    float* dst = out + f * size_t(out_channels);
    if (in_channels == out_channels) {
      for (int c = 0; c < in_channels; ++c) dst[c] = finite(frame[c]);
      continue;
    }
    float mono = frame[0];
    if (in_channels > 1) {
      double sum = 0;
      for (int c = 0; c < in_channels; ++c) sum += frame[c];
      mono = float(sum / in_channels);
    }
    std::fill(dst, dst + out_channels, finite(mono));
  }
}

}  // namespace

AudioSource::~AudioSource() {
  if (file_) sf_close(file_);
  if (fd_ >= 0) close(fd_);
}

int AudioSource::Open(const char* path, int out_channels, std::string* message) {
  if (file_ || !path || out_channels <= 0 || out_channels > kMaxChannels) {
    return Report(kAudioBadParam, message, "invalid file name or channel count");
  }
  int error = kAudioOk;
  int fd = OpenRegularFile(path, message, &error);
  if (fd < 0) return error;
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
  if (!file) {
    int sf_code = sf_error(nullptr);
    std::string why = sf_error_number(sf_code);
    close(fd);
    return Report(OpenErrorCode(sf_code), message, std::string(path) + ": " + why);
  }
  if (info.channels <= 0 || info.channels > kMaxChannels || info.samplerate <= 0 ||
      info.samplerate > kMaxRate) {
    sf_close(file);
    close(fd);
    return Report(kAudioBadFormat, message,
                  std::string(path) + ": unsupported rate " + std::to_string(info.samplerate) +
                      " or channel count " + std::to_string(info.channels));
  }
  fd_ = fd;
  file_ = file;
  info_ = info;
  out_channels_ = out_channels;
  chunk_.assign(kChunkFrames * size_t(info.channels), 0.0f);
  return kAudioOk;
}

size_t AudioSource::Read(float* dest, size_t max_frames) {
  if (!file_) return 0;
  size_t done = 0;
  while (done < max_frames) {
    sf_count_t want = sf_count_t(std::min(kChunkFrames, max_frames - done));
    sf_count_t got = sf_readf_float(file_, chunk_.data(), want);
    if (got <= 0) break;
    Convert(chunk_.data(), size_t(got), info_.channels, out_channels_,
            dest + done * size_t(out_channels_));
    done += size_t(got);
  }
  return done;
}

bool AudioSource::Seek(int64_t frame) {
  return file_ && frame >= 0 && sf_seek(file_, sf_count_t(frame), SEEK_SET) == sf_count_t(frame);
}

}  // namespace zibo
