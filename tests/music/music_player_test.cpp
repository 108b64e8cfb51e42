// MusicPlayer over the real audio library: the fallback to the no-sound
// device, the millisecond clock, the spectrum probe, and every failure
// report with its exit status.
#include "music/music_player.h"

#include <functional>

#include "bass/disk_output.h"

namespace zibo {
namespace {

using testing::SleepMs;

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);  // no sound card: the player falls back
    setenv("SDL_VIDEODRIVER", "offscreen", 1);       // message boxes fail at once
    ASSERT_TRUE(testing::WriteAudioFile(song_, testing::FileKind::kMp3, 44100, 2,
                                        testing::Sine(56 * 44100.0 / 512, 0.8, 44100, 2, 44100)));
  }
  void TearDown() override { BASS_Free(); }
  testing::TempDir dir_;
  const std::string song_ = dir_.Path("disco.mp3");
};

// PositionMs is the library's clock truncated to whole milliseconds: checked
// on held positions until several had a fraction of half a millisecond or
// more, where rounding would read one more.
TEST_F(MusicPlayerTest, ThePositionIsTheLibraryClockTruncatedToWholeMs) {
  MusicPlayer player(song_.c_str(), nullptr);
  EXPECT_EQ(player.PositionMs(), 0) << "the clock waits for Play";
  player.Play();
  EXPECT_LT(player.PositionMs(), 100);
  int upper_halves = 0;
  for (int i = 0; i < 400 && upper_halves < 5; ++i) {
    SleepMs(1 + i % 3);
    ASSERT_TRUE(BASS_ChannelStop(player.stream()));
    const QWORD bytes = BASS_ChannelGetPosition(player.stream());
    const double ms = BASS_ChannelBytes2Seconds(player.stream(), bytes) * 1000.0;
    ASSERT_EQ(player.PositionMs(), int32_t(ms)) << ms;
    upper_halves += ms - std::floor(ms) >= 0.5;
    ASSERT_TRUE(BASS_StreamPlay(player.stream(), 0, 0));
  }
  EXPECT_EQ(upper_halves, 5);
}

TEST_F(MusicPlayerTest, SpectrumProbesTheirBins) {
  MusicPlayer player(song_.c_str(), nullptr);
  player.Play();
  SleepMs(100);  // well inside the tone, past the encoder delay
  const std::pair<float, double> probes[] = {{0.11f, 0.4},   {0.45f, 0.0}, {0.0f, 0.0},
                                             {0.5f, 0.0},    {-0.5f, 0.0}, {std::nanf(""), 0.0}};
  for (auto [fraction, level] : probes) {
    EXPECT_NEAR(player.SpectrumAt(fraction), level, level > 0 ? 0.03 : 0.01) << fraction;
  }
}

TEST_F(MusicPlayerTest, CloseReleasesEverything) {
  HSTREAM stream;
  {
    MusicPlayer player(song_.c_str(), nullptr);
    player.Play();
    stream = player.stream();
  }
  EXPECT_EQ(BASS_ChannelGetPosition(stream), QWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(MusicPlayerTest, FailuresAreReportedWithTheirCodeAndStatusOne) {
  ASSERT_TRUE(testing::WriteFileBytes(dir_.Path("text.mp3"), "just some words\n"));
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { MusicPlayer(dir_.Path("nothing.mp3").c_str(), nullptr); }, "load song\\.: 2\n"},
      {[&] { MusicPlayer(dir_.Path("text.mp3").c_str(), nullptr); }, "load song\\.: 41\n"},
      {[&] {
         BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr);
         MusicPlayer(song_.c_str(), nullptr);
       }, "Unable to init BASS: 14"},
      {[&] {
         MusicPlayer player(song_.c_str(), nullptr);
         BASS_StreamFree(player.stream());
         player.Play();
       }, "Unable to play song!: 5"},
      {[&] {
         MusicPlayer player(song_.c_str(), nullptr);
         player.Play();
         BASS_Free();  // pulled away underneath the player
       }, "Unable to stop: 8"}};
  for (const auto& [run, message] : cases) {
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), std::string("vel Error!: .*") + message);
  }
}

}  // namespace
}  // namespace zibo
