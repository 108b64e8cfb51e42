// spectrum.h - the 512-point magnitude spectrum the show reads.
//
// Hann window over 512 mono samples, 512-point real FFT, and in out[k] for
// k = 0..255 the magnitude 2|X[k]|/512: a full-scale sine at a bin's centre
// reads about 0.5 in that bin. Shared by the live audio library and offline
// capture so both see the same numbers. Reentrant; no allocation per call
// after the first call on a thread.
#ifndef ZIBO_AUDIO_SPECTRUM_H
#define ZIBO_AUDIO_SPECTRUM_H

#include <stddef.h>

namespace zibo {

constexpr int kFftSize = 512;
constexpr int kFftBins = 256;

// `mono` holds kFftSize samples; `out` receives kFftBins magnitudes.
void ComputeSpectrum512(const float* mono, float* out);

// The spectrum of the 512 frames of interleaved `samples` (`channels` per
// frame, `frames` in all) starting at frame `first`, channels averaged to
// mono; frames outside the data count as silence.
//
// The live library passes first = BASS_ChannelGetPosition(stream) / 4, the
// frame being heard now. Frame f is heard at music_ms = trunc(f * 1000 / rate)
// (rate 44100 in the show), so the first frame heard at a given music_ms is
// FirstFrameAtMs(music_ms, rate); offline tools use it to see what the live
// show saw at that clock reading.
void ComputeSpectrumAt(const float* samples, size_t frames, int channels, long long first,
                       float* out);

// The smallest frame f >= 0 whose clock reading, computed as the show does
// (bytes 4f over 4 * rate bytes per second, times 1000.0 in double,
// truncated), is at least `music_ms`.
long long FirstFrameAtMs(long long music_ms, int rate);

}  // namespace zibo

#endif
