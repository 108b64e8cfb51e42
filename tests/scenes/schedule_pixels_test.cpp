// What the show puts on screen at the times that matter, read back from a
// real GL context set up like the window's. Every texture is a distinct
// solid colour so each pixel names its source.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gl_test_support.h"
#include "scenes/dancer.h"
#include "scenes/scene_schedule.h"
#include "show/show.h"

namespace zibo {
namespace {

class FakeSpectrum : public SpectrumSource {
 public:
  float SpectrumAt(float fraction) override {
    asked.push_back(fraction);
    return level;
  }
  float level = 0.0f;
  std::vector<float> asked;
};

constexpr Rgb kBg{192, 64, 16}, kBg2{64, 192, 16};
Rgb SlideColour(int i) { return {20 + 30 * i, 200 - 25 * i, 100 + (i % 2) * 60}; }

class ScheduleFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    gl_ = MakeShowSizedGl();
    ASSERT_TRUE(gl_);
    // The show's own loading, each picture coloured by its file name.
    std::string error;
    show_ = Show::Load(
        [](const char* name, uint32_t* texture, std::string*) {
          const std::string n = name;
          *texture = SolidTexture(n == "bg.tga"    ? kBg
                                  : n == "bg2.tga" ? kBg2
                                                   : SlideColour(n[1] - '1'));
          return true;
        },
        spectrum_, &error);
    ASSERT_TRUE(show_) << error;
  }

  Frame Render(int32_t t, bool h_down = false) {
    show_->DrawFrame(t, h_down);
    return Frame(*gl_);
  }

  std::unique_ptr<OffscreenGl> gl_;
  FakeSpectrum spectrum_;
  std::unique_ptr<Show> show_;
};

TEST_F(ScheduleFrames, NothingButTheClearColourOutsideTheShow) {
  for (int32_t t : {0, -1, -100000, 128572, 130000}) {
    EXPECT_EQ(Render(t).CountOther(kBlack), 0) << t;
  }
}

// Bar geometry: white frame 40..600 x 220..260, black track 45..595 x
// 225..255, white fill from x 50 at height 230..250. Pixel row 299 is y 240.
TEST_F(ScheduleFrames, LoadingBarFillsInSixteenthsAndEmpties) {
  const int row = 299;
  Frame empty = Render(1071);
  EXPECT_EQ(empty.At(42, 240), kWhite);
  EXPECT_EQ(empty.At(300, 258), kWhite);
  EXPECT_EQ(empty.At(300, 262), kBlack);
  EXPECT_EQ(empty.At(300, 218), kBlack);
  EXPECT_EQ(empty.At(47, 240), kBlack);
  EXPECT_EQ(empty.Pixel(63, row), kBlack);
  EXPECT_EQ(empty.At(597, 240), kWhite);

  // 1/16: the fill ends at x 83.75, pixel 104.69.
  Frame first = Render(1072);
  EXPECT_EQ(first.Pixel(61, row), kBlack);
  EXPECT_EQ(first.Pixel(63, row), kWhite);
  EXPECT_EQ(first.Pixel(104, row), kWhite);
  EXPECT_EQ(first.Pixel(105, row), kBlack);
  EXPECT_EQ(first.At(60, 248), kWhite);
  EXPECT_EQ(first.At(60, 252), kBlack);
  EXPECT_EQ(first.At(60, 228), kBlack);

  // 15/16 at the row's last millisecond: x 556.25, pixel 695.31.
  Frame most = Render(17142);
  EXPECT_EQ(most.Pixel(694, row), kWhite);
  EXPECT_EQ(most.Pixel(695, row), kBlack);

  // Nearly full again as it starts emptying: x 589.98, pixel 737.48.
  Frame full = Render(17143);
  EXPECT_EQ(full.Pixel(736, row), kWhite);
  EXPECT_EQ(full.Pixel(738, row), kBlack);
  EXPECT_EQ(full.At(592, 240), kBlack);  // margin before the track's end

  Frame nearly_empty = Render(21428);
  EXPECT_EQ(nearly_empty.Pixel(63, row), kBlack);
  EXPECT_EQ(nearly_empty.At(42, 240), kWhite);
}

TEST_F(ScheduleFrames, SlidesChangeOnTheirBounds) {
  struct Case {
    int32_t t;
    int slide;
  };
  const Case cases[] = {{21429, 0}, {30000, 0}, {30001, 1}, {38571, 1}, {38572, 2},
                        {47143, 3}, {55714, 3}, {72858, 4}, {81428, 4}, {90001, 5},
                        {94285, 5}, {111450, 6}, {128571, 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(Render(c.t).CountOther(SlideColour(c.slide)), 0) << c.t;
  }
}

TEST_F(ScheduleFrames, StrobeInvertsTheFirstHalfOfEveryHundredMs) {
  const Rgb s7 = SlideColour(6);
  EXPECT_EQ(Render(111429).CountOther(s7.Inverted()), 0);
  EXPECT_EQ(Render(111449).CountOther(s7.Inverted()), 0);
  EXPECT_EQ(Render(111450).CountOther(s7), 0);
  EXPECT_EQ(Render(111499).CountOther(s7), 0);
  EXPECT_EQ(Render(111500).CountOther(s7.Inverted()), 0);
  EXPECT_EQ(Render(128571).CountOther(s7), 0);
}

TEST_F(ScheduleFrames, DancerBackgroundsSwitchOnTheBeat) {
  struct Case {
    int32_t t;
    Rgb background;
  };
  const Case cases[] = {{55715, kBg2}, {56762, kBg2}, {56763, kBg},  {57833, kBg},
                        {57834, kBg2}, {72857, kBg2}, {81429, kBg2}, {81854, kBg2},
                        {81855, kBg},  {82389, kBg},  {82390, kBg2}, {90000, kBg2}};
  for (const Case& c : cases) {
    Frame f = Render(c.t);
    EXPECT_EQ(f.At(3, 3), c.background) << c.t;
    EXPECT_EQ(f.At(637, 477), c.background) << c.t;
    EXPECT_EQ(f.At(3, 477), c.background) << c.t;
    // The dancer is drawn over it.
    EXPECT_GT(f.CountOther(c.background), 1000) << c.t;
  }
}

TEST_F(ScheduleFrames, UprightDancerStandsOnItsSpotAndHangingOneFromTheMiddle) {
  // Row 7: torso from (320, 140) upwards.
  Frame upright = Render(60000);
  EXPECT_EQ(upright.At(320, 150), kYellow);
  EXPECT_NE(upright.At(320, 100), kYellow);
  // Row 9: torso from (320, 240) downwards, legs up.
  Frame hanging = Render(85000);
  const DancerPose p = DancerPoseAt(85000);
  ASSERT_GT(std::abs(p.flip_scale), 0.3f);
  EXPECT_EQ(hanging.At(320, 230), kYellow);
  EXPECT_NE(hanging.At(320, 250), kYellow);
}

TEST_F(ScheduleFrames, PendantOnlyWhileHIsDown) {
  // The pendant hangs 30 units down from the torso's bottom middle.
  const int32_t t = 60000;
  Frame without = Render(t, false);
  Frame with = Render(t, true);
  EXPECT_GT(with.CountOther(kBg2), without.CountOther(kBg2));
  EXPECT_EQ(with.At(320, 135), kMagenta);
  EXPECT_EQ(without.At(320, 135), kBg2);
  // Releasing H removes it on the very next frame.
  EXPECT_EQ(Render(t, false).CountOther(kBg2), without.CountOther(kBg2));
}

TEST_F(ScheduleFrames, SilentMusicShowsOnlyTheBlueAndGreenNoise) {
  spectrum_.level = 0.0f;
  Frame f = Render(100000);
  EXPECT_EQ(f.MaxChannel(0), 0);
  EXPECT_GT(f.MaxChannel(1), 200);
  EXPECT_GT(f.MaxChannel(2), 200);
  const std::vector<float> probes = {0.11f, 0.45f, 0.1f, 0.4f, 0.35f};
  EXPECT_EQ(spectrum_.asked, probes);
}

TEST_F(ScheduleFrames, LoudMusicBringsRedAndYellowAndDrivesOutBlue) {
  spectrum_.level = 0.5f;
  Frame f = Render(100000);
  EXPECT_GT(f.MaxChannel(0), 200);
  EXPECT_GT(f.MaxChannel(1), 200);
  EXPECT_EQ(f.MaxChannel(2), 0);
  EXPECT_EQ(spectrum_.asked.size(), 5u);
}

TEST_F(ScheduleFrames, NoiseJumpsEveryMillisecondAndRepeatsEvery303) {
  std::vector<uint8_t> a, b, c;
  Render(100000);
  gl_->ReadPixelsTopDown(&a);
  Render(100001);
  gl_->ReadPixelsTopDown(&b);
  Render(100000 + 303);
  gl_->ReadPixelsTopDown(&c);
  EXPECT_NE(a, b);
  EXPECT_EQ(a, c);
}

TEST_F(ScheduleFrames, EveryRowLeavesBlendingOffAndTheMatricesBalanced) {
  spectrum_.level = 0.005f;
  for (int32_t t : {0, 500, 17142, 20000, 25000, 35000, 40000, 50000, 60000, 75000, 85000,
                    92000, 100000, 111449, 111450, 128572}) {
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

}  // namespace
}  // namespace zibo
