// zibo-capture's pieces without GL: options, frame timing, the y4m and PNG
// encodings, the frame pipeline, the music spectrum and the progress lines.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture_options.h"
#include "chapters.h"
#include "frame_pipeline.h"
#include "frame_timing.h"
#include "music_spectrum.h"
#include "png_writer.h"
#include "progress_report.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

// The parse of "zibo-capture args...", summed up in one line.
std::string Parse(std::vector<const char*> args, std::string* error = nullptr) {
  args.insert(args.begin(), "zibo-capture");
  CaptureOptions o;
  std::string message;
  const ParseOutcome outcome = ParseCaptureOptions(int(args.size()), args.data(), &o, &message);
  if (error) *error = message;
  if (outcome != ParseOutcome::kRun) return outcome == ParseOutcome::kHelp ? "help" : "error";
  char line[200];
  std::snprintf(line, sizeof line, "%s %d/%d %d..%d %s %s %dx%d %s%s", o.single_frame ? ("at " + std::to_string(o.at_ms)).c_str() : "range",
                int(o.fps.num), int(o.fps.den), o.from_ms, o.to_ms, (const char*[]){"png", "folder", "y4m", "video"}[int(o.format)],
                o.media_dir.c_str(), o.width, o.height, o.hold_h ? "h" : "-", o.hold_space ? "space" : "-");
  return line + (o.supersample > 1 ? " x" + std::to_string(o.supersample) : "") + (o.stretch ? " stretch" : "");
}

TEST(CaptureOptions, ReadsWhatIsGiven) {
  const std::pair<std::vector<const char*>, const char*> cases[] = {
      {{"--out", "show.y4m"}, "range 60/1 0..128572 y4m . 800x600 --"},
      {{"--fps=60000/1001", "--from", "1000", "--to=2000", "--out", "clip.MKV", "--media", "assets", "--size", "320x240", "--hold", "Space,h"},
       "range 60000/1001 1000..2000 video assets 320x240 hspace"},
      {{"--fps", "120/4", "--from", "128571", "--out", "frames/", "--size", "8192x2"}, "range 30/1 128571..128572 folder . 8192x2 --"},
      {{"--fps", "1000", "--to", "1", "--out", "v.mp4"}, "range 1000/1 0..1 video . 800x600 --"},
      {{"--at", "-20", "--out", "f.png", "--size", "101x77"}, "at -20 60/1 0..128572 png . 101x77 --"},
      {{"--at", "2147483647", "--out", "f.png"}, "at 2147483647 60/1 0..128572 png . 800x600 --"},
      {{"--out", "-", "--stretch", "--supersample=4", "--size", "1920x1080"}, "range 60/1 0..128572 y4m . 1920x1080 -- x4 stretch"},
      {{"--help"}, "help"}, {{"--out", "a.y4m", "-h"}, "help"}};
  for (const auto& [args, want] : cases) EXPECT_EQ(Parse(args), want) << args[0] << " " << args.size();
}

TEST(CaptureOptions, RejectsBadArgumentsSayingWhich) {
  // Each case with a word its message must hold; --out a.y4m is added unless the case gives --out.
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"--out", {"--fps", "60", "--out"}}, {"extra", {"extra"}}, {"--frobnicate", {"--frobnicate", "1"}}, {"--out", {"--out", "b.y4m", "--out", "a.y4m"}},
      {"--out", {"--out", "a.avi"}}, {"--out", {"--out", ""}}, {"--fps", {"--fps", "0"}}, {"--fps", {"--fps", "60/0"}},
      {"--fps", {"--fps", "1001/1"}}, {"--fps", {"--fps", "60.5"}}, {"--fps", {"--fps", "60/1/1"}}, {"--fps", {"--fps", "99999999999999999999"}},
      {"--from", {"--from", "-1"}}, {"--to", {"--to", "128573"}}, {"--to", {"--to", "0"}}, {"--from", {"--from", "5000", "--to", "5000"}},
      {"--from", {"--from", " 12"}}, {".png", {"--at", "5"}}, {"--at", {"--at", "5", "--fps", "30", "--out", "a.png"}},
      {"--at", {"--at", "2147483648", "--out", "a.png"}}, {"--at", {"--out", "a.png"}}, {"--size", {"--size", "0x600"}},
      {"--size", {"--size", "8193x600"}}, {"even", {"--size", "801x600"}}, {"even", {"--size", "800x601", "--out", "a.mp4"}},
      {"--crf", {"--crf", "52", "--out", "a.mp4"}}, {"--crf", {"--crf", "18"}}, {"--preset", {"--preset", "fastest", "--out", "a.mp4"}},
      {"--hold", {"--hold", "h,"}}, {"--hold", {"--hold", "shift"}}, {"--media", {"--media", ""}}, {"--help", {"--help=yes"}},
      {"--supersample", {"--supersample", "5"}}, {"--supersample", {"--supersample", "0"}}, {"--stretch", {"--stretch=1"}},
      {"--stretch", {"--stretch", "--stretch"}}, {".png", {"--at", "5", "--out", "-"}}};
  for (auto [word, args] : cases) {
    std::string joined, error;
    if (std::find(args.begin(), args.end(), std::string("--out")) == args.end()) args.insert(args.end(), {"--out", "a.y4m"});
    for (const char* arg : args) joined += std::string(arg) + " ";
    EXPECT_EQ(Parse(args, &error), "error") << joined;
    EXPECT_NE(error.find(word), std::string::npos) << joined << ": " << error;
  }
  EXPECT_EQ(Parse({}), "error");
}

TEST(FrameTiming, FrameTimesRoundDownWithoutDriftAndCountsCoverTheRange) {
  const FrameRate r60{60, 1}, ntsc{60000, 1001}, fastest{kMaxFrameRateTerm, 1000};
  const struct { int32_t from; FrameRate rate; int64_t index; int32_t ms; } times[] = {
      {0, r60, 1, 16}, {0, r60, 2, 33}, {1000, r60, 1, 1016}, {0, r60, 7714, 128566}, {0, ntsc, 1, 16},
      {0, ntsc, 60000, 1001000}, {0, FrameRate{1, 2}, 3, 6000}, {0, fastest, 128571, 128571}};
  for (const auto& c : times) EXPECT_EQ(FrameTimeMs(c.from, c.rate, c.index), c.ms) << c.index;
  EXPECT_EQ(std::vector<int64_t>({FrameCount(0, 128572, r60), FrameCount(0, 128572, FrameRate{1, kMaxFrameRateTerm}),
                                  FrameCount(1000, 2000, r60), FrameCount(100, 100, r60), FrameCount(100, 50, r60)}),
            std::vector<int64_t>({7715, 1, 60, 0, 0}));
  EXPECT_DOUBLE_EQ(FramesToSeconds(60000, ReducedFrameRate(FrameRate{120000, 2002})), 1001.0);
}

// A chapter for each scene a capture touches, from its first frame (the frames before the first
// scene open the first chapter), timed in frames for ffmpeg.
TEST(Chapters, OnePerSceneFromItsFirstFrame) {
  const FrameRate r60{60, 1};
  std::string titles;
  std::vector<int64_t> starts;
  for (const Chapter& c : CaptureChapters(0, r60, FrameCount(0, kShowEndWholeMs, r60))) {
    titles += std::string(c.title) + ",";
    starts.push_back(c.first_frame);
  }
  EXPECT_EQ(titles, "loading bar,bar emptying,slide s1,slide s2,slide s3,slide s4,upright dancer,slide s5,"
                    "hanging dancer,slide s6,spectrum noise,strobe s7,");
  EXPECT_EQ(starts, std::vector<int64_t>({0, 1029, 1286, 1801, 2315, 2829, 3343, 4372, 4886, 5401, 5658, 6686}));
  EXPECT_TRUE(CaptureChapters(0, r60, 1).empty());
  EXPECT_EQ(FfmetadataChapters(CaptureChapters(21000, r60, 60), r60, 60),
            ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/60\nSTART=0\nEND=26\ntitle=bar emptying\n"
            "[CHAPTER]\nTIMEBASE=1/60\nSTART=26\nEND=60\ntitle=slide s1\n");
}

// A 4x4 RGBA picture in GL order (bottom row first); seen top row first:
// white at the top left, red at the top right, a blue bottom-right block.
std::vector<uint8_t> AsymmetricPicture() {
  std::vector<uint8_t> rgba(4 * 4 * 4, 0);
  for (const auto& [at, rgb] : {std::pair{12, 0xFFFFFF}, {15, 0xFF0000}, {2, 0xFF}, {3, 0xFF}, {6, 0xFF}, {7, 0xFF}})
    for (int c = 0; c < 3; ++c) rgba[size_t(at * 4 + c)] = uint8_t(rgb >> (16 - 8 * c));
  return rgba;
}

TEST(Y4m, HeaderStudioRangeColoursAndPlanesTopRowFirst) {
  EXPECT_EQ(Y4mStreamHeader(160, 120, FrameRate{60000, 1001}),
            "YUV4MPEG2 W160 H120 F60000:1001 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n");
  const int colours[][6] = {{0, 0, 0, 16, 128, 128}, {255, 255, 255, 235, 128, 128}, {255, 0, 0, 81, 90, 240},
                            {0, 255, 0, 145, 54, 34}, {0, 0, 255, 41, 240, 110}, {128, 128, 128, 126, 128, 128}};
  std::vector<uint8_t> frame;
  for (const auto& c : colours) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 8; ++i) rgba.insert(rgba.end(), {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 0});
    EncodeY4mFrame(4, 2, rgba.data(), &frame);
    EXPECT_EQ(std::vector<int>({frame[6], frame[14], frame[16]}), std::vector<int>({c[3], c[4], c[5]})) << c[0] << "," << c[1] << "," << c[2];
  }
  EncodeY4mFrame(4, 4, AsymmetricPicture().data(), &frame);
  // FRAME, then luma top row first, then the blocks' mean chroma, U then V.
  EXPECT_EQ(std::string(frame.begin(), frame.begin() + 6), "FRAME\n");
  EXPECT_EQ(std::vector<int>(frame.begin() + 6, frame.end()),
            std::vector<int>({235, 16, 16, 81, 16, 16, 16, 16, 16, 16, 41, 41, 16, 16, 41, 41, 128, 119, 128, 240, 128, 156, 128, 110}));
}

// The pixels are checked where zibo-capture's PNGs are compared with the live drawing.
TEST(Png, IsAValidPngWithoutAlpha) {
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(4, 4, AsymmetricPicture().data(), &png, &error)) << error;
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  png_image_free(&image);  // no finish_read to free it
  EXPECT_FALSE(WriteWholeFile("/nonexistent-folder/x.png", {1, 2, 3}, &error));
  EXPECT_EQ(error, "/nonexistent-folder/x.png: No such file or directory");
}

// 2x2 frames (12 bytes) through a bound of three: in order, past a run of
// repeats, up to the first failed write, whose message Finish returns.
TEST(FramePipeline, WritesInOrderWithinTheBoundUntilAWriteFails) {
  struct : FrameOutput {
    int64_t next = 0;
    bool WriteFrame(int64_t i, const std::vector<uint8_t>& bytes, std::string* e) override { *e = "disk full"; return bytes.size() == 12 && i == next++ && i != 400; }
    bool Finish(std::string*) override { return true; }
  } out;
  FramePipeline pipeline(FrameEncoding::kY4m, 2, 2, &out, 36);
  for (int64_t i = 0; i < 600 && !pipeline.Failed(); ++i) i > 0 && i < 300 ? pipeline.SubmitRepeat(i, 9) : pipeline.SubmitRendered(i, i ? 0 : 9, pipeline.TakeBuffer());
  std::string error;
  EXPECT_TRUE(!pipeline.Finish(&error) && out.next == 401 && error == "disk full") << out.next << " " << error;
}

TEST(MusicSpectrum, ProbesTheMusicAtTheSetTime) {
  DecodedAudio audio;  // a stereo tone at bin 56's centre from 1000 ms on, silence before
  audio.rate = 44100;
  audio.channels = 2;
  audio.samples.assign(44100 * 2 * 2, 0.0f);
  for (size_t i = 44100 * 2; i < audio.samples.size(); ++i) audio.samples[i] = float(std::sin(2 * M_PI * 56.0 / 512.0 * double(i / 2)));
  float bins[kFftBins];
  ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, FirstFrameAtMs(1100, 44100), bins);
  MusicSpectrum spectrum(audio);
  spectrum.SetTimeMs(1100);
  EXPECT_GT(bins[56], 0.3f);
  EXPECT_EQ(std::vector<float>({spectrum.SpectrumAt(0.11f), spectrum.SpectrumAt(0.1f), spectrum.SpectrumAt(0.5f), spectrum.SpectrumAt(-0.5f)}),
            std::vector<float>({bins[56], bins[51], 0, 0}));
  for (int32_t silent : {500, 60000}) {  // before the tone, and past the music's end
    spectrum.SetTimeMs(silent);
    EXPECT_EQ(spectrum.SpectrumAt(0.11f), 0.0f) << silent;
  }
}

TEST(ProgressReport, LinesAndTheTwoKindsOfStream) {
  EXPECT_EQ(FormatDuration(3723) + " " + FormatDuration(-4), "1:02:03 0:00");
  EXPECT_EQ(ProgressLine(0, 100, 0.0, 10), "[----------]   0/100 frames  ETA -:--");
  EXPECT_EQ(ProgressLine(25, 100, 10.2, 10), "[##--------]  25/100 frames  ETA 0:31");
  EXPECT_EQ(ProgressLine(150, 100, 40.0, 10), "[##########] 100/100 frames  ETA 0:00");
  EXPECT_EQ(SummaryLine(7715, 128.58, 25.0), "7715 frames (128.6 s of show) in 25.0 s: 5.14x real time");
  EXPECT_EQ(SummaryLine(1, 0.5, 0.0), "1 frame (0.5 s of show) in 0.0 s: 0.00x real time");
  for (bool live : {false, true}) {
    char text[1024] = {};
    std::FILE* stream = fmemopen(text, sizeof text - 1, "w");
    ProgressReport(4, 1.0, stream, live).Finish(4);
    std::fclose(stream);
    EXPECT_EQ(std::string(text).rfind(live ? "\r\033[Kzibo-capture: 4 frames" : "zibo-capture: 4 frames (1.0 s of show) in ", 0), 0u) << text;
  }
}

}  // namespace
}  // namespace zibo
