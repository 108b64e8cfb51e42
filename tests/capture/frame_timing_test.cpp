#include "frame_timing.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

TEST(FrameTiming, SixtyFramesASecondRoundDown) {
  const FrameRate rate{60, 1};
  const int32_t expected[] = {0, 16, 33, 50, 66, 83, 100};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(FrameTimeMs(0, rate, i), expected[i]) << i;
  EXPECT_EQ(FrameTimeMs(1000, rate, 1), 1016);
  EXPECT_EQ(FrameTimeMs(0, rate, 7714), 128566);
}

TEST(FrameTiming, FractionalRatesDoNotDrift) {
  const FrameRate ntsc{60000, 1001};
  EXPECT_EQ(FrameTimeMs(0, ntsc, 1), 16);
  EXPECT_EQ(FrameTimeMs(0, ntsc, 60), 1001);
  EXPECT_EQ(FrameTimeMs(0, ntsc, 60000), 1001000);
  EXPECT_EQ(FrameTimeMs(0, FrameRate{1, 2}, 3), 6000);
}

TEST(FrameTiming, TheWholeShowAt60FpsHas7715Frames) {
  // Frames 0..7714 show 0..128566 ms; frame 7715 would be 128583.
  EXPECT_EQ(FrameCount(0, 128572, FrameRate{60, 1}), 7715);
}

TEST(FrameTiming, CountCoversExactlyTheTimesBeforeTheEnd) {
  const FrameRate rates[] = {{60, 1}, {25, 1}, {30000, 1001}, {60000, 1001}, {1000, 1},
                             {1, 1}, {7, 3}, {999999, 1000}};
  const int32_t ranges[][2] = {{0, 1}, {0, 17}, {5, 1000}, {1000, 2001}, {111000, 128572},
                               {0, 128572}};
  for (const FrameRate& rate : rates) {
    for (const auto& range : ranges) {
      const int64_t count = FrameCount(range[0], range[1], rate);
      ASSERT_GE(count, 1);
      EXPECT_LT(FrameTimeMs(range[0], rate, count - 1), range[1])
          << rate.num << "/" << rate.den << " " << range[0] << ".." << range[1];
      EXPECT_GE(FrameTimeMs(range[0], rate, count), range[1])
          << rate.num << "/" << rate.den << " " << range[0] << ".." << range[1];
    }
  }
}

TEST(FrameTiming, EmptyRangesHaveNoFrames) {
  EXPECT_EQ(FrameCount(100, 100, FrameRate{60, 1}), 0);
  EXPECT_EQ(FrameCount(100, 50, FrameRate{60, 1}), 0);
}

TEST(FrameTiming, ExtremeRatesStayExact) {
  const FrameRate slowest{1, kMaxFrameRateTerm};
  EXPECT_EQ(FrameCount(0, 128572, slowest), 1);
  const FrameRate fastest{kMaxFrameRateTerm, 1000};
  EXPECT_EQ(FrameCount(0, 128572, fastest), 128572);
  EXPECT_EQ(FrameTimeMs(0, fastest, 128571), 128571);
}

TEST(FrameTiming, ReducesAndConvertsToSeconds) {
  const FrameRate reduced = ReducedFrameRate(FrameRate{120000, 2002});
  EXPECT_EQ(reduced.num, 60000);
  EXPECT_EQ(reduced.den, 1001);
  EXPECT_DOUBLE_EQ(FramesToSeconds(60, FrameRate{60, 1}), 1.0);
  EXPECT_DOUBLE_EQ(FramesToSeconds(60000, FrameRate{60000, 1001}), 1001.0);
}

}  // namespace
}  // namespace zibo
