#include "shell/window_events.h"

#include <cstdio>

#include <SDL.h>

#include "shell/gl_window.h"

namespace zibo {

namespace {

// Asks for the window to be closed, as the window manager would; the close
// is handled when a later pump takes this event from the queue.
void RequestClose(SDL_Window* window) {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = SDL_GetWindowID(window);
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  if (SDL_PushEvent(&close) != 1) {
    std::fprintf(stderr, "zibo: cannot queue the close request for Escape: %s\n", SDL_GetError());
  }
}

}  // namespace

void HandleWindowEvent(SDL_Window* window, const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      quit = 1;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE &&
          event.window.windowID == SDL_GetWindowID(window)) {
        quit = 1;  // the window stays up; the frame loop ends the show
      }
      break;
    case SDL_KEYDOWN:
      if (event.key.keysym.sym == SDLK_ESCAPE) RequestClose(window);
      break;
    default:
      break;
  }
}

}  // namespace zibo
