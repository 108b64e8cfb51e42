// song.cpp - which instrument plays what, bar by bar.
#include "song.h"

#include <algorithm>
#include <cmath>

#include "drums.h"
#include "instruments.h"

namespace zibo::media {
namespace {

constexpr long long kStep = kFramesPerBeat / 4;  // a sixteenth note

long long At(double beat) { return std::llround(beat * double(kFramesPerBeat)); }

// One chord of the progression: the bass root (low octave) and the chord tones.
struct Chord {
  int root;
  int tones[4];
};
constexpr Chord kAm7{33, {57, 60, 64, 67}};
constexpr Chord kDm7{38, {57, 60, 62, 65}};
constexpr Chord kG7{31, {59, 62, 65, 67}};
constexpr Chord kCmaj7{36, {59, 60, 64, 67}};
constexpr Chord kFmaj7{29, {57, 60, 64, 65}};
constexpr Chord kE7{28, {56, 59, 62, 64}};
constexpr Chord kProgression[4] = {kAm7, kDm7, kG7, kCmaj7};
constexpr Chord kVariation[4] = {kFmaj7, kG7, kAm7, kE7};

// The lead hook: (sixteenth step, length in steps, MIDI note), four bars.
struct Note {
  int step, length, pitch;
};
constexpr Note kHook[4][6] = {
    {{0, 2, 76}, {3, 1, 79}, {4, 3, 81}, {8, 2, 84}, {10, 2, 81}, {12, 4, 79}},
    {{0, 2, 81}, {2, 2, 77}, {4, 2, 76}, {6, 2, 74}, {8, 6, 76}, {14, 2, 72}},
    {{0, 2, 74}, {3, 1, 79}, {4, 3, 83}, {8, 2, 86}, {10, 2, 83}, {12, 4, 81}},
    {{0, 2, 79}, {2, 2, 76}, {4, 4, 72}, {8, 2, 76}, {10, 2, 79}, {12, 4, 76}},
};

// What plays in one bar.
struct Bar {
  bool kick = false, hats = false, claps = false, closed_hats = false;
  bool bass = false, held_bass = false, stabs = false, strings = false, lead = false;
  bool congas = false, arpeggio = false;
  float kick_gain = 0.85f;
  bool bright = false;  // bright percussion, and everything else kept below 3 kHz
  bool fill = false;    // a snare fill on the last beat
  float filter = 1.0f;  // 0..1: how far the intro's filters have opened
  int lead_octave = 0;
  float lead_gain = 0.16f;
};

class Song {
 public:
  Song() : mix_(size_t(At(kSongBeats))), noise_(0x5EED2140C0FFEEULL) {}

  // Plays `beats` beats of `bar` from beat `start` over `chord`; `index`
  // is the bar's place in its section (for the hook and variations).
  void Play(double start, int beats, const Bar& bar, const Chord& chord, int index) {
    const float ceiling = bar.bright ? 3000.0f : 9000.0f;
    for (int b = 0; b < beats; ++b) {
      const double beat = start + b;
      if (bar.kick) RenderKick(mix_, At(beat), bar.kick_gain, bar.bright);
      if (bar.claps && (b == 1 || b == 3)) RenderClap(mix_, noise_, At(beat), 0.42f, 0.1f, bar.bright);
      if (bar.hats && !bar.bright) RenderHat(mix_, noise_, At(beat + 0.5), 0.13f, 0.5f, 0.085f);
      if (bar.closed_hats)
        for (double s : {0.25, 0.75}) RenderHat(mix_, noise_, At(beat + s), s < 0.5 ? 0.06f : 0.08f, -0.6f, 0.018f);
      if (bar.bright) BrightBeat(beat, b, beats);
      if (bar.congas) CongaBeat(beat, b, index);
      if (bar.fill && b == beats - 1)
        for (int s = 0; s < 4; ++s) RenderSnare(mix_, noise_, At(beat + s * 0.25), 0.18f + 0.05f * s, 0.15f);
    }
    if (bar.bass) OctaveBass(start, beats, chord, ceiling, bar.filter, index);
    if (bar.held_bass)
      RenderNote(mix_, tables_, BassVoice(ceiling), At(start), At(beats) - kStep, chord.root + 12, 0.28f, 0);
    if (bar.stabs) Stabs(start, beats, chord, ceiling, index);
    if (bar.strings) {
      Voice strings = StringVoice(ceiling);
      strings.cutoff_hz = 400.0f + 2000.0f * bar.filter;
      for (int tone : chord.tones) RenderNote(mix_, tables_, strings, At(start), At(beats), tone + 12, 0.05f, 0);
    }
    if (bar.arpeggio) Arpeggio(start, beats, chord, ceiling);
    if (bar.lead) {
      const Voice lead = LeadVoice(ceiling, 3 * kStep);
      for (const Note& n : kHook[index % 4])
        if (n.step < beats * 4)
          RenderNote(mix_, tables_, lead, At(start) + n.step * kStep, n.length * kStep - kStep / 4,
                     n.pitch + 12 * bar.lead_octave, bar.lead_gain, 0);
    }
  }

  // A quick upward run of the strings over the A minor scale, ending on `to`.
  void StringRun(double from, double to) {
    static const int kScale[] = {57, 59, 60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83};
    Voice run = StringVoice(9000);
    run.envelope = {0.01f, 0.1f, 0.8f, 0.15f};
    const int steps = int(std::lround((to - from) * 4));
    for (int i = 0; i < steps && i < 16; ++i)
      RenderNote(mix_, tables_, run, At(from + i * 0.25), kStep, kScale[16 - steps + i] + 12,
                 0.05f + 0.003f * float(i), 0);
  }

  void Crash(double beat) { RenderCrash(mix_, noise_, At(beat), 0.22f); }
  void Riser(double from, double to) { RenderRiser(mix_, noise_, At(from), At(to) - At(from), 0.25f); }
  void SnareRoll(double from, double to) {
    for (double b = from; b < to - 1e-9; b += 0.25)
      RenderSnare(mix_, noise_, At(b), 0.08f + 0.22f * float((b - from) / (to - from)), 0.0f);
  }

  // The last chord, struck at `beat` and left to ring.
  void FinalHit(double beat) {
    RenderKick(mix_, At(beat), 0.9f, false);
    RenderClap(mix_, noise_, At(beat), 0.4f, 0.0f, false);
    Crash(beat);
    Voice stab = StabVoice(9000);
    stab.envelope = {0.004f, 0.6f, 0.4f, 2.5f};
    Voice strings = StringVoice(9000);
    strings.envelope = {0.02f, 0.5f, 0.8f, 3.0f};
    for (int tone : kAm7.tones) {
      RenderNote(mix_, tables_, stab, At(beat), At(1.5), tone, 0.12f, 0);
      RenderNote(mix_, tables_, strings, At(beat), At(2), tone + 12, 0.06f, 0);
    }
    Voice bass = BassVoice(6000);
    bass.envelope = {0.003f, 0.8f, 0.5f, 2.0f};
    RenderNote(mix_, tables_, bass, At(beat), At(2), kAm7.root, 0.35f, 0);
  }

  StereoMix Finish() {
    float peak = 0;
    for (size_t i = 0; i < mix_.frames(); ++i)
      peak = std::max({peak, std::fabs(mix_.left()[i]), std::fabs(mix_.right()[i])});
    const float gain = peak > 0 ? 0.89f / peak : 1.0f;
    // A gentle fade over the last eight beats.
    const size_t fade_from = size_t(At(kSongBeats - 8));
    for (size_t i = 0; i < mix_.frames(); ++i) {
      float g = gain;
      if (i >= fade_from) g *= 1.0f - float(i - fade_from) / float(mix_.frames() - fade_from);
      mix_.left()[i] *= g;
      mix_.right()[i] *= g;
    }
    return std::move(mix_);
  }

 private:
  // Root on the beat, octave above on the off-beat: the disco bass. The
  // last bar of each four-bar phrase walks up to the next chord.
  void OctaveBass(double start, int beats, const Chord& chord, float ceiling, float filter,
                  int index) {
    Voice bass = BassVoice(ceiling);
    bass.sweep_hz *= 0.3f + 0.7f * filter;
    for (int e = 0; e < beats * 2; ++e) {
      int pitch = chord.root + 12 + ((e & 1) ? 12 : 0);
      if (index % 4 == 3 && beats == 4 && e >= 6) pitch = chord.root + 12 + (e == 6 ? 7 : 10);
      RenderNote(mix_, tables_, bass, At(start + e * 0.5), kStep + kStep / 2, pitch, 0.3f, 0);
    }
  }

  // A lead that climbs the chord's tones in sixteenths, two octaves deep.
  void Arpeggio(double start, int beats, const Chord& chord, float ceiling) {
    Voice arp = LeadVoice(ceiling, 3 * kStep);
    arp.envelope = {0.003f, 0.08f, 0.3f, 0.05f};
    arp.vibrato_cents = 0;
    arp.echoes = 2;
    for (int step = 0; step < beats * 4; ++step) {
      const int tone = chord.tones[step % 4] + 12 * ((step / 4) % 2) + 12;
      RenderNote(mix_, tables_, arp, At(start) + step * kStep, kStep / 2, tone, step % 4 ? 0.06f : 0.08f,
                 0);
    }
  }

  // Hand drums answering the kick: a syncopated two-bar pattern.
  void CongaBeat(double beat, int b, int index) {
    static const int kPattern[2][4] = {{3, 2, 2, 3}, {2, 3, 2, 1}};  // step bits per beat
    const int bits = kPattern[index % 2][b];
    if (bits & 1) RenderConga(mix_, noise_, At(beat + 0.75), 0.18f, -0.5f, true);
    if (bits & 2) RenderConga(mix_, noise_, At(beat + 0.5), 0.2f, -0.3f, b % 2 == 0);
  }

  // Chord stabs on the off-beats, with a pushed sixteenth in odd bars.
  void Stabs(double start, int beats, const Chord& chord, float ceiling, int index) {
    const Voice stab = StabVoice(ceiling);
    for (int step = 0; step < beats * 4; ++step) {
      const bool offbeat = step % 4 == 2;
      const bool push = (index & 1) && step == 11;
      if (!offbeat && !push) continue;
      for (int tone : chord.tones)
        RenderNote(mix_, tables_, stab, At(start) + step * kStep, kStep, tone, 0.07f, 0);
    }
  }

  // Sixteenths of bright percussion, accented on the off-beats; the last
  // sixteenth before each bar line rests so the bright bands fall silent.
  void BrightBeat(double beat, int b, int beats) {
    for (int s = 0; s < 4; ++s) {
      if (b == beats - 1 && s == 3) continue;
      const float gain = s == 2 ? 0.3f : (s == 0 ? 0.22f : 0.14f);
      RenderBrightHit(mix_, noise_, At(beat + s * 0.25), gain, s & 1 ? 0.5f : -0.3f);
    }
  }

  StereoMix mix_;
  Noise noise_;
  WaveTables tables_;
};

}  // namespace

StereoMix RenderSong() {
  Song song;
  // Intro build, beats 0-40: instruments join every two bars, filters open.
  for (int i = 0; i < 10; ++i) {
    Bar bar;
    bar.kick = true;
    bar.strings = true;
    bar.hats = i >= 2;
    bar.bass = i >= 4;
    bar.claps = i >= 6;
    bar.stabs = i >= 8;
    bar.filter = float(i) / 9.0f;
    bar.kick_gain = 0.6f + 0.25f * bar.filter;
    song.Play(i * 4, 4, bar, kProgression[i % 4], i);
  }
  song.SnareRoll(38, 40);
  song.Riser(32, 40);
  // Break, beats 40-50: the drums stop, strings and a first taste of the hook.
  for (int i = 0; i < 2; ++i) {
    Bar bar;
    bar.strings = true;
    bar.held_bass = true;
    bar.lead = true;
    bar.lead_gain = 0.1f;
    song.Play(40 + i * 4, 4, bar, kProgression[i], i);
  }
  song.SnareRoll(48, 50);
  song.StringRun(48, 50);
  song.Riser(46, 50);
  // Groove, beats 50-130.
  song.Crash(50);
  for (int i = 0; i < 20; ++i) {
    Bar bar;
    bar.kick = bar.hats = bar.claps = bar.bass = bar.stabs = true;
    bar.closed_hats = i >= 10;
    bar.fill = i % 8 == 7 || i == 19;
    song.Play(50 + i * 4, 4, bar, kProgression[i % 4], i);
  }
  song.StringRun(128, 130);
  // Full groove with the hook, beats 130-170.
  song.Crash(130);
  for (int i = 0; i < 10; ++i) {
    Bar bar;
    bar.kick = bar.hats = bar.claps = bar.closed_hats = bar.bass = bar.stabs = bar.lead = true;
    bar.fill = i == 9;
    song.Play(130 + i * 4, 4, bar, kProgression[i % 4], i);
  }
  // String groove, beats 170-190: the hook rests, the strings sing.
  for (int i = 0; i < 5; ++i) {
    Bar bar;
    bar.kick = bar.hats = bar.claps = bar.bass = bar.strings = bar.congas = true;
    bar.fill = i == 4;
    song.Play(170 + i * 4, 4, bar, kProgression[i % 4], i);
  }
  // Variation, beats 190-210: new chords under a climbing arpeggio.
  song.Crash(190);
  for (int i = 0; i < 5; ++i) {
    Bar bar;
    bar.kick = bar.hats = bar.claps = bar.closed_hats = bar.bass = bar.stabs = bar.arpeggio = true;
    song.Play(190 + i * 4, 4, bar, kVariation[i % 4], i);
  }
  // Breakdown, beats 210-220.
  for (int i = 0; i < 3; ++i) {
    Bar bar;
    bar.strings = true;
    bar.held_bass = true;
    song.Play(210 + i * 4, i == 2 ? 2 : 4, bar, kVariation[i % 4], i);
  }
  song.SnareRoll(216, 220);
  song.Riser(212, 220);
  // The peak, beats 220-260: bright percussion; everything else stays low.
  for (int i = 0; i < 10; ++i) {
    Bar bar;
    bar.kick = bar.claps = bar.bass = bar.stabs = bar.lead = bar.bright = true;
    song.Play(220 + i * 4, 4, bar, kProgression[i % 4], i);
  }
  // Finale, beats 260-300.
  song.Crash(260);
  for (int i = 0; i < 10; ++i) {
    Bar bar;
    bar.kick = bar.hats = bar.claps = bar.closed_hats = bar.bass = bar.stabs = bar.lead = true;
    bar.strings = i >= 2;
    bar.congas = i >= 4;
    bar.fill = i == 9;
    song.Play(260 + i * 4, 4, bar, kProgression[i % 4], i);
  }
  song.FinalHit(300);
  return song.Finish();
}

}  // namespace zibo::media
