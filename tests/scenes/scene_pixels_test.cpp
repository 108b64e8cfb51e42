// What the show puts on screen, read back from an offscreen GL context set
// up like the window's. Every texture is a distinct solid colour, so each
// pixel names its source.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "scenes/dancer.h"
#include "scenes/primitives.h"
#include "scenes/scene_schedule.h"
#include "show/gl_state.h"
#include "show/offscreen_gl.h"
#include "show/show.h"
#include "show/show_frame.h"
#include "show/show_media.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/tga_file.h"
#include "textures/texture_upload.h"

namespace zibo {
namespace {

using Rgb = std::array<int, 3>;  // red, green, blue
Rgb Inverted(Rgb c) { return {255 - c[0], 255 - c[1], 255 - c[2]}; }
constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kYellow{255, 255, 0}, kMagenta{255, 0, 255},
    kBlue{0, 0, 255}, kCyan{0, 255, 255}, kBg{192, 64, 16}, kBg2{64, 192, 16};
Rgb Slide(int i) { return {20 + 30 * i, 200 - 25 * i, 100 + (i % 2) * 60}; }

uint32_t SolidTexture(Rgb c) {
  std::vector<uint8_t> rgba;
  for (int i = 0; i < 16; ++i) rgba.insert(rgba.end(), {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 0});
  return CreateMipmappedTexture(4, 4, rgba.data());
}

// A frame read top row first; points in 640x480 screen units, y up.
struct Frame {
  int width, height;
  std::vector<uint8_t> rgba;
  Rgb Pixel(int x, int row) const {
    const uint8_t* p = rgba.data() + (size_t(row) * size_t(width) + size_t(x)) * 4;
    return {p[0], p[1], p[2]};
  }
  Rgb At(double x, double y) const {
    return Pixel(int(std::floor(x * width / 640.0)), height - 1 - int(std::floor(y * height / 480.0)));
  }
  int CountOther(Rgb c) const {
    int n = 0;
    for (int i = 0; i < width * height; ++i) n += !(Pixel(i % width, i / width) == c);
    return n;
  }
  int MaxChannel(int channel) const {
    int m = 0;
    for (size_t i = size_t(channel); i < rgba.size(); i += 4) m = std::max<int>(m, rgba[i]);
    return m;
  }
};

class FakeSpectrum : public SpectrumSource {
 public:
  float SpectrumAt(float fraction) override {
    asked.push_back(fraction);
    return level;
  }
  float level = 0.0f;
  std::vector<float> asked;
};

class ScenePixels : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    gl_ = OffscreenGl::Create(800, 600, &error);
    ASSERT_TRUE(gl_) << error;
    // The show's own loading, each picture a colour picked by its file.
    show_ = Show::Load(
        [](const char* name, uint32_t* texture, std::string*) {
          const int i = int(std::find_if(kImageFiles, kImageFiles + kImageFileCount,
                                         [&](const char* f) { return std::string(f) == name; }) -
                            kImageFiles);
          *texture = SolidTexture(i == 0 ? kBg : i == 1 ? kBg2 : Slide(i - 2));
          return true;
        },
        spectrum_, &error);
    ASSERT_TRUE(show_) << error;
  }
  Frame Read() {
    Frame f{gl_->width(), gl_->height(), {}};
    EXPECT_TRUE(gl_->ReadPixelsTopDown(&f.rgba));
    return f;
  }
  Frame Render(int32_t t, bool h_down = false) {
    show_->DrawFrame(t, h_down);
    return Read();
  }
  // One drawing alone on a cleared screen, as the scenes set it up.
  template <typename Draw>
  Frame Alone(Draw draw) {
    ClearShowFrame();
    BeginScreenSpace();
    glDisable(GL_DEPTH_TEST);
    draw();
    return Read();
  }
  Frame Dancer(int32_t t, int flipped, bool h_down = false) {
    return Alone([&] { DrawDancer(t, flipped, h_down); });
  }
  std::unique_ptr<OffscreenGl> gl_;
  FakeSpectrum spectrum_;
  std::unique_ptr<Show> show_;
};

// Whole-screen scenes are one colour; the dancer's rows show their
// background in the corners with the dancer over it.
TEST_F(ScenePixels, EachMomentShowsItsScene) {
  const struct { int32_t t; Rgb colour; bool whole_screen; } cases[] = {
      {0, kBlack, true}, {-100000, kBlack, true}, {128572, kBlack, true}, {21429, Slide(0), true},
      {30000, Slide(0), true}, {30001, Slide(1), true}, {38572, Slide(2), true}, {55714, Slide(3), true},
      {72858, Slide(4), true}, {81428, Slide(4), true}, {90001, Slide(5), true}, {94285, Slide(5), true},
      {111429, Inverted(Slide(6)), true}, {111449, Inverted(Slide(6)), true}, {111450, Slide(6), true},
      {128571, Slide(6), true}, {111500, Inverted(Slide(6)), true}, {55715, kBg2, false},
      {56763, kBg, false}, {57833, kBg, false}, {57834, kBg2, false}, {81854, kBg2, false},
      {81855, kBg, false}, {82390, kBg2, false}, {90000, kBg2, false}};
  for (const auto& c : cases) {
    const Frame f = Render(c.t);
    if (c.whole_screen) {
      EXPECT_EQ(f.CountOther(c.colour), 0) << c.t;
      continue;
    }
    EXPECT_EQ(f.At(3, 3), c.colour) << c.t;
    EXPECT_EQ(f.At(637, 477), c.colour) << c.t;
    EXPECT_GT(f.CountOther(c.colour), 1000) << c.t;
  }
}

// White frame 40..600 x 220..260, black track 45..595 x 225..255, white
// fill from x 50 at height 230..250; pixel row 299 is y 240.
TEST_F(ScenePixels, LoadingBarFillsInSixteenthsAndEmpties) {
  const struct { int32_t t; double x, y; Rgb colour; } cases[] = {
      {1071, 42, 240, kWhite}, {1071, 300, 262, kBlack}, {1071, 47, 240, kBlack}, {1071, 50.5, 240, kBlack},
      {1071, 597, 240, kWhite}, {1072, 50.5, 240, kWhite}, {1072, 83.5, 240, kWhite},
      {1072, 84, 240, kBlack}, {1072, 60, 252, kBlack}, {1072, 60, 248, kWhite},
      {17142, 555.5, 240, kWhite}, {17142, 556.5, 240, kBlack}, {17143, 589, 240, kWhite},
      {17143, 592, 240, kBlack}, {21428, 50.5, 240, kBlack}};
  for (const auto& c : cases) EXPECT_EQ(Render(c.t).At(c.x, c.y), c.colour) << c.t << " " << c.x;
}

// The noise scene asks for five bins; silence gives blue-green noise, loud
// music red and yellow; the pattern moves every ms and repeats every 303.
TEST_F(ScenePixels, NoiseSceneFollowsTheMusicAndThePhase) {
  const Frame silent = Render(100000);
  EXPECT_EQ(spectrum_.asked, (std::vector<float>{0.11f, 0.45f, 0.1f, 0.4f, 0.35f}));
  EXPECT_EQ(silent.MaxChannel(0), 0);
  EXPECT_GT(silent.MaxChannel(2), 200);
  EXPECT_NE(Render(100001).rgba, silent.rgba);
  EXPECT_EQ(Render(100000 + 303).rgba, silent.rgba);
  spectrum_.level = 0.5f;
  const Frame loud = Render(100000);
  EXPECT_GT(loud.MaxChannel(0), 200);
  EXPECT_GT(loud.MaxChannel(1), 200);
  EXPECT_EQ(loud.MaxChannel(2), 0);
}

TEST_F(ScenePixels, EveryRowLeavesBlendingAndDepthOffAndTheMatricesBalanced) {
  spectrum_.level = 0.005f;
  for (int32_t t : {0, 500, 20000, 25000, 40000, 60000, 75000, 85000, 92000, 100000, 111449,
                    128572}) {
    glEnable(GL_DEPTH_TEST);
    Render(t, true);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << t;
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << t;
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1) << t;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << t;
  }
}

// At t = 0 every sine is 0: torso 270..370 x 140..260, arms level, thighs
// splayed 30 degrees, knees bent back 20, feet outwards; head on (320, 300).
TEST_F(ScenePixels, UprightDancerAtTimeZero) {
  const Frame f = Dancer(0, 0), with_h = Dancer(0, 0, true);
  struct Point { double x, y; Rgb colour; };
  const Point points[] = {
      {320, 200, kYellow}, {272, 142, kYellow}, {368, 258, kYellow}, {400, 240, kMagenta},
      {240, 240, kMagenta}, {400, 252, kBlack}, {460, 240, kBlue}, {180, 240, kBlue}, {472, 240, kBlack},
      {460, 249, kBlack}, {320, 265, kMagenta}, {329, 265, kBlack}, {320, 328, kBlue}, {320, 332, kBlack},
      {347, 300, kBlue}, {352, 300, kBlack}, {275, 124, kMagenta}, {365, 124, kMagenta}, {258, 78, kBlue},
      {382, 78, kBlue}, {240, 61, kCyan}, {400, 61, kCyan}, {320, 130, kBlack}, {255, 40, kBlack}};
  for (const auto& p : points) EXPECT_EQ(f.At(p.x, p.y), p.colour) << p.x << ", " << p.y;
  // H hangs a pendant, 14 wide, from the torso down to y 115.
  for (const auto& p : {Point{320, 117, kMagenta}, {320, 112, kBlack}, {329, 130, kBlack}})
    EXPECT_EQ(with_h.At(p.x, p.y), p.colour) << p.x << ", " << p.y;
}

// The hanging dancer is scaled by sin(t / 100): nothing at t = 0; later
// mirrored top to bottom about (320, 240) and turned by the root angle.
TEST_F(ScenePixels, HangingDancerHeadsDownFromTheMiddle) {
  EXPECT_EQ(Dancer(0, 1, true).CountOther(kBlack), 0);
  const DancerPose p = DancerPoseAt(81855);
  ASSERT_GT(std::abs(p.flip_scale), 0.5f);
  const double r = p.root * M_PI / 180.0;
  const Frame f = Dancer(81855, 1);
  auto at = [&](double d) { return f.At(320.0 + d * std::sin(r), 240.0 - d * std::cos(r)); };
  EXPECT_EQ(at(60), kYellow);
  EXPECT_EQ(at(160), kBlue);
  EXPECT_FALSE(at(-40) == kYellow);
}

// File pixel b1 b2 b3 shows as (b1, b3, b2); the file's first row is drawn
// along the top of the screen.
TEST_F(ScenePixels, TexturesLieOnTheScreenTheRightWayRound) {
  testing::TempDir dir;
  const std::string path = dir.Path("quad.tga");
  ASSERT_TRUE(testing::WriteFileBytes(path, testing::TgaBytes(2, 2, testing::AsymmetricPixels(2, 2))));
  uint32_t texture = 0;
  std::string error;
  ASSERT_TRUE(LoadTgaTexture(path.c_str(), &texture, &error)) << error;
  const Frame f = Alone([&] { DrawFullscreenQuad(texture); });
  for (int x = 0; x < 2; ++x) {
    for (int y = 0; y < 2; ++y) {
      const Rgb got = f.At(160 + 320 * x, 360 - 240 * y), want{1 + x, 200 + x + y, 100 + y};
      EXPECT_LE(std::abs(got[0] - want[0]) + std::abs(got[1] - want[1]) + std::abs(got[2] - want[2]), 4)
          << ::testing::PrintToString(got);
    }
  }
}

}  // namespace
}  // namespace zibo
