#include "shell/viewer_question.h"

#include <cctype>
#include <string>

#include <SDL.h>

#include "shell/report.h"
#include "shell/x_display.h"

namespace zibo {

namespace {

constexpr const char* kCaption = "Do you like...";
constexpr const char* kQuestion = "...cars?";
// Longer lines are no answer; reading goes on to the line's end regardless.
constexpr size_t kMaxAnswerLength = 1024;

enum ButtonId { kButtonYes = 1, kButtonNo = 2, kButtonCancel = 3 };

// Shows the Yes/No/Cancel box. Returns false when no box could be shown.
bool AskInMessageBox(ViewerAnswer* answer) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kButtonYes, "Yes"},
      {0, kButtonNo, "No"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kButtonCancel, "Cancel"},
  };
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = nullptr;
  box.title = kCaption;
  box.message = kQuestion;
  box.numbuttons = SDL_arraysize(buttons);
  box.buttons = buttons;
  int button = -1;
  if (SDL_ShowMessageBox(&box, &button) != 0) {
    std::fprintf(stderr, "zibo: no message box for the question (%s); asking here\n",
                 SDL_GetError());
    return false;
  }
  // A box closed without a button counts as Cancel, as on other systems.
  *answer = button == kButtonYes  ? ViewerAnswer::kYes
            : button == kButtonNo ? ViewerAnswer::kNo
                                  : ViewerAnswer::kCancel;
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

ViewerAnswer AskViewerOnTerminal(FILE* in, FILE* out) {
  std::fprintf(out, "%s %s [yes/no, anything else cancels] ", kCaption, kQuestion);
  std::fflush(out);

  // Exactly one line is taken from the input, however long it is.
  std::string line;
  bool too_long = false;
  int c;
  while ((c = std::fgetc(in)) != EOF && c != '\n') {
    if (line.size() < kMaxAnswerLength) {
      line.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    } else {
      too_long = true;
    }
  }
  if (c == EOF && line.empty()) std::fputc('\n', out);  // keep the shell prompt on its own line
  if (too_long) return ViewerAnswer::kCancel;

  const std::string answer = Trimmed(line);
  if (answer == "y" || answer == "yes") return ViewerAnswer::kYes;
  if (answer == "n" || answer == "no") return ViewerAnswer::kNo;
  return ViewerAnswer::kCancel;
}

ViewerAnswer AskViewer() {
  ViewerAnswer answer = ViewerAnswer::kCancel;
  std::string why;
  if (WantsXDisplay() && !HoldXDisplay(&why)) {
    std::fprintf(stderr, "zibo: no message box for the question (%s); asking here\n", why.c_str());
  } else if (CanShowMessageBox() && AskInMessageBox(&answer)) {
    return answer;
  }
  return AskViewerOnTerminal(stdin, stdout);
}

}  // namespace zibo
