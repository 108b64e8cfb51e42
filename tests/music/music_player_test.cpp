// MusicPlayer over the real audio library: the fallback to the no-sound
// device, the millisecond clock, the spectrum probe, and every failure
// report with its exit status.
#include "music/music_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio_test_files.h"
#include "bass/bass.h"

namespace zibo {
namespace {

using testing::FileKind;

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No sound card here; the default output fails and the player falls back.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    // Message boxes fail quickly instead of looking for a display.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    song_ = dir_.Path("disco.mp3");
    ASSERT_TRUE(testing::WriteAudioFile(song_, FileKind::kMp3, 44100, 2,
                                        testing::Sine(kBin56Hz, 0.8, 44100, 2, 44100)));
  }
  void TearDown() override { BASS_Free(); }

  static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  static constexpr double kBin56Hz = 56 * 44100.0 / 512;
  testing::TempDir dir_;
  std::string song_;
};

TEST_F(MusicPlayerTest, FallsBackToNoSoundAndPlaysFromZero) {
  MusicPlayer player(song_.c_str(), nullptr);
  EXPECT_NE(player.stream(), 0u);
  EXPECT_EQ(player.PositionMs(), 0) << "the clock waits for Play";
  player.Play();
  int32_t first = player.PositionMs();
  EXPECT_GE(first, 0);
  EXPECT_LT(first, 100);
  int32_t last = first;
  for (int i = 0; i < 1000; ++i) {
    int32_t now = player.PositionMs();
    ASSERT_GE(now, last);
    last = now;
  }
  SleepMs(50);
  EXPECT_GE(player.PositionMs() - first, 40);
}

TEST_F(MusicPlayerTest, PositionIsTheLibraryClockTruncatedToWholeMs) {
  MusicPlayer player(song_.c_str(), nullptr);
  player.Play();
  for (int i = 0; i < 200; ++i) {
    auto ms_now = [&] {
      QWORD bytes = BASS_ChannelGetPosition(player.stream());
      return int32_t(BASS_ChannelBytes2Seconds(player.stream(), bytes) * 1000.0);
    };
    int32_t before = ms_now();
    int32_t ms = player.PositionMs();
    int32_t after = ms_now();
    ASSERT_LE(before, ms);
    ASSERT_LE(ms, after);
  }
}

TEST_F(MusicPlayerTest, SpectrumProbesTheirBins) {
  MusicPlayer player(song_.c_str(), nullptr);
  player.Play();
  SleepMs(100);  // well inside the tone, past the encoder delay
  EXPECT_NEAR(player.SpectrumAt(0.11f), 0.4, 0.03) << "0.11 reads bin 56";
  EXPECT_LT(player.SpectrumAt(0.45f), 0.01) << "bin 230 is quiet";
  EXPECT_LT(player.SpectrumAt(0.0f), 0.01) << "bin 0: no DC";
  // Outside the 256 bins there is nothing to read.
  EXPECT_EQ(player.SpectrumAt(0.5f), 0.0f);
  EXPECT_EQ(player.SpectrumAt(-0.5f), 0.0f);
  EXPECT_EQ(player.SpectrumAt(std::nanf("")), 0.0f);
}

TEST_F(MusicPlayerTest, CloseReleasesEverythingInOrder) {
  HSTREAM stream;
  {
    MusicPlayer player(song_.c_str(), nullptr);
    player.Play();
    stream = player.stream();
  }
  // The stream is gone and the library can start afresh.
  EXPECT_EQ(BASS_ChannelGetPosition(stream), QWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr));
}

using MusicPlayerDeathTest = MusicPlayerTest;

TEST_F(MusicPlayerDeathTest, MissingSongIsReportedWithCodeTwo) {
  std::string missing = dir_.Path("nothing.mp3");
  EXPECT_EXIT(MusicPlayer(missing.c_str(), nullptr), ::testing::ExitedWithCode(1),
              "vel Error!: Unable to load song\\.: 2");
}

TEST_F(MusicPlayerDeathTest, NonAudioSongIsReportedWithCodeFortyOne) {
  std::string text = dir_.Path("text.mp3");
  ASSERT_TRUE(testing::WriteBytes(text, "just some words\n"));
  EXPECT_EXIT(MusicPlayer(text.c_str(), nullptr), ::testing::ExitedWithCode(1),
              "vel Error!: Unable to load song\\.: 41");
}

TEST_F(MusicPlayerDeathTest, InitFailureIsReportedAfterTheFallbackFails) {
  ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr));
  EXPECT_EXIT(MusicPlayer(song_.c_str(), nullptr), ::testing::ExitedWithCode(1),
              "vel Error!: Unable to init BASS: 14");
}

TEST_F(MusicPlayerDeathTest, PlayFailureIsReported) {
  EXPECT_EXIT(
      {
        MusicPlayer player(song_.c_str(), nullptr);
        BASS_StreamFree(player.stream());
        player.Play();
      },
      ::testing::ExitedWithCode(1), "vel Error!: Unable to play song!: 5");
}

TEST_F(MusicPlayerDeathTest, StopFailureIsReportedAtShutdown) {
  EXPECT_EXIT(
      {
        MusicPlayer player(song_.c_str(), nullptr);
        player.Play();
        BASS_Free();  // pulled away underneath the player
      },
      ::testing::ExitedWithCode(1), "vel Error!: Unable to stop: 8");
}

}  // namespace
}  // namespace zibo
