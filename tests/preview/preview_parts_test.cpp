// The preview's pure parts: keys, beat steps, the title, the letterbox, the
// command line, and the watcher's view of files changing on disk.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <cstdio>
#include <fstream>

#include "audio_test_files.h"
#include "letterbox.h"
#include "media_watcher.h"
#include "preview_keys.h"
#include "preview_options.h"
#include "preview_title.h"

namespace zibo {
namespace {

TEST(PreviewKeys, KeysStepOnTheBeatGrid) {
  struct Case {
    int32_t key;
    bool shift;
    int32_t from_ms, to_ms;  // after the key's step or seek
  };
  for (Case c : {Case{SDLK_RIGHT, false, 0, 429}, Case{SDLK_RIGHT, false, 429, 858},
                 Case{SDLK_LEFT, false, 858, 429}, Case{SDLK_LEFT, false, 500, 429},
                 Case{SDLK_LEFT, false, 300, 0}, Case{SDLK_LEFT, true, 100, 0},
                 Case{SDLK_RIGHT, true, 25318, 27000}, Case{SDLK_PAGEDOWN, false, 0, 13715},
                 Case{SDLK_PAGEUP, false, 14000, 429}, Case{SDLK_PAGEDOWN, false, 128000, 128571},
                 Case{SDLK_HOME, false, 5000, 0}, Case{SDLK_END, false, 0, 127572}}) {
    SCOPED_TRACE(::testing::Message() << "key " << c.key << " from " << c.from_ms);
    KeyAction a = ActionForKey(c.key, c.shift);
    int32_t to = a.action == PreviewAction::kStep ? StepTargetMs(c.from_ms, a.beats) : a.to_ms;
    EXPECT_EQ(to, c.to_ms);
  }
  EXPECT_EQ(ActionForKey(SDLK_p, false).action, PreviewAction::kTogglePause);
  EXPECT_EQ(ActionForKey(SDLK_LEFTBRACKET, false).action, PreviewAction::kLoopStart);
  EXPECT_EQ(ActionForKey(SDLK_RIGHTBRACKET, false).action, PreviewAction::kLoopEnd);
  EXPECT_EQ(ActionForKey(SDLK_l, false).action, PreviewAction::kToggleLoop);
  EXPECT_EQ(ActionForKey(SDLK_ESCAPE, false).action, PreviewAction::kQuit);
  EXPECT_EQ(ActionForKey(SDLK_h, false).action, PreviewAction::kNone) << "H is held, as in the show";
}

TEST(PreviewTitle, NamesTimeBeatSceneAndState) {
  TitleState paused{25318, true, false, -1, -1, ""};
  EXPECT_EQ(PreviewTitle(paused), "zibo-preview  25318 ms  beat 59  slide s1  paused");
  TitleState looping{17143, false, true, 1000, 17143, "s1.tga: truncated"};
  EXPECT_EQ(PreviewTitle(looping),
            "zibo-preview  17143 ms  beat 40  emptying bar  looping  loop 1000-17143 ms  "
            "s1.tga: truncated");
  TitleState start{0, false, false, 0, -1, ""};
  EXPECT_EQ(PreviewTitle(start), "zibo-preview  0 ms  beat 0  black  playing  loop 0-? ms (off)");
  EXPECT_STREQ(SceneNameAt(17142), "loading bar");
  EXPECT_STREQ(SceneNameAt(85715), "hanging dancer");
  EXPECT_STREQ(SceneNameAt(128571), "strobe");
  EXPECT_STREQ(SceneNameAt(128572), "black");
}

TEST(PreviewWindow, LetterboxKeepsTheWholePictureCentred) {
  struct Case {
    int w, h, x, y, vw, vh;
  };
  for (Case c : {Case{800, 600, 0, 0, 800, 600}, Case{1000, 600, 100, 0, 800, 600},
                 Case{800, 700, 0, 50, 800, 600}, Case{801, 600, 0, 0, 800, 600},
                 Case{100, 76, 0, 0, 100, 75}, Case{1, 1, 0, 0, 1, 1}}) {
    Viewport v = Letterbox(c.w, c.h);
    EXPECT_EQ((std::vector<int>{v.x, v.y, v.width, v.height}),
              (std::vector<int>{c.x, c.y, c.vw, c.vh}))
        << c.w << "x" << c.h;
  }
}

TEST(PreviewOptions, ParsesTheCommandLine) {
  struct Case {
    std::vector<const char*> args;
    PreviewParse outcome;
  };
  for (const Case& c : {Case{{"--at", "5000", "--media=m", "--size", "640x480"}, PreviewParse::kRun},
                        Case{{"--loop", "5:3"}, PreviewParse::kError},
                        Case{{"--at", "128573"}, PreviewParse::kError},
                        Case{{"--size", "640x"}, PreviewParse::kError},
                        Case{{"--at"}, PreviewParse::kError},
                        Case{{"--fullscreen"}, PreviewParse::kError},
                        Case{{"--version"}, PreviewParse::kVersion},
                        Case{{"--windowed", "--help"}, PreviewParse::kHelp}}) {
    std::vector<const char*> argv{"zibo-preview"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    PreviewOptions o;
    std::string error;
    EXPECT_EQ(ParsePreviewOptions(int(argv.size()), argv.data(), &o, &error), c.outcome)
        << c.args[0] << " " << error;
    if (c.outcome == PreviewParse::kRun) {
      EXPECT_EQ(o.at_ms, 5000);
      EXPECT_EQ(o.media_dir, "m");
      EXPECT_EQ(o.width * 10000 + o.height, 6400480);
    }
  }
}

TEST(MediaWatcher, ReportsEachSettledChangeOnce) {
  testing::TempDir dir;
  const std::string a = dir.Path("a.tga"), b = dir.Path("b.tga");
  std::ofstream(a) << "old";
  MediaWatcher watcher({a, b});
  EXPECT_TRUE(watcher.Poll().empty());
  std::ofstream(a) << "newer";
  EXPECT_TRUE(watcher.Poll().empty()) << "still settling";
  EXPECT_EQ(watcher.Poll(), std::vector<int>{0});
  EXPECT_TRUE(watcher.Poll().empty()) << "once";
  std::ofstream(b) << "appeared";
  std::remove(a.c_str());
  watcher.Poll();
  EXPECT_EQ(watcher.Poll(), (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace zibo
