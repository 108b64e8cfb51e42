#include "audio/audio_decoder.h"

#include <soxr.h>

#include <cmath>
#include <cstdint>

#include "audio/audio_source.h"

namespace zibo {
namespace {

// Longest decoded signal accepted, in output frames, so that a hostile or
// broken file cannot make us allocate without bound (30 minutes at 48 kHz).
constexpr size_t kMaxFrames = kMaxDecodedFrames;
constexpr size_t kChunkFrames = 4096;

int Report(int code, std::string* message, const std::string& text) {
  if (message) *message = text;
  return code;
}

// Converts interleaved `in` to `out_rate` with libsoxr, keeping pitch and
// length (rounded to the nearest frame). High quality (20-bit, linear phase)
// keeps the error far below 16-bit input's own noise at a fraction of the
// very-high setting's cost.
bool Resample(const std::vector<float>& in, int channels, int in_rate, int out_rate,
              std::vector<float>* out, std::string* message) {
  const size_t in_frames = in.size() / size_t(channels);
  const size_t out_frames = size_t(
      (uint64_t(in_frames) * uint64_t(out_rate) + uint64_t(in_rate) / 2) / uint64_t(in_rate));
  out->assign(out_frames * size_t(channels), 0.0f);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  size_t done = 0;
  const soxr_error_t error =
      soxr_oneshot(in_rate, out_rate, unsigned(channels), in.data(), in_frames, nullptr,
                   out->data(), out_frames, &done, &io, &quality, nullptr);
  if (error && message) *message = std::string("resampling failed: ") + error;
  return !error;
}

}  // namespace

int DecodeAudioFile(const char* path, int out_rate, int out_channels, DecodedAudio* out,
                    std::string* message) {
  if (!out) return kAudioBadParam;
  *out = DecodedAudio();
  if (!path || out_rate <= 0 || out_rate > AudioSource::kMaxRate || out_channels <= 0 ||
      out_channels > AudioSource::kMaxChannels) {
    return Report(kAudioBadParam, message, "invalid file name, rate or channel count");
  }
  AudioSource source;
  int code = source.Open(path, out_channels, message);
  if (code != kAudioOk) return code;

  // Largest source-rate frame count that still fits kMaxFrames after conversion.
  const size_t max_source_frames = size_t(double(kMaxFrames) * source.rate() / out_rate);
  std::vector<float> converted;
  if (source.frames_hint() > 0 && size_t(source.frames_hint()) <= max_source_frames) {
    converted.reserve(size_t(source.frames_hint()) * size_t(out_channels));
  }
  size_t source_frames = 0;
  for (;;) {
    converted.resize((source_frames + kChunkFrames) * size_t(out_channels));
    size_t got = source.Read(&converted[source_frames * size_t(out_channels)], kChunkFrames);
    source_frames += got;
    converted.resize(source_frames * size_t(out_channels));
    if (got == 0) break;
    if (source_frames > max_source_frames) {
      return Report(kAudioNoMemory, message, std::string(path) + ": longer than 30 minutes");
    }
  }

  out->rate = out_rate;
  out->channels = out_channels;
  if (source.rate() == out_rate) {
    out->samples = std::move(converted);
  } else {
    if (!Resample(converted, out_channels, source.rate(), out_rate, &out->samples, message)) {
      return kAudioNoMemory;
    }
  }
  // Decoders can hand back non-finite values for damaged input; they would
  // poison the mix and the spectrum, so they become silence.
  for (float& s : out->samples) {
    if (!std::isfinite(s)) s = 0;
  }
  if (message) message->clear();
  return kAudioOk;
}

}  // namespace zibo
