// The numbers behind the pictures, checked without a GL context.
#include <gtest/gtest.h>

#include <cmath>

#include "scenes/dancer.h"
#include "scenes/primitives.h"
#include "scenes/scene_schedule.h"
#include "scenes/shared_picture.h"

namespace zibo {
namespace {

// Single-precision sines, each angle rounded once from the double
// expression (float arithmetic would give a left knee of 0.13333893 at 1 s).
TEST(DancerPose, AnglesAtKnownTimes) {
  // Angles: root, arm, forearm, hips, knees, ankles (left, right), neck, flip.
  const struct { int32_t t; float angles[11]; } cases[] = {
      {0, {0, 0, 0, -30, 30, 20, -20, -90, 90, 0, 0}},
      {1000, {-9.589243f, -10.880423f, -3.3160946f, -7.2711487f, 7.2711487f, 0.13333797f, -39.866661f,
              -99.933334f, 80.066666f, -22.728851f, -0.5440211f}}};
  for (const auto& c : cases) {
    const DancerPose p = DancerPoseAt(c.t);
    const float got[] = {p.root, p.arm, p.forearm, p.left_hip, p.right_hip, p.left_knee,
                         p.right_knee, p.left_ankle, p.right_ankle, p.neck, p.flip_scale};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(got[i], c.angles[i]) << c.t << " angle " << i;
  }
  // The flip scale moves within every 100 ms, not in steps.
  EXPECT_EQ(DancerPoseAt(81501).flip_scale, float(std::sin(815.01)));
}

TEST(NoiseOffsets, FollowThePhaseModulo303) {
  const struct { int32_t phase; float u, v; } cases[] = {
      {0, 0, 0}, {303 * 7, 0, 0}, {1, 0.3699951171875f, 0.3800048828125f},
      {304, 0.3699951171875f, 0.3800048828125f}, {302, 0.7421875f, 0.765625f},
      {1000, 0.669921875f, 0.578125f}, {-1, -0.3699951171875f, -0.3800048828125f}};
  for (const auto& c : cases) {
    EXPECT_EQ(NoiseOffsetsForPhase(c.phase).u, c.u) << c.phase;
    EXPECT_EQ(NoiseOffsetsForPhase(c.phase).v, c.v) << c.phase;
  }
}

// Each row's first and last whole millisecond, and its neighbours.
TEST(SceneSchedule, RowsCoverTheirWholeMilliseconds) {
  const int32_t first_ms[] = {1,     17143, 21429, 30001, 38572,  47143, 55715,
                              72858, 81429, 90001, 94286, 111429, 128572};
  for (int row = 1; row <= 12; ++row) {
    const int32_t first = first_ms[row - 1], last = first_ms[row] - 1;
    EXPECT_EQ(SceneRowAt(first), row) << first;
    EXPECT_EQ(SceneRowAt(last), row) << last;
    EXPECT_EQ(SceneRowAt(first - 1), row - 1) << first;
  }
  for (int32_t t : {0, -1071, INT32_MIN, 128572, INT32_MAX}) EXPECT_EQ(SceneRowAt(t), 0) << t;
  EXPECT_FALSE(IsPastShowEnd(128571));
  EXPECT_TRUE(IsPastShowEnd(128572));
  EXPECT_FALSE(IsPastShowEnd(-5));
}

TEST(LoadingBar, FillsInSixteenthsOnTheBeatThenEmptiesSmoothly) {
  const int32_t starts[] = {1072, 2143,  3215,  4286,  5358,  6429,  7501, 8572,
                            9643, 10715, 11786, 12858, 13929, 15001, 16072};
  EXPECT_EQ(LoadingBarFill(1071), 0.0f);
  for (int k = 1; k <= 15; ++k) {
    EXPECT_EQ(LoadingBarStep(starts[k - 1] - 1), k - 1) << k;
    EXPECT_EQ(LoadingBarFill(starts[k - 1]), k * 0.0625f) << k;
  }
  EXPECT_EQ(LoadingBarStep(17142), 15);  // never full within the row
  EXPECT_NEAR(EmptyingBarFill(17143), 0.99997f, 0.000005f);
  EXPECT_NEAR(EmptyingBarFill(21428), 0.00013f, 0.000005f);
}

// A still picture's next change within a horizon; moving pictures have none.
TEST(NextPictureChange, FindsTheFirstDifferentPictureWithinTheHorizon) {
  EXPECT_EQ(NextPictureChange(0, 5), 1);          // nothing drawn, then the bar
  EXPECT_EQ(NextPictureChange(1060, 20), 1072);   // the bar's next step
  EXPECT_EQ(NextPictureChange(55700, 20), 55715);  // a slide, then the dancer
  EXPECT_EQ(NextPictureChange(60000, 50), -1);    // the dancer moves
  EXPECT_EQ(NextPictureChange(111500, 50), 111550);  // the strobe: inverted, then not
  EXPECT_EQ(NextPictureChange(111500, 49), -1);
  EXPECT_EQ(NextPictureChange(111549, 1), 111550);
  EXPECT_EQ(NextPictureChange(111550, 0), -1);
  EXPECT_EQ(NextPictureChange(128560, 20), 128572);  // the end: nothing drawn
  EXPECT_EQ(NextPictureChange(INT32_MAX - 3, 10), -1);
}

}  // namespace
}  // namespace zibo
