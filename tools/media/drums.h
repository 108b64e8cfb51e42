// drums.h - the drum voices of the disco track, each rendered as one hit.
//
// Every function renders one hit starting at frame `at` into the mix, with
// `gain` (linear) and `pan` (-1 left .. 1 right). Noisy voices draw from
// the given Noise, so rendering the same hits in the same order gives the
// same samples. `clean` asks a voice to keep its energy below about 3 kHz
// (kick, clap) so that the track's bright bands can fall silent between
// the bright percussion's hits. Single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_DRUMS_H
#define ZIBO_TOOLS_MEDIA_DRUMS_H

#include "synth.h"

namespace zibo::media {

void RenderKick(StereoMix& mix, long long at, float gain, bool clean);
void RenderClap(StereoMix& mix, Noise& noise, long long at, float gain, float pan, bool clean);
void RenderSnare(StereoMix& mix, Noise& noise, long long at, float gain, float pan);
// An open hi-hat: `decay` is its time constant in seconds (about 0.08).
void RenderHat(StereoMix& mix, Noise& noise, long long at, float gain, float pan, float decay);
void RenderCrash(StereoMix& mix, Noise& noise, long long at, float gain);
// A short glassy hit whose partials sit at about 4.4, 4.8, 15.4, 17.6 and
// 19.8 kHz and die away within about 60 ms.
void RenderBrightHit(StereoMix& mix, Noise& noise, long long at, float gain, float pan);
// A hand drum: `high` picks the higher of two pitches.
void RenderConga(StereoMix& mix, Noise& noise, long long at, float gain, float pan, bool high);
// A rising noise sweep over `frames` frames, ending at `at + frames`.
void RenderRiser(StereoMix& mix, Noise& noise, long long at, long long frames, float gain);

}  // namespace zibo::media

#endif
