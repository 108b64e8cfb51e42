// instruments.h - the pitched voices of the disco track: bass, chords,
// strings and lead, all one subtractive-synth voice with different settings.
//
// RenderNote renders one note from frame `at`, held `held` frames, into the
// mix. A voice stacks `unison` slightly detuned oscillators, spreads them
// across the stereo field, runs them through a resonant lowpass whose
// cutoff falls from `cutoff_hz + sweep_hz` to `cutoff_hz`, and shapes the
// level with an ADSR envelope. No harmonic lies above `ceiling_hz`.
// Optional echoes repeat the note (dotted-eighth ping-pong). Deterministic;
// single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_INSTRUMENTS_H
#define ZIBO_TOOLS_MEDIA_INSTRUMENTS_H

#include "synth.h"

namespace zibo::media {

struct Voice {
  Wave wave = Wave::kSaw;
  int unison = 1;
  float detune_cents = 0;
  float stereo_spread = 0;  // 0..1
  Adsr envelope;
  float cutoff_hz = 2000, sweep_hz = 0, sweep_decay = 0.1f, resonance = 0.8f;
  float ceiling_hz = 8000;
  float vibrato_cents = 0;
  int echoes = 0;
  long long echo_frames = 0;
  float echo_feedback = 0.35f;
};

void RenderNote(StereoMix& mix, WaveTables& tables, const Voice& voice, long long at,
                long long held, double midi_note, float gain, float pan);

// The voices of the track.
Voice BassVoice(float ceiling_hz);
Voice StabVoice(float ceiling_hz);
Voice StringVoice(float ceiling_hz);
Voice LeadVoice(float ceiling_hz, long long echo_frames);

}  // namespace zibo::media

#endif
