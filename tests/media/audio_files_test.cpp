// The encoders of the generator: Ogg files that are the same on every run
// and decode again, and clear errors for paths that cannot be written.
#include "audio_files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace zibo::media {
namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes(in ? size_t(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
  return bytes;
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "/zibo-media-" + std::to_string(getpid()) + "-" + name;
}

TEST(OggWriter, SameSamplesGiveTheSameFileWhichDecodes) {
  std::vector<float> tone(22050);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5f * float(std::sin(2 * M_PI * 440.0 * double(i) / 44100.0));
  const std::string a = TempPath("a.ogg"), b = TempPath("b.ogg");
  std::string error;
  ASSERT_TRUE(WriteOggMono(a, tone, &error)) << error;
  ASSERT_TRUE(WriteOggMono(b, tone, &error)) << error;
  const std::vector<uint8_t> first = FileBytes(a);
  EXPECT_GT(first.size(), 100u);
  EXPECT_TRUE(first == FileBytes(b)) << "the stream serial should be fixed";

  // libogg checks every page's checksum, so a wrongly rewritten page would
  // be dropped and the sound would come back short.
  SF_INFO info{};
  SNDFILE* file = sf_open(a.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<float> back(30000);
  const sf_count_t got = sf_readf_float(file, back.data(), sf_count_t(back.size()));
  sf_close(file);
  EXPECT_EQ(got, 22050);
  EXPECT_EQ(info.channels, 1);
  EXPECT_NEAR(back[11025], tone[11025], 0.05f);
  std::remove(a.c_str());
  std::remove(b.c_str());
}

TEST(AudioWriters, NameThePathTheyCouldNotWrite) {
  std::string error;
  EXPECT_FALSE(WriteOggMono("/nonexistent-dir/s.ogg", std::vector<float>(100), &error));
  EXPECT_EQ(error.rfind("/nonexistent-dir/s.ogg: ", 0), 0u) << error;
  StereoMix mix(1000);
  EXPECT_FALSE(WriteMp3("/nonexistent-dir/disco.mp3", mix, &error));
  EXPECT_EQ(error.rfind("/nonexistent-dir/disco.mp3: ", 0), 0u) << error;
}

TEST(StereoMix, PansWithConstantPowerAndDropsFramesOutsideTheMix) {
  StereoMix mix(4);
  const float one[3] = {1, 1, 1};
  mix.AddMono(-1, one, 3, 1.0f, 0.0f);  // the first frame falls before the mix
  EXPECT_FLOAT_EQ(mix.left()[0], 1.0f);
  EXPECT_FLOAT_EQ(mix.right()[1], 1.0f);
  EXPECT_FLOAT_EQ(mix.left()[2], 0.0f);
  mix.AddMono(3, one, 3, 0.5f, -1.0f);  // only one frame fits; hard left
  EXPECT_NEAR(mix.left()[3], 0.5f * std::sqrt(2.0f), 1e-6);
  EXPECT_NEAR(mix.right()[3], 0.0f, 1e-6);
}

}  // namespace
}  // namespace zibo::media
