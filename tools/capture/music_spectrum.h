// music_spectrum.h - the noise scene's spectrum, taken from the decoded
// music at a fixed time instead of from a playing stream.
//
// For music time ms the 512 samples start at the first frame that the live
// audio library's clock reads as ms (FirstFrameAtMs), where its spectrum
// starts when the show reads that time, and go through the same FFT
// (spectrum.h). The spectrum is computed once
// per time, on the first probe, and every probe of that time reads it, so
// a time always gives the same numbers. Borrows the decoded music. One
// thread (the renderer's).
#ifndef ZIBO_CAPTURE_MUSIC_SPECTRUM_H
#define ZIBO_CAPTURE_MUSIC_SPECTRUM_H

#include <cstdint>

#include "audio/audio_decoder.h"
#include "audio/spectrum.h"
#include "scenes/scene_schedule.h"

namespace zibo {

class MusicSpectrum : public SpectrumSource {
 public:
  explicit MusicSpectrum(const DecodedAudio& music) : music_(music) {}

  // The music time that the following probes read.
  void SetTimeMs(int32_t ms);

  // Magnitude of bin int(fraction * 512); 0 outside the 256 bins.
  float SpectrumAt(float fraction) override;

 private:
  const DecodedAudio& music_;
  int32_t ms_ = 0;
  bool computed_ = false;
  float bins_[kFftBins] = {};
};

}  // namespace zibo

#endif
