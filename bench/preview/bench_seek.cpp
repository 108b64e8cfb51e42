// bench_seek - how long from a seek to the first frame of the new time.
//
//   bench_seek [--media DIR] [--seeks N]
//
// Opens the song and the pictures as zibo-preview does (default media: the
// build's folder) on the offscreen 800x600 context, then N times (default
// 60) seeks the song to a time in another scene, reads the clock, clears,
// draws and reads the frame back (the preview's first frame after a seek).
// The baseline in the same run is the same frame drawn and read back
// without seeking; the seek alone is timed too. Prints median and worst.
// Single thread.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bass/bass.h"
#include "preview_keys.h"
#include "preview_media.h"
#include "show/offscreen_gl.h"
#include "show/show.h"
#include "transport.h"

namespace zibo {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-42s median %6.2f ms   worst %6.2f ms   (%zu)\n", what, ms[ms.size() / 2],
              ms.back(), ms.size());
}

int Run(const std::string& media_dir, int seeks) {
  std::string error;
  auto gl = OffscreenGl::Create(800, 600, &error);
  if (!gl) return std::fprintf(stderr, "bench_seek: %s\n", error.c_str()), 1;
  if (!BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr) &&
      !BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr)) {
    return std::fprintf(stderr, "bench_seek: no audio output\n"), 1;
  }
  int status = 0;
  {
    PreviewMedia media(media_dir);
    if (!media.Load(&error)) {
      std::fprintf(stderr, "bench_seek: %s\n", error.c_str());
      status = 1;
    } else {
      Transport transport(media.song(), 0);
      transport.SeekTo(kLatestSeekMs);  // waits until the whole song is decoded
      std::vector<uint8_t> pixels;
      auto frame = [&](int32_t t) {
        media.show().DrawFrame(t, false);
        gl->ReadPixelsBottomUp(&pixels);
      };
      // Beats spread over every scene, each seek landing in another one.
      std::vector<double> seek_ms, still_ms, seek_only_ms;
      for (int i = 0; i < seeks; ++i) {
        const int32_t target = BeatStartMs((i * 37 + 11) % 300);
        frame(transport.Now());  // settle on the old time first
        Clock::time_point start = Clock::now();
        transport.SeekTo(target);
        const int32_t t = transport.Now();
        seek_only_ms.push_back(MsSince(start));
        frame(t);
        seek_ms.push_back(MsSince(start));
        start = Clock::now();
        frame(transport.Now());
        still_ms.push_back(MsSince(start));
      }
      Report("seek + first frame + read-back", seek_ms);
      Report("frame + read-back, no seek", still_ms);
      Report("the seek alone (until the clock reads it)", seek_only_ms);
    }
  }
  BASS_Free();
  return status;
}

}  // namespace
}  // namespace zibo

int main(int argc, char** argv) {
  std::string media = ZIBO_MEDIA_DIR;
  int seeks = 60;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--media") == 0) media = argv[i + 1];
    if (std::strcmp(argv[i], "--seeks") == 0) seeks = std::max(1, std::atoi(argv[i + 1]));
  }
  return zibo::Run(media, seeks);
}
