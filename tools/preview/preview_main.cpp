// zibo-preview: plays the show in a window that can be steered (seek by
// beats, pause, loop) and reloads changed media files. See PreviewUsage().
// Exit status: 0 done, 1 the preview could not start, 2 bad arguments.
#include <cstdio>
#include <string>

#include "preview_options.h"
#include "run_preview.h"
#include "show/heap_reuse.h"
#include "show/media_lookup.h"
#include "show/program_version.h"

int main(int argc, char** argv) {
  zibo::KeepFreedMemoryForReuse();
  zibo::PreviewOptions options;
  std::string error;
  switch (zibo::ParsePreviewOptions(argc, argv, &options, &error)) {
    case zibo::PreviewParse::kHelp:
      std::fputs(zibo::PreviewUsage(), stdout);
      return 0;
    case zibo::PreviewParse::kVersion:
      std::fputs(zibo::VersionText("zibo-preview").c_str(), stdout);
      return 0;
    case zibo::PreviewParse::kError:
      std::fprintf(stderr, "zibo-preview: %s\n%s", error.c_str(), zibo::PreviewUsage());
      return 2;
    case zibo::PreviewParse::kRun:
      break;
  }
  if (!options.media_named) options.media_dir = zibo::LookUpMediaFolder("zibo-preview");
  return zibo::RunPreview(options);
}
