#include "shell/x_display.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace zibo {

namespace {

// How long failed connections are retried, and the pause between tries
// (doubling from the first to the last).
constexpr Uint64 kRetryForMs = 3000;
constexpr Uint32 kFirstPauseMs = 10;
constexpr Uint32 kLongestPauseMs = 200;

// The connection kept open for the process's life (closed by its exit).
Display* held_display = nullptr;

// Bits of the Motif window manager hints that every current window manager reads.
constexpr unsigned long kMwmHintsFunctions = 1UL << 0;
constexpr unsigned long kMwmHintsDecorations = 1UL << 1;
constexpr unsigned long kMwmFuncMove = 1UL << 2;
constexpr unsigned long kMwmDecorBorder = 1UL << 1;
constexpr unsigned long kMwmDecorTitle = 1UL << 3;

}  // namespace

bool WantsXDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return false;
  const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);  // also reads the environment
  return driver == nullptr || *driver == '\0' || SDL_strcasecmp(driver, "x11") == 0;
}

bool HoldXDisplay(std::string* why) {
  if (held_display != nullptr) return true;
  const Uint64 start = SDL_GetTicks64();
  Uint32 pause = kFirstPauseMs;
  for (;;) {
    errno = 0;
    held_display = XOpenDisplay(nullptr);
    if (held_display != nullptr) return true;
    // Every failure is retried: a server that resets drops connections
    // whose setup it has read, and errno then still holds whatever failed
    // last inside Xlib (e.g. ENOENT from looking for ~/.Xauthority), so it
    // cannot tell such a refusal from a server that is not there.
    const int error = errno;
    if (SDL_GetTicks64() - start >= kRetryForMs) {
      *why = std::string("cannot open X display \"") + XDisplayName(nullptr) + "\": " +
             (error != 0 ? std::strerror(error) : "refused by the server");
      return false;
    }
    SDL_Delay(pause);
    pause = pause * 2 > kLongestPauseMs ? kLongestPauseMs : pause * 2;
  }
}

void AskForMoveOnlyFrame(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // flags, functions, decorations, input mode, status: format 32 is an array of longs.
  const long hints[5] = {long(kMwmHintsFunctions | kMwmHintsDecorations), long(kMwmFuncMove),
                         long(kMwmDecorBorder | kMwmDecorTitle), 0, 0};
  ::Display* display = info.info.x11.display;
  const Atom atom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, info.info.x11.window, atom, atom, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(display);
}

}  // namespace zibo
