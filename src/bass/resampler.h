// resampler.h - sample-rate conversion of whole decoded signals.
//
// A band-limited (windowed-sinc, Blackman window, 16 zero crossings each
// side) interpolator: the output keeps the input's pitch and duration, and
// frequencies above the lower of the two Nyquist limits are filtered out
// rather than aliased. Samples before and after the input count as silence.
// Pure function; safe on any thread.
#ifndef ZIBO_BASS_RESAMPLER_H
#define ZIBO_BASS_RESAMPLER_H

#include <cstddef>
#include <vector>

namespace zibo::bass {

// Number of output frames for `in_frames` frames at `in_rate` converted to
// `out_rate` (rounded to the nearest frame).
size_t ResampledFrameCount(size_t in_frames, int in_rate, int out_rate);

// Converts interleaved `in` (`channels` per frame) from `in_rate` to
// `out_rate` Hz into `out` (resized to ResampledFrameCount * channels).
void ResampleInterleaved(const std::vector<float>& in, int channels, int in_rate, int out_rate,
                         std::vector<float>* out);

}  // namespace zibo::bass

#endif
