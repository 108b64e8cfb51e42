// capture_loop.h - renders a range of frames into a FramePipeline.
//
// Frame i shows FrameTimeMs(from_ms, rate, i). With `reuse_pictures`, a
// frame whose SharedPictureKey was already rendered is sent as a repeat
// instead of being drawn again; its encoded picture is kept only until the
// range's last frame with that key. GL thread (the renderer's).
#ifndef ZIBO_CAPTURE_CAPTURE_LOOP_H
#define ZIBO_CAPTURE_CAPTURE_LOOP_H

#include <cstdint>
#include <string>

#include "frame_pipeline.h"
#include "frame_renderer.h"
#include "frame_timing.h"
#include "progress_report.h"

namespace zibo {

struct CaptureRange {
  int32_t from_ms = 0;
  FrameRate rate;
  int64_t frames = 0;
};

struct CaptureCounts {
  int64_t submitted = 0;  // frames handed to the pipeline
  int64_t rendered = 0;   // of those, frames actually drawn
};

// Stops at the first render or pipeline failure with `error` set (the
// pipeline's own error comes from its Finish). `progress` may be null.
bool CaptureFrames(FrameRenderer& renderer, FramePipeline& pipeline, const CaptureRange& range,
                   bool reuse_pictures, ProgressReport* progress, CaptureCounts* counts,
                   std::string* error);

}  // namespace zibo

#endif
