// The numbers behind the pictures, checked without a GL context.
#include <cmath>

#include <gtest/gtest.h>

#include "scenes/dancer.h"
#include "scenes/primitives.h"
#include "scenes/scene_schedule.h"

namespace zibo {
namespace {

TEST(DancerPose, AtTimeZeroOnlyTheFixedOffsetsRemain) {
  const DancerPose p = DancerPoseAt(0);
  EXPECT_EQ(p.root, 0.0f);
  EXPECT_EQ(p.arm, 0.0f);
  EXPECT_EQ(p.forearm, 0.0f);
  EXPECT_EQ(p.left_hip, -30.0f);
  EXPECT_EQ(p.right_hip, 30.0f);
  EXPECT_EQ(p.left_knee, 20.0f);
  EXPECT_EQ(p.right_knee, -20.0f);
  EXPECT_EQ(p.left_ankle, -90.0f);
  EXPECT_EQ(p.right_ankle, 90.0f);
  EXPECT_EQ(p.neck, 0.0f);
  EXPECT_EQ(p.flip_scale, 0.0f);
}

// Single-precision sines, each angle rounded once from the double
// expression: the left knee tells this apart from float arithmetic
// (which would give 0.13333893).
TEST(DancerPose, AtOneSecondMatchesTheSinglePrecisionAngles) {
  const DancerPose p = DancerPoseAt(1000);
  EXPECT_EQ(p.root, -9.589243f);
  EXPECT_EQ(p.arm, -10.880423f);
  EXPECT_EQ(p.forearm, -3.3160946f);
  EXPECT_EQ(p.left_hip, -7.2711487f);
  EXPECT_EQ(p.right_hip, 7.2711487f);
  EXPECT_EQ(p.left_knee, 0.13333797f);
  EXPECT_EQ(p.right_knee, -39.866661f);
  EXPECT_EQ(p.left_ankle, -99.933334f);
  EXPECT_EQ(p.right_ankle, 80.066666f);
  EXPECT_EQ(p.neck, -22.728851f);
  EXPECT_EQ(p.flip_scale, -0.5440211f);
}

TEST(DancerPose, LegsMirrorEachOtherAndTheFlipScaleUsesTheExactTime) {
  for (int32_t t : {1, 77, 55715, 72857, 81429, 90000, -1234}) {
    const DancerPose p = DancerPoseAt(t);
    EXPECT_EQ(p.left_hip, -p.right_hip) << t;
    EXPECT_EQ(p.flip_scale, float(std::sin(t / 100.0))) << t;
  }
  // The flip scale moves within every 100 ms, not in steps.
  EXPECT_NE(DancerPoseAt(81500).flip_scale, DancerPoseAt(81501).flip_scale);
}

TEST(NoiseOffsets, FollowThePhaseModulo303) {
  struct Case {
    int32_t phase;
    float u, v;
  };
  const Case cases[] = {
      {0, 0.0f, 0.0f},
      {303, 0.0f, 0.0f},
      {303 * 7, 0.0f, 0.0f},
      {1, 0.3699951171875f, 0.3800048828125f},
      {304, 0.3699951171875f, 0.3800048828125f},
      {302, 0.7421875f, 0.765625f},
      {1000, 0.669921875f, 0.578125f},
      {-1, -0.3699951171875f, -0.3800048828125f},
      {-303, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    const NoiseOffsets o = NoiseOffsetsForPhase(c.phase);
    EXPECT_EQ(o.u, c.u) << c.phase;
    EXPECT_EQ(o.v, c.v) << c.phase;
  }
  // The largest phase the noise scene passes (8 x 111428) stays in range.
  const NoiseOffsets last = NoiseOffsetsForPhase(8 * 111428);
  EXPECT_GE(last.u, 0.0f);
  EXPECT_LT(last.u, 1.0f);
}

TEST(ProgressBar, FillEndIsRoundedOnceFromDouble) {
  EXPECT_EQ(ProgressBarFillEnd(0.0f), 50.0f);
  EXPECT_EQ(ProgressBarFillEnd(0.3f), 212.0f);
  EXPECT_EQ(ProgressBarFillEnd(0.0625f), 83.75f);
  EXPECT_EQ(ProgressBarFillEnd(0.9375f), 556.25f);
  EXPECT_EQ(ProgressBarFillEnd(1.0f), 590.0f);
  // Not clamped either way.
  EXPECT_EQ(ProgressBarFillEnd(1.5f), 860.0f);
  EXPECT_EQ(ProgressBarFillEnd(-0.25f), -85.0f);
}

// The first and last whole millisecond of every row.
TEST(SceneSchedule, RowsCoverTheirWholeMilliseconds) {
  const int32_t first_ms[] = {1,     17143, 21429, 30001, 38572,  47143,
                              55715, 72858, 81429, 90001, 94286, 111429};
  const int32_t last_ms[] = {17142, 21428, 30000, 38571, 47142,  55714,
                             72857, 81428, 90000, 94285, 111428, 128571};
  for (int row = 1; row <= 12; ++row) {
    EXPECT_EQ(SceneRowAt(first_ms[row - 1]), row) << first_ms[row - 1];
    EXPECT_EQ(SceneRowAt(last_ms[row - 1]), row) << last_ms[row - 1];
    EXPECT_EQ(SceneRowAt(first_ms[row - 1] - 1), row - 1) << first_ms[row - 1] - 1;
    EXPECT_EQ(SceneRowAt(last_ms[row - 1] + 1), row == 12 ? 0 : row + 1) << last_ms[row - 1] + 1;
  }
}

TEST(SceneSchedule, NothingAtOrBeforeZeroOrAfterTheEnd) {
  for (int32_t t : {0, -1, -1071, INT32_MIN, 128572, 200000, INT32_MAX}) {
    EXPECT_EQ(SceneRowAt(t), 0) << t;
  }
  EXPECT_FALSE(IsPastShowEnd(128571));
  EXPECT_TRUE(IsPastShowEnd(128572));
  EXPECT_FALSE(IsPastShowEnd(0));
  EXPECT_FALSE(IsPastShowEnd(-5));
  EXPECT_TRUE(IsPastShowEnd(INT32_MAX));
  EXPECT_EQ(kShowEndMs, 128571.4296875f);
}

TEST(LoadingBar, StepsBeginOnTheirBeats) {
  const int32_t starts[] = {1072, 2143,  3215,  4286,  5358,  6429,  7501, 8572,
                            9643, 10715, 11786, 12858, 13929, 15001, 16072};
  EXPECT_EQ(LoadingBarStep(1), 0);
  EXPECT_EQ(LoadingBarFill(1071), 0.0f);
  for (int k = 1; k <= 15; ++k) {
    EXPECT_EQ(LoadingBarStep(starts[k - 1]), k) << starts[k - 1];
    EXPECT_EQ(LoadingBarStep(starts[k - 1] - 1), k - 1) << starts[k - 1] - 1;
    EXPECT_EQ(LoadingBarFill(starts[k - 1]), k * 0.0625f);
  }
  EXPECT_EQ(LoadingBarStep(17142), 15);  // never full within the row
}

TEST(LoadingBar, EmptiesSmoothlyOverTenBeats) {
  EXPECT_NEAR(EmptyingBarFill(17143), 0.99997f, 0.000005f);
  EXPECT_NEAR(EmptyingBarFill(21428), 0.00013f, 0.000005f);
  EXPECT_GT(EmptyingBarFill(17143), EmptyingBarFill(17144));
  EXPECT_EQ(EmptyingBarFill(17143),
            float(1.0 - (17143.0 - 17142.857421875) / 4285.71435546875));
}

}  // namespace
}  // namespace zibo
