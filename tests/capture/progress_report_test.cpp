#include "progress_report.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

TEST(ProgressReport, FormatsDurations) {
  EXPECT_EQ(FormatDuration(0), "0:00");
  EXPECT_EQ(FormatDuration(65), "1:05");
  EXPECT_EQ(FormatDuration(3723), "1:02:03");
  EXPECT_EQ(FormatDuration(-4), "0:00");
}

TEST(ProgressReport, LineShowsBarCountAndTimeLeft) {
  EXPECT_EQ(ProgressLine(0, 100, 0.0, 10), "[----------]   0/100 frames  ETA -:--");
  EXPECT_EQ(ProgressLine(25, 100, 10.0, 10), "[##--------]  25/100 frames  ETA 0:30");
  EXPECT_EQ(ProgressLine(100, 100, 40.0, 10), "[##########] 100/100 frames  ETA 0:00");
  EXPECT_EQ(ProgressLine(150, 100, 40.0, 10), "[##########] 100/100 frames  ETA 0:00");
}

TEST(ProgressReport, SummaryGivesTheMultipleOfRealTime) {
  EXPECT_EQ(SummaryLine(7715, 128.58, 25.0),
            "7715 frames (128.6 s of show) in 25.0 s: 5.14x real time");
  EXPECT_EQ(SummaryLine(1, 0.5, 0.0), "1 frame (0.5 s of show) in 0.0 s: 0.00x real time");
}

TEST(ProgressReport, WritesOnlyTheSummaryWhenNotATerminal) {
  char buffer[512] = {};
  std::FILE* stream = fmemopen(buffer, sizeof buffer - 1, "w");
  ASSERT_NE(stream, nullptr);
  {
    ProgressReport report(10, 1.0, stream, /*live=*/false);
    for (int i = 1; i <= 10; ++i) report.Update(i);
    report.Finish(10);
  }
  std::fclose(stream);
  const std::string text = buffer;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.rfind("zibo-capture: 10 frames (1.0 s of show) in ", 0), 0u) << text;
  EXPECT_EQ(text.back(), '\n');
}

TEST(ProgressReport, RedrawsInPlaceOnATerminal) {
  char buffer[1024] = {};
  std::FILE* stream = fmemopen(buffer, sizeof buffer - 1, "w");
  ASSERT_NE(stream, nullptr);
  {
    ProgressReport report(4, 1.0, stream, /*live=*/true);
    report.Update(1);
    report.Update(4);  // the last frame is always drawn
    report.Finish(4);
  }
  std::fclose(stream);
  const std::string text = buffer;
  EXPECT_EQ(text.rfind("\r[", 0), 0u) << text;
  EXPECT_NE(text.find("4/4 frames"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\033[Kzibo-capture: 4 frames"), std::string::npos) << text;
}

}  // namespace
}  // namespace zibo
