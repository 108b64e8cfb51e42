#include "run_preview.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bass/bass.h"
#include "show/letterbox.h"
#include "media_watcher.h"
#include "preview_keys.h"
#include "preview_media.h"
#include "preview_title.h"
#include "preview_window.h"
#include "show/show.h"
#include "show/show_media.h"
#include "transport.h"

namespace zibo {
namespace {

constexpr Uint32 kWatchEveryMs = 250;  // how often the file events are read

bool KeyHeld(SDL_Scancode code) { return SDL_GetKeyboardState(nullptr)[code] != 0; }

// Applies a key's action; false when it asks to quit. Steps and loop bounds
// start from the clock now, so that keys taken in one go add up.
bool Apply(const KeyAction& a, Transport* transport) {
  const int32_t now = transport->Now();
  switch (a.action) {
    case PreviewAction::kTogglePause: transport->TogglePause(); break;
    case PreviewAction::kStep: transport->SeekTo(StepTargetMs(now, a.beats)); break;
    case PreviewAction::kSeekTo: transport->SeekTo(a.to_ms); break;
    case PreviewAction::kLoopStart: transport->SetLoopStart(now); break;
    case PreviewAction::kLoopEnd: transport->SetLoopEnd(now); break;
    case PreviewAction::kToggleLoop: transport->SetLooping(!transport->looping()); break;
    case PreviewAction::kQuit: return false;
    case PreviewAction::kNone: break;
  }
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zibo-preview: %s\n", message.c_str());
  return 1;
}

// Why each media file that changed last is not in use ("" when it is); the
// title shows the first.
struct Problems {
  std::string why[kMediaFileCount];
  std::string First() const {
    for (const std::string& w : why) {
      if (!w.empty()) return w;
    }
    return "";
  }
};

// Frames until Escape or a close: keys, live reloads, then the frame for
// the clock's time, drawn as the show draws it, and the title for it.
void RunFrameLoop(PreviewWindow& window, PreviewMedia& media, Transport& transport) {
  std::vector<std::string> paths;
  for (const char* name : kMediaFiles) paths.push_back(MediaPath(media.dir(), name));
  MediaWatcher watcher(paths);
  if (!watcher.error().empty()) {
    std::fprintf(stderr, "zibo-preview: %s; changed files are not reloaded\n", watcher.error().c_str());
  }
  Uint32 next_watch = SDL_GetTicks() + kWatchEveryMs;
  Problems problems;
  int32_t shown = -1;
  bool running = true, stale = true;
  while (running) {
    SDL_Event e;
    while (running && SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) running = false;
      if (e.type == SDL_WINDOWEVENT) stale = true;  // resized, exposed, ...
      if (e.type == SDL_KEYDOWN) {
        const bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
        const KeyAction a = ActionForKey(e.key.keysym.sym, shift);
        if (e.key.repeat && a.action != PreviewAction::kStep) continue;
        running = Apply(a, &transport);
        stale = true;
      }
    }
    if (SDL_TICKS_PASSED(SDL_GetTicks(), next_watch)) {
      next_watch = SDL_GetTicks() + kWatchEveryMs;
      for (int index : watcher.Poll()) {
        problems.why[index] = media.Reload(index, &transport);
        if (!problems.why[index].empty()) {
          std::fprintf(stderr, "zibo-preview: %s; keeping the old one\n",
                       problems.why[index].c_str());
        }
        stale = true;
      }
    }
    const int32_t t = transport.Now();
    const bool h_down = KeyHeld(SDL_SCANCODE_H);
    const bool space_down = KeyHeld(SDL_SCANCODE_SPACE);
    // Holding Space restarts the effect every frame, as in the show.
    if (space_down && media.effect() != 0) BASS_StreamPlay(media.effect(), 1, 0);
    if (t == shown && !stale && !h_down && !space_down) {
      SDL_WaitEventTimeout(nullptr, 10);  // paused and nothing new: rest
      continue;
    }
    const Viewport v = window.PictureViewport();
    glViewport(v.x, v.y, v.width, v.height);
    media.show().DrawFrame(t, h_down);  // as the show draws it: clear, then the frame
    window.Present();
    shown = t;
    stale = false;
    TitleState title;
    title.t = t;
    title.paused = transport.paused();
    title.looping = transport.looping();
    title.loop_from_ms = transport.loop_from();
    title.loop_to_ms = transport.loop_to();
    title.problem = problems.First();
    window.SetTitle(PreviewTitle(title));
  }
}

}  // namespace

int RunPreview(const PreviewOptions& options) {
  std::string error;
  std::unique_ptr<PreviewWindow> window =
      PreviewWindow::Create(options.width, options.height, &error);
  if (!window) return Fail(error);
  // As in the show: without a usable output the music runs silently.
  if (!BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, window->window()) &&
      !BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, window->window())) {
    return Fail("no audio output, not even the silent one");
  }
  int status = 0;
  {
    PreviewMedia media(options.media_dir);
    if (media.Load(&error)) {
      Transport transport(media.song(), options.at_ms);
      if (options.loop) {
        transport.SetLoopStart(options.loop_from_ms);
        transport.SetLoopEnd(options.loop_to_ms);
        transport.SetLooping(true);
      }
      RunFrameLoop(*window, media, transport);
    } else {
      status = Fail(error);
    }
  }
  BASS_Free();
  window.reset();
  SDL_Quit();
  return status;
}

}  // namespace zibo
