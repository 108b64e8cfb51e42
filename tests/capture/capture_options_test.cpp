#include "capture_options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zibo {
namespace {

struct Parsed {
  ParseOutcome outcome;
  CaptureOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zibo-capture");
  Parsed parsed;
  parsed.outcome = ParseCaptureOptions(int(args.size()), args.data(), &parsed.options,
                                       &parsed.error);
  return parsed;
}

TEST(CaptureOptions, DefaultsCaptureTheWholeShowAt60Fps) {
  const Parsed parsed = Parse({"--out", "show.y4m"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
  const CaptureOptions& o = parsed.options;
  EXPECT_FALSE(o.single_frame);
  EXPECT_EQ(o.fps.num, 60);
  EXPECT_EQ(o.fps.den, 1);
  EXPECT_EQ(o.from_ms, 0);
  EXPECT_EQ(o.to_ms, 128572);
  EXPECT_EQ(o.format, OutputFormat::kY4m);
  EXPECT_EQ(o.media_dir, ".");
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_FALSE(o.hold_h);
  EXPECT_FALSE(o.hold_space);
}

TEST(CaptureOptions, ReadsEveryOptionInBothSpellings) {
  const Parsed parsed = Parse({"--fps=60000/1001", "--from", "1000", "--to=2000", "--out",
                               "clip.MKV", "--media", "assets", "--size", "320x240", "--hold",
                               "Space,h", "--preset", "slow", "--crf=51"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
  const CaptureOptions& o = parsed.options;
  EXPECT_EQ(o.fps.num, 60000);
  EXPECT_EQ(o.fps.den, 1001);
  EXPECT_EQ(o.from_ms, 1000);
  EXPECT_EQ(o.to_ms, 2000);
  EXPECT_EQ(o.format, OutputFormat::kVideo);
  EXPECT_EQ(o.media_dir, "assets");
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 240);
  EXPECT_TRUE(o.hold_h);
  EXPECT_TRUE(o.hold_space);
  EXPECT_EQ(o.preset, "slow");
  EXPECT_EQ(o.crf, 51);
}

TEST(CaptureOptions, FrameRatesAreReducedFractions) {
  Parsed parsed = Parse({"--fps", "120/4", "--out", "a.y4m"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
  EXPECT_EQ(parsed.options.fps.num, 30);
  EXPECT_EQ(parsed.options.fps.den, 1);
  parsed = Parse({"--fps", "1000", "--out", "a.y4m"});
  EXPECT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
  parsed = Parse({"--fps", "1/2", "--out", "a.y4m"});
  EXPECT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
}

TEST(CaptureOptions, TheEndingOfOutPicksTheFormat) {
  EXPECT_EQ(Parse({"--at", "5", "--out", "f.png"}).options.format, OutputFormat::kPng);
  EXPECT_EQ(Parse({"--out", "frames/"}).options.format, OutputFormat::kPngFolder);
  EXPECT_EQ(Parse({"--out", "v.y4m"}).options.format, OutputFormat::kY4m);
  EXPECT_EQ(Parse({"--out", "v.mp4"}).options.format, OutputFormat::kVideo);
  EXPECT_EQ(Parse({"--out", "v.mkv"}).options.format, OutputFormat::kVideo);
}

TEST(CaptureOptions, OneFrameTakesAnyTimeIncludingNegative) {
  Parsed parsed = Parse({"--at", "-20", "--out", "f.png", "--size", "101x77"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
  EXPECT_TRUE(parsed.options.single_frame);
  EXPECT_EQ(parsed.options.at_ms, -20);
  EXPECT_EQ(parsed.options.width, 101);  // odd sides are fine for a PNG
  parsed = Parse({"--at", "2147483647", "--out", "f.png"});
  EXPECT_EQ(parsed.outcome, ParseOutcome::kRun) << parsed.error;
}

TEST(CaptureOptions, HelpWins) {
  EXPECT_EQ(Parse({"--help"}).outcome, ParseOutcome::kHelp);
  EXPECT_EQ(Parse({"--out", "a.y4m", "-h"}).outcome, ParseOutcome::kHelp);
}

TEST(CaptureOptions, RejectsBadArguments) {
  const std::vector<std::vector<const char*>> cases = {
      {},
      {"--fps", "60"},                                  // no --out
      {"--out"},                                        // value missing
      {"--out", "a.y4m", "extra"},
      {"--frobnicate", "1", "--out", "a.y4m"},
      {"--out", "a.y4m", "--out", "b.y4m"},             // twice
      {"--out", "a.avi"},
      {"--out", "a"},
      {"--out", ""},
      {"--fps", "0", "--out", "a.y4m"},
      {"--fps", "-60", "--out", "a.y4m"},
      {"--fps", "60/0", "--out", "a.y4m"},
      {"--fps", "1001/1", "--out", "a.y4m"},            // more than one frame a ms
      {"--fps", "60.5", "--out", "a.y4m"},
      {"--fps", "60/", "--out", "a.y4m"},
      {"--fps", "/1", "--out", "a.y4m"},
      {"--fps", "60/1/1", "--out", "a.y4m"},
      {"--fps", "99999999999999999999", "--out", "a.y4m"},
      {"--from", "-1", "--out", "a.y4m"},
      {"--from", "128572", "--out", "a.y4m"},
      {"--to", "128573", "--out", "a.y4m"},
      {"--to", "0", "--out", "a.y4m"},
      {"--from", "5000", "--to", "5000", "--out", "a.y4m"},
      {"--from", "6000", "--to", "5000", "--out", "a.y4m"},
      {"--from", "12ms", "--out", "a.y4m"},
      {"--from", " 12", "--out", "a.y4m"},
      {"--at", "5", "--out", "a.y4m"},                  // one frame is a PNG
      {"--at", "5", "--from", "0", "--out", "a.png"},
      {"--at", "5", "--fps", "30", "--out", "a.png"},
      {"--at", "x", "--out", "a.png"},
      {"--at", "2147483648", "--out", "a.png"},
      {"--out", "a.png"},                               // a PNG needs --at
      {"--size", "800", "--out", "a.y4m"},
      {"--size", "0x600", "--out", "a.y4m"},
      {"--size", "800x", "--out", "a.y4m"},
      {"--size", "8194x600", "--out", "a.y4m"},
      {"--size", "801x600", "--out", "a.y4m"},          // 4:2:0 needs even sides
      {"--size", "800x601", "--out", "a.mp4"},
      {"--crf", "52", "--out", "a.mp4"},
      {"--crf", "-1", "--out", "a.mp4"},
      {"--preset", "fastest", "--out", "a.mp4"},
      {"--crf", "18", "--out", "a.y4m"},                // H.264 settings need a video
      {"--hold", "", "--out", "a.y4m"},
      {"--hold", "h,", "--out", "a.y4m"},
      {"--hold", "shift", "--out", "a.y4m"},
      {"--media", "", "--out", "a.y4m"},
      {"--help=yes"},
  };
  for (const auto& args : cases) {
    const Parsed parsed = Parse(args);
    std::string joined;
    for (const char* arg : args) joined += std::string(arg) + " ";
    EXPECT_EQ(parsed.outcome, ParseOutcome::kError) << "accepted: " << joined;
    EXPECT_FALSE(parsed.error.empty()) << joined;
  }
}

TEST(CaptureOptions, ErrorsSayWhatWasWrong) {
  EXPECT_NE(Parse({"--fps", "0", "--out", "a.y4m"}).error.find("--fps"), std::string::npos);
  EXPECT_NE(Parse({"--frobnicate", "--out", "a.y4m"}).error.find("--frobnicate"),
            std::string::npos);
  EXPECT_NE(Parse({"--fps", "60"}).error.find("--out"), std::string::npos);
}

}  // namespace
}  // namespace zibo
