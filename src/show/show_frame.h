// show_frame.h - the drawing part of one frame, shared by the live show and
// offline capture so that both make exactly the same picture for a time.
//
// The live loop does: PumpMessage, ClearShowFrame, read t, DrawShowFrame
// (with its Space handling in between), end test, and for a still picture
// held until its time FinishShowFrame and the hold, then swap. Capture does
// ClearShowFrame and DrawShowFrame. Needs a current GL context in the
// initial state of SetInitialGlState. Main (GL) thread only.
#ifndef ZIBO_SHOW_SHOW_FRAME_H
#define ZIBO_SHOW_SHOW_FRAME_H

#include <cstdint>

#include "scenes/scene_schedule.h"

namespace zibo {

// Clears colour and depth.
void ClearShowFrame();

// Sets up screen space, turns the depth test off and draws the scene of
// music time t (nothing at or below 0 or past the end).
void DrawShowFrame(SceneSchedule& schedule, int32_t t, bool h_down);

// Waits until the frame's drawing is done, so that presenting it costs only
// the swap.
void FinishShowFrame();

}  // namespace zibo

#endif
