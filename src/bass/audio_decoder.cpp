#include "bass/audio_decoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "bass/bass.h"
#include "bass/resampler.h"

namespace zibo {
namespace {

// Longest decoded signal accepted, in output frames, so that a hostile or
// broken file cannot make us allocate without bound (30 minutes at 48 kHz).
constexpr size_t kMaxFrames = size_t(30) * 60 * 48000;
constexpr int kMaxChannels = 64;
constexpr int kMaxRate = 768000;
constexpr sf_count_t kChunkFrames = 4096;

int Report(int code, std::string* message, const std::string& text) {
  if (message) *message = text;
  return code;
}

// Maps a libsndfile open failure to the library's error codes.
int OpenErrorCode(int sf_code) {
  switch (sf_code) {
    case SF_ERR_SYSTEM: return BASS_ERROR_FILEOPEN;
    case SF_ERR_UNSUPPORTED_ENCODING: return BASS_ERROR_CODEC;
    default: return BASS_ERROR_FILEFORM;
  }
}

// Adds `count` frames of `in` (`in_channels` each) to `out` with
// `out_channels` each: equal counts copy, mono is duplicated, anything else
// is averaged to mono first.
void AppendConverted(const float* in, size_t count, int in_channels, int out_channels,
                     std::vector<float>* out) {
  for (size_t f = 0; f < count; ++f) {
    const float* frame = in + f * size_t(in_channels);
    if (in_channels == out_channels) {
      out->insert(out->end(), frame, frame + in_channels);
      continue;
    }
    float mono = frame[0];
    if (in_channels > 1) {
      double sum = 0;
      for (int c = 0; c < in_channels; ++c) sum += frame[c];
      mono = float(sum / in_channels);
    }
    out->insert(out->end(), size_t(out_channels), mono);
  }
}

// Opens `path` as a regular file for reading; returns the descriptor or -1
// with `*error` set.
int OpenRegularFile(const char* path, std::string* message, int* error) {
  // Non-blocking, so that a FIFO without a writer cannot hang us here.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = Report(BASS_ERROR_FILEOPEN, message,
                    std::string("cannot open ") + path + ": " + std::strerror(errno));
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *error = Report(BASS_ERROR_FILEOPEN, message, std::string(path) + " is not a regular file");
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    *error = Report(BASS_ERROR_FILEOPEN, message,
                    std::string("cannot read ") + path + ": " + std::strerror(errno));
    return -1;
  }
  return fd;
}

}  // namespace

int DecodeAudioFile(const char* path, int out_rate, int out_channels, DecodedAudio* out,
                    std::string* message) {
  if (!out) return BASS_ERROR_ILLPARAM;
  *out = DecodedAudio();
  if (!path || out_rate <= 0 || out_rate > kMaxRate || out_channels <= 0 ||
      out_channels > kMaxChannels) {
    return Report(BASS_ERROR_ILLPARAM, message, "invalid file name, rate or channel count");
  }
  int error = BASS_OK;
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
    return Report(BASS_ERROR_FORMAT, message,
                  std::string(path) + ": unsupported rate " + std::to_string(info.samplerate) +
                      " or channel count " + std::to_string(info.channels));
  }

  // Largest source-rate frame count that still fits kMaxFrames after conversion.
  const size_t max_source_frames =
      size_t(double(kMaxFrames) * info.samplerate / out_rate);
  std::vector<float> converted;
  if (info.frames > 0 && size_t(info.frames) <= max_source_frames) {
    converted.reserve(size_t(info.frames) * size_t(out_channels));
  }
  std::vector<float> chunk(size_t(kChunkFrames) * size_t(info.channels));
  size_t source_frames = 0;
  int result = BASS_OK;
  for (;;) {
    sf_count_t got = sf_readf_float(file, chunk.data(), kChunkFrames);
    if (got <= 0) break;
    source_frames += size_t(got);
    if (source_frames > max_source_frames) {
      result = Report(BASS_ERROR_MEM, message, std::string(path) + ": longer than 30 minutes");
      break;
    }
    AppendConverted(chunk.data(), size_t(got), info.channels, out_channels, &converted);
  }
  sf_close(file);
  close(fd);
  if (result != BASS_OK) return result;

  out->rate = out_rate;
  out->channels = out_channels;
  if (info.samplerate == out_rate) {
    out->samples = std::move(converted);
  } else {
    bass::ResampleInterleaved(converted, out_channels, info.samplerate, out_rate, &out->samples);
  }
  // Decoders can hand back non-finite values for damaged input; they would
  // poison the mix and the spectrum, so they become silence.
  for (float& s : out->samples) {
    if (!std::isfinite(s)) s = 0;
  }
  if (message) message->clear();
  return BASS_OK;
}

}  // namespace zibo
