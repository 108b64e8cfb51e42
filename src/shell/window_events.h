// window_events.h - what the show does with each window event.
//
// A close request (window close or SDL_QUIT) sets `quit` to 1 and leaves
// the window up. An Escape key-down only pushes a close request, so `quit`
// becomes 1 when a later pump takes it. Other keys do nothing.
// Main thread only.
#ifndef ZIBO_SHELL_WINDOW_EVENTS_H
#define ZIBO_SHELL_WINDOW_EVENTS_H

union SDL_Event;
struct SDL_Window;

namespace zibo {

void HandleWindowEvent(SDL_Window* window, const SDL_Event& event);

}  // namespace zibo

#endif
