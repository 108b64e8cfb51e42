// The generated disco track, decoded through libsndfile: its format and
// length, the kick on the 140 BPM grid, and the bright bands the noise
// scene reads pulsing with the percussion in beats 220 to 260.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "decoded_audio.h"

namespace zibo::media::test {
namespace {

constexpr long long kFramesPerBeat = 18900;  // 140 BPM at 44100 Hz
constexpr double kMsPerFrame = 1000.0 / 44100.0;

class Music : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    song_ = new DecodedAudio;
    std::string error;
    decoded_ = Decode(GeneratedFile("disco.mp3"), song_, &error);
    if (!decoded_) std::fprintf(stderr, "%s\n", error.c_str());
    mono_ = new std::vector<float>(song_->Mono());
  }
  static void TearDownTestSuite() {
    delete song_;
    delete mono_;
  }
  void SetUp() override { ASSERT_TRUE(decoded_); }

  static DecodedAudio* song_;
  static std::vector<float>* mono_;
  static bool decoded_;
};
DecodedAudio* Music::song_ = nullptr;
std::vector<float>* Music::mono_ = nullptr;
bool Music::decoded_ = false;

TEST_F(Music, IsStereo44100HzAndOutlastsTheShow) {
  EXPECT_EQ(song_->sample_rate, 44100);
  EXPECT_EQ(song_->channels, 2);
  const double seconds = double(song_->frames()) / 44100.0;
  EXPECT_GE(seconds, 132.0);
  EXPECT_LT(seconds, 140.0);
}

TEST_F(Music, PlaysWithoutGapsThroughTheShowAndFadesOutAtTheEnd) {
  auto rms = [&](long long from, long long to) {
    double sum = 0;
    for (long long f = from; f < to; ++f) sum += double((*mono_)[size_t(f)]) * (*mono_)[size_t(f)];
    return std::sqrt(sum / double(to - from));
  };
  for (int beat = 0; beat < 300; ++beat)
    EXPECT_GT(rms(beat * kFramesPerBeat, (beat + 1) * kFramesPerBeat), 0.02) << "beat " << beat;
  const long long end = song_->frames();
  EXPECT_LT(rms(end - 4410, end), 0.01) << "the last 0.1 s";
  float peak = 0;
  for (float s : song_->samples) peak = std::max(peak, std::fabs(s));
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.5f);
}

// A two-pole lowpass run forwards and backwards, so it adds no delay.
std::vector<float> ZeroPhaseLowpass(const std::vector<float>& x, double hz) {
  const float a = float(1.0 - std::exp(-2 * M_PI * hz / 44100.0));
  std::vector<float> y = x;
  for (int pass = 0; pass < 2; ++pass) {
    float s1 = 0, s2 = 0;
    for (float& v : y) s1 += a * (v - s1), s2 += a * (s1 - s2), v = s2;
    std::reverse(y.begin(), y.end());
  }
  return y;
}

TEST_F(Music, KickFallsOnThe140BpmGridThroughoutTheTrack) {
  const std::vector<float> low = ZeroPhaseLowpass(*mono_, 150.0);
  const long long before = 882, after = 2646;  // 20 ms before a beat, 60 ms after
  int checked = 0;
  double worst = 0;
  for (int beat = 0; beat <= 300; ++beat) {
    const bool drums = beat < 40 || (beat >= 50 && beat < 210) || beat >= 220;
    if (!drums) continue;
    const long long at = beat * kFramesPerBeat;
    const long long from = std::max(0LL, at - before);
    // The kick starts where the low band first rises well above what
    // sounded just before the beat.
    float peak = 0, quiet = 0;
    for (long long f = from; f < at + after; ++f) peak = std::max(peak, std::fabs(low[size_t(f)]));
    for (long long f = from; f < at - 132; ++f) quiet = std::max(quiet, std::fabs(low[size_t(f)]));
    const float threshold = std::max(3.0f * quiet, 0.1f * peak);
    long long onset = -1;
    for (long long f = from; f < at + after && onset < 0; ++f)
      if (std::fabs(low[size_t(f)]) >= threshold) onset = f;
    const double error_ms = double(onset - at) * kMsPerFrame;
    EXPECT_LE(std::fabs(error_ms), 5.0) << "kick at beat " << beat;
    worst = std::max(worst, std::fabs(error_ms));
    ++checked;
  }
  EXPECT_EQ(checked, 40 + 160 + 81);
  std::printf("largest kick onset error: %.2f ms over %d beats\n", worst, checked);
}

TEST_F(Music, BrightBandsPulseWithThePercussionInBeats220To260) {
  // Bins read by the noise scene's five layers.
  const int kRising[] = {56, 204, 230};  // layers that light up on hits
  constexpr int kLow = 51, kHigh = 179;  // layers that go dark on hits
  constexpr long long kHop = 64;
  double worst_low = 0, worst_high = 0, weakest_hit[3] = {1, 1, 1};
  for (int bar = 0; bar < 10; ++bar) {
    SCOPED_TRACE("bar starting at beat " + std::to_string(220 + 4 * bar));
    float min_low = 1, min_high = 1, max_low = 0, max_high = 0;
    float min_rising[3] = {1, 1, 1};
    for (int beat = 0; beat < 4; ++beat) {
      const long long start = (220 + 4 * bar + beat) * kFramesPerBeat;
      float max_rising[3] = {0, 0, 0};
      for (long long f = start; f < start + kFramesPerBeat; f += kHop) {
        const std::vector<float> m = ProbeSpectrum(*song_, f);
        for (int i = 0; i < 3; ++i) {
          max_rising[i] = std::max(max_rising[i], m[size_t(kRising[i])]);
          min_rising[i] = std::min(min_rising[i], m[size_t(kRising[i])]);
        }
        min_low = std::min(min_low, m[kLow]), max_low = std::max(max_low, m[kLow]);
        min_high = std::min(min_high, m[kHigh]), max_high = std::max(max_high, m[kHigh]);
      }
      for (int i = 0; i < 3; ++i) {
        EXPECT_GT(max_rising[i], 0.01f) << "bin " << kRising[i] << ", beat " << beat;
        weakest_hit[i] = std::min(weakest_hit[i], double(max_rising[i]));
      }
    }
    for (int i = 0; i < 3; ++i) EXPECT_LT(min_rising[i], 0.002f) << "bin " << kRising[i];
    EXPECT_LT(min_low, 0.001f);
    EXPECT_GT(max_low, 0.001f);
    EXPECT_LT(min_high, 0.000025f);
    EXPECT_GT(max_high, 0.000025f);
    worst_low = std::max(worst_low, double(min_low));
    worst_high = std::max(worst_high, double(min_high));
  }
  std::printf("weakest beat's hit: bin 56 %.4f, bin 204 %.4f, bin 230 %.4f; quietest moment "
              "of the loudest bar: bin 51 %.6f, bin 179 %.7f\n",
              weakest_hit[0], weakest_hit[1], weakest_hit[2], worst_low, worst_high);
}

}  // namespace
}  // namespace zibo::media::test
