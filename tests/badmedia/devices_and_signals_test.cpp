// The real show without a sound card, without any display, and stopped by
// SIGTERM or SIGINT while it runs.
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "show_media.h"
#include "show_outcome.h"

namespace zibo {
namespace {

class ShowCase : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const std::string good = GoodMediaDir(&error);
    ASSERT_FALSE(good.empty()) << error;
    ASSERT_TRUE(dir_.Create(good, &error)) << error;
  }
  void Start(const ShowOptions& options) {
    std::string error;
    ASSERT_TRUE(show_.Start(ZIBO_SHOW_BINARY, options, &error)) << error;
  }
  CaseDirectory dir_;
  ShowProcess show_;
};

using StopSignals = ShowCase;

TEST_F(StopSignals, SigtermEndsTheRunningShowWithStatus0) {
  Start(HeadlessShowOptions(dir_.path()));
  EXPECT_EQ(ExpectRunsUntilSignal(show_, dir_.path(), 1000, SIGTERM), "");
}

TEST_F(StopSignals, SigintEndsTheRunningShowWithStatus0) {
  Start(HeadlessShowOptions(dir_.path()));
  EXPECT_EQ(ExpectRunsUntilSignal(show_, dir_.path(), 1000, SIGINT), "");
}

using NoSoundCard = ShowCase;

// Without any audio output the show falls back to the silent device and
// runs on (its pace is checked on a screen by tests/xshow).
TEST_F(NoSoundCard, TheShowRunsSilently) {
  ShowOptions options = HeadlessShowOptions(dir_.path());
  options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "nonexistent"}};
  Start(options);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  ASSERT_TRUE(show_.Running()) << show_.Describe() << "\n" << show_.Stderr();
  show_.Signal(SIGTERM);
  ASSERT_TRUE(show_.WaitForExit(kEndTimeoutMs));
  EXPECT_EQ(show_.Describe(), "exit 0") << show_.Stderr();
  EXPECT_EQ(show_.Stderr().find("Error"), std::string::npos) << show_.Stderr();
}

class NoDisplay : public ShowCase, public ::testing::WithParamInterface<const char*> {};

// No DISPLAY, no driver named: the question goes to the terminal and the
// window's video start-up fails with a clear message, never a hang.
TEST_P(NoDisplay, AsksOnTheTerminalThenFailsWithRegisterClass) {
  ShowOptions options;
  options.directory = dir_.path();
  options.stdin_text = GetParam();
  options.env = {{"SDL_AUDIODRIVER", "dummy"}};
  options.unset_env = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  Start(options);
  ASSERT_TRUE(show_.WaitForExit(kStartTimeoutMs)) << "hangs without a display";
  EXPECT_EQ(show_.Describe(), "exit 1") << show_.Stderr();
  EXPECT_NE(show_.Stdout().find("...cars?"), std::string::npos) << show_.Stdout();
  EXPECT_TRUE(HasLine(show_.Stderr(), "Damn: RegisterClass")) << show_.Stderr();
}

INSTANTIATE_TEST_SUITE_P(Answers, NoDisplay, ::testing::Values("n\n", "y\n"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param[0] == 'y' ? "Yes" : "No");
                         });

}  // namespace
}  // namespace zibo
