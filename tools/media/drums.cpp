// drums.cpp - synthesis of the drum hits.
#include "drums.h"

#include <cmath>
#include <vector>

namespace zibo::media {
namespace {

constexpr float kDt = 1.0f / kSampleRate;

size_t Frames(float seconds) { return size_t(seconds * kSampleRate); }

// A short fade at the very end so that a voice never stops with a click.
void FadeTail(std::vector<float>& s, float seconds) {
  const size_t n = std::min(s.size(), Frames(seconds));
  for (size_t i = 0; i < n; ++i) s[s.size() - 1 - i] *= float(i) / float(n);
}

}  // namespace

namespace {

// The kick never varies, so each kind is synthesised once.
std::vector<float> SynthesiseKick(bool clean) {
  std::vector<float> s(Frames(0.5f));
  double phase = 0;
  Noise click_noise(0x4B1C);
  Svf click_filter;
  click_filter.Set(clean ? 1500 : 5000, 0.7);
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    const double hz = 46.0 + 120.0 * std::exp(-t / 0.03) + 60.0 * std::exp(-t / 0.004);
    phase += 2 * kPiD * hz / kSampleRate;
    const float attack = std::min(1.0f, t / (clean ? 0.0015f : 0.0004f));
    const float body = attack * std::exp(-t / 0.22f) * (t < 0.3f ? 1.0f : std::exp(-(t - 0.3f) / 0.04f));
    float x = float(std::sin(phase)) * body;
    if (!clean) x += 0.35f * click_filter.Process(click_noise.Next()).low * std::exp(-t / 0.003f);
    s[i] = std::tanh(1.4f * x) / std::tanh(1.4f);
  }
  FadeTail(s, 0.01f);
  return s;
}

}  // namespace

void RenderKick(StereoMix& mix, long long at, float gain, bool clean) {
  static const std::vector<float> kKicks[2] = {SynthesiseKick(false), SynthesiseKick(true)};
  const std::vector<float>& s = kKicks[clean ? 1 : 0];
  mix.AddMono(at, s.data(), s.size(), gain, 0.0f);
}

void RenderClap(StereoMix& mix, Noise& noise, long long at, float gain, float pan, bool clean) {
  std::vector<float> s(Frames(0.35f));
  Svf band1, band2, low;
  band1.Set(1250, 1.4);
  band2.Set(1350, 1.4);
  low.Set(2200, 0.7);
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    // Three quick slaps, then the room.
    float env = 0;
    for (float start : {0.0f, 0.011f, 0.022f})
      if (t >= start && t < start + 0.011f) env = std::max(env, std::exp(-(t - start) / 0.0035f));
    if (t >= 0.022f) env = std::max(env, 0.8f * std::exp(-(t - 0.022f) / 0.075f));
    float x = band1.Process(noise.Next()).band;
    if (clean) x = low.Process(band2.Process(x).band).low * 2.0f;
    s[i] = x * env * 2.2f;
  }
  FadeTail(s, 0.02f);
  mix.AddMono(at, s.data(), s.size(), gain, pan);
  if (!clean) {  // a few early reflections make the clap roomy
    mix.AddMono(at + Frames(0.019f), s.data(), s.size(), gain * 0.3f, -pan - 0.5f);
    mix.AddMono(at + Frames(0.031f), s.data(), s.size(), gain * 0.22f, -pan + 0.5f);
  }
}

void RenderSnare(StereoMix& mix, Noise& noise, long long at, float gain, float pan) {
  std::vector<float> s(Frames(0.25f));
  Svf band;
  band.Set(3500, 0.8);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    phase += 2 * kPiD * (180.0 + 60.0 * std::exp(-t / 0.01)) / kSampleRate;
    const float tone = float(std::sin(phase)) * std::exp(-t / 0.05f);
    const float rattle = band.Process(noise.Next()).band * std::exp(-t / 0.06f);
    s[i] = (0.6f * tone + 1.2f * rattle) * std::min(1.0f, t / 0.0008f);
  }
  FadeTail(s, 0.02f);
  mix.AddMono(at, s.data(), s.size(), gain, pan);
}

void RenderHat(StereoMix& mix, Noise& noise, long long at, float gain, float pan, float decay) {
  std::vector<float> s(Frames(std::min(0.6f, decay * 5.0f)));
  Svf high1, high2, ring;
  high1.Set(7200, 0.7);
  high2.Set(7800, 0.9);
  ring.Set(10500, 3.0);
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    const float x = high2.Process(high1.Process(noise.Next()).high).high;
    const float shimmer = ring.Process(x).band;
    s[i] = (x + 0.8f * shimmer) * std::exp(-t / decay) * std::min(1.0f, t / 0.001f);
  }
  FadeTail(s, 0.02f);
  mix.AddMono(at, s.data(), s.size(), gain, pan);
}

void RenderCrash(StereoMix& mix, Noise& noise, long long at, float gain) {
  const size_t n = Frames(2.8f);
  std::vector<float> l(n), r(n);
  Svf hl, hr, bl, br;
  hl.Set(4500, 0.7);
  hr.Set(4700, 0.7);
  bl.Set(9000, 1.5);
  br.Set(8200, 1.5);
  for (size_t i = 0; i < n; ++i) {
    const float t = float(i) * kDt;
    const float env = std::exp(-t / 0.75f) * std::min(1.0f, t / 0.002f);
    const float xl = hl.Process(noise.Next()).high, xr = hr.Process(noise.Next()).high;
    l[i] = (xl + 0.6f * bl.Process(xl).band) * env;
    r[i] = (xr + 0.6f * br.Process(xr).band) * env;
  }
  FadeTail(l, 0.3f);
  FadeTail(r, 0.3f);
  mix.AddMono(at, l.data(), n, gain, -0.7f);
  mix.AddMono(at, r.data(), n, gain, 0.7f);
}

namespace {

// Partials at the centres of FFT bins 51, 56, 179, 204 and 230 of a
// 512-point transform at 44.1 kHz, each with its own quick decay.
std::vector<float> SynthesiseBrightPartials() {
  struct Partial {
    double hz;
    float level, decay;
  };
  constexpr double kBin = double(kSampleRate) / 512.0;
  const Partial partials[] = {{51 * kBin, 0.25f, 0.010f},
                              {56 * kBin, 0.40f, 0.012f},
                              {179 * kBin, 0.18f, 0.007f},
                              {204 * kBin, 0.50f, 0.009f},
                              {230 * kBin, 0.50f, 0.009f}};
  std::vector<float> s(Frames(0.07f));
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    float x = 0;
    for (const Partial& p : partials)
      x += p.level * std::exp(-t / p.decay) * float(std::sin(2 * kPiD * p.hz * double(t)));
    s[i] = x * std::min(1.0f, t / 0.0005f);
  }
  return s;
}

}  // namespace

void RenderBrightHit(StereoMix& mix, Noise& noise, long long at, float gain, float pan) {
  static const std::vector<float> kPartials = SynthesiseBrightPartials();
  std::vector<float> s = kPartials;
  Svf band;
  band.Set(11000, 1.2);
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    s[i] += 0.35f * band.Process(noise.Next()).band * std::exp(-t / 0.004f) * std::min(1.0f, t / 0.0005f);
  }
  FadeTail(s, 0.01f);
  mix.AddMono(at, s.data(), s.size(), gain, pan);
}

void RenderConga(StereoMix& mix, Noise& noise, long long at, float gain, float pan, bool high) {
  std::vector<float> s(Frames(0.25f));
  const double base = high ? 330.0 : 220.0;
  Svf slap;
  slap.Set(2000, 1.0);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = float(i) * kDt;
    phase += 2 * kPiD * base * (1.0 + 0.25 * std::exp(-t / 0.01)) / kSampleRate;
    const float body = float(std::sin(phase)) * std::exp(-t / 0.07f);
    const float hit = slap.Process(noise.Next()).band * std::exp(-t / 0.006f);
    s[i] = (body + 0.5f * hit) * std::min(1.0f, t / 0.0007f);
  }
  FadeTail(s, 0.02f);
  mix.AddMono(at, s.data(), s.size(), gain, pan);
}

void RenderRiser(StereoMix& mix, Noise& noise, long long at, long long frames, float gain) {
  std::vector<float> s(size_t(std::max(0LL, frames)));
  Svf band;
  for (size_t i = 0; i < s.size(); ++i) {
    const float u = float(i) / float(s.size());
    if (i % 32 == 0) band.Set(400.0 * std::pow(25.0, double(u)), 2.0);
    s[i] = band.Process(noise.Next()).band * u * u;
  }
  FadeTail(s, 0.01f);
  mix.AddMono(at, s.data(), s.size(), gain, 0.0f);
}

}  // namespace zibo::media
