#include "music_spectrum.h"

#include <cmath>

#include <gtest/gtest.h>

namespace zibo {
namespace {

// A stereo tone at bin 56's centre that starts at 1000 ms: silence before.
DecodedAudio ToneFromOneSecond() {
  DecodedAudio audio;
  audio.rate = 44100;
  audio.channels = 2;
  const int frames = 44100 * 2;
  audio.samples.assign(size_t(frames) * 2, 0.0f);
  const double frequency = 56.0 * 44100.0 / 512.0;
  for (int i = 44100; i < frames; ++i) {
    const float value = float(std::sin(2 * M_PI * frequency * i / 44100.0));
    audio.samples[size_t(i) * 2] = value;
    audio.samples[size_t(i) * 2 + 1] = value;
  }
  return audio;
}

TEST(MusicSpectrum, ProbesTheDecodedMusicAtTheSetTime) {
  const DecodedAudio audio = ToneFromOneSecond();
  MusicSpectrum spectrum(audio);
  spectrum.SetTimeMs(500);
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), 0.0f);
  spectrum.SetTimeMs(1500);
  const float tone = spectrum.SpectrumAt(0.11f);  // bin 56
  EXPECT_GT(tone, 0.3f);
  EXPECT_LT(spectrum.SpectrumAt(0.45f), tone / 100);  // bin 230
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), tone);  // the same time reads the same
  spectrum.SetTimeMs(500);
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), 0.0f);
  spectrum.SetTimeMs(1500);
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), tone);
}

TEST(MusicSpectrum, MatchesTheSharedFftAtTheSameFrame) {
  const DecodedAudio audio = ToneFromOneSecond();
  float bins[kFftBins];
  ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, FirstFrameAtMs(1100, 44100), bins);
  MusicSpectrum spectrum(audio);
  spectrum.SetTimeMs(1100);
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), bins[56]);
  EXPECT_EQ(spectrum.SpectrumAt(0.1f), bins[51]);
  EXPECT_EQ(spectrum.SpectrumAt(0.0f), bins[0]);
}

TEST(MusicSpectrum, FractionsOutsideTheBinsReadZero) {
  const DecodedAudio audio = ToneFromOneSecond();
  MusicSpectrum spectrum(audio);
  spectrum.SetTimeMs(1500);
  EXPECT_EQ(spectrum.SpectrumAt(0.5f), 0.0f);
  EXPECT_EQ(spectrum.SpectrumAt(-0.5f), 0.0f);
}

TEST(MusicSpectrum, TimesPastTheMusicAreSilent) {
  const DecodedAudio audio = ToneFromOneSecond();
  MusicSpectrum spectrum(audio);
  spectrum.SetTimeMs(60000);
  EXPECT_EQ(spectrum.SpectrumAt(0.11f), 0.0f);
}

}  // namespace
}  // namespace zibo
