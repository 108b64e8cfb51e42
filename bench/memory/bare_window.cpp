// bare_window - the show's window and GL context with nothing in them: the
// baseline that peak_rss.sh compares the show's memory against.
//
//   bare_window
//
// Opens the show's 800x600 window (windowed) and presents cleared frames
// until it is closed, Escape is pressed, or SIGTERM/SIGINT arrives.
#include <GL/gl.h>
#include <SDL.h>

#include "shell/gl_window.h"
#include "shell/stop_signals.h"

int main() {
  zibo::InstallStopSignalHandlers();
  zibo::GlWindow window(false);
  while (!zibo::quit && !zibo::StopRequested()) {
    window.PumpMessage();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.SwapFrame();
    SDL_Delay(1);
  }
  return 0;
}
