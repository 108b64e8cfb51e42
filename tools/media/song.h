// song.h - the arrangement of the show's disco track on its 140 BPM grid.
//
// RenderSong synthesises the whole track, stereo at 44100 Hz: one beat is
// exactly 18900 frames, so every beat starts on a whole frame. The
// sections follow the show's script (beats): intro build 0-40, break 40-50,
// groove 50-130, groove with the hook 130-170, string groove 170-190,
// variation 190-210, breakdown 210-220, the bright-percussion peak 220-260,
// finale 260-300, then a final hit at beat 300 that fades out by beat 312.
// Deterministic (fixed noise seed); takes about a second.
#ifndef ZIBO_TOOLS_MEDIA_SONG_H
#define ZIBO_TOOLS_MEDIA_SONG_H

#include "synth.h"

namespace zibo::media {

constexpr long long kFramesPerBeat = 18900;  // 44100 * 60 / 140
constexpr int kSongBeats = 312;

// The finished mix, peak-normalised to about -1 dBFS.
StereoMix RenderSong();

}  // namespace zibo::media

#endif
