#include "preview_keys.h"

#include <SDL_keycode.h>

#include <algorithm>

namespace zibo {

KeyAction ActionForKey(int32_t key, bool shift) {
  KeyAction a;
  switch (key) {
    case SDLK_p: a.action = PreviewAction::kTogglePause; break;
    case SDLK_LEFT: a.action = PreviewAction::kStep; a.beats = shift ? -4 : -1; break;
    case SDLK_RIGHT: a.action = PreviewAction::kStep; a.beats = shift ? 4 : 1; break;
    case SDLK_PAGEUP: a.action = PreviewAction::kStep; a.beats = -32; break;
    case SDLK_PAGEDOWN: a.action = PreviewAction::kStep; a.beats = 32; break;
    case SDLK_HOME: a.action = PreviewAction::kSeekTo; a.to_ms = 0; break;
    case SDLK_END: a.action = PreviewAction::kSeekTo; a.to_ms = kLastSecondMs; break;
    case SDLK_LEFTBRACKET: a.action = PreviewAction::kLoopStart; break;
    case SDLK_RIGHTBRACKET: a.action = PreviewAction::kLoopEnd; break;
    case SDLK_l: a.action = PreviewAction::kToggleLoop; break;
    case SDLK_ESCAPE: a.action = PreviewAction::kQuit; break;
    default: break;
  }
  return a;
}

int32_t BeatAt(int32_t t) { return t <= 0 ? 0 : int32_t(int64_t(t) * 140 / 60000); }

int32_t BeatStartMs(int32_t beat) { return int32_t((int64_t(beat) * 60000 + 139) / 140); }

int32_t StepTargetMs(int32_t t, int beats) {
  int64_t beat = BeatAt(t);
  if (beats < 0 && t > BeatStartMs(int32_t(beat))) ++beat;  // back to this beat's start first
  beat = std::clamp<int64_t>(beat + beats, 0, BeatAt(kLatestSeekMs) + 1);
  return std::min(BeatStartMs(int32_t(beat)), kLatestSeekMs);
}

}  // namespace zibo
