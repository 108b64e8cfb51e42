// The 512-point spectrum: scale, window, channel mixing and the edges of
// the data.
#include "audio/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio_test_files.h"

namespace zibo {
namespace {

constexpr double kBin56Hz = 56 * 44100.0 / kFftSize;

TEST(SpectrumTest, SineAtABinCentreReadsHalfItsAmplitudeThere) {
  for (double amplitude : {1.0, 0.3}) {
    auto mono = testing::Sine(kBin56Hz, amplitude, 44100, 1, kFftSize);
    float out[kFftBins];
    ComputeSpectrum512(mono.data(), out);
    EXPECT_NEAR(out[56], 0.5 * amplitude, 1e-3 * amplitude);
    // A Hann window spreads a centred tone into the two neighbours at half.
    EXPECT_NEAR(out[55], 0.25 * amplitude, 1e-3 * amplitude);
    EXPECT_NEAR(out[57], 0.25 * amplitude, 1e-3 * amplitude);
    for (int k = 0; k < kFftBins; ++k) {
      if (k < 54 || k > 58) {
        EXPECT_LT(out[k], 1e-4) << k;
      }
    }
  }
}

TEST(SpectrumTest, SilenceReadsZero) {
  std::vector<float> silence(kFftSize, 0.0f);
  float out[kFftBins];
  ComputeSpectrum512(silence.data(), out);
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST(SpectrumTest, DcReadsItsLevelInBinZero) {
  std::vector<float> dc(kFftSize, 0.5f);
  float out[kFftBins];
  ComputeSpectrum512(dc.data(), out);
  // 2|X[0]|/512 with the window's gain of 1/2: the level itself.
  EXPECT_NEAR(out[0], 0.5, 1e-4);
}

TEST(SpectrumTest, AtAveragesChannelsToMono) {
  auto stereo = testing::Sine(kBin56Hz, 0.8, 44100, 2, 2000);
  float both[kFftBins];
  ComputeSpectrumAt(stereo.data(), 2000, 2, 100, both);
  EXPECT_NEAR(both[56], 0.4, 1e-3);
  // Opposite channels cancel.
  for (size_t f = 0; f < 2000; ++f) stereo[2 * f + 1] = -stereo[2 * f];
  float cancelled[kFftBins];
  ComputeSpectrumAt(stereo.data(), 2000, 2, 100, cancelled);
  for (float v : cancelled) EXPECT_EQ(v, 0.0f);
}

TEST(SpectrumTest, AtTreatsFramesOutsideTheDataAsSilence) {
  auto stereo = testing::Sine(kBin56Hz, 1.0, 44100, 2, 1000);
  float out[kFftBins];
  for (long long first : {1000LL, 5000LL, -512LL, -100000LL}) {
    ComputeSpectrumAt(stereo.data(), 1000, 2, first, out);
    for (float v : out) ASSERT_EQ(v, 0.0f) << first;
  }
  ComputeSpectrumAt(nullptr, 0, 2, 0, out);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  // Half inside the data: the tone shows, weaker.
  ComputeSpectrumAt(stereo.data(), 1000, 2, 1000 - 256, out);
  EXPECT_GT(out[56], 0.1);
  EXPECT_LT(out[56], 0.5);
  ComputeSpectrumAt(stereo.data(), 1000, 2, -256, out);
  EXPECT_GT(out[56], 0.1);
}

// The first frame at a clock reading must read back as that reading, the
// frame before it as the reading before, the way the show turns positions
// into milliseconds.
TEST(SpectrumTest, FirstFrameAtMsMatchesTheShowsClock) {
  auto ms_of_frame = [](long long frame) {
    double seconds = double(frame * 4) / (44100.0 * 4);
    return (long long)(seconds * 1000.0);
  };
  for (long long ms = 0; ms < 200000; ms += 7) {
    long long frame = FirstFrameAtMs(ms, 44100);
    ASSERT_EQ(ms_of_frame(frame), ms) << ms;
    if (ms > 0) {
      ASSERT_EQ(ms_of_frame(frame - 1), ms - 1) << ms;
    }
  }
}

}  // namespace
}  // namespace zibo
