// The generated horn: Ogg Vorbis that decodes, shorter than a second, two tones.
#include <gtest/gtest.h>

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

#include "decoded_audio.h"

namespace zibo::media::test {
namespace {

TEST(Horn, DecodesAsAShortAudibleOggVorbisSound) {
  DecodedAudio horn;
  std::string error;
  ASSERT_TRUE(Decode(GeneratedFile("s.ogg"), &horn, &error)) << error;
  EXPECT_EQ(horn.sample_rate, 44100);
  EXPECT_GE(horn.channels, 1);
  EXPECT_LE(horn.channels, 2);
  const double seconds = double(horn.frames()) / horn.sample_rate;
  EXPECT_LT(seconds, 1.0);
  EXPECT_GT(seconds, 0.2);
  float peak = 0;
  for (float s : horn.samples) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.3f);
  EXPECT_LE(peak, 1.0f);
}

TEST(Horn, SoundsTwoTonesAtOnce) {
  DecodedAudio horn;
  std::string error;
  ASSERT_TRUE(Decode(GeneratedFile("s.ogg"), &horn, &error)) << error;
  // The spectrum of the middle 16384 frames (2.7 Hz per bin) has two
  // strong fundamentals a major third apart, both below 600 Hz.
  constexpr int kN = 16384;
  const std::vector<float> mono = horn.Mono();
  ASSERT_GE(mono.size(), size_t(kN));
  const size_t first = (mono.size() - kN) / 2;
  kiss_fftr_cfg config = kiss_fftr_alloc(kN, 0, nullptr, nullptr);
  std::vector<kiss_fft_scalar> in(mono.begin() + long(first), mono.begin() + long(first) + kN);
  std::vector<kiss_fft_cpx> out(kN / 2 + 1);
  kiss_fftr(config, in.data(), out.data());
  kiss_fftr_free(config);
  const double hz_per_bin = 44100.0 / kN;
  auto level = [&](double lo, double hi) {
    double best = 0;
    for (int k = int(lo / hz_per_bin); k <= int(hi / hz_per_bin); ++k)
      best = std::max(best, double(std::hypot(out[size_t(k)].r, out[size_t(k)].i)));
    return best;
  };
  const double whole = level(50, 5000);
  std::vector<std::pair<double, double>> peaks;  // level, frequency
  for (int k = int(150 / hz_per_bin); k < int(600 / hz_per_bin); ++k) {
    const double m = std::hypot(out[size_t(k)].r, out[size_t(k)].i);
    if (m > 0.3 * whole && m >= std::hypot(out[size_t(k - 1)].r, out[size_t(k - 1)].i) &&
        m >= std::hypot(out[size_t(k + 1)].r, out[size_t(k + 1)].i))
      peaks.push_back({m, k * hz_per_bin});
  }
  ASSERT_EQ(peaks.size(), 2u) << "expected two strong tones below 600 Hz";
  const double ratio = peaks[1].second / peaks[0].second;
  EXPECT_NEAR(ratio, 1.26, 0.05) << peaks[0].second << " Hz and " << peaks[1].second << " Hz";
}

}  // namespace
}  // namespace zibo::media::test
