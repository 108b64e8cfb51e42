// instruments.cpp - the subtractive voice and the track's instrument settings.
#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zibo::media {

void RenderNote(StereoMix& mix, WaveTables& tables, const Voice& voice, long long at,
                long long held, double midi_note, float gain, float pan) {
  const float held_s = float(held) / kSampleRate;
  const size_t n = size_t(voice.envelope.Length(held_s) * kSampleRate) + 1;
  const double hz = MidiToHz(midi_note);
  std::vector<Oscillator> oscillators;
  for (int v = 0; v < voice.unison; ++v) {
    const double spread = voice.unison > 1 ? double(v) / (voice.unison - 1) * 2.0 - 1.0 : 0.0;
    const double detuned = hz * std::pow(2.0, spread * voice.detune_cents / 1200.0);
    // Fixed but different start phases keep unison voices from cancelling.
    oscillators.emplace_back(tables, voice.wave, detuned, voice.ceiling_hz, 0.137 * v);
  }
  std::vector<float> sides[2] = {std::vector<float>(n), std::vector<float>(n)};
  Svf filters[2];
  constexpr size_t kBlock = 16;  // control values change every 16 samples
  float env = 0, env_step = 0;
  for (size_t i = 0; i < n; ++i) {
    const float t = float(i) / kSampleRate;
    if (i % kBlock == 0) {
      env = voice.envelope.At(t, held_s);
      env_step = (voice.envelope.At(t + float(kBlock) / kSampleRate, held_s) - env) / float(kBlock);
      const double cutoff = voice.cutoff_hz + voice.sweep_hz * std::exp(-t / voice.sweep_decay);
      filters[0].Set(cutoff, voice.resonance);
      filters[1].Set(cutoff, voice.resonance);
      if (voice.vibrato_cents > 0) {
        const double depth = voice.vibrato_cents * std::min(1.0f, std::max(0.0f, t - 0.15f) / 0.3f);
        const double ratio = std::pow(2.0, depth * std::sin(2 * kPiD * 5.5 * t) / 1200.0);
        for (Oscillator& o : oscillators) o.SetRatio(ratio);
      }
    }
    float sum[2] = {0, 0};
    for (int v = 0; v < voice.unison; ++v) sum[v & 1] += oscillators[size_t(v)].Next();
    if (voice.unison == 1) sum[1] = sum[0];
    for (int side = 0; side < 2; ++side) sides[side][i] = filters[side].Process(sum[side]).low * env;
    env += env_step;
  }
  const float width = voice.unison > 1 ? voice.stereo_spread : 0.0f;
  const float unison_gain = gain / std::sqrt(float(voice.unison));
  float echo_gain = 1.0f;
  for (int e = 0; e <= voice.echoes; ++e) {
    const long long offset = at + e * voice.echo_frames;
    const float echo_pan = e == 0 ? 0.0f : (e & 1 ? -0.6f : 0.6f);
    if (voice.unison == 1) {
      mix.AddMono(offset, sides[0].data(), n, unison_gain * echo_gain, std::clamp(pan + echo_pan, -1.0f, 1.0f));
    } else {
      mix.AddMono(offset, sides[0].data(), n, unison_gain * echo_gain * 0.7071f,
                  std::clamp(pan - width + echo_pan, -1.0f, 1.0f));
      mix.AddMono(offset, sides[1].data(), n, unison_gain * echo_gain * 0.7071f,
                  std::clamp(pan + width + echo_pan, -1.0f, 1.0f));
    }
    echo_gain *= voice.echo_feedback;
  }
}

Voice BassVoice(float ceiling_hz) {
  Voice v;
  v.wave = Wave::kSaw;
  v.envelope = {0.003f, 0.18f, 0.55f, 0.03f};
  v.cutoff_hz = 260;
  v.sweep_hz = 1600;
  v.sweep_decay = 0.07f;
  v.resonance = 2.2f;
  v.ceiling_hz = ceiling_hz;
  return v;
}

Voice StabVoice(float ceiling_hz) {
  Voice v;
  v.wave = Wave::kSaw;
  v.unison = 4;
  v.detune_cents = 14;
  v.stereo_spread = 0.9f;
  v.envelope = {0.004f, 0.16f, 0.25f, 0.09f};
  v.cutoff_hz = 900;
  v.sweep_hz = 2600;
  v.sweep_decay = 0.09f;
  v.resonance = 1.1f;
  v.ceiling_hz = ceiling_hz;
  return v;
}

Voice StringVoice(float ceiling_hz) {
  Voice v;
  v.wave = Wave::kSaw;
  v.unison = 6;
  v.detune_cents = 18;
  v.stereo_spread = 1.0f;
  v.envelope = {0.25f, 0.4f, 0.85f, 0.6f};
  v.cutoff_hz = 2200;
  v.resonance = 0.7f;
  v.ceiling_hz = ceiling_hz;
  v.vibrato_cents = 6;
  return v;
}

Voice LeadVoice(float ceiling_hz, long long echo_frames) {
  Voice v;
  v.wave = Wave::kSquare;
  v.unison = 2;
  v.detune_cents = 7;
  v.stereo_spread = 0.25f;
  v.envelope = {0.006f, 0.2f, 0.7f, 0.12f};
  v.cutoff_hz = 2400;
  v.sweep_hz = 3000;
  v.sweep_decay = 0.15f;
  v.resonance = 1.3f;
  v.ceiling_hz = ceiling_hz;
  v.vibrato_cents = 18;
  v.echoes = 3;
  v.echo_frames = echo_frames;
  v.echo_feedback = 0.33f;
  return v;
}

}  // namespace zibo::media
