#include "capture_loop.h"

#include <map>
#include <set>

#include "scenes/shared_picture.h"

namespace zibo {

bool CaptureFrames(FrameRenderer& renderer, FramePipeline& pipeline, const CaptureRange& range,
                   bool reuse_pictures, ProgressReport* progress, CaptureCounts* counts,
                   std::string* error) {
  *counts = CaptureCounts();
  // The last frame of each shared picture, after which it is let go.
  std::map<uint32_t, int64_t> last_use;
  for (int64_t i = 0; reuse_pictures && i < range.frames; ++i) {
    last_use[SharedPictureKey(FrameTimeMs(range.from_ms, range.rate, i))] = i;
  }
  std::set<uint32_t> rendered_keys;
  for (int64_t i = 0; i < range.frames; ++i) {
    if (pipeline.Failed()) return true;  // Finish reports the writer's error
    const int32_t t = FrameTimeMs(range.from_ms, range.rate, i);
    const uint32_t key = reuse_pictures ? SharedPictureKey(t) : 0;
    const bool used_again = key != 0 && last_use[key] > i;
    if (key != 0 && rendered_keys.count(key)) {
      pipeline.SubmitRepeat(i, key, used_again);
    } else {
      std::vector<uint8_t> pixels = pipeline.TakeBuffer();
      if (!renderer.Render(t, &pixels, error)) return false;
      pipeline.SubmitRendered(i, key, std::move(pixels), used_again);
      if (key != 0) rendered_keys.insert(key);
      ++counts->rendered;
    }
    ++counts->submitted;
    if (progress) progress->Update(counts->submitted);
  }
  return true;
}

}  // namespace zibo
