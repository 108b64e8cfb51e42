// The preview's beat steps, and its clock's loop and pause through SDL's disk audio driver.
#include <SDL_keycode.h>

#include "audio/spectrum.h"
#include "disk_output.h"
#include "preview_keys.h"
#include "transport.h"

namespace zibo::testing {
namespace {

TEST(PreviewParts, KeysStepOnTheBeatGrid) {
  for (auto [key, shift, from, to] : {std::array<int32_t, 4>{SDLK_RIGHT, 0, 429, 858},
       {SDLK_LEFT, 0, 858, 429}, {SDLK_LEFT, 0, 500, 429}, {SDLK_PAGEUP, 0, 14000, 429},
       {SDLK_RIGHT, 1, 25318, 27000}, {SDLK_PAGEDOWN, 0, 128000, 128571}, {SDLK_END, 0, 0, 127572}}) {
    KeyAction a = ActionForKey(key, shift);
    EXPECT_EQ(a.action == PreviewAction::kStep ? StepTargetMs(from, a.beats) : a.to_ms, to)
        << "key " << key << " from " << from;
  }
}

TEST_F(DiskOutputTest, TransportLoopWrapsClockAndSoundTogetherAndPauseHoldsTheTimeShown) {
  Init("5");  // about 4.5 times real time
  HSTREAM h = Open(3);
  const int32_t from = 501, to = 1503;  // not whole multiples of a frame
  Transport transport(h, 200);
  transport.SetLoopStart(from);
  transport.SetLoopEnd(to);
  transport.SetLooping(true);
  int wraps = 0;  // the last one may be paused before it is heard
  for (int32_t last = transport.Now(), i = 0; wraps < 4 && i < 20000; ++i, SleepMs(1)) {
    const int32_t t = transport.Now();
    ASSERT_LT(t, to) << "the clock never shows the loop's end";
    wraps += t < last;
    last = t;
  }
  ASSERT_EQ(wraps, 4);
  SleepMs(50);  // well into the next block
  transport.TogglePause();
  // On the first sample of the time shown, as offline capture draws it.
  EXPECT_EQ(BASS_ChannelGetPosition(h), QWORD(FirstFrameAtMs(transport.Now(), 44100)) * 4);
  transport.SeekTo(to);
  EXPECT_EQ(transport.Now(), from) << "the loop's end itself is never shown";
  auto slices = Written();
  ASSERT_GE(slices.size(), 4u);
  for (size_t i = 1; i < 4; ++i) {  // each loop heard to its end, then from its start
    EXPECT_EQ(slices[i].song, size_t(FirstFrameAtMs(from, 44100)) * 2) << "sound wraps " << i;
    EXPECT_EQ(slices[i - 1].out + slices[i - 1].length, slices[i].out) << "no gap " << i;
    EXPECT_GE(slices[i - 1].song + slices[i - 1].length, FirstFrameAtMs(to, 44100) * 2u) << i;
  }
}

}  // namespace
}  // namespace zibo::testing
