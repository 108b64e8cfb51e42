// bench_frames - what one frame of each scene costs, and how long start-up
// takes from the first texture to the first finished frame.
//
//   bench_frames [--media DIR] [--frames N] [--png DIR] [--row R]
//
// Renders each of the schedule's twelve rows N times (default 300) on the
// offscreen 800x600 context, each frame cleared, drawn and finished with
// glFinish, and prints the median and the 90th percentile per row. Uses the
// show's TGA files from DIR (default: the build's media folder) when they
// are all there, solid-colour textures otherwise; the noise scene reads the
// spectrum of DIR's disco.mp3 at each frame's time, as capture does (a
// made-up one without it). Prints the noise scene's median as a multiple of
// the slides' (the machine's speed cancels out). --png writes one frame per
// row as row-NN.png for looking at; --row renders only row R (1..12), for
// profiling one scene. Single thread.
#include <GL/gl.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "music_spectrum.h"
#include "scenes/scene_schedule.h"
#include "show/offscreen_gl.h"
#include "show/show.h"
#include "show/show_media.h"
#include "textures/texture_upload.h"
#include "textures/tga_reader.h"
#include "show/heap_reuse.h"

namespace zibo {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the whole process (all of llvmpipe's threads included): on a
// busy machine it tells the work apart from the waiting.
double ProcessCpuMs() {
  timespec ts;
  if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0) return 0;
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A spectrum that moves like music: every probe gets a different level
// around the thresholds where the layers fade in and out.
class WobblingSpectrum : public SpectrumSource {
 public:
  float SpectrumAt(float fraction) override {
    ++calls_;
    return float(0.006 * (1.0 + std::sin(calls_ * 0.7 + fraction * 10.0)));
  }

 private:
  long calls_ = 0;
};

// The first and last whole millisecond of a row (float(t) is exact here).
int32_t RowFirstMs(const ScheduleRow& row) { return int32_t(std::floor(row.after_ms)) + 1; }
int32_t RowLastMs(const ScheduleRow& row) { return int32_t(std::floor(row.until_ms)); }

bool FileExists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool WritePng(const std::string& path, const OffscreenGl& gl) {
  std::vector<uint8_t> rgba;
  std::string error;
  if (!gl.ReadPixelsTopDown(&rgba, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(gl.width());
  image.height = png_uint_32(gl.height());
  image.format = PNG_FORMAT_RGBA;
  // The show's pixels carry alpha 0 from the TGA files; write them opaque.
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) {
    std::fprintf(stderr, "png_image_write_to_file(%s): %s\n", path.c_str(), image.message);
    return false;
  }
  return true;
}

uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgba;
  for (int i = 0; i < 16; ++i) rgba.insert(rgba.end(), {r, g, b, 0});
  return CreateMipmappedTexture(4, 4, rgba.data());
}

struct Options {
  std::string media = ZIBO_MEDIA_DIR;
  std::string png_dir;
  int frames = 300;
  int row = 0;  // 0: every row
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 < argc && arg == "--media") {
      options->media = argv[++i];
    } else if (i + 1 < argc && arg == "--png") {
      options->png_dir = argv[++i];
    } else if (i + 1 < argc && arg == "--row") {
      options->row = std::atoi(argv[++i]);
      if (options->row < 1 || options->row > kScheduleRowCount) return false;
    } else if (i + 1 < argc && arg == "--frames") {
      options->frames = std::atoi(argv[++i]);
      if (options->frames < 1) return false;
    } else {
      return false;
    }
  }
  return true;
}

int Main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: bench_frames [--media DIR] [--frames N] [--png DIR] [--row R]\n");
    return 2;
  }
  std::string error;
  auto gl = OffscreenGl::Create(800, 600, &error);
  if (!gl) {
    std::fprintf(stderr, "bench_frames: %s\n", error.c_str());
    return 1;
  }

  bool real_media = true;
  for (const char* name : kImageFiles) real_media = real_media && FileExists(MediaPath(options.media, name));

  // Start-up: every texture in the show's order, then the first frame.
  int solid = 0;
  const LoadTgaFn load_tga =
      real_media ? TgaFilesIn(options.media)
                 : LoadTgaFn([&solid](const char*, uint32_t* texture, std::string*) {
                     const int i = solid++;
                     *texture = SolidTexture(uint8_t(40 + 20 * i), uint8_t(200 - 15 * i),
                                             uint8_t(90 + 7 * i));
                     return true;
                   });
  WobblingSpectrum wobbling;
  DecodedAudio music;
  std::unique_ptr<MusicSpectrum> song;
  const std::string music_path = MediaPath(options.media, kSongFile);
  if (FileExists(music_path) &&
      DecodeAudioFile(music_path.c_str(), 44100, 2, &music, &error) == 0) {
    song.reset(new MusicSpectrum(music));
  }
  SpectrumSource& spectrum = song ? static_cast<SpectrumSource&>(*song) : wobbling;
  const Clock::time_point start = Clock::now();
  const std::unique_ptr<Show> show = Show::Load(load_tga, spectrum, &error);
  if (!show) {
    std::fprintf(stderr, "bench_frames: %s\n", error.c_str());
    return 1;
  }
  const double textures_ms = MsSince(start);
  show->DrawFrame(0, false);
  glFinish();
  const double startup_ms = MsSince(start);
  std::printf("textures: %s\n", real_media ? options.media.c_str() : "solid colours (no media)");
  std::printf("spectrum: %s\n", song ? music_path.c_str() : "made up (no song)");
  std::printf("start-up: %.1f ms (9 images and the noise %.1f ms, first frame %.1f ms)\n",
              startup_ms, textures_ms, startup_ms - textures_ms);

  if (real_media) {
    // Where an image's time goes: reading and converting, then the mipmaps.
    TgaImage image;
    const Clock::time_point read_start = Clock::now();
    if (!ReadTgaFile(MediaPath(options.media, kBackgroundFile).c_str(), &image, &error)) {
      std::fprintf(stderr, "bench_frames: %s\n", error.c_str());
      return 1;
    }
    const double read_ms = MsSince(read_start);
    const Clock::time_point upload_start = Clock::now();
    CreateMipmappedTexture(image.width, image.height, image.rgba.get());
    glFinish();
    std::printf("one %dx%d image: read %.1f ms, gluBuild2DMipmaps and upload %.1f ms\n",
                int(image.width), int(image.height), read_ms, MsSince(upload_start));
  }

  std::printf("%-4s %-16s %10s %10s %10s %10s   (%d frames each, glFinish per frame)\n", "row",
              "scene", "first ms", "median ms", "p90 ms", "cpu ms", options.frames);
  double worst = 0;
  std::vector<double> slide_medians;
  double noise_median = 0;
  for (int row = 0; row < kScheduleRowCount; ++row) {
    if (options.row != 0 && row + 1 != options.row) continue;
    const int32_t first = RowFirstMs(kScheduleRows[row]), last = RowLastMs(kScheduleRows[row]);
    std::vector<double> ms;
    const double cpu_start = ProcessCpuMs();
    for (int f = 0; f < options.frames; ++f) {
      // Walk through the row at about 60 frames a second, wrapping round.
      const int32_t t = first + int32_t((int64_t(f) * 17) % (last - first + 1));
      if (song) song->SetTimeMs(t);
      const Clock::time_point frame_start = Clock::now();
      show->DrawFrame(t, (f / 30) % 2 == 1);
      glFinish();
      ms.push_back(MsSince(frame_start));
    }
    const double cpu_ms = (ProcessCpuMs() - cpu_start) / options.frames;
    const double first_ms = ms[0];  // includes compiling the row's new GL state
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    worst = std::max(worst, median);
    if (kScheduleRows[row].scene == Scene::kSlide) slide_medians.push_back(median);
    if (kScheduleRows[row].scene == Scene::kSpectrumNoise) noise_median = median;
    std::printf("%-4d %-16s %10.2f %10.2f %10.2f %10.2f\n", row + 1, kScheduleRows[row].name, first_ms,
                median, ms[ms.size() * 9 / 10], cpu_ms);
    if (!options.png_dir.empty()) {
      show->DrawFrame(first + (last - first) / 2, false);
      char name[32];
      std::snprintf(name, sizeof name, "/row-%02d.png", row + 1);
      if (!WritePng(options.png_dir + name, *gl)) return 1;
    }
  }
  std::printf("slowest row median: %.2f ms (goal < 16.7 ms)\n", worst);
  if (options.row == 0) {
    std::sort(slide_medians.begin(), slide_medians.end());
    const double slides = slide_medians[slide_medians.size() / 2];
    std::printf("noise scene / slides (median of the slide rows' medians, %.2f ms): %.2f\n",
                slides, noise_median / slides);
  }
  const GLenum gl_error = glGetError();
  if (gl_error != GL_NO_ERROR) {
    std::fprintf(stderr, "bench_frames: GL error 0x%x after the run\n", unsigned(gl_error));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace zibo

int main(int argc, char** argv) {
  zibo::KeepFreedMemoryForReuse();  // as the show does
  return zibo::Main(argc, argv);
}
