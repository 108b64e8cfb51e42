// The dancer's segments where its table of pivots and turns puts them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "gl_test_support.h"
#include "scenes/dancer.h"
#include "show/gl_state.h"
#include "show/show_frame.h"

namespace zibo {
namespace {

class DancerFrames : public ::testing::Test {
 protected:
  void SetUp() override { gl_ = MakeShowSizedGl(); ASSERT_TRUE(gl_); }

  Frame Render(int32_t t, int flipped, bool h_down = false) {
    ClearShowFrame();
    BeginScreenSpace();
    glDisable(GL_DEPTH_TEST);
    DrawDancer(t, flipped, h_down);
    return Frame(*gl_);
  }

  std::unique_ptr<OffscreenGl> gl_;
};

// At t = 0 every sine is 0: torso upright on (320, 140), arms level, thighs
// splayed 30 degrees outwards, knees bent back 20, feet pointing outwards.
TEST_F(DancerFrames, UprightAtTimeZero) {
  Frame f = Render(0, 0);
  // Torso 270..370 x 140..260.
  EXPECT_EQ(f.At(320, 200), kYellow);
  EXPECT_EQ(f.At(272, 142), kYellow);
  EXPECT_EQ(f.At(368, 258), kYellow);
  // Upper arms 20 high around y 240 out to x 430 (right) and 210 (left),
  // forearms from 420 to 470 and from 220 to 170.
  EXPECT_EQ(f.At(400, 240), kMagenta);
  EXPECT_EQ(f.At(240, 240), kMagenta);
  EXPECT_EQ(f.At(400, 248), kMagenta);
  EXPECT_EQ(f.At(400, 252), kBlack);
  EXPECT_EQ(f.At(460, 240), kBlue);
  EXPECT_EQ(f.At(180, 240), kBlue);
  EXPECT_EQ(f.At(468, 240), kBlue);
  EXPECT_EQ(f.At(472, 240), kBlack);
  EXPECT_EQ(f.At(460, 249), kBlack);  // forearms are 14 wide
  // Neck 313..327 from 255 to 275, head disc of radius 30 on (320, 300).
  EXPECT_EQ(f.At(320, 265), kMagenta);
  EXPECT_EQ(f.At(329, 265), kBlack);
  EXPECT_EQ(f.At(320, 300), kBlue);
  EXPECT_EQ(f.At(320, 328), kBlue);
  EXPECT_EQ(f.At(320, 332), kBlack);
  EXPECT_EQ(f.At(347, 300), kBlue);
  EXPECT_EQ(f.At(352, 300), kBlack);
  // Left thigh from (290, 150) towards the knee pivot (262.5, 102.37),
  // shin on towards (254.69, 58.05), foot pointing left; the right leg
  // mirrors it about x = 320.
  EXPECT_EQ(f.At(275, 124), kMagenta);
  EXPECT_EQ(f.At(365, 124), kMagenta);
  EXPECT_EQ(f.At(258, 78), kBlue);
  EXPECT_EQ(f.At(382, 78), kBlue);
  EXPECT_EQ(f.At(240, 61), kCyan);
  EXPECT_EQ(f.At(400, 61), kCyan);
  // Nothing between the legs or below the feet.
  EXPECT_EQ(f.At(320, 100), kBlack);
  EXPECT_EQ(f.At(320, 130), kBlack);
  EXPECT_EQ(f.At(255, 40), kBlack);
}

TEST_F(DancerFrames, LeavesTexturingOffTheColourBlueAndTheMatrixAsItWas) {
  ClearShowFrame();
  BeginScreenSpace();
  glTranslatef(3.0f, 4.0f, 0.0f);
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glEnable(GL_TEXTURE_2D);
  for (bool h_down : {false, true}) {
    DrawDancer(1234, 1, h_down);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]) << i;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
}

TEST_F(DancerFrames, PendantHangsFromTheTorsoOnlyWhileHIsDown) {
  Frame with = Render(0, 0, true);
  Frame without = Render(0, 0, false);
  // 14 wide, from y 145 down to 115.
  EXPECT_EQ(with.At(320, 130), kMagenta);
  EXPECT_EQ(with.At(320, 117), kMagenta);
  EXPECT_EQ(with.At(320, 112), kBlack);
  EXPECT_EQ(with.At(329, 130), kBlack);
  EXPECT_EQ(without.At(320, 130), kBlack);
}

// sin(0) = 0 scales the hanging figure to no width at all: every quad and
// the head collapse onto x = 320 and cover no pixel.
TEST_F(DancerFrames, HangingFigureCollapsesAtTimeZero) {
  EXPECT_EQ(Render(0, 1).CountOther(kBlack), 0);
  EXPECT_EQ(Render(0, 1, true).CountOther(kBlack), 0);
}

// Hanging: mirrored top to bottom about its root (320, 240) and turned by R.
TEST_F(DancerFrames, HangingFigureHeadsDownFromTheMiddle) {
  const int32_t t = 81855;
  const DancerPose p = DancerPoseAt(t);
  ASSERT_GT(std::abs(p.flip_scale), 0.5f);
  const double r = p.root * M_PI / 180.0;
  // A point at distance d along the figure's own (flipped) axis.
  auto along = [&](double d) {
    return std::pair<double, double>{320.0 + d * std::sin(r), 240.0 - d * std::cos(r)};
  };
  Frame f = Render(t, 1);
  auto torso = along(60), head = along(160), above = along(-40);
  EXPECT_EQ(f.At(torso.first, torso.second), kYellow);
  EXPECT_EQ(f.At(head.first, head.second), kBlue);
  EXPECT_NE(f.At(above.first, above.second), kYellow);
}

}  // namespace
}  // namespace zibo
