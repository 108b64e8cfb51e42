// Decoding real files to the output format, the 512-point spectrum of what
// was decoded, and the background decoder that publishes a long file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "bass/audio_decoder.h"
#include "bass/bass.h"
#include "bass/spectrum.h"
#include "bass/stream_decoder.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo {
namespace {

using testing::FileKind;
constexpr double kBin56Hz = 56 * 44100.0 / kFftSize;

class DecodingTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, FileKind kind, int rate, int channels,
                    const std::vector<float>& samples) {
    EXPECT_TRUE(testing::WriteAudioFile(dir_.Path(name), kind, rate, channels, samples));
    return dir_.Path(name);
  }
  testing::TempDir dir_;
};

// 16-bit-exact noise comes back exactly; mono is doubled, stereo averaged.
TEST_F(DecodingTest, SixteenBitFilesDecodeExactlyToEitherChannelCount) {
  auto noise = testing::Noise(1, 0.9, 2, 5000);
  for (float& s : noise) s = std::round(s * 32768) / 32768;
  const std::vector<float> mono(noise.begin(), noise.begin() + 5000);
  std::vector<float> doubled, averaged;
  for (size_t f = 0; f < 5000; ++f) doubled.insert(doubled.end(), {mono[f], mono[f]});
  for (size_t f = 0; f < 2500; ++f) averaged.push_back((mono[2 * f] + mono[2 * f + 1]) / 2);
  struct Case {
    FileKind kind;
    int in, out;
    const std::vector<float>& samples;
    const std::vector<float>& expected;
  } cases[] = {{FileKind::kWav16, 2, 2, noise, noise},
               {FileKind::kFlac, 1, 2, mono, doubled},
               {FileKind::kWav16, 2, 1, mono, averaged}};
  for (const Case& c : cases) {
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(Write("a", c.kind, 44100, c.in, c.samples).c_str(), 44100, c.out,
                              &audio), BASS_OK);
    EXPECT_EQ(audio.rate, 44100);
    EXPECT_EQ(audio.channels, c.out);
    ASSERT_EQ(audio.samples.size(), c.expected.size()) << c.in << "->" << c.out;
    for (size_t i = 0; i < c.expected.size(); ++i) {
      ASSERT_NEAR(audio.samples[i], c.expected[i], 1e-7) << c.in << "->" << c.out << " at " << i;
    }
  }
}

// One second of bin 56's tone stays one second of it, at half its level in
// the spectrum, whatever the encoder or the file's rate.
TEST_F(DecodingTest, LossyAndResampledFilesKeepLengthPitchAndLevel) {
  struct Case {
    FileKind kind;
    int rate;
    double frames_tolerance, level_tolerance;
  } cases[] = {{FileKind::kMp3, 44100, 3000, 0.02},  {FileKind::kOggVorbis, 44100, 3000, 0.02},
               {FileKind::kWav16, 48000, 0, 0.005},  {FileKind::kWav16, 22050, 0, 0.005},
               {FileKind::kWav16, 44101, 0, 0.005},  {FileKind::kWav16, 32000, 0, 0.005}};
  for (const Case& c : cases) {
    const std::string path =
        Write("tone", c.kind, c.rate, 1, testing::Sine(kBin56Hz, 0.5, c.rate, 1, size_t(c.rate)));
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK) << c.rate;
    EXPECT_NEAR(double(audio.frames()), 44100.0, c.frames_tolerance) << c.rate;
    float bins[kFftBins];
    ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, 20000, bins);
    EXPECT_EQ(std::max_element(bins, bins + kFftBins) - bins, 56) << c.rate;
    EXPECT_NEAR(bins[56], 0.25, c.level_tolerance) << c.rate;
  }
}

TEST_F(DecodingTest, FilesThatCannotBeReadOrAreNotAudioFailWithTheirCode) {
  ASSERT_EQ(mkfifo(dir_.Path("pipe.mp3").c_str(), 0600), 0);  // must not hang
  const std::pair<std::string, int> cases[] = {
      {dir_.Path("nothing.mp3"), BASS_ERROR_FILEOPEN}, {dir_.path(), BASS_ERROR_FILEOPEN},
      {dir_.Path("pipe.mp3"), BASS_ERROR_FILEOPEN},    {"", BASS_ERROR_FILEFORM},
      {"not a song\n", BASS_ERROR_FILEFORM},           {std::string("RIFF\x10\0\0\0WAVEfmt ", 16),
                                                        BASS_ERROR_FILEFORM}};
  for (const auto& [file_or_bytes, code] : cases) {
    std::string path = file_or_bytes;
    if (code == BASS_ERROR_FILEFORM) {
      path = dir_.Path("bad.mp3");
      ASSERT_TRUE(testing::WriteFileBytes(path, file_or_bytes));
    }
    DecodedAudio audio;
    std::string message;
    EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio, &message), code) << path;
    EXPECT_TRUE(audio.samples.empty());
    if (path.find("nothing") != std::string::npos) {
      EXPECT_NE(message.find(path), std::string::npos);
    }
  }
  DecodedAudio audio;
  EXPECT_EQ(DecodeAudioFile(nullptr, 44100, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 0, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 44100, 0, &audio), BASS_ERROR_ILLPARAM);
}

// Damaged files may decode partly or fail, but never with values that would
// poison the mix.
TEST_F(DecodingTest, DamagedFilesFailCleanlyOrDecodePartly) {
  const std::string bytes = testing::ReadFileBytes(
      Write("good.mp3", FileKind::kMp3, 44100, 2, testing::Sine(440, 0.5, 44100, 2, 44100)));
  std::string random(5000, '\0');
  uint32_t state = 7;
  for (char& c : random) c = char((state = state * 1664525u + 1013904223u) >> 24);
  for (const std::string& damaged : {bytes.substr(0, bytes.size() / 2), bytes.substr(0, 300),
                                     bytes.substr(bytes.size() / 3), random}) {
    ASSERT_TRUE(testing::WriteFileBytes(dir_.Path("d.mp3"), damaged));
    DecodedAudio audio;
    const int code = DecodeAudioFile(dir_.Path("d.mp3").c_str(), 44100, 2, &audio);
    EXPECT_TRUE(code == BASS_OK || code == BASS_ERROR_FILEFORM || code == BASS_ERROR_CODEC);
    EXPECT_LE(audio.frames(), 44100u + 3000u);
    for (float s : audio.samples) ASSERT_TRUE(std::isfinite(s));
  }
}

// Hann-windowed magnitudes scaled so that a sine at a bin centre reads half
// its amplitude there and a quarter in each neighbour; DC reads its level.
TEST(SpectrumTest, ScaleWindowAndChannelMixing) {
  auto tone = testing::Sine(kBin56Hz, 0.8, 44100, 2, 2000);
  float out[kFftBins];
  ComputeSpectrumAt(tone.data(), 2000, 2, 100, out);
  EXPECT_NEAR(out[56], 0.4, 1e-3);
  EXPECT_NEAR(out[55], 0.2, 1e-3);
  EXPECT_NEAR(out[57], 0.2, 1e-3);
  for (int k = 0; k < kFftBins; ++k) {
    if (k < 54 || k > 58) {
      EXPECT_LT(out[k], 1e-4) << k;
    }
  }
  const std::vector<float> dc(kFftSize, 0.5f);
  ComputeSpectrum512(dc.data(), out);
  EXPECT_NEAR(out[0], 0.5, 1e-4);
  // Opposite channels cancel; frames outside the data are silence.
  for (size_t f = 0; f < 2000; ++f) tone[2 * f + 1] = -tone[2 * f];
  for (long long first : {100LL, 2000LL, -512LL, -100000LL}) {
    ComputeSpectrumAt(tone.data(), 2000, 2, first, out);
    for (float v : out) ASSERT_EQ(v, 0.0f) << first;
  }
  ComputeSpectrumAt(testing::Sine(kBin56Hz, 1, 44100, 1, 1000).data(), 1000, 1, 1000 - 256, out);
  EXPECT_GT(out[56], 0.1);
  EXPECT_LT(out[56], 0.5);
}

// The first frame at a clock reading reads back as that reading, the frame
// before it as the reading before, with the clock's truncation to whole ms.
TEST(SpectrumTest, FirstFrameAtMsMatchesTheShowsClock) {
  auto ms_of_frame = [](long long frame) { return (long long)(double(frame) / 44100.0 * 1000.0); };
  for (long long ms = 1; ms < 200000; ms += 7) {
    const long long frame = FirstFrameAtMs(ms, 44100);
    ASSERT_EQ(ms_of_frame(frame), ms) << ms;
    ASSERT_EQ(ms_of_frame(frame - 1), ms - 1) << ms;
  }
  EXPECT_EQ(FirstFrameAtMs(0, 44100), 0);
}

// The stream decoder on the no-sound device: what it publishes is what the
// whole-file decoder yields, also when a file outgrows its first buffer or
// the decoding is stopped half-way.
class StreamDecoderTest : public DecodingTest {
 protected:
  void SetUp() override { ASSERT_EQ(device_.Open(BASS_DEVICE_NOSOUND, 44100, &table_), BASS_OK); }
  void TearDown() override { device_.Close(); }
  bass::StreamTable table_;
  bass::OutputDevice device_;
};

TEST_F(StreamDecoderTest, PublishesExactlyWhatTheWholeFileDecodes) {
  struct Case {
    FileKind kind;
    int seconds, rate;
    size_t buffer_frames;
    bool background, stop;
  } cases[] = {{FileKind::kWav16, 10, 44100, 0, true, false},
               {FileKind::kMp3, 6, 44100, 2 * 44100, true, false},  // header promised 2 s
               {FileKind::kWav16, 60, 44100, 0, true, true},
               {FileKind::kWav16, 1, 44100, 0, false, false},
               {FileKind::kWav16, 5, 48000, 0, false, false}};
  for (const Case& c : cases) {
    const std::string path = Write("s", c.kind, c.rate, 2,
                                   testing::Music(5, c.rate, 2, size_t(c.seconds * c.rate)));
    DecodedAudio whole;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &whole), BASS_OK);
    bass::Stream s;
    ASSERT_EQ(bass::DecodeStream(path.c_str(), &device_, &s, nullptr, c.buffer_frames), BASS_OK);
    EXPECT_EQ(s.decoder_running, c.background) << c.seconds;
    EXPECT_GE(s.ReadyFrames(), std::min<int64_t>(44100, int64_t(whole.frames())));
    c.stop ? s.StopDecoding() : s.FinishDecoding();
    const size_t ready = size_t(s.ReadyFrames());
    if (!c.stop) {
      ASSERT_EQ(ready, whole.frames()) << c.seconds;
    }
    ASSERT_LE(ready, whole.frames());
    size_t mismatches = 0;
    for (size_t i = 0; i < ready * 2; ++i) mismatches += s.Samples()[i] != whole.samples[i];
    EXPECT_EQ(mismatches, 0u) << c.seconds;
  }
}

}  // namespace
}  // namespace zibo
