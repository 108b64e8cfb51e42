#include "bass/audio_decoder.h"

#include <cmath>

#include "bass/audio_source.h"
#include "bass/bass.h"
#include "bass/resampler.h"

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

}  // namespace

int DecodeAudioFile(const char* path, int out_rate, int out_channels, DecodedAudio* out,
                    std::string* message) {
  if (!out) return BASS_ERROR_ILLPARAM;
  *out = DecodedAudio();
  if (!path || out_rate <= 0 || out_rate > AudioSource::kMaxRate || out_channels <= 0 ||
      out_channels > AudioSource::kMaxChannels) {
    return Report(BASS_ERROR_ILLPARAM, message, "invalid file name, rate or channel count");
  }
  AudioSource source;
  int code = source.Open(path, out_channels, message);
  if (code != BASS_OK) return code;

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
      return Report(BASS_ERROR_MEM, message, std::string(path) + ": longer than 30 minutes");
    }
  }

  out->rate = out_rate;
  out->channels = out_channels;
  if (source.rate() == out_rate) {
    out->samples = std::move(converted);
  } else {
    bass::ResampleInterleaved(converted, out_channels, source.rate(), out_rate, &out->samples);
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
