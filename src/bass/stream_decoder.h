// stream_decoder.h - fills a stream with the decoded samples of a file.
//
// A file already at the output rate and longer than a second is decoded
// progressively: its first second now, so that playback can begin at once,
// and the rest on a background thread into a buffer sized up front from the
// file's frame count (with a margin, since an MP3's count is an estimate).
// Each decoded piece is published through Stream::ready. Should the file
// turn out longer than the buffer, the thread decodes the rest into a larger
// one and swaps it in under the output device's lock and the stream's
// buffer mutex, so nothing is lost. Any other file (resampled, short, of
// unknown length) is decoded whole, now, by DecodeAudioFile.
//
// Threads: called on the show's thread. The background thread touches only
// its stream (and the device lock, for the swap); Stream::StopDecoding stops
// and joins it, and must run before the stream is deleted or the device
// closed.
#ifndef ZIBO_BASS_STREAM_DECODER_H
#define ZIBO_BASS_STREAM_DECODER_H

#include <cstddef>
#include <string>

#include "bass/output_device.h"
#include "bass/stream.h"

namespace zibo::bass {

// Decodes `path` into the fresh `stream` for `device` (its rate, stereo).
// Returns BASS_OK or the error codes of DecodeAudioFile, with `message`.
// `capacity_frames`, when not 0, replaces the buffer size estimated from the
// file (tests use it to make a file outgrow its buffer).
int DecodeStream(const char* path, OutputDevice* device, Stream* stream, std::string* message,
                 size_t capacity_frames = 0);

}  // namespace zibo::bass

#endif
