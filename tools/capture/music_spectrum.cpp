#include "music_spectrum.h"

namespace zibo {

void MusicSpectrum::SetTimeMs(int32_t ms) {
  if (ms != ms_) computed_ = false;
  ms_ = ms;
}

float MusicSpectrum::SpectrumAt(float fraction) {
  const int index = int(fraction * float(kFftSize));
  if (index < 0 || index >= kFftBins) return 0.0f;
  if (!computed_) {
    ComputeSpectrumAt(music_.samples.data(), music_.frames(), music_.channels,
                      FirstFrameAtMs(ms_, music_.rate), bins_);
    computed_ = true;
  }
  return bins_[index];
}

}  // namespace zibo
