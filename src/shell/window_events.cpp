// Placeholder: event handling is being written.
#include "shell/window_events.h"
namespace zibo {
void HandleWindowEvent(SDL_Window*, const SDL_Event&) {}
}
