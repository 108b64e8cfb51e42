#include "shell/frame_lead.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

// Frames every `every` seconds, each on the screen `draw` seconds after its start.
double Frames(FrameLead& lead, double from, int frames, double every, double draw) {
  for (int i = 0; i < frames; ++i, from += every) {
    lead.Started(from);
    lead.Shown(from + draw);
  }
  return from;
}

TEST(FrameLead, IsTheTimeToTheScreenAndHalfAFrameAndShrugsOffAStall) {
  FrameLead lead;
  EXPECT_EQ(lead.Ms(), 0);
  double now = Frames(lead, 100.0, 200, 0.010, 0.006);
  EXPECT_EQ(lead.Ms(), 11);
  // A vsynced 60 Hz screen: the swap returns at the refresh that shows the frame.
  now = Frames(lead, now, 200, 1 / 60.0, 1 / 60.0 - 0.001);
  EXPECT_EQ(lead.Ms(), 24);
  // One frame held up for 2 s moves the lead by a share of 50 ms at most.
  lead.Started(now);
  lead.Shown(now + 2.0);
  EXPECT_LE(lead.Ms(), 24 + 50 / 16 + 1);
  Frames(lead, now + 2.0, 200, 1 / 60.0, 1 / 60.0 - 0.001);
  EXPECT_EQ(lead.Ms(), 24);
}

// Frames drawn in 5 ms, held back 4 ms, swapped in 1 ms: the hold is
// neither time to the screen nor time the picture stays up.
TEST(FrameLead, LeavesOutTheTimeAFrameWasHeldBack) {
  FrameLead lead;
  for (double now = 100.0; now < 101.0; now += 0.010) {
    lead.Started(now);
    lead.Held(now + 0.005, now + 0.009);
    lead.Shown(now + 0.010);
  }
  EXPECT_EQ(lead.Ms(), 9);
  EXPECT_EQ(lead.ReachMs(), 12);
  EXPECT_EQ(lead.PresentMs(), 1);
}

}  // namespace
}  // namespace zibo
