// report.h - how the show tells the user that something went wrong.
//
// Every message goes to standard error as "caption: text" and, where a
// message box can be shown (see CanShowMessageBox), into a modal SDL
// message box with an OK button. FailAndExit then shuts SDL down (restoring
// the desktop display mode and closing audio) and ends the process with
// status 1.
// Main thread only.
#ifndef ZIBO_SHELL_REPORT_H
#define ZIBO_SHELL_REPORT_H

struct SDL_Window;

namespace zibo {

// False when there is no display to put a message box on: neither DISPLAY
// nor WAYLAND_DISPLAY is set, or SDL's display-less "offscreen" or "dummy"
// video driver is selected. A box may still fail to appear when this is
// true; callers fall back to the terminal then too.
bool CanShowMessageBox();

void ReportMessage(const char* caption, const char* text, SDL_Window* owner = nullptr);
[[noreturn]] void FailAndExit(const char* caption, const char* text, SDL_Window* owner = nullptr);

}  // namespace zibo

#endif
