#include "audio/audio_decoder.h"

#include <soxr.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "audio/audio_source.h"

namespace zibo {
namespace {

// Longest decoded signal accepted, in output frames, so that a hostile or
// broken file cannot make us allocate without bound (30 minutes at 48 kHz,
// about 700 MB of stereo).
constexpr size_t kMaxFrames = kMaxDecodedFrames;
constexpr size_t kChunkFrames = 4096;

int Report(int code, std::string* message, const std::string& text) {
  if (message) *message = text;
  return code;
}

// Turns the file's frames, read piece by piece, into output-rate frames
// with libsoxr, keeping pitch and length, so that only output frames are
// ever held. High quality (20-bit, linear phase) keeps the error far below
// 16-bit input's own noise at a fraction of the very-high setting's cost.
class PieceResampler {
 public:
  PieceResampler(int in_rate, int out_rate, int channels) : channels_(size_t(channels)) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_ = soxr_create(in_rate, out_rate, unsigned(channels), &error_, &io, &quality, nullptr);
    piece_.resize(kChunkFrames * channels_);
  }
  ~PieceResampler() { soxr_delete(soxr_); }
  PieceResampler(const PieceResampler&) = delete;
  PieceResampler& operator=(const PieceResampler&) = delete;

  // Appends to `out` what `frames` frames of `in` make; no frames: the
  // rest that libsoxr holds. False (see error()) when libsoxr fails.
  bool Feed(const float* in, size_t frames, std::vector<float>* out) {
    if (error_) return false;
    size_t used = 0, made = 0;
    do {
      error_ = soxr_process(soxr_, frames ? in + used * channels_ : nullptr, frames - used, &used_now_,
                            piece_.data(), kChunkFrames, &made);
      if (error_) return false;
      used += used_now_;
      out->insert(out->end(), piece_.begin(), piece_.begin() + made * channels_);
    } while (used < frames || made == kChunkFrames || (frames == 0 && made > 0));
    return true;
  }
  const char* error() const { return error_; }

 private:
  size_t channels_;
  soxr_error_t error_ = nullptr;
  soxr_t soxr_ = nullptr;
  size_t used_now_ = 0;
  std::vector<float> piece_;
};

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

  // Counted in output frames: a file at a high rate must not make us hold
  // more of its own frames than the longest output accepted.
  const uint64_t in_rate = uint64_t(source.rate());
  auto output_frames = [&](uint64_t frames) {
    return (frames * uint64_t(out_rate) + in_rate / 2) / in_rate;
  };
  const int64_t hint = source.frames_hint();
  const bool hint_known = hint > 0 && hint < INT64_MAX / out_rate;
  const std::string too_long = std::string(path) + ": longer than 30 minutes";
  auto fail = [&](const std::string& why) {
    *out = DecodedAudio();
    return Report(kAudioNoMemory, message, why);
  };
  if (hint_known && output_frames(uint64_t(hint)) > kMaxFrames) return fail(too_long);
  std::vector<float>& samples = out->samples;
  if (hint_known) samples.reserve(size_t(output_frames(uint64_t(hint))) * size_t(out_channels));
  std::unique_ptr<PieceResampler> resampler;
  if (source.rate() != out_rate) {
    resampler = std::make_unique<PieceResampler>(source.rate(), out_rate, out_channels);
  }
  std::vector<float> piece(kChunkFrames * size_t(out_channels));
  uint64_t source_frames = 0;
  for (;;) {
    const size_t got = source.Read(piece.data(), kChunkFrames);
    source_frames += got;
    if (!resampler) {
      samples.insert(samples.end(), piece.begin(), piece.begin() + got * size_t(out_channels));
    } else if (!resampler->Feed(piece.data(), got, &samples)) {
      return fail(std::string("resampling failed: ") + resampler->error());
    }
    if (samples.size() / size_t(out_channels) > kMaxFrames) return fail(too_long);
    if (got == 0) break;
  }
  // The resampler's own rounding aside, the length is the file's to the
  // nearest output frame.
  samples.resize(size_t(output_frames(source_frames)) * size_t(out_channels), 0.0f);
  out->rate = out_rate;
  out->channels = out_channels;
  // Decoders can hand back non-finite values for damaged input; they would
  // poison the mix and the spectrum, so they become silence.
  for (float& s : out->samples) {
    if (!std::isfinite(s)) s = 0;
  }
  if (message) message->clear();
  return kAudioOk;
}

}  // namespace zibo
