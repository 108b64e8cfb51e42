// The question on the terminal (where no message box can be shown), and
// the choice between box and terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/report.h"
#include "shell/viewer_question.h"

namespace zibo {
namespace {

// Answers `input` on a real stream; returns the answer, the prompt and what
// is left unread.
ViewerAnswer AnswerOnTerminal(const std::string& input, std::string* prompt, std::string* rest) {
  FILE* in = std::tmpfile();
  FILE* out = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  const ViewerAnswer answer = AskViewerOnTerminal(in, out);
  std::rewind(out);
  for (int c; (c = std::fgetc(in)) != EOF;) rest->push_back(char(c));
  for (int c; (c = std::fgetc(out)) != EOF;) prompt->push_back(char(c));
  std::fclose(in);
  std::fclose(out);
  return answer;
}

// One line is read: yes or no in any case between blanks; anything else,
// an over-long line or no input at all cancels.
TEST(TerminalQuestionTest, AnswersReadFromOneLine) {
  using A = ViewerAnswer;
  const std::string long_yes = "yes" + std::string(100000, ' ') + "\n";
  const struct { std::string input; ViewerAnswer answer; const char* rest; } cases[] = {
      {"y\n", A::kYes, ""}, {"YES\n", A::kYes, ""}, {"  yEs \t\n", A::kYes, ""}, {"yes\r\n", A::kYes, ""},
      {"y", A::kYes, ""}, {"n\n", A::kNo, ""}, {"No\n", A::kNo, ""}, {"\tn  \n", A::kNo, ""},
      {"no\nyes\n", A::kNo, "yes\n"}, {"", A::kCancel, ""}, {"\nyes\n", A::kCancel, "yes\n"},
      {"cancel\n", A::kCancel, ""}, {"yess\n", A::kCancel, ""}, {"ye\n", A::kCancel, ""},
      {"y es\n", A::kCancel, ""}, {"oui\n", A::kCancel, ""}, {long_yes + "no\n", A::kCancel, "no\n"},
      {std::string(100000, 'y') + "\n", A::kCancel, ""}};
  for (const auto& c : cases) {
    std::string prompt, rest;
    EXPECT_EQ(AnswerOnTerminal(c.input, &prompt, &rest), c.answer) << '"' << c.input.substr(0, 9) << '"';
    EXPECT_EQ(rest, c.rest) << '"' << c.input.substr(0, 9) << '"';
    EXPECT_NE(prompt.find("Do you like..."), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("...cars?"), std::string::npos) << prompt;
  }
}

// A message box needs a display and a video driver that can show one.
TEST(MessageBoxChoiceTest, NeedsADisplayAndARealVideoDriver) {
  const struct { const char *display, *wayland, *driver; bool can; } cases[] = {
      {nullptr, nullptr, nullptr, false}, {":57", nullptr, nullptr, true},
      {nullptr, "wayland-3", nullptr, true}, {nullptr, "", nullptr, false},
      {":57", nullptr, "offscreen", false}, {":57", nullptr, "dummy", false},
      {":57", nullptr, "x11", true}};
  for (const auto& c : cases) {
    for (auto [name, value] : {std::pair{"DISPLAY", c.display}, std::pair{"WAYLAND_DISPLAY", c.wayland},
                               std::pair{"SDL_VIDEODRIVER", c.driver}}) {
      value ? setenv(name, value, 1) : unsetenv(name);
    }
    EXPECT_EQ(CanShowMessageBox(), c.can) << (c.display ? c.display : "-") << " "
                                          << (c.wayland ? c.wayland : "-") << " "
                                          << (c.driver ? c.driver : "-");
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
}

}  // namespace
}  // namespace zibo
