// x_display.h - the show's hold on the X server named by DISPLAY.
//
// An X server that loses its last client resets itself, and a connection
// that arrives during the reset is refused or dropped after its setup. The
// question box and SDL's video driver each open their own connection one
// after the other, so the show keeps one connection of its own open from
// before the question to its exit: the server then never resets under it.
// Opening that connection retries every failure for a few seconds: Xlib's
// errno cannot tell a dropped connection from a server not there.
// HoldXDisplay owns the connection until the process ends.
// Main thread only.
#ifndef ZIBO_SHELL_X_DISPLAY_H
#define ZIBO_SHELL_X_DISPLAY_H

#include <string>

struct SDL_Window;

namespace zibo {

// Whether the show is to use an X server: DISPLAY is set and no video
// driver other than "x11" was named in SDL_VIDEODRIVER.
bool WantsXDisplay();

// Opens (once) and keeps the connection to DISPLAY. Returns false, with
// Xlib's reason in `why`, when the server cannot be reached within a few
// seconds of retries.
bool HoldXDisplay(std::string* why);

// Asks the window manager for a title bar and a thin border only, and for
// moving as the one window action (no window menu, minimise, maximise or
// close box, no resizing). Call before the window is first shown; does
// nothing on a video driver other than X11.
void AskForMoveOnlyFrame(SDL_Window* window);

}  // namespace zibo

#endif
