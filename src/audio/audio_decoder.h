// audio_decoder.h - decode a whole audio file to interleaved float samples.
//
// Used by the audio library's streams and by offline tools that need the
// same samples the live show hears. libsndfile reads the file; the result is
// converted to `out_channels` channels (mono is duplicated to every channel,
// more channels are averaged down) and by libsoxr to `out_rate` Hz as it is
// read, so memory follows the output's length whatever the file's rate.
// Pure function of the file; safe on any thread.
#ifndef ZIBO_AUDIO_AUDIO_DECODER_H
#define ZIBO_AUDIO_AUDIO_DECODER_H

#include <cstddef>
#include <string>
#include <vector>

#include "audio/audio_status.h"

namespace zibo {

// Longest decoded signal accepted, in output frames (30 minutes at 48 kHz).
constexpr size_t kMaxDecodedFrames = size_t(30) * 60 * 48000;

struct DecodedAudio {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved, frames * channels values
  size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Returns an AudioStatus (kAudioOk on success) and fills `out`:
// FILEOPEN when the file cannot be opened or is no regular file, FILEFORM
// when it is no audio libsndfile can read, CODEC for an unsupported encoding,
// FORMAT for an absurd rate or channel count, MEM past 30 minutes of audio
// (before reading when the file's header says so).
// A damaged file yields what could be decoded of it (possibly nothing);
// values that decode as NaN or infinity become silence.
// On failure `message` (if given) says what went wrong, for tools.
int DecodeAudioFile(const char* path, int out_rate, int out_channels, DecodedAudio* out,
                    std::string* message = nullptr);

}  // namespace zibo

#endif
