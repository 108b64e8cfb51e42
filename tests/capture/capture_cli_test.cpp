// zibo-capture as a user runs it: exit statuses and messages, the files it
// writes, and the video ffmpeg makes from them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture_test_support.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CaptureCli, BadArgumentsPrintTheUsageAndExit2) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--out", "x.avi"},
      {"--fps", "0", "--out", "x.y4m"},
      {"--at", "soon", "--out", "x.png"},
      {"--at", "5", "--out", "x.y4m"},
      {"--out", "x.png"},
      {"--from", "9000", "--to", "8000", "--out", "x.y4m"},
      {"--size", "799x600", "--out", "x.mp4"},
      {"--hold", "q", "--out", "x.y4m"},
      {"--verbose", "--out", "x.y4m"},
  };
  for (const auto& args : cases) {
    const RunResult run = RunCapture(args);
    std::string joined;
    for (const std::string& arg : args) joined += arg + " ";
    EXPECT_EQ(run.status, 2) << joined << "\n" << run.err;
    EXPECT_TRUE(Contains(run.err, "usage: zibo-capture")) << joined << "\n" << run.err;
  }
}

TEST(CaptureCli, HelpSucceeds) {
  const RunResult run = RunCapture({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

TEST(CaptureCli, MissingMediaFailsWithTheFileNamed) {
  TempDir empty;
  RunResult run = RunCapture({"--at", "1000", "--out", empty.File("x.png"), "--media", empty.path()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "disco.mp3")) << run.err;

  // With the music but no pictures, the first picture is missed.
  TempDir music_only;
  ASSERT_EQ(symlink((MediaDir() + "/disco.mp3").c_str(), music_only.File("disco.mp3").c_str()), 0);
  run = RunCapture({"--at", "1000", "--out", music_only.File("x.png"), "--media",
                    music_only.path()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "bg.tga: No such file or directory")) << run.err;
  struct stat info;
  EXPECT_NE(stat(music_only.File("x.png").c_str(), &info), 0);
}

TEST(CaptureCli, NoGlFailsSayingSo) {
  TempDir temp;
  const RunResult run = RunCapture({"--at", "1000", "--out", temp.File("x.png"), "--media", MediaDir()},
                                   {"SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "zibo-capture: offscreen GL")) << run.err;
}

TEST(CaptureCli, UndecodableMusicFails) {
  TempDir dir;
  const std::string command = "printf 'not music at all' > '" + dir.File("disco.mp3") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const RunResult run = RunCapture({"--at", "1000", "--out", dir.File("x.png"), "--media", dir.path()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "disco.mp3")) << run.err;
}

TEST(CaptureCli, UnwritableOutputFails) {
  const RunResult run = RunCapture({"--from", "1000", "--to", "1100", "--size", "32x24", "--out",
                                    "/nonexistent-folder/x.y4m", "--media", MediaDir()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "/nonexistent-folder/x.y4m: No such file or directory"))
      << run.err;
}

TEST(CaptureCli, TwoCapturesOfARangeAreByteForByteEqual) {
  TempDir temp;
  // The end of the noise scene into the strobe, 24 frames at 60 fps.
  const std::vector<std::string> range = {"--from", "111050", "--to", "111450", "--size",
                                          "160x120", "--media", MediaDir()};
  std::vector<std::vector<uint8_t>> outputs;
  for (const char* name : {"a.y4m", "b.y4m"}) {
    std::vector<std::string> args = range;
    args.insert(args.end(), {"--out", temp.File(name)});
    const RunResult run = RunCapture(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "zibo-capture: 24 frames (0.4 s of show) in ")) << run.err;
    outputs.push_back(ReadFileBytes(temp.File(name)));
  }
  const std::string header = Y4mStreamHeader(160, 120, FrameRate{60, 1});
  EXPECT_EQ(outputs[0].size(), header.size() + 24 * (6 + 160 * 120 * 3 / 2));
  EXPECT_EQ(std::string(outputs[0].begin(), outputs[0].begin() + header.size()), header);
  EXPECT_TRUE(outputs[0] == outputs[1]);
}

TEST(CaptureCli, AFolderGetsNumberedPictures) {
  TempDir temp;
  const std::string folder = temp.File("frames") + "/";
  // 4 fps from 21300 ms: the emptying bar at 21300, slide s1 at 21550.
  const RunResult run = RunCapture({"--fps", "4", "--from", "21300", "--to", "21800", "--size",
                                    "64x48", "--out", folder, "--media", MediaDir()});
  ASSERT_EQ(run.status, 0) << run.err;
  int width = 0, height = 0;
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(ReadPngRgb(folder + "000000.png", &width, &height, &first));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  ASSERT_TRUE(ReadPngRgb(folder + "000001.png", &width, &height, &second));
  EXPECT_FALSE(first == second);
  struct stat info;
  EXPECT_NE(stat((folder + "000002.png").c_str(), &info), 0);
}

// The value of `key` ("streams.stream.0.codec_name") in ffprobe's flat output.
std::string FlatValue(const std::string& flat, const std::string& key) {
  const size_t at = flat.find(key + "=");
  if (at == std::string::npos) return "";
  size_t start = at + key.size() + 1;
  size_t end = flat.find('\n', start);
  std::string value = flat.substr(start, end - start);
  if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

TEST(CaptureCli, Mp4HasH264VideoAndAacMusicOfTheRightLength) {
  TempDir temp;
  const std::string mp4 = temp.File("clip.mp4");
  // One second at 60 fps across the noise scene's end into the strobe.
  const RunResult run = RunCapture({"--from", "111000", "--to", "112000", "--size", "160x120",
                                    "--out", mp4, "--media", MediaDir()});
  ASSERT_EQ(run.status, 0) << run.err;
  int status = 0;
  const std::string flat = CommandOutput(
      "ffprobe -v error -count_frames -show_entries "
      "stream=index,codec_type,codec_name,nb_read_frames,duration,width,height -of flat '" +
          mp4 + "'",
      &status);
  ASSERT_EQ(status, 0) << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.0.codec_type"), "video") << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.0.codec_name"), "h264") << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.0.nb_read_frames"), "60") << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.0.width"), "160") << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.1.codec_type"), "audio") << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.1.codec_name"), "aac") << flat;
  EXPECT_NEAR(std::atof(FlatValue(flat, "streams.stream.1.duration").c_str()), 1.0, 0.05) << flat;
  EXPECT_EQ(FlatValue(flat, "streams.stream.2.codec_type"), "") << flat;
}

TEST(CaptureCli, VideoWithoutFfmpegOnThePathFailsNamingIt) {
  TempDir empty;
  const RunResult run = RunCapture({"--from", "0", "--to", "100", "--out", empty.File("x.mp4"),
                                    "--media", MediaDir()},
                                   {"PATH=" + empty.path()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "ffmpeg")) << run.err;
  struct stat info;
  EXPECT_NE(stat(empty.File("x.mp4").c_str(), &info), 0);
}

}  // namespace
}  // namespace zibo
