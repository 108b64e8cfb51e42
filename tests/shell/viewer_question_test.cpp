// The question on the terminal (where no message box can be shown), and
// the choice between box and terminal.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "shell/report.h"
#include "shell/viewer_question.h"

namespace zibo {
namespace {

// Answers `input` on a real stream; returns the answer and what is left unread.
struct TerminalRun {
  ViewerAnswer answer;
  std::string prompt;
  std::string rest;
};

TerminalRun AnswerOnTerminal(const std::string& input) {
  FILE* in = std::tmpfile();
  FILE* out = std::tmpfile();
  EXPECT_NE(in, nullptr);
  EXPECT_NE(out, nullptr);
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);

  TerminalRun run{AskViewerOnTerminal(in, out), "", ""};
  int c;
  while ((c = std::fgetc(in)) != EOF) run.rest.push_back(char(c));
  std::rewind(out);
  while ((c = std::fgetc(out)) != EOF) run.prompt.push_back(char(c));
  std::fclose(in);
  std::fclose(out);
  return run;
}

TEST(TerminalQuestionTest, AsksTheQuestion) {
  const TerminalRun run = AnswerOnTerminal("y\n");
  EXPECT_NE(run.prompt.find("Do you like..."), std::string::npos) << run.prompt;
  EXPECT_NE(run.prompt.find("...cars?"), std::string::npos) << run.prompt;
}

TEST(TerminalQuestionTest, YesAndNoInAnyCaseAroundBlanks) {
  for (const char* yes : {"y\n", "yes\n", "Y\n", "YES\n", "  yEs \t\n", "yes\r\n", "y"}) {
    EXPECT_EQ(AnswerOnTerminal(yes).answer, ViewerAnswer::kYes) << '"' << yes << '"';
  }
  for (const char* no : {"n\n", "no\n", "N\n", "No\n", "\tn  \n", "no\r\n", "no"}) {
    EXPECT_EQ(AnswerOnTerminal(no).answer, ViewerAnswer::kNo) << '"' << no << '"';
  }
}

TEST(TerminalQuestionTest, AnythingElseOrNoInputCancels) {
  for (const char* other :
       {"", "\n", "   \n", "c\n", "cancel\n", "yess\n", "ye\n", "nope\n", "y es\n", "yes no\n",
        "oui\n", "1\n"}) {
    EXPECT_EQ(AnswerOnTerminal(other).answer, ViewerAnswer::kCancel) << '"' << other << '"';
  }
}

TEST(TerminalQuestionTest, ReadsExactlyOneLine) {
  // An empty first line cancels even when a yes follows.
  TerminalRun run = AnswerOnTerminal("\nyes\n");
  EXPECT_EQ(run.answer, ViewerAnswer::kCancel);
  EXPECT_EQ(run.rest, "yes\n");

  run = AnswerOnTerminal("no\nyes\n");
  EXPECT_EQ(run.answer, ViewerAnswer::kNo);
  EXPECT_EQ(run.rest, "yes\n");
}

TEST(TerminalQuestionTest, AVeryLongLineIsNoAnswerAndIsConsumedWhole) {
  const std::string long_yes = "yes" + std::string(100000, ' ') + "\n";
  TerminalRun run = AnswerOnTerminal(long_yes + "no\n");
  EXPECT_EQ(run.answer, ViewerAnswer::kCancel);
  EXPECT_EQ(run.rest, "no\n");

  run = AnswerOnTerminal(std::string(100000, 'y') + "\n");
  EXPECT_EQ(run.answer, ViewerAnswer::kCancel);
  EXPECT_EQ(run.rest, "");
}

class MessageBoxChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
};

TEST_F(MessageBoxChoiceTest, NeedsADisplay) {
  EXPECT_FALSE(CanShowMessageBox());
  setenv("DISPLAY", ":57", 1);
  EXPECT_TRUE(CanShowMessageBox());
  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "wayland-3", 1);
  EXPECT_TRUE(CanShowMessageBox());
  setenv("WAYLAND_DISPLAY", "", 1);
  EXPECT_FALSE(CanShowMessageBox());
}

TEST_F(MessageBoxChoiceTest, NotOnDisplayLessVideoDrivers) {
  setenv("DISPLAY", ":57", 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  EXPECT_FALSE(CanShowMessageBox());
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_FALSE(CanShowMessageBox());
  setenv("SDL_VIDEODRIVER", "x11", 1);
  EXPECT_TRUE(CanShowMessageBox());
}

}  // namespace
}  // namespace zibo
