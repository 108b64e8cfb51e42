// The generator's real output, made for this test run: exactly the eleven
// files, the same bytes as the build's own media, pictures the show reads
// with the intended contents, and music whose kick sits on the 140 BPM grid
// and whose bright bands pulse with the percussion in beats 220 to 260.
#include <gtest/gtest.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "audio/audio_decoder.h"
#include "audio/spectrum.h"
#include "show/show_media.h"
#include "support/file_bytes.h"
#include "textures/tga_reader.h"

namespace zibo {
namespace {

using namespace testing;  // the tests' support library

const std::string kGenerated = ZIBO_GENERATED_MEDIA;
constexpr long long kFramesPerBeat = 18900;  // 140 BPM at 44100 Hz

// A generated sound as the show decodes it: stereo at 44100 Hz, and its channels averaged.
struct Sound { std::vector<float> samples, mono; };

Sound Decode(const std::string& name) {
  DecodedAudio audio;
  EXPECT_EQ(DecodeAudioFile((kGenerated + "/" + name).c_str(), 44100, 2, &audio), 0) << name;
  Sound sound{audio.samples, {}};
  for (size_t f = 0; f + 1 < audio.samples.size(); f += 2)
    sound.mono.push_back((audio.samples[f] + audio.samples[f + 1]) / 2);
  return sound;
}

TEST(GeneratedFiles, AreExactlyTheElevenAndTheSameBytesAsTheBuildsOwn) {
  std::set<std::string> names, want(std::begin(kMediaFiles), std::end(kMediaFiles));
  for (const auto& entry : std::filesystem::directory_iterator(kGenerated)) names.insert(entry.path().filename());
  EXPECT_EQ(names, want);
  for (const char* name : kMediaFiles)
    EXPECT_TRUE(ReadFileBytes(kGenerated + "/" + name) == ReadFileBytes(std::string(ZIBO_BUILD_MEDIA) + "/" + name))
        << name << " differs from another run's";
}

TEST(GeneratedPictures, Are1024SquareTgaWithTheirPictures) {
  TgaImage images[kImageFileCount];
  for (int i = 0; i < kImageFileCount; ++i) {
    std::string error;
    ASSERT_TRUE(ReadTgaFile((kGenerated + "/" + kImageFiles[i]).c_str(), &images[i], &error)) << error;
    ASSERT_EQ(images[i].byte_size(), 1024u * 1024 * 4);
  }
  // The car slide, as seen on the 800x600 screen: the yellow sun at the
  // right, blue sky at the left, the grey road along the bottom, the red car.
  auto at = [&](int x, int y) {
    const uint8_t* p = images[5].pixel(x * 1024 / 800, y * 1024 / 600);
    return std::vector<int>{p[0] / 40, p[1] / 40, p[2] / 40};
  };
  EXPECT_EQ(at(670, 110), std::vector<int>({6, 6, 3})) << "sun";
  EXPECT_EQ(at(130, 110)[2], 6) << "sky";
  EXPECT_EQ(at(400, 590), std::vector<int>({1, 1, 1})) << "road";
  EXPECT_EQ(at(500, 345), std::vector<int>({5, 0, 1})) << "car";
  // bg.tga is the cool, blue-violet one; bg2.tga the warm, orange one.
  double warmth[2] = {0, 0};
  for (size_t i = 0; i < images[0].byte_size(); i += 4)
    for (int b = 0; b < 2; ++b) warmth[b] += images[b].rgba[i] - images[b].rgba[i + 2];
  EXPECT_LT(warmth[0], 0.0);
  EXPECT_GT(warmth[1] / (1024 * 1024), 60.0);
}

double Rms(const std::vector<float>& x, long long from, long long to) {
  double sum = 0;
  for (long long f = from; f < to; ++f) sum += double(x[size_t(f)]) * x[size_t(f)];
  return std::sqrt(sum / double(to - from));
}

TEST(GeneratedMusic, PlaysThroughTheShowWithTheKickOnTheBeatGrid) {
  const Sound song = Decode(kSongFile);
  ASSERT_GT(song.mono.size(), 132u * 44100);
  EXPECT_LT(song.mono.size(), 140u * 44100);
  for (int beat = 0; beat < 300; ++beat)
    EXPECT_GT(Rms(song.mono, beat * kFramesPerBeat, (beat + 1) * kFramesPerBeat), 0.02) << "gap at beat " << beat;
  EXPECT_LT(Rms(song.mono, (long long)song.mono.size() - 4410, (long long)song.mono.size()), 0.01) << "no fade";
  const auto [low_peak, high_peak] = std::minmax_element(song.samples.begin(), song.samples.end());
  EXPECT_GT(std::max(-*low_peak, *high_peak), 0.5f);
  EXPECT_LE(std::max(-*low_peak, *high_peak), 1.0f);
  // The low band, lowpassed forwards and backwards (no delay): a kick starts
  // where it first rises well above what sounded just before the beat.
  std::vector<float> low = song.mono;
  const float a = float(1.0 - std::exp(-2 * M_PI * 150.0 / 44100.0));
  for (int pass = 0; pass < 4; ++pass) {
    float s = 0;
    for (float& v : low) s += a * (v - s), v = s;
    if (pass % 2) std::reverse(low.begin(), low.end());
  }
  for (int beat = 0; beat <= 300; ++beat) {
    if ((beat >= 40 && beat < 50) || (beat >= 210 && beat < 220)) continue;  // drum breaks
    const long long at = beat * kFramesPerBeat, from = std::max(0LL, at - 882), to = at + 2646;
    float peak = 0, quiet = 0;
    for (long long f = from; f < to; ++f) peak = std::max(peak, std::fabs(low[size_t(f)]));
    for (long long f = from; f < at - 132; ++f) quiet = std::max(quiet, std::fabs(low[size_t(f)]));
    long long onset = from;
    while (onset < to && std::fabs(low[size_t(onset)]) < std::max(3.0f * quiet, 0.1f * peak)) ++onset;
    EXPECT_LE(std::fabs(double(onset - at) * 1000.0 / 44100.0), 1.3) << "kick at beat " << beat;
  }
}

TEST(GeneratedMusic, BrightBandsPulseWithThePercussionInBeats220To260) {
  const Sound song = Decode(kSongFile);
  // Bins the noise scene reads: 56, 204 and 230 light up on every beat's
  // hit; 51 and 179 light up in every bar and read (almost) 0 between hits.
  const int kHit[] = {56, 204, 230}, kDark[] = {51, 179};
  const float kWeakestHit[] = {0.016f, 0.019f, 0.018f}, kDarkLit[] = {1e-3f, 2.5e-5f};
  float bins[kFftBins];
  for (int bar = 0; bar < 10; ++bar) {
    float darkest[2] = {1, 1}, brightest[2] = {0, 0};
    for (int beat = 220 + 4 * bar; beat < 224 + 4 * bar; ++beat) {
      float hit[3] = {0, 0, 0};
      for (long long f = beat * kFramesPerBeat; f < (beat + 1) * kFramesPerBeat; f += 64) {
        ComputeSpectrumAt(song.samples.data(), song.mono.size(), 2, f, bins);
        for (int i = 0; i < 3; ++i) hit[i] = std::max(hit[i], bins[kHit[i]]);
        for (int i = 0; i < 2; ++i) darkest[i] = std::min(darkest[i], bins[kDark[i]]), brightest[i] = std::max(brightest[i], bins[kDark[i]]);
      }
      for (int i = 0; i < 3; ++i) EXPECT_GE(hit[i], kWeakestHit[i]) << "bin " << kHit[i] << ", beat " << beat;
    }
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(darkest[i] < 1e-6f && brightest[i] > kDarkLit[i]) << "bin " << kDark[i] << ", bar " << bar;
  }
}

TEST(GeneratedHorn, IsAShortOggSoundingTwoTonesAMajorThirdApart) {
  const Sound horn = Decode(kEffectFile);
  EXPECT_EQ(ReadFileBytes(kGenerated + "/" + kEffectFile).rfind("OggS", 0), 0u);
  EXPECT_NEAR(double(horn.mono.size()) / 44100, 0.6, 0.02);
  // The spectrum of the middle 16384 frames (2.7 Hz a bin): exactly two
  // strong peaks below 600 Hz, their ratio a major third.
  constexpr int kN = 16384;
  ASSERT_GE(horn.mono.size(), size_t(kN));
  std::vector<kiss_fft_scalar> in(horn.mono.begin() + long(horn.mono.size() - kN) / 2, horn.mono.end());
  std::vector<kiss_fft_cpx> out(kN / 2 + 1);
  kiss_fftr_cfg config = kiss_fftr_alloc(kN, 0, nullptr, nullptr);
  kiss_fftr(config, in.data(), out.data());
  kiss_fftr_free(config);
  std::vector<double> level(out.size()), peaks;
  for (size_t k = 0; k < out.size(); ++k) level[k] = std::hypot(out[k].r, out[k].i);
  const double loudest = *std::max_element(level.begin() + 18, level.begin() + 1858);  // 50 Hz to 5 kHz
  for (size_t k = 56; k < 223; ++k)  // 150 to 600 Hz
    if (level[k] > 0.3 * loudest && level[k] >= level[k - 1] && level[k] >= level[k + 1]) peaks.push_back(double(k));
  ASSERT_EQ(peaks.size(), 2u);
  EXPECT_NEAR(peaks[1] / peaks[0], 1.26, 0.05);
}

}  // namespace
}  // namespace zibo
