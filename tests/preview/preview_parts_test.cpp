// The preview's beat steps, its clock's loop and pause through SDL's disk
// audio driver, and what its live reload reads when.
#include <SDL_keycode.h>
#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "audio/spectrum.h"
#include "disk_output.h"
#include "media_watcher.h"
#include "preview_keys.h"
#include "private_copy.h"
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

// A swap to a song too short for the time shown keeps the old one.
TEST_F(DiskOutputTest, TransportKeepsTheOldSongWhenTheNewOneCannotGoToTheTimeShown) {
  Init("23");
  Transport transport(Open(3), 2000);
  EXPECT_FALSE(transport.Adopt(Open(1)));
  EXPECT_GE(transport.Now(), 2000);
}

// A file counts as changed once its writer is done: closed, moved over,
// truncated by name or removed; never while a writer pauses mid-file,
// however many polls long, nor when only read.
TEST(PreviewParts, WatcherReportsFinishedChangesOnly) {
  TempDir dir;
  const std::string a = dir.Path("a"), b = dir.Path("b");
  ASSERT_TRUE(WriteFileBytes(a, "1") && WriteFileBytes(b, "2"));
  MediaWatcher watcher({a, b});
  int fd = -1;
  const std::pair<std::function<void()>, std::vector<int>> steps[] = {
      {[&] { fd = open(a.c_str(), O_WRONLY | O_TRUNC); }, {}},
      {[&] { EXPECT_EQ(write(fd, "ha", 2), 2); }, {}},
      {[&] {}, {}},
      {[&] { EXPECT_EQ(write(fd, "lf", 2), 2); close(fd); }, {0}},
      {[&] { ReadFileBytes(a); }, {}},
      {[&] { WriteFileBytes(dir.Path("new"), "4"), rename(dir.Path("new").c_str(), b.c_str()); }, {1}},
      {[&] { EXPECT_EQ(truncate(a.c_str(), 1), 0); }, {0}},
      {[&] { unlink(b.c_str()); }, {1}},
      {[&] { WriteFileBytes(b, "5"); }, {1}}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    steps[i].first();
    EXPECT_EQ(watcher.Poll(), steps[i].second) << "step " << i;
  }
}

// A private copy keeps the bytes the file held when copied, also after the
// file is overwritten in place (cp new.mp3 disco.mp3).
TEST(PreviewParts, APrivateCopyOutlivesAnOverwriteInPlace) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.Path("song"), "old bytes"));
  PrivateCopy copy(dir.Path("song"));
  ASSERT_TRUE(copy.ok() && WriteFileBytes(dir.Path("song"), "new")) << copy.error();
  EXPECT_EQ(ReadFileBytes(copy.name()), "old bytes");
}

}  // namespace
}  // namespace zibo::testing
