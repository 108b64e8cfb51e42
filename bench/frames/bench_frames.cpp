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
// row as row-NN.png for looking at. --row renders only row R (1..12), for
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

#include "bass/audio_decoder.h"
#include "music_spectrum.h"
#include "scenes/scene_schedule.h"
#include "shell/offscreen_gl.h"
#include "shell/show_frame.h"
#include "textures/texture_upload.h"
#include "textures/tga_reader.h"

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

// The first and last whole millisecond of every row.
constexpr int32_t kRowFirstMs[12] = {1,     17143, 21429, 30001, 38572, 47143,
                                     55715, 72858, 81429, 90001, 94286, 111429};
constexpr int32_t kRowLastMs[12] = {17142, 21428, 30000, 38571, 47142,  55714,
                                    72857, 81428, 90000, 94285, 111428, 128571};
constexpr const char* kRowNames[12] = {
    "loading bar",   "bar emptying",  "slide s1",      "slide s2",
    "slide s3",      "slide s4",      "upright dancer", "slide s5",
    "hanging dancer", "slide s6",     "spectrum noise", "strobe s7"};

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
      if (options->row < 1 || options->row > 12) return false;
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

  std::vector<std::string> files = {options.media + "/bg.tga", options.media + "/bg2.tga"};
  for (int i = 1; i <= 7; ++i) files.push_back(options.media + "/s" + std::to_string(i) + ".tga");
  const bool real_media =
      std::all_of(files.begin(), files.end(), [](const std::string& f) { return FileExists(f); });

  // Start-up: every texture in the show's order, then the first frame.
  ShowTextures textures;
  uint32_t* slots[9] = {&textures.bg_texture, &textures.bg2_texture};
  for (int i = 0; i < 7; ++i) slots[2 + i] = &textures.slide_textures[i];
  WobblingSpectrum wobbling;
  DecodedAudio music;
  std::unique_ptr<MusicSpectrum> song;
  const std::string music_path = options.media + "/disco.mp3";
  if (FileExists(music_path) &&
      DecodeAudioFile(music_path.c_str(), 44100, 2, &music, &error) == 0) {
    song.reset(new MusicSpectrum(music));
  }
  SpectrumSource& spectrum = song ? static_cast<SpectrumSource&>(*song) : wobbling;
  SceneSchedule schedule(textures, spectrum);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < 9; ++i) {
    if (real_media) {
      if (!LoadTgaTexture(files[size_t(i)].c_str(), slots[i], &error)) {
        std::fprintf(stderr, "bench_frames: %s\n", error.c_str());
        return 1;
      }
    } else {
      *slots[i] = SolidTexture(uint8_t(40 + 20 * i), uint8_t(200 - 15 * i), uint8_t(90 + 7 * i));
    }
  }
  const double images_ms = MsSince(start);
  textures.noise_texture = CreateNoiseTexture();
  const double noise_ms = MsSince(start) - images_ms;
  ClearShowFrame();
  DrawShowFrame(schedule, 0, false);
  glFinish();
  const double startup_ms = MsSince(start);
  std::printf("textures: %s\n", real_media ? options.media.c_str() : "solid colours (no media)");
  std::printf("spectrum: %s\n", song ? music_path.c_str() : "made up (no song)");
  std::printf("start-up: %.1f ms (9 images %.1f ms, noise %.1f ms, first frame %.1f ms)\n",
              startup_ms, images_ms, noise_ms, startup_ms - images_ms - noise_ms);

  if (real_media) {
    // Where an image's time goes: reading and converting, then the mipmaps.
    TgaImage image;
    const Clock::time_point read_start = Clock::now();
    if (!ReadTgaFile(files[0].c_str(), &image, &error)) {
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
  for (int row = 0; row < 12; ++row) {
    if (options.row != 0 && row + 1 != options.row) continue;
    const int32_t first = kRowFirstMs[row], last = kRowLastMs[row];
    std::vector<double> ms;
    const double cpu_start = ProcessCpuMs();
    for (int f = 0; f < options.frames; ++f) {
      // Walk through the row at about 60 frames a second, wrapping round.
      const int32_t t = first + int32_t((int64_t(f) * 17) % (last - first + 1));
      if (song) song->SetTimeMs(t);
      const Clock::time_point frame_start = Clock::now();
      ClearShowFrame();
      DrawShowFrame(schedule, t, (f / 30) % 2 == 1);
      glFinish();
      ms.push_back(MsSince(frame_start));
    }
    const double cpu_ms = (ProcessCpuMs() - cpu_start) / options.frames;
    const double first_ms = ms[0];  // includes compiling the row's new GL state
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    worst = std::max(worst, median);
    if (std::strncmp(kRowNames[row], "slide", 5) == 0) slide_medians.push_back(median);
    if (row == 10) noise_median = median;
    std::printf("%-4d %-16s %10.2f %10.2f %10.2f %10.2f\n", row + 1, kRowNames[row], first_ms,
                median, ms[ms.size() * 9 / 10], cpu_ms);
    if (!options.png_dir.empty()) {
      ClearShowFrame();
      DrawShowFrame(schedule, first + (last - first) / 2, false);
      char name[32];
      std::snprintf(name, sizeof name, "/row-%02d.png", row + 1);
      if (!WritePng(options.png_dir + name, *gl)) return 1;
    }
  }
  std::printf("slowest row median: %.2f ms (goal < 16.7 ms)\n", worst);
  if (options.row == 0) {
    std::sort(slide_medians.begin(), slide_medians.end());
    const double slides = slide_medians[slide_medians.size() / 2];
    std::printf("noise scene / slides (median of medians %.2f ms): %.2f\n", slides,
                noise_median / slides);
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

int main(int argc, char** argv) { return zibo::Main(argc, argv); }
