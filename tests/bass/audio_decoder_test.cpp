// Decoding real files of every supported kind, conversion to the output
// format, and clean failures for files that are missing or not audio.
#include "audio/audio_decoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

#include "audio_test_files.h"
#include "bass/bass.h"
#include "audio/spectrum.h"

namespace zibo {
namespace {

using testing::FileKind;

class AudioDecoderTest : public ::testing::Test {
 protected:
  // Noise on exact 16-bit steps, so a 16-bit round trip is lossless; written
  // to `name` and decoded to 44.1 kHz stereo.
  DecodedAudio RoundTrip16(const std::string& name, FileKind kind, int channels,
                           std::vector<float>* samples) {
    *samples = testing::Noise(unsigned(channels), 0.9, channels, 5000);
    for (float& s : *samples) s = std::round(s * 32768) / 32768;
    std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteAudioFile(path, kind, 44100, channels, *samples));
    DecodedAudio audio;
    EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK);
    return audio;
  }

  testing::TempDir dir_;
};

// The FFT bin with the largest magnitude around frame `first`.
int PeakBin(const DecodedAudio& audio, long long first) {
  float bins[kFftBins];
  ComputeSpectrumAt(audio.samples.data(), audio.frames(), audio.channels, first, bins);
  int peak = 0;
  for (int k = 1; k < kFftBins; ++k) {
    if (bins[k] > bins[peak]) peak = k;
  }
  return peak;
}

TEST_F(AudioDecoderTest, Wav16StereoDecodesExactly) {
  std::vector<float> samples;
  DecodedAudio audio = RoundTrip16("a.wav", FileKind::kWav16, 2, &samples);
  EXPECT_EQ(audio.rate, 44100);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.samples, samples);
}

TEST_F(AudioDecoderTest, MonoIsDuplicatedToBothChannels) {
  std::vector<float> mono;
  DecodedAudio audio = RoundTrip16("mono.flac", FileKind::kFlac, 1, &mono);
  ASSERT_EQ(audio.frames(), mono.size());
  for (size_t f = 0; f < mono.size(); ++f) {
    ASSERT_EQ(audio.samples[2 * f], mono[f]) << f;
    ASSERT_EQ(audio.samples[2 * f + 1], mono[f]) << f;
  }
}

TEST_F(AudioDecoderTest, StereoAveragesToMonoOutput) {
  std::vector<float> stereo = {0.5f, -0.25f, 1.0f, 0.0f};
  std::string path = dir_.Path("s.wav");
  ASSERT_TRUE(testing::WriteAudioFile(path, FileKind::kWav16, 44100, 2, stereo));
  DecodedAudio audio;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 1, &audio), BASS_OK);
  ASSERT_EQ(audio.samples.size(), 2u);
  EXPECT_FLOAT_EQ(audio.samples[0], 0.125f);
  EXPECT_NEAR(audio.samples[1], 0.5f, 1.0 / 32768);
}

// Lossy encoders add a little padding but keep length, pitch and level.
TEST_F(AudioDecoderTest, LossyFilesKeepLengthPitchAndLevel) {
  const double hz = 56 * 44100.0 / 512;  // bin 56's centre
  auto samples = testing::Sine(hz, 0.5, 44100, 2, 44100);
  for (FileKind kind : {FileKind::kMp3, FileKind::kOggVorbis}) {
    std::string path = dir_.Path(kind == FileKind::kMp3 ? "a.mp3" : "a.ogg");
    ASSERT_TRUE(testing::WriteAudioFile(path, kind, 44100, 2, samples)) << path;
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK) << path;
    EXPECT_NEAR(double(audio.frames()), 44100.0, 3000.0) << path;
    EXPECT_EQ(PeakBin(audio, 20000), 56) << path;
    float bins[kFftBins];
    ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, 20000, bins);
    EXPECT_NEAR(bins[56], 0.25, 0.02) << path;
  }
}

TEST_F(AudioDecoderTest, FortyEightKilohertzIsResampledAtTheRightSpeed) {
  // One second of 1 kHz at 48 kHz must stay one second of 1 kHz at 44.1 kHz.
  auto samples = testing::Sine(1000, 0.5, 48000, 1, 48000);
  std::string path = dir_.Path("48k.wav");
  ASSERT_TRUE(testing::WriteAudioFile(path, FileKind::kWav16, 48000, 1, samples));
  DecodedAudio audio;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK);
  EXPECT_EQ(audio.frames(), 44100u);
  // Count upward zero crossings away from the edges: 1000 per second.
  int crossings = 0;
  for (size_t f = 4411; f < 44100 - 4410; ++f) {
    if (audio.samples[2 * (f - 1)] < 0 && audio.samples[2 * f] >= 0) ++crossings;
  }
  EXPECT_NEAR(crossings, 800, 1);
  // The level is kept and the signal is clean: compare with an ideal sine.
  double worst = 0;
  for (size_t f = 1000; f < 43000; ++f) {
    double ideal = 0.5 * std::sin(2 * M_PI * 1000 * double(f) / 44100);
    worst = std::max(worst, std::fabs(audio.samples[2 * f] - ideal));
  }
  EXPECT_LT(worst, 0.002);
}

// Up, and by an odd ratio whose phases are not tabulated (44100/gcd is large).
TEST_F(AudioDecoderTest, OtherRatesKeepPitchAndLength) {
  for (int rate : {22050, 44101, 32000}) {
    auto samples = testing::Sine(56 * 44100.0 / 512, 0.5, rate, 1, size_t(rate));
    std::string path = dir_.Path("rate.wav");
    ASSERT_TRUE(testing::WriteAudioFile(path, FileKind::kWav16, rate, 1, samples));
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK) << rate;
    EXPECT_EQ(audio.frames(), 44100u) << rate;
    EXPECT_EQ(PeakBin(audio, 20000), 56) << rate;
    float bins[kFftBins];
    ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, 20000, bins);
    EXPECT_NEAR(bins[56], 0.25, 0.005) << rate;
  }
}

TEST_F(AudioDecoderTest, MissingFileIsFileOpen) {
  DecodedAudio audio;
  std::string message;
  EXPECT_EQ(DecodeAudioFile(dir_.Path("nothing.mp3").c_str(), 44100, 2, &audio, &message),
            BASS_ERROR_FILEOPEN);
  EXPECT_NE(message.find("nothing.mp3"), std::string::npos) << message;
  EXPECT_EQ(DecodeAudioFile(dir_.path().c_str(), 44100, 2, &audio), BASS_ERROR_FILEOPEN)
      << "a folder is not a file";
  std::string fifo = dir_.Path("pipe.mp3");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(DecodeAudioFile(fifo.c_str(), 44100, 2, &audio), BASS_ERROR_FILEOPEN)
      << "a pipe without a writer neither hangs nor counts as a song";
}

TEST_F(AudioDecoderTest, FilesThatAreNotAudioAreFileForm) {
  const std::string cases[] = {
      "",                                                 // empty
      "This is a text file, not a song.\n",               // text
      std::string("RIFF\x10\0\0\0WAVEfmt ", 16),          // a WAV header cut short
  };
  for (const std::string& bytes : cases) {
    std::string path = dir_.Path("bad.mp3");
    ASSERT_TRUE(testing::WriteBytes(path, bytes));
    DecodedAudio audio;
    EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_ERROR_FILEFORM)
        << bytes.size() << " bytes";
    EXPECT_TRUE(audio.samples.empty());
  }
}

// Damaged files may decode partly or fail, but cleanly and never with
// values that would poison the mix.
TEST_F(AudioDecoderTest, DamagedFilesFailCleanlyOrDecodePartly) {
  auto samples = testing::Sine(440, 0.5, 44100, 2, 44100);
  std::string good = dir_.Path("good.mp3");
  ASSERT_TRUE(testing::WriteAudioFile(good, FileKind::kMp3, 44100, 2, samples));
  std::string bytes = testing::ReadBytes(good);
  ASSERT_GT(bytes.size(), 4000u);

  std::string random(5000, '\0');
  uint32_t state = 7;
  for (char& c : random) c = char((state = state * 1664525u + 1013904223u) >> 24);

  const std::string cases[] = {bytes.substr(0, bytes.size() / 2), bytes.substr(0, 300),
                               bytes.substr(bytes.size() / 3), random};
  for (const std::string& damaged : cases) {
    std::string path = dir_.Path("damaged.mp3");
    ASSERT_TRUE(testing::WriteBytes(path, damaged));
    DecodedAudio audio;
    int code = DecodeAudioFile(path.c_str(), 44100, 2, &audio);
    if (code != BASS_OK) {
      EXPECT_TRUE(code == BASS_ERROR_FILEFORM || code == BASS_ERROR_CODEC) << code;
      continue;
    }
    EXPECT_LE(audio.frames(), 44100u + 3000u);
    for (float s : audio.samples) ASSERT_TRUE(std::isfinite(s));
  }
}

TEST_F(AudioDecoderTest, AnEmptyWavIsAnEmptyStream) {
  std::string path = dir_.Path("empty.wav");
  ASSERT_TRUE(testing::WriteAudioFile(path, FileKind::kWav16, 44100, 2, {}));
  DecodedAudio audio;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK);
  EXPECT_EQ(audio.frames(), 0u);
  EXPECT_EQ(audio.channels, 2);
}

TEST_F(AudioDecoderTest, BadArgumentsAreRefused) {
  DecodedAudio audio;
  EXPECT_EQ(DecodeAudioFile(nullptr, 44100, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 0, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 44100, 0, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 44100, 2, nullptr), BASS_ERROR_ILLPARAM);
}

}  // namespace
}  // namespace zibo
