// run_preview.h - zibo-preview from its options to its exit status: the
// window, the media, the music, and the frame loop with its keys and live
// reloading. Main thread only.
#ifndef ZIBO_PREVIEW_RUN_PREVIEW_H
#define ZIBO_PREVIEW_RUN_PREVIEW_H

#include "preview_options.h"

namespace zibo {

// 0 after Escape or a window close; 1 when the preview cannot start (the
// reason on standard error).
int RunPreview(const PreviewOptions& options);

}  // namespace zibo

#endif
