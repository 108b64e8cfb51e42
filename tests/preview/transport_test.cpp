// The preview's loop through SDL's disk audio driver: the clock and the
// samples written wrap together.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bass/spectrum.h"
#include "bass_test_support.h"
#include "disk_output.h"
#include "transport.h"

namespace zibo {
namespace {

TEST(Transport, ALoopWrapsClockAndSoundTogetherAndPauseHoldsTheTimeShown) {
  testing::TempDir dir;
  const std::string raw = dir.Path("out.raw"), song_path = dir.Path("song.wav");
  testing::UseDiskOutput(raw, "5");  // about 4.5 times real time
  auto samples = testing::Noise(9, 0.2, 2, 3 * 44100);
  for (float& s : samples) s -= 0.25f;  // never silent
  ASSERT_TRUE(testing::WriteAudioFile(song_path, testing::FileKind::kWav16, 44100, 2, samples));
  std::vector<int16_t> song;
  for (float s : samples) song.push_back(int16_t(std::lrint(s * 32768.0)));
  ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << BASS_ErrorGetCode();
  HSTREAM h = BASS_StreamCreateFile(0, song_path.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_ChannelSetPosition(h, QWORD(song.size()) * 2));  // waits until decoded whole

  const int32_t from = 500, to = 1500;
  Transport transport(h, 200);
  transport.SetLoopStart(from);
  transport.SetLoopEnd(to);
  transport.SetLooping(true);
  int wraps = 0;
  for (int32_t last = transport.Now(), i = 0; wraps < 4 && i < 20000; ++i) {
    const int32_t t = transport.Now();
    ASSERT_LT(t, to) << "the clock never shows the loop's end";
    if (t < last) {
      ++wraps;
      EXPECT_EQ(t, from) << "wraps to the loop's start";
    }
    last = t;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(wraps, 4);  // the last one may be paused before it is heard
  transport.TogglePause();
  const int32_t held = transport.Now();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(transport.Now(), held) << "paused on the time shown";
  EXPECT_EQ(BASS_ChannelGetPosition(h), QWORD(FirstFrameAtMs(held, 44100)) * 4)
      << "on its first sample, as offline capture draws it";
  BASS_Free();
  unsetenv("SDL_AUDIODRIVER");

  auto slices = testing::SongSlices(testing::ReadSamples(raw), song);
  ASSERT_GE(slices.size(), 4u);
  EXPECT_EQ(slices[0].song, size_t(FirstFrameAtMs(200, 44100)) * 2);
  for (size_t i = 1; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(slices[i].song, size_t(FirstFrameAtMs(from, 44100)) * 2) << "sound wraps too";
    EXPECT_EQ(slices[i - 1].out + slices[i - 1].length, slices[i].out) << "without a gap";
    EXPECT_GE(slices[i - 1].song + slices[i - 1].length, size_t(FirstFrameAtMs(to, 44100)) * 2)
        << "the loop was heard to its end";
  }
}

}  // namespace
}  // namespace zibo
