// bench_capture: how fast zibo-capture works, as a multiple of real time.
//
//   bench_capture [--media DIR] [--from MS] [--to MS] [--out FILE.y4m]
//                 [--supersample N]
//
// Defaults: the whole show at 60 fps, 800x600 (drawn at N times the sides
// and box-filtered with --supersample N), written to a temporary .y4m that
// is deleted afterwards. Prints three figures:
//   y4m      the whole capture as zibo-capture runs it (reuse, writer thread)
//   render   rendering and reading back only the frames capture draws
//   every    rendering and reading back every frame, no reuse
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "box_filter.h"
#include "capture_loop.h"
#include "capture_options.h"
#include "frame_output.h"
#include "frame_pipeline.h"
#include "frame_renderer.h"
#include "scenes/shared_picture.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// CPU seconds used so far by every thread of the process (GL's included).
double CpuSeconds() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU figure tells how busy the machine was: on two free cores the
// wall time approaches cpu / 2 when rendering keeps both cores working.
void Print(const char* what, int64_t frames, int64_t drawn, double show_seconds, double seconds,
           double cpu_seconds) {
  std::printf("%-7s %6lld frames (%5lld drawn) in %6.2f s (cpu %6.2f s)  %6.2f ms/frame  "
              "%5.2fx real time\n",
              what, (long long)frames, (long long)drawn, seconds, cpu_seconds,
              1000.0 * seconds / frames, show_seconds / seconds);
  std::fflush(stdout);
}

int Run(int argc, char** argv) {
  std::string media = ZIBO_MEDIA_DIR;
  int32_t from_ms = 0, to_ms = kShowEndWholeMs;
  const char* tmp = std::getenv("TMPDIR");
  std::string out = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_capture-" +
                    std::to_string(getpid()) + ".y4m";
  bool keep = false;
  Framing framing;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--media")) {
      media = argv[i + 1];
    } else if (!std::strcmp(argv[i], "--from")) {
      from_ms = std::atoi(argv[i + 1]);
    } else if (!std::strcmp(argv[i], "--to")) {
      to_ms = std::atoi(argv[i + 1]);
    } else if (!std::strcmp(argv[i], "--out")) {
      out = argv[i + 1];
      keep = true;
    } else if (!std::strcmp(argv[i], "--supersample")) {
      framing.supersample = std::atoi(argv[i + 1]);
    } else {
      std::fprintf(stderr, "usage: bench_capture [--media DIR] [--from MS] [--to MS] [--out F.y4m] "
                           "[--supersample N]\n");
      return 2;
    }
  }
  const int width = 800, height = 600;
  CaptureRange range;
  range.from_ms = from_ms;
  range.rate = FrameRate{60, 1};
  range.frames = FrameCount(from_ms, to_ms, range.rate);
  const double show_seconds = FramesToSeconds(range.frames, range.rate);

  std::string error;
  std::unique_ptr<FrameRenderer> renderer =
      FrameRenderer::Create(media, width, height, false, &error, framing);
  if (!renderer) {
    std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
    return 1;
  }
  std::printf("capture %d..%d ms at 60 fps, %dx%d supersampled %d times (%.1f s of show)\n",
              from_ms, to_ms, width, height, framing.supersample, show_seconds);

  double y4m_seconds = 0;
  {
    std::unique_ptr<StreamOutput> output = CreateFileOutput(out, &error);
    if (!output || !output->WriteHeader(Y4mStreamHeader(width, height, range.rate), &error)) {
      std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
      return 1;
    }
    const double start = Now();
    const double cpu_start = CpuSeconds();
    FramePipeline pipeline(FrameEncoding::kY4m, width, height, output.get());
    CaptureCounts counts;
    const bool ok = CaptureFrames(*renderer, pipeline, range, true, nullptr, &counts, &error);
    std::string write_error;
    if (!pipeline.Finish(&write_error) || !ok || !output->Commit(&write_error)) {
      std::fprintf(stderr, "bench_capture: %s%s\n", error.c_str(), write_error.c_str());
      return 1;
    }
    y4m_seconds = Now() - start;
    Print("y4m", counts.submitted, counts.rendered, show_seconds, y4m_seconds,
          CpuSeconds() - cpu_start);
    if (!keep) std::remove(out.c_str());
  }

  std::vector<uint8_t> pixels;
  for (int pass = 0; pass < 2; ++pass) {
    const bool reuse = pass == 0;
    std::set<uint32_t> seen;
    int64_t drawn = 0;
    const double start = Now();
    const double cpu_start = CpuSeconds();
    for (int64_t i = 0; i < range.frames; ++i) {
      const int32_t t = FrameTimeMs(range.from_ms, range.rate, i);
      const uint32_t key = reuse ? SharedPictureKey(t) : 0;
      if (key != 0 && !seen.insert(key).second) continue;
      if (!renderer->Render(t, &pixels, &error)) {
        std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
        return 1;
      }
      ++drawn;
    }
    const double seconds = Now() - start;
    Print(reuse ? "render" : "every", range.frames, drawn, show_seconds, seconds,
          CpuSeconds() - cpu_start);
    if (reuse) std::printf("y4m / render: %.2f (the writer's cost on top of rendering)\n",
                           y4m_seconds / seconds);
  }
  if (framing.supersample > 1) {  // the box filter's share of a supersampled frame
    const int n = framing.supersample;
    const std::vector<uint8_t> large(size_t(width * n) * size_t(height * n) * 4, 77);
    const double cpu_start = CpuSeconds();
    for (int i = 0; i < 20; ++i) BoxReduce(large.data(), width, height, n, &pixels);
    std::printf("box filter %dx%d -> %dx%d: %.2f ms of CPU a frame\n", width * n, height * n, width,
                height, (CpuSeconds() - cpu_start) * 1000.0 / 20);
  }
  return 0;
}

}  // namespace
}  // namespace zibo

int main(int argc, char** argv) { return zibo::Run(argc, argv); }
