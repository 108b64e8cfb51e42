// zibo-capture as a user runs it (exit statuses, messages, the files it
// writes, the video ffmpeg makes), and its frames against the live drawing.
#include <png.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "capture_loop.h"
#include "frame_output.h"
#include "frame_pipeline.h"
#include "frame_renderer.h"
#include "music_spectrum.h"
#include "scenes/shared_picture.h"
#include "show/offscreen_gl.h"
#include "show/show.h"
#include "show/show_media.h"
#include "show/show_music.h"
#include "support/file_bytes.h"
#include "support/run_program.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

using namespace testing;  // the tests' support library
using std::filesystem::exists;

const std::string kMedia = ZIBO_MEDIA_DIR, kMediaArgs = " --media " + kMedia;

// Runs zibo-capture (or `binary`) with `args` split at blanks (no path here has one).
ProgramResult Capture(const std::string& args, std::vector<std::string> env = {},
                      const std::string& binary = ZIBO_CAPTURE_BINARY) {
  std::istringstream words(args);
  return RunProgram(binary, {{std::istream_iterator<std::string>(words), {}}, env, "", ""});
}

// A PNG as RGB, top row first ("" when it cannot be read).
std::string PngRgb(const std::string& path, int* width = nullptr) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return "";
  image.format = PNG_FORMAT_RGB;
  std::string rgb(PNG_IMAGE_SIZE(image), '\0');
  if (!png_image_finish_read(&image, nullptr, &rgb[0], 0, nullptr)) return "";
  if (width) *width = int(image.width);
  return rgb;
}

TEST(CaptureCli, UsageAndFailuresEndWithTheirStatusAndMessage) {
  TempDir dir;
  ASSERT_EQ(symlink((kMedia + "/" + kSongFile).c_str(), dir.Path(kSongFile).c_str()), 0);
  TempDir bad_music;
  ASSERT_TRUE(WriteFileBytes(bad_music.Path(kSongFile), "not music at all"));
  const std::string png = "--at 1000 --out " + dir.Path("x.png") + " --media ";
  const struct { std::string args; std::vector<std::string> env; std::string status, message; } cases[] = {
      {"", {}, "exit 2", "usage: zibo-capture"},
      {png + dir.Path("none"), {}, "exit 1", kSongFile},
      {png + bad_music.path(), {}, "exit 1", kSongFile},
      {png + dir.path(), {}, "exit 1", std::string(kBackgroundFile) + ": No such file or directory"},
      {png + kMedia, {"SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so"}, "exit 1", "zibo-capture: offscreen GL"},
      {"--from 1000 --to 1100 --size 32x24 --out /nonexistent-folder/x.y4m" + kMediaArgs, {}, "exit 1",
       "/nonexistent-folder/x.y4m: No such file or directory"},
      {"--from 0 --to 100 --out " + dir.Path("x.mp4") + kMediaArgs, {"PATH=" + dir.path()}, "exit 1", "ffmpeg"}};
  for (const auto& c : cases) {
    const ProgramResult run = Capture(c.args, c.env);
    EXPECT_EQ(run.status, c.status) << ::testing::PrintToString(run);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << ::testing::PrintToString(run);
  }
  EXPECT_FALSE(exists(dir.Path("x.png")) || exists(dir.Path("x.mp4")));
}

TEST(CaptureCli, WritesEachOutputFormat) {
  TempDir temp;
  // The end of the noise scene into the strobe, 24 frames at 60 fps.
  ProgramResult run = Capture("--size 160x120 --from 111050 --to 111450 --out " + temp.Path("a.y4m") + kMediaArgs);
  ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
  EXPECT_NE(run.err.find("zibo-capture: 24 frames (0.4 s of show) in "), std::string::npos) << run.err;
  const std::string y4m = ReadFileBytes(temp.Path("a.y4m"));
  const std::string header = Y4mStreamHeader(160, 120, FrameRate{60, 1});
  EXPECT_EQ(y4m.size(), header.size() + 24 * (6 + 160 * 120 * 3 / 2));
  EXPECT_EQ(y4m.substr(0, header.size()), header);
  // 4 fps from 21300 ms into a folder: the emptying bar, then slide s1 at 21550.
  const std::string folder = temp.Path("frames") + "/";
  run = Capture("--fps 4 --from 21300 --to 21800 --size 64x48 --out " + folder + kMediaArgs);
  ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
  int width = 0;
  const std::string first = PngRgb(folder + "000000.png", &width);
  EXPECT_TRUE(first.size() == 64u * 48 * 3 && width == 64 && PngRgb(folder + "000001.png") != first && !exists(folder + "000002.png"));
  // One second across the noise scene's end into the strobe, as H.264 with the AAC music.
  run = Capture("--from 111000 --to 112000 --size 160x120 --out " + temp.Path("clip.mp4") + kMediaArgs);
  ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
  const ProgramResult probe = Capture("-v error -count_frames -of csv=p=0 -show_entries stream=codec_name,nb_read_frames,"
                                      "width,duration:chapter=start_time:chapter_tags=title " + temp.Path("clip.mp4"), {}, "ffprobe");
  const size_t audio = probe.out.find("aac,");  // codec, width, duration, frames; codec, duration
  EXPECT_EQ(probe.out.substr(0, audio), "h264,160,1.000000,60\n") << ::testing::PrintToString(probe);
  ASSERT_NE(audio, std::string::npos) << probe.out;
  EXPECT_NEAR(std::atof(probe.out.c_str() + audio + 4), 1.0, 0.05) << probe.out;
  // The chapters' own track, then a chapter per scene from its first frame (frame 26 is 111433 ms).
  EXPECT_EQ(probe.out.substr(probe.out.find('\n', audio) + 1),
            "bin_data,1.000000,N/A\n0.000000,spectrum noise\n0.433000,strobe s7\n");
}

// Frames for video sites: black bars beside the 4:3 picture (or --stretch), and supersampling.
TEST(CaptureRender, BarsStretchAndSupersampling) {
  TempDir temp;
  const std::pair<std::string, std::string> shots[] = {{"wide", "320x180"}, {"fit", "240x180"},
      {"stretched", "320x180 --stretch"}, {"fine", "200x150 --supersample 4"}, {"large", "800x600"}};
  std::map<std::string, std::string> rgb;
  for (const auto& [name, size] : shots) {
    const ProgramResult run = Capture("--at 60000 --size " + size + kMediaArgs + " --out " + temp.Path(name + ".png"));
    ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
    rgb[name] = PngRgb(temp.Path(name + ".png"));
  }
  std::string bars, middle, stretched_bars;  // columns 0-39 and 280-319, and between them
  for (size_t row = 0; row < 180 * 960; row += 960) {
    bars += rgb["wide"].substr(row, 120) + rgb["wide"].substr(row + 840, 120);
    middle += rgb["wide"].substr(row + 120, 720);
    stretched_bars += rgb["stretched"].substr(row, 120) + rgb["stretched"].substr(row + 840, 120);
  }
  EXPECT_TRUE(bars == std::string(bars.size(), '\0') && middle == rgb["fit"]);
  EXPECT_NE(stretched_bars, bars);
  // Each supersampled value is the rounded mean of its 4x4 block of the picture drawn 4 times larger.
  const std::string& large = rgb["large"];
  int off = 0;
  for (size_t i = 0; i < rgb["fine"].size(); ++i) {
    const size_t x = i / 3 % 200, y = i / 600, corner = (y * 4 * 800 + x * 4) * 3 + i % 3;
    int sum = 0;
    for (size_t dy = 0; dy < 4; ++dy) for (size_t dx = 0; dx < 4; ++dx) sum += uint8_t(large[corner + (dy * 800 + dx) * 3]);
    off += std::abs(16 * uint8_t(rgb["fine"][i]) - sum) > 8;
  }
  EXPECT_TRUE(rgb["fine"].size() == 200 * 150 * 3 && off == 0) << off << " values off";
}

// y4m down a pipe to an encoder, a reader that goes away, and no video onto a terminal.
TEST(CaptureCli, VideoOnStandardOutput) {
  const std::string capture = std::string(ZIBO_CAPTURE_BINARY) + " --from 0 --to 2000 --size 32x24" + kMediaArgs + " --out -";
  const ProgramResult piped = RunProgram("/bin/bash", {{"-c", capture + " | ffprobe -v error -count_frames -show_entries "
      "stream=nb_read_frames -of csv=p=0 -; " + capture + " | head -c 1000 >/dev/null; echo ${PIPESTATUS[0]}; "
      "script -qec '" + capture + "' /dev/null >&2; echo $?"}, {}, "", ""});
  EXPECT_EQ(piped.out, "120\n1\n1\n") << ::testing::PrintToString(piped);
  for (const char* message : {"120 frames (2.0 s of show)", "standard output: the reader went away (Broken pipe)", "which is a terminal"}) {
    EXPECT_NE(piped.err.find(message), std::string::npos) << message << "\n" << piped.err;
  }
}

// A capture stopped by a full disk (here a file-size limit) or by SIGINT leaves the earlier file of
// its name as it was, and nothing else; a capture that ends well replaces it.
TEST(CaptureCli, AFailedOrInterruptedCaptureLeavesTheOldFile) {
  TempDir temp;
  const std::string old_file = temp.Path("show.y4m"), old = "the earlier video";
  ASSERT_TRUE(WriteFileBytes(old_file, old));
  const ProgramResult limited = RunProgram("/bin/sh", {{"-c", "ulimit -f 100; exec " ZIBO_CAPTURE_BINARY " --from 0 --to 2000 "
      "--size 160x120 --out " + old_file + kMediaArgs}, {}, "", ""});
  EXPECT_EQ(limited.status, "exit 1") << ::testing::PrintToString(limited);
  EXPECT_NE(limited.err.find("show.y4m: File too large"), std::string::npos) << limited.err;
  RunningProgram interrupted(ZIBO_CAPTURE_BINARY, {{"--from", "55800", "--to", "72000", "--size", "320x240",
                                                    "--media", kMedia, "--out", old_file}, {}, "", ""});
  auto files = [&] { return std::distance(std::filesystem::directory_iterator(temp.path()), {}); };
  for (int polls = 0; polls < 6000 && files() == 1 && !interrupted.Wait(0); ++polls) usleep(10000);
  interrupted.Signal(SIGINT);
  ASSERT_TRUE(interrupted.Wait(60000));
  EXPECT_EQ(interrupted.Status(), "signal 2 (Interrupt)") << interrupted.Describe();
  EXPECT_TRUE(ReadFileBytes(old_file) == old && files() == 1);
  const ProgramResult done = Capture("--from 0 --to 100 --size 32x24 --out " + old_file + kMediaArgs);
  EXPECT_TRUE(done.status == "exit 0" && ReadFileBytes(old_file).rfind("YUV4MPEG2 W32 H24", 0) == 0 && files() == 1);
}

// A video that starts between whole seconds plays the show's music from its first picture's time on,
// within a millisecond: the decoded audio at the video's first frame matches the song at --from.
TEST(CaptureRender, MusicStartsWithTheFirstPicture) {
  DecodedAudio music;
  std::string error;
  ASSERT_TRUE(DecodeShowMusic(kMedia, &music, &error) && music.channels == 2) << error;
  TempDir temp;
  for (const char* name : {"clip.mkv", "clip.mp4"}) {
    const ProgramResult run = Capture("--from 1500 --to 2500 --size 32x24" + kMediaArgs + " --out " + temp.Path(name));
    ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
    const ProgramResult starts = Capture("-v error -show_entries stream=start_time -of csv=p=0 " + temp.Path(name), {}, "ffprobe");
    const ProgramResult pcm = Capture("-v error -i " + temp.Path(name) + " -f f32le -ac 2 -ar " + std::to_string(music.rate) + " -", {}, "ffmpeg");
    ASSERT_TRUE(starts.status == "exit 0" && pcm.status == "exit 0") << pcm.err;
    std::vector<float> heard(pcm.out.size() / 4);
    std::memcpy(heard.data(), pcm.out.data(), heard.size() * 4);
    // The offset (in frames of audio, within 0.1 s) where the heard left channel from the video's
    // start on (the decoded audio begins at the audio's start) best matches the song's; .mkv video at 0.
    const double video_start = std::atof(starts.out.c_str()), audio_start = std::atof(starts.out.c_str() + starts.out.find('\n') + 1);
    EXPECT_EQ(video_start, 0.0) << name;
    const long first = std::lround((video_start - audio_start) * music.rate), song = 1500L * music.rate / 1000;
    long best = 0;
    double least = 1e30;
    for (long offset = -music.rate / 10; offset <= music.rate / 10; ++offset) {
      double sum = 0;
      for (long i = 0; i < 4000; ++i) sum += std::pow(heard[size_t(first + i) * 2] - music.samples[size_t(song + offset + i) * 2], 2);
      if (sum < least) std::tie(least, best) = std::pair{sum, offset};
    }
    EXPECT_LE(std::abs(best), music.rate / 1000) << name << ": the music is off by " << best << " samples";
  }
}

// The live show's drawing on an 800x600 offscreen context, with the spectrum of the decoded music.
struct LiveShow {
  std::string error;
  std::unique_ptr<OffscreenGl> gl = OffscreenGl::Create(800, 600, &error);
  DecodedAudio music;
  bool decoded = DecodeShowMusic(kMedia, &music, &error);
  MusicSpectrum spectrum{music};
  std::unique_ptr<Show> show = gl && decoded ? Show::Load(TgaFilesIn(kMedia), spectrum, &error) : nullptr;
};

TEST(CaptureRender, OneFrameEqualsTheLiveDrawingOfTheSameTime) {
  // The dancer holding H, the spectrum noise, and the inverted strobe.
  const std::pair<int32_t, bool> cases[] = {{60000, true}, {100000, false}, {111449, false}};
  TempDir temp;
  std::vector<std::string> captured;
  for (const auto& [t, hold_h] : cases) {
    const ProgramResult run = Capture("--at " + std::to_string(t) + " --out " + temp.Path("f.png") + kMediaArgs +
                                      (hold_h ? " --hold h" : ""));
    ASSERT_EQ(run.status, "exit 0") << ::testing::PrintToString(run);
    captured.push_back(PngRgb(temp.Path("f.png")));
  }
  LiveShow live;
  ASSERT_TRUE(live.show) << live.error;
  auto& [error, gl, music, decoded, spectrum, show] = live;
  for (size_t i = 0; i < captured.size(); ++i) {
    spectrum.SetTimeMs(cases[i].first);
    show->DrawFrame(cases[i].first, cases[i].second);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(gl->ReadPixelsTopDown(&rgba, &error)) << error;
    std::string drawn;
    for (size_t p = 0; p < rgba.size(); p += 4) drawn.append(reinterpret_cast<const char*>(&rgba[p]), 3);
    EXPECT_TRUE(drawn == captured[i]) << "t " << cases[i].first;
    const size_t black = size_t(std::count(drawn.begin(), drawn.end(), '\0'));
    EXPECT_TRUE(black > 0 && black < drawn.size() * 3 / 4) << "t " << cases[i].first << ": " << black << " black bytes";
  }
}

// The show skips noise layers of alpha 0 or less and filters the noise its own way (no mipmaps at
// 800x600): every pattern of skipped layers in the real song, and every 100th ms of the scene, give
// the pixels of all five layers drawn with the mipmapped filter.
TEST(CaptureRender, SkippingInvisibleNoiseLayersChangesNoPixel) {
  LiveShow live;
  ASSERT_TRUE(live.show) << live.error;
  auto& [error, gl, music, decoded, spectrum, show] = live;
  std::set<int> patterns;
  std::vector<int32_t> times;
  for (int32_t t = 94286; t <= 111428; ++t) {
    spectrum.SetTimeMs(t);
    float alphas[kNoiseLayerCount];
    NoiseLayerAlphas(spectrum, alphas);
    int pattern = 0;
    for (int i = 0; i < kNoiseLayerCount; ++i) pattern |= (alphas[i] > 0) << i;
    if (patterns.insert(pattern).second || t % 100 == 0) times.push_back(t);
  }
  EXPECT_GE(patterns.size(), 3u) << "all five layers, all but the fifth, all but the third and fifth";
  glBindTexture(GL_TEXTURE_2D, show->textures().noise_texture);
  GLint shows_filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &shows_filter);
  std::vector<uint8_t> every_layer, drawn;
  for (int32_t t : times) {
    spectrum.SetTimeMs(t);
    show->schedule().set_draw_invisible_layers(true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    show->DrawFrame(t, false);
    ASSERT_TRUE(gl->ReadPixelsBottomUp(&every_layer, &error)) << error;
    show->schedule().set_draw_invisible_layers(false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, shows_filter);
    show->DrawFrame(t, false);
    ASSERT_TRUE(gl->ReadPixelsBottomUp(&drawn, &error)) << error;
    ASSERT_TRUE(drawn == every_layer) << "t " << t;
  }
}

// Times at and inside the edges of every row of the schedule, in order.
const int32_t kSampleTimes[] = {-1000, 0, 1, 1071, 1072, 2142, 16072, 17142, 17143, 19000, 21428, 21429, 25000,
                                30000, 30001, 38571, 38572, 47142, 47143, 55714, 55715, 60000, 60500, 72857,
                                72858, 81428, 81429, 85000, 85500, 90000, 90001, 94285, 94286, 100000, 111428,
                                111429, 111449, 111450, 111499, 111500, 128549, 128550, 128571, 128572, 200000};

TEST(CaptureRender, ASharedPictureIsTheSameAsAFreshlyDrawnOne) {
  std::string error;
  std::unique_ptr<FrameRenderer> renderer = FrameRenderer::Create(kMedia, 160, 120, false, &error);
  ASSERT_TRUE(renderer) << error;
  std::vector<uint8_t> previous, pixels;
  for (size_t i = 0; i < std::size(kSampleTimes); previous.swap(pixels), ++i) {
    ASSERT_TRUE(renderer->Render(kSampleTimes[i], &pixels, &error)) << error;
    const int32_t a = kSampleTimes[i ? i - 1 : 0], b = kSampleTimes[i];
    // Key 0: never shared; any two sampled times then look different.
    EXPECT_EQ(SharedPictureKey(a) == SharedPictureKey(b) && SharedPictureKey(a) != 0, i == 0 || previous == pixels) << a << " and " << b;
  }
  // Captures that reuse pictures write the same video as drawing every frame:
  // the bar's last steps into the emptying bar; the noise into the strobe.
  // They keep a picture only while it can come again: one bar step, the strobe's two states.
  TempDir temp;
  for (const auto& [from, to, kept] : {std::tuple{15900, 17400, 1u}, std::tuple{111300, 111700, 2u}}) {
    CaptureCounts counts[2];
    std::string videos[2];
    for (int reuse = 0; reuse < 2; ++reuse) {
      std::unique_ptr<StreamOutput> output = CreateFileOutput(temp.Path("v.y4m"), &error);
      ASSERT_TRUE(output && output->WriteHeader(Y4mStreamHeader(160, 120, FrameRate{60, 1}), &error)) << error;
      FramePipeline pipeline(FrameEncoding::kY4m, 160, 120, output.get());
      const CaptureRange range{from, FrameRate{60, 1}, FrameCount(from, to, FrameRate{60, 1})};
      ASSERT_TRUE(CaptureFrames(*renderer, pipeline, range, reuse, nullptr, &counts[reuse], &error) && pipeline.Finish(&error) &&
                  output->Commit(&error)) << error;
      videos[reuse] = ReadFileBytes(temp.Path("v.y4m"));
      EXPECT_EQ(pipeline.MostPicturesKept(), reuse ? kept : 0u) << from;
    }
    EXPECT_TRUE(videos[0].size() > 1000 && videos[0] == videos[1]) << from;
    EXPECT_EQ(std::vector<int64_t>({counts[0].submitted, counts[1].submitted, counts[0].rendered}),
              std::vector<int64_t>(3, counts[0].submitted)) << from;
    EXPECT_LT(counts[1].rendered, counts[0].rendered) << from;
  }
}

}  // namespace
}  // namespace zibo
