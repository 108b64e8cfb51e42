// stream_decoder.h - fills a stream with the decoded samples of a file.
//
// A file already at the output rate and longer than a second is decoded
// progressively into the stream's window (stream.h): its first second now,
// so that playback can begin at once, and the rest on a background thread
// that stays up to a window's length ahead of the play position and keeps
// a sixth of the window behind it for late readers. The window holds
// kWindowSeconds of frames (less for a file that fits in fewer), so memory
// no longer grows with the song; ten seconds ahead is a tenth of a second
// of decoding here, ample for a decoder starved on a busy machine. When the
// play position or a seek's target leaves the window the thread restarts
// decoding there. Any other file (resampled, short, of unknown length) is
// decoded whole, now, by DecodeAudioFile.
//
// Threads: DecodeStream and SeekStream are called on the show's thread. The
// background thread owns the open file and touches only its stream and,
// briefly, the device lock; Stream::StopDecoding stops and joins it, and
// must run before the stream is deleted or the device closed.
#ifndef ZIBO_BASS_STREAM_DECODER_H
#define ZIBO_BASS_STREAM_DECODER_H

#include <cstdint>
#include <functional>
#include <string>

#include "bass/output_device.h"
#include "bass/stream.h"

namespace zibo::bass {

constexpr int kWindowSeconds = 12;

// Decodes `path` into the fresh `stream` for `device` (its rate, stereo).
// Returns BASS_OK or the error codes of DecodeAudioFile, with `message`.
// `window_frames`, when not 0, replaces the window's size (tests use it to
// make a short file wrap around its window).
int DecodeStream(const char* path, OutputDevice* device, Stream* stream, std::string* message,
                 int64_t window_frames = 0);

// Makes the frames from `frame` on readable (a quarter second of them, or up
// to the end), waiting for the decoder, restarted at `frame` if need be;
// then runs `commit` under the device lock, which moves the play state
// there. Returns false, without `commit`, when `frame` is past the end.
bool SeekStream(Stream* stream, int64_t frame, OutputDevice* device,
                const std::function<void()>& commit);

}  // namespace zibo::bass

#endif
