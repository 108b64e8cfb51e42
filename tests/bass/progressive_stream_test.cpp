// Streams decoded in the background: what has been published is exactly
// what the whole-file decoder yields, a file that outgrows its buffer loses
// nothing, and stopping or freeing a stream mid-decode is clean.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/spectrum.h"
#include "bass/stream_decoder.h"
#include "bass_test_support.h"

namespace zibo {
namespace {

using testing::FileKind;

constexpr int kRate = 44100;

std::vector<float> Music(size_t frames, unsigned seed) {
  auto music = testing::Sine(440, 0.4, kRate, 2, frames);
  auto noise = testing::Noise(seed, 0.2, 2, frames);
  for (size_t i = 0; i < music.size(); ++i) music[i] += noise[i];
  return music;
}

// The stream decoder driven directly, on the no-sound device.
class StreamDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(device_.Open(BASS_DEVICE_NOSOUND, kRate, &table_), BASS_OK);
  }
  void TearDown() override { device_.Close(); }

  std::string Write(const std::string& name, FileKind kind, size_t frames, int rate = kRate) {
    std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteAudioFile(path, kind, rate, 2, Music(frames, 5)));
    return path;
  }

  // The first `frames` frames of `s` equal those of `want`.
  static void ExpectPrefix(const bass::Stream& s, const DecodedAudio& want, size_t frames) {
    ASSERT_LE(frames, want.frames());
    ASSERT_LE(frames, size_t(s.ReadyFrames()));
    size_t mismatches = 0;
    for (size_t i = 0; i < frames * 2; ++i) mismatches += s.Samples()[i] != want.samples[i];
    EXPECT_EQ(mismatches, 0u);
  }

  bass::StreamTable table_;
  bass::OutputDevice device_;
  testing::TempDir dir_;
};

TEST_F(StreamDecoderTest, LongFileAtTheOutputRateDecodesInTheBackground) {
  std::string path = Write("long.wav", FileKind::kWav16, 10 * kRate);
  bass::Stream s;
  std::string why;
  ASSERT_EQ(bass::DecodeStream(path.c_str(), &device_, &s, &why), BASS_OK) << why;
  EXPECT_TRUE(s.decoder_running);
  EXPECT_GE(s.ReadyFrames(), kRate) << "the first second is there at once";
  s.FinishDecoding();
  DecodedAudio whole;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), kRate, 2, &whole), BASS_OK);
  ASSERT_EQ(size_t(s.ReadyFrames()), whole.frames());
  ExpectPrefix(s, whole, whole.frames());
}

TEST_F(StreamDecoderTest, Mp3LongerThanItsBufferLosesNothing) {
  // As if the header had promised two seconds of a six-second song.
  std::string path = Write("long.mp3", FileKind::kMp3, 6 * kRate);
  bass::Stream s;
  std::string why;
  ASSERT_EQ(bass::DecodeStream(path.c_str(), &device_, &s, &why, 2 * kRate), BASS_OK) << why;
  ASSERT_TRUE(s.decoder_running);
  s.FinishDecoding();
  DecodedAudio whole;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), kRate, 2, &whole), BASS_OK);
  ASSERT_GT(whole.frames(), size_t(5 * kRate));
  ASSERT_EQ(size_t(s.ReadyFrames()), whole.frames());
  ExpectPrefix(s, whole, whole.frames());
}

TEST_F(StreamDecoderTest, StoppingMidDecodeKeepsWhatWasPublished) {
  std::string path = Write("long.wav", FileKind::kWav16, 60 * kRate);
  DecodedAudio whole;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), kRate, 2, &whole), BASS_OK);
  bass::Stream s;
  ASSERT_EQ(bass::DecodeStream(path.c_str(), &device_, &s, nullptr), BASS_OK);
  s.StopDecoding();
  size_t ready = size_t(s.ReadyFrames());
  EXPECT_GE(ready, size_t(kRate));
  EXPECT_LE(ready, whole.frames());
  ExpectPrefix(s, whole, ready);
  s.StopDecoding();  // twice is harmless
}

TEST_F(StreamDecoderTest, ShortOrResampledFilesAreDecodedWholeAtOnce) {
  struct Case {
    const char* name;
    size_t frames;
    int rate;
  } cases[] = {{"short.wav", kRate / 2, kRate},
               {"exactly-a-second.wav", kRate, kRate},
               {"48k.wav", 5 * 48000, 48000}};
  for (const Case& c : cases) {
    std::string path = Write(c.name, FileKind::kWav16, c.frames, c.rate);
    bass::Stream s;
    ASSERT_EQ(bass::DecodeStream(path.c_str(), &device_, &s, nullptr), BASS_OK) << c.name;
    EXPECT_FALSE(s.decoder_running) << c.name;
    DecodedAudio whole;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), kRate, 2, &whole), BASS_OK);
    EXPECT_EQ(s.audio.samples, whole.samples) << c.name;
    EXPECT_EQ(size_t(s.ReadyFrames()), whole.frames()) << c.name;
  }
}

// The same through the public calls.
class ProgressiveStreamTest : public testing::BassTest {
 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, kRate, 0, nullptr)); }

  std::string WriteLong(const std::string& name, size_t frames) {
    std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteAudioFile(path, FileKind::kWav16, kRate, 2, Music(frames, 9)));
    return path;
  }
};

TEST_F(ProgressiveStreamTest, SpectrumRightAfterOpeningIsTheSong) {
  std::string path = WriteLong("long.wav", 30 * kRate);
  HSTREAM s = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
  ASSERT_NE(s, 0u) << BASS_ErrorGetCode();
  float got[kFftBins];
  ASSERT_EQ(BASS_ChannelGetData(s, got, BASS_DATA_FFT512), DWORD(sizeof got));
  DecodedAudio whole;
  ASSERT_EQ(DecodeAudioFile(path.c_str(), kRate, 2, &whole), BASS_OK);
  float want[kFftBins];
  ComputeSpectrumAt(whole.samples.data(), whole.frames(), 2, 0, want);
  for (int i = 0; i < kFftBins; ++i) ASSERT_FLOAT_EQ(got[i], want[i]) << i;
}

TEST_F(ProgressiveStreamTest, FreeingMidDecodeIsClean) {
  std::string path = WriteLong("long.wav", 60 * kRate);
  for (int round = 0; round < 3; ++round) {
    HSTREAM s = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_StreamPlay(s, 1, 0));
    BASS_StreamFree(s);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_EQ(BASS_ChannelGetPosition(s), QWORD(-1)) << "the handle is gone";
  }
  // BASS_Free with streams still decoding stops them too.
  ASSERT_NE(BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0), 0u);
  ASSERT_NE(BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0), 0u);
  BASS_Free();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
}

}  // namespace
}  // namespace zibo
