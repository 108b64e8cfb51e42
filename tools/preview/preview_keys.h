// preview_keys.h - what each key of zibo-preview does, and where a beat
// step lands. Pure code; any thread.
#ifndef ZIBO_PREVIEW_PREVIEW_KEYS_H
#define ZIBO_PREVIEW_PREVIEW_KEYS_H

#include <cstdint>

namespace zibo {

// The first whole millisecond past the show's last frame, and the latest
// time a seek lands on (its last drawn millisecond).
constexpr int32_t kPreviewEndMs = 128572;
constexpr int32_t kLatestSeekMs = kPreviewEndMs - 1;
// End jumps to the start of the show's last second.
constexpr int32_t kLastSecondMs = kPreviewEndMs - 1000;

enum class PreviewAction {
  kNone,
  kTogglePause,
  kStep,      // `beats` beats forward (or back, when negative), onto the beat grid
  kSeekTo,    // to `to_ms`
  kLoopStart, // the loop starts at the time shown
  kLoopEnd,   // and ends there
  kToggleLoop,
  kQuit,
};

struct KeyAction {
  PreviewAction action = PreviewAction::kNone;
  int beats = 0;
  int32_t to_ms = 0;
};

// The action for a key press: `key` is an SDL key code.
KeyAction ActionForKey(int32_t key, bool shift);

// The beat (0-based, 140 a minute) that music time t lies in, and the first
// whole millisecond of beat `beat`.
int32_t BeatAt(int32_t t);
int32_t BeatStartMs(int32_t beat);

// Where stepping `beats` beats from t lands: forward to the start of the
// beat that many beats on; back to the start of the current beat, counting
// that as one step when t is past it. Kept within [0, kLatestSeekMs].
int32_t StepTargetMs(int32_t t, int beats);

}  // namespace zibo

#endif
