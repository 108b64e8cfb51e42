// Capture draws what the live show draws: --at against the live frame
// drawing path, and picture reuse against rendering every frame.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/audio_decoder.h"
#include "audio/spectrum.h"
#include "capture_loop.h"
#include "capture_test_support.h"
#include "frame_output.h"
#include "frame_pipeline.h"
#include "frame_renderer.h"
#include "scenes/scene_schedule.h"
#include "shared_picture.h"
#include "show/offscreen_gl.h"
#include "show/show.h"
#include "show/show_music.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

// The live audio library's view of the music at a fixed position: every
// probe takes a fresh spectrum of the 512 frames from the position on.
class FixedPositionSpectrum : public SpectrumSource {
 public:
  explicit FixedPositionSpectrum(const DecodedAudio& music) : music_(music) {}
  void SetPositionMs(int32_t ms) { first_frame_ = FirstFrameAtMs(ms, music_.rate); }
  float SpectrumAt(float fraction) override {
    float bins[kFftBins];
    ComputeSpectrumAt(music_.samples.data(), music_.frames(), music_.channels, first_frame_,
                      bins);
    const int index = int(fraction * 512);
    return index >= 0 && index < kFftBins ? bins[index] : 0.0f;
  }

 private:
  const DecodedAudio& music_;
  long long first_frame_ = 0;
};

// The live show's drawing on its own context, music and pictures.
struct LiveShow {
  std::unique_ptr<OffscreenGl> gl;
  DecodedAudio music;
  std::unique_ptr<FixedPositionSpectrum> spectrum;
  std::unique_ptr<Show> show;

  bool Open(int width, int height, std::string* error) {
    gl = OffscreenGl::Create(width, height, error);
    if (!gl || !DecodeShowMusic(MediaDir(), &music, error)) return false;
    spectrum.reset(new FixedPositionSpectrum(music));
    show = Show::Load(TgaFilesIn(MediaDir()), *spectrum, error);
    return show != nullptr;
  }

  // The frame at t as RGB, top row first.
  std::vector<uint8_t> Draw(int32_t t, bool h_down) {
    spectrum->SetPositionMs(t);
    show->DrawFrame(t, h_down);
    std::vector<uint8_t> rgba;
    std::string error;
    EXPECT_TRUE(gl->ReadPixelsTopDown(&rgba, &error)) << error;
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i] + 3);
    return rgb;
  }
};

// Where two equal-sized RGB pictures first differ, or "" if they do not.
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                            int width) {
  if (a.size() != b.size()) return "sizes differ";
  size_t count = 0, first = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && count++ == 0) first = i;
  }
  if (count == 0) return "";
  const size_t pixel = first / 3;
  return std::to_string(count) + " bytes differ, first at x " + std::to_string(pixel % width) +
         " y " + std::to_string(pixel / width);
}

TEST(CaptureRender, OneFrameEqualsTheLiveDrawingOfTheSameTime) {
  struct Case {
    int32_t t;
    bool hold_h;
  };
  // The emptying bar, the upright dancer with and without H, the flipped
  // dancer, the spectrum noise, and the inverted strobe.
  const Case cases[] = {{19000, false}, {60000, false}, {60000, true},
                        {85000, false}, {100000, false}, {111449, false}};
  TempDir temp;
  std::vector<std::vector<uint8_t>> captured;
  for (const Case& c : cases) {
    const std::string png = temp.File(std::to_string(c.t) + (c.hold_h ? "h" : "") + ".png");
    std::vector<std::string> args = {"--at", std::to_string(c.t), "--out", png, "--media",
                                     MediaDir()};
    if (c.hold_h) args.insert(args.end(), {"--hold", "h"});
    const RunResult run = RunCapture(args);
    ASSERT_EQ(run.status, 0) << run.err;
    int width = 0, height = 0;
    captured.emplace_back();
    ASSERT_TRUE(ReadPngRgb(png, &width, &height, &captured.back())) << png;
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 600);
  }

  LiveShow live;
  std::string error;
  ASSERT_TRUE(live.Open(800, 600, &error)) << error;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const std::vector<uint8_t> drawn = live.Draw(cases[i].t, cases[i].hold_h);
    EXPECT_EQ(FirstDifference(captured[i], drawn, 800), "")
        << "t " << cases[i].t << (cases[i].hold_h ? " holding H" : "");
  }
  // The cases are not trivially equal: H shows, the noise is not black.
  EXPECT_NE(FirstDifference(captured[1], captured[2], 800), "");
  size_t lit = 0;
  for (uint8_t value : captured[4]) lit += value > 0;
  EXPECT_GT(lit, captured[4].size() / 4);
}

std::unique_ptr<FrameRenderer> SmallRenderer() {
  std::string error;
  std::unique_ptr<FrameRenderer> renderer =
      FrameRenderer::Create(MediaDir(), 160, 120, false, &error);
  EXPECT_TRUE(renderer) << error;
  return renderer;
}

std::vector<uint8_t> RenderAt(FrameRenderer& renderer, int32_t t) {
  std::vector<uint8_t> pixels;
  std::string error;
  EXPECT_TRUE(renderer.Render(t, &pixels, &error)) << error;
  return pixels;
}

TEST(CaptureRender, TimesSharingAPictureKeyDrawTheSamePixels) {
  std::unique_ptr<FrameRenderer> renderer = SmallRenderer();
  ASSERT_TRUE(renderer);
  // Pairs with one key: first and last ms of a bar step, of a slide row, of
  // a strobe half, and nothing drawn before and after the show.
  const int32_t same[][2] = {{1, 1071},         {1072, 2142},     {16072, 17142},
                             {21429, 30000},    {90001, 94285},   {111429, 111449},
                             {111450, 111499},  {111500, 128549}, {128550, 128571},
                             {0, 128572},       {-1000, 200000}};
  for (const auto& pair : same) {
    ASSERT_EQ(SharedPictureKey(pair[0]), SharedPictureKey(pair[1]));
    EXPECT_TRUE(RenderAt(*renderer, pair[0]) == RenderAt(*renderer, pair[1]))
        << pair[0] << " and " << pair[1];
  }
  // Neighbours with different keys draw different pictures.
  const int32_t different[][2] = {{0, 1},          {1071, 1072},     {17142, 17143},
                                  {21428, 21429},  {30000, 30001},   {111449, 111450},
                                  {111499, 111500}, {128571, 128572}};
  for (const auto& pair : different) {
    ASSERT_NE(SharedPictureKey(pair[0]), SharedPictureKey(pair[1]));
    EXPECT_FALSE(RenderAt(*renderer, pair[0]) == RenderAt(*renderer, pair[1]))
        << pair[0] << " and " << pair[1];
  }
}

std::vector<uint8_t> CaptureY4m(FrameRenderer& renderer, const std::string& path,
                                int32_t from_ms, int32_t to_ms, bool reuse,
                                CaptureCounts* counts) {
  std::string error;
  std::unique_ptr<StreamOutput> output = CreateFileOutput(path, &error);
  EXPECT_TRUE(output) << error;
  if (!output) return {};
  const FrameRate rate{60, 1};
  EXPECT_TRUE(output->WriteHeader(Y4mStreamHeader(160, 120, rate), &error)) << error;
  FramePipeline pipeline(FrameEncoding::kY4m, 160, 120, output.get());
  CaptureRange range;
  range.from_ms = from_ms;
  range.rate = rate;
  range.frames = FrameCount(from_ms, to_ms, rate);
  EXPECT_TRUE(CaptureFrames(renderer, pipeline, range, reuse, nullptr, counts, &error)) << error;
  EXPECT_TRUE(pipeline.Finish(&error)) << error;
  return ReadFileBytes(path);
}

TEST(CaptureRender, ReusingPicturesWritesTheSameVideoAsRenderingEveryFrame) {
  std::unique_ptr<FrameRenderer> renderer = SmallRenderer();
  ASSERT_TRUE(renderer);
  TempDir temp;
  // The bar's last steps into the emptying bar; the slide s6 into the noise;
  // the noise into the strobe.
  const int32_t ranges[][2] = {{15900, 17400}, {94100, 94500}, {111300, 111700}};
  for (const auto& range : ranges) {
    CaptureCounts reused, every;
    const std::vector<uint8_t> fast =
        CaptureY4m(*renderer, temp.File("reuse.y4m"), range[0], range[1], true, &reused);
    const std::vector<uint8_t> slow =
        CaptureY4m(*renderer, temp.File("every.y4m"), range[0], range[1], false, &every);
    EXPECT_EQ(reused.submitted, every.submitted);
    EXPECT_EQ(every.rendered, every.submitted);
    EXPECT_LT(reused.rendered, every.rendered) << range[0];
    ASSERT_FALSE(fast.empty());
    EXPECT_TRUE(fast == slow) << range[0] << ".." << range[1];
  }
}

}  // namespace
}  // namespace zibo
