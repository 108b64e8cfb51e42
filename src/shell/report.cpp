#include "shell/report.h"

#include <cstdio>
#include <cstdlib>

#include <SDL.h>

namespace zibo {

bool CanShowMessageBox() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);  // also reads the environment
  if (driver != nullptr &&
      (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0)) {
    return false;
  }
  const char* x_display = std::getenv("DISPLAY");
  const char* wayland_display = std::getenv("WAYLAND_DISPLAY");
  return (x_display != nullptr && *x_display != '\0') ||
         (wayland_display != nullptr && *wayland_display != '\0');
}

void ReportMessage(const char* caption, const char* text, SDL_Window* owner) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  // Without a usable display the message above is all the user gets.
  if (!CanShowMessageBox()) return;
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
