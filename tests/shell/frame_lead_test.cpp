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

}  // namespace
}  // namespace zibo
