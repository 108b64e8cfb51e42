// The real output path: SDL's `disk` audio driver writes exactly what the
// callback hands it, so the file must hold the decoded music sample for
// sample after the silence that ran before playback started.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/audio_decoder.h"
#include "bass/bass_diagnostics.h"
#include "bass_test_support.h"

namespace zibo {
namespace {

using testing::FileKind;

constexpr int kBlockFrames = 1024;  // the library's device block

int16_t ToS16(double x) {
  return int16_t(std::clamp(std::lrint(x * 32768.0), -32768L, 32767L));
}

class SdlOutputTest : public testing::BassTest {
 protected:
  void SetUp() override {
    raw_ = dir_.Path("out.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // about 20 times real time
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 32, nullptr)) << BASS_ErrorGetCode();
  }
  void TearDown() override {
    BASS_Free();
    unsetenv("SDL_AUDIODRIVER");
  }

  struct Song {
    HSTREAM stream;
    DecodedAudio audio;  // what the stream should sound like
  };

  Song Open(const std::string& name, FileKind kind, int channels,
            const std::vector<float>& samples, int rate = 44100) {
    std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteAudioFile(path, kind, rate, channels, samples));
    Song song;
    song.stream = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_NE(song.stream, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &song.audio), BASS_OK);
    return song;
  }

  // Starts all songs in the same block, waits until every one has played
  // out, closes the device and returns what it wrote.
  std::vector<int16_t> PlayTogether(const std::vector<Song>& songs) {
    EXPECT_TRUE(BASS_Stop());
    for (const Song& s : songs) {
      EXPECT_TRUE(BASS_StreamPlay(s.stream, 1, 0));
      EXPECT_EQ(Frames(s.stream), 0) << "nothing heard yet";
    }
    EXPECT_TRUE(BASS_Start());
    for (const Song& s : songs) {
      long long end = (long long)s.audio.frames() + 2 * kBlockFrames;
      long long last = 0;
      for (int wait = 0; wait < 20000; ++wait) {  // 20 s at most
        long long now = Frames(s.stream);
        EXPECT_GE(now, last) << "never backwards";
        EXPECT_LE(now, (long long)bass::FramesHandedToDevice()) << "never ahead of the device";
        last = now;
        if (now >= end) break;
        SleepMs(1);
      }
      EXPECT_GE(last, end) << "the clock follows the device";
    }
    BASS_Free();  // closes the file
    std::string bytes = testing::ReadBytes(raw_);
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
  }

  std::string raw_;

  // Checks that `out` is silence, then `expected` starting on a block
  // boundary, then silence again.
  static void ExpectSilenceThen(const std::vector<int16_t>& out,
                                const std::vector<int16_t>& expected) {
    auto first_sound = [](const std::vector<int16_t>& v) {
      return size_t(std::find_if(v.begin(), v.end(), [](int16_t s) { return s != 0; }) -
                    v.begin());
    };
    size_t e = first_sound(expected);
    size_t o = first_sound(out);
    ASSERT_LT(e, expected.size()) << "the test signal must not be silent";
    ASSERT_LT(o, out.size()) << "nothing but silence was written";
    ASSERT_GE(o, e);
    size_t start = o - e;
    EXPECT_EQ(start % (2 * kBlockFrames), 0u) << "a start takes effect at a block boundary";
    ASSERT_GE(out.size(), start + expected.size()) << "output cut short";
    size_t mismatches = 0, first_mismatch = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (out[start + i] != expected[i] && mismatches++ == 0) first_mismatch = i;
    }
    EXPECT_EQ(mismatches, 0u) << "first at sample " << first_mismatch;
    size_t tail = std::count_if(out.begin() + long(start + expected.size()), out.end(),
                                [](int16_t s) { return s != 0; });
    EXPECT_EQ(tail, 0u) << "sound after the end: something was played twice";
  }
};

TEST_F(SdlOutputTest, Mp3IsWrittenSampleForSample) {
  auto music = testing::Sine(440, 0.4, 44100, 2, 22050);
  auto noise = testing::Noise(3, 0.2, 2, 22050);
  for (size_t i = 0; i < music.size(); ++i) music[i] += noise[i];
  Song song = Open("song.mp3", FileKind::kMp3, 2, music);
  std::vector<int16_t> expected;
  for (float s : song.audio.samples) expected.push_back(ToS16(s));
  ExpectSilenceThen(PlayTogether({song}), expected);
}

TEST_F(SdlOutputTest, LongMp3PlaysSampleForSampleWhileItDecodes) {
  // Long enough that playback starts while most of it is still being
  // decoded in the background.
  auto music = testing::Sine(440, 0.4, 44100, 2, 12 * 44100);
  auto noise = testing::Noise(7, 0.2, 2, 12 * 44100);
  for (size_t i = 0; i < music.size(); ++i) music[i] += noise[i];
  Song song = Open("long.mp3", FileKind::kMp3, 2, music);
  std::vector<int16_t> expected;
  for (float s : song.audio.samples) expected.push_back(ToS16(s));
  ExpectSilenceThen(PlayTogether({song}), expected);
}

TEST_F(SdlOutputTest, TwoStreamsAreMixedAndClipped) {
  Song a = Open("a.wav", FileKind::kWav16, 2, testing::Noise(4, 0.7, 2, 9000));
  Song b = Open("b.ogg", FileKind::kOggVorbis, 2, testing::Sine(1000, 0.6, 44100, 2, 14000));
  size_t frames = std::max(a.audio.frames(), b.audio.frames());
  std::vector<int16_t> expected;
  size_t clipped = 0;
  for (size_t i = 0; i < frames * 2; ++i) {
    double sum = 0;
    if (i < a.audio.samples.size()) sum += a.audio.samples[i];
    if (i < b.audio.samples.size()) sum += b.audio.samples[i];
    clipped += std::fabs(sum) > 1.0;
    expected.push_back(ToS16(float(sum)));
  }
  ASSERT_GT(clipped, 100u) << "the test must reach the clipping";
  ExpectSilenceThen(PlayTogether({a, b}), expected);
}

TEST_F(SdlOutputTest, FortyEightKilohertzPlaysResampledAtTheOutputRate) {
  Song song = Open("48k.wav", FileKind::kWav16, 2, testing::Sine(1000, 0.5, 48000, 2, 12000),
                   48000);
  ASSERT_EQ(song.audio.frames(), 11025u) << "a quarter second either way";
  std::vector<int16_t> expected;
  for (float s : song.audio.samples) expected.push_back(ToS16(s));
  ExpectSilenceThen(PlayTogether({song}), expected);
}

TEST_F(SdlOutputTest, MonoPlaysOnBothChannels) {
  Song effect = Open("s.ogg", FileKind::kOggVorbis, 1, testing::Sine(700, 0.5, 44100, 1, 8000));
  std::vector<int16_t> out = PlayTogether({effect});
  size_t sound = 0;
  for (size_t f = 0; f + 1 < out.size(); f += 2) {
    ASSERT_EQ(out[f], out[f + 1]) << "frame " << f / 2;
    sound += out[f] != 0;
  }
  EXPECT_GT(sound, 7000u);
}

}  // namespace
}  // namespace zibo
