// The real output path: SDL's `disk` audio driver writes exactly what the
// callback hands it, so the file must hold the decoded music sample for
// sample, starting on a block boundary after the silence before playback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/audio_decoder.h"
#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo {
namespace {

using testing::FileKind;
constexpr int kBlockFrames = 1024;  // the library's device block

struct Song {
  FileKind kind;
  int rate, channels;
  std::vector<float> samples;
};

class SdlOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.Path("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // about 20 times real time
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 32, nullptr)) << BASS_ErrorGetCode();
  }
  void TearDown() override {
    BASS_Free();
    unsetenv("SDL_AUDIODRIVER");
  }

  // Starts the songs in one block, lets them play out and checks the device
  // got silence, then the decoded songs mixed (as 16 bits), then silence.
  void ExpectPlayedTogether(const std::vector<Song>& songs) {
    std::vector<HSTREAM> streams;
    std::vector<float> mix;
    ASSERT_TRUE(BASS_Stop());
    for (const Song& song : songs) {
      const std::string path = dir_.Path(std::to_string(streams.size()));
      ASSERT_TRUE(testing::WriteAudioFile(path, song.kind, song.rate, song.channels, song.samples));
      streams.push_back(BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0));
      ASSERT_NE(streams.back(), 0u) << BASS_ErrorGetCode();
      DecodedAudio audio;  // what the stream should sound like
      ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK);
      mix.resize(std::max(mix.size(), audio.samples.size()));
      for (size_t i = 0; i < audio.samples.size(); ++i) mix[i] += audio.samples[i];
      ASSERT_TRUE(BASS_StreamPlay(streams.back(), 1, 0));
    }
    ASSERT_TRUE(BASS_Start());
    const long long end = (long long)mix.size() / 2 + 2 * kBlockFrames;
    for (HSTREAM s : streams) {
      long long last = 0;
      for (int wait = 0; wait < 20000 && last < end; ++wait) {  // 20 s at most
        const long long now = (long long)(BASS_ChannelGetPosition(s) / 4);
        EXPECT_GE(now, last) << "never backwards";
        EXPECT_LE(now, (long long)bass::FramesHandedToDevice()) << "never ahead of the device";
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      EXPECT_GE(last, end) << "the clock follows the device";
    }
    BASS_Free();  // closes the file
    const std::string bytes = testing::ReadFileBytes(dir_.Path("out.raw"));
    std::vector<int16_t> out(bytes.size() / 2), expected;
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    for (float s : mix) expected.push_back(int16_t(std::clamp(std::lrint(s * 32768.0), -32768L, 32767L)));
    auto first_sound = [](const std::vector<int16_t>& v) {
      return size_t(std::find_if(v.begin(), v.end(), [](int16_t s) { return s != 0; }) - v.begin());
    };
    const size_t e = first_sound(expected), o = first_sound(out);
    ASSERT_LT(e, expected.size()) << "the test signal must not be silent";
    ASSERT_LT(o, out.size()) << "nothing but silence was written";
    ASSERT_GE(o, e);
    const size_t start = o - e;
    EXPECT_EQ(start % (2 * kBlockFrames), 0u) << "a start takes effect at a block boundary";
    ASSERT_GE(out.size(), start + expected.size()) << "output cut short";
    const std::vector<int16_t> played(out.begin() + long(start), out.begin() + long(start + expected.size()));
    size_t mismatches = 0;
    for (size_t i = 0; i < expected.size(); ++i) mismatches += played[i] != expected[i];
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(size_t(std::count(out.begin() + long(start + expected.size()), out.end(), 0)),
              out.size() - start - expected.size()) << "sound after the end";
  }
  testing::TempDir dir_;
};

// Long enough that playback starts while most of it is still decoding.
TEST_F(SdlOutputTest, LongMp3PlaysSampleForSampleWhileItDecodes) {
  ExpectPlayedTogether({{FileKind::kMp3, 44100, 2, testing::Noise(7, 0.6, 2, 12 * 44100)}});
}

TEST_F(SdlOutputTest, StreamsAreMixedAndClippedAndMonoIsOnBothChannels) {
  ExpectPlayedTogether({{FileKind::kWav16, 44100, 2, testing::Noise(4, 0.7, 2, 9000)},
                        {FileKind::kOggVorbis, 44100, 1, testing::Sine(1000, 0.6, 44100, 1, 14000)}});
}

}  // namespace
}  // namespace zibo
