#include "shell/report.h"

#include <cstdio>
#include <cstdlib>

#include <SDL.h>

namespace zibo {

void ReportMessage(const char* caption, const char* text, SDL_Window* owner) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  // Without a usable display the message above is all the user gets.
  if (SDL_ShowSimpleMessageBox(0, caption, text, owner) != 0) {
    std::fprintf(stderr, "(no message box: %s)\n", SDL_GetError());
  }
}

void FailAndExit(const char* caption, const char* text, SDL_Window* owner) {
  ReportMessage(caption, text, owner);
  // SDL_Quit closes audio and restores the desktop's display mode.
  SDL_Quit();
  std::exit(1);
}

}  // namespace zibo
