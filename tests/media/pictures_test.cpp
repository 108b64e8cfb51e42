// The generator's pictures, read back through the show's TGA reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "decoded_audio.h"
#include "pictures.h"
#include "textures/tga_reader.h"
#include "tga_writer.h"

namespace zibo::media::test {
namespace {

const char* const kPictures[] = {"bg.tga", "bg2.tga", "s1.tga", "s2.tga", "s3.tga",
                                 "s4.tga", "s5.tga", "s6.tga", "s7.tga"};

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes(in ? size_t(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
  return bytes;
}

TgaImage Load(const std::string& name) {
  TgaImage image;
  std::string error;
  EXPECT_TRUE(ReadTgaFile(GeneratedFile(name).c_str(), &image, &error)) << error;
  return image;
}

// The colour the show displays at a point of its 800x600 screen.
Rgb OnScreen(const TgaImage& image, float x, float y) {
  const uint8_t* p = image.pixel(int32_t(x * float(image.width) / 800.0f),
                                 int32_t(y * float(image.height) / 600.0f));
  return {p[0], p[1], p[2]};
}

TEST(GeneratedFiles, AreExactlyTheElevenTheShowReads) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ZIBO_GENERATED_MEDIA))
    names.insert(entry.path().filename().string());
  std::set<std::string> want = {"disco.mp3", "s.ogg"};
  want.insert(std::begin(kPictures), std::end(kPictures));
  EXPECT_EQ(names, want);
}

TEST(GeneratedPictures, AreUncompressed24BitTopLeftTgaWithPowerOfTwoSides) {
  for (const char* name : kPictures) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = FileBytes(GeneratedFile(name));
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[16], 24);
    EXPECT_EQ(bytes[17], 0x20);
    const int width = bytes[12] | bytes[13] << 8, height = bytes[14] | bytes[15] << 8;
    EXPECT_TRUE(width == 512 || width == 1024) << width;
    EXPECT_TRUE(height == 512 || height == 1024) << height;
    EXPECT_EQ(bytes.size(), 18u + size_t(width) * size_t(height) * 3);
  }
}

TEST(GeneratedPictures, CarSlideShowsSkyAboveRoadAndTheSunOnTheRight) {
  const TgaImage slide = Load("s4.tga");
  ASSERT_GT(slide.width, 0);
  // The sun's centre is yellow; the same place mirrored is blue sky.
  const Rgb sun = OnScreen(slide, 670, 110);
  EXPECT_GT(sun.r, 230);
  EXPECT_GT(sun.g, 200);
  EXPECT_LT(sun.b, 160);
  const Rgb sky = OnScreen(slide, 130, 110);
  EXPECT_GT(sky.b, 230);
  EXPECT_LT(sky.r, 180);
  // Grey road along the bottom edge, the car's red body in the middle.
  const Rgb road = OnScreen(slide, 400, 590);
  EXPECT_EQ(road, (Rgb{60, 60, 70}));
  const Rgb body = OnScreen(slide, 500, 345);
  EXPECT_GT(body.r, 200);
  EXPECT_LT(body.g, 60);
  EXPECT_LT(body.b, 60);
}

TEST(GeneratedPictures, TheTwoBackgroundsAreClearlyDifferent) {
  const TgaImage bg = Load("bg.tga"), bg2 = Load("bg2.tga");
  ASSERT_EQ(bg.byte_size(), bg2.byte_size());
  double difference = 0, bg_warmth = 0, bg2_warmth = 0;
  for (size_t i = 0; i < bg.byte_size(); i += 4) {
    for (int c = 0; c < 3; ++c) difference += std::abs(int(bg.rgba[i + c]) - int(bg2.rgba[i + c]));
    bg_warmth += int(bg.rgba[i]) - int(bg.rgba[i + 2]);
    bg2_warmth += int(bg2.rgba[i]) - int(bg2.rgba[i + 2]);
  }
  const double pixels = double(bg.byte_size() / 4);
  EXPECT_GT(difference / pixels / 3, 60.0) << "mean difference per channel";
  EXPECT_LT(bg_warmth / pixels, 0.0) << "bg.tga is the cool, blue-violet one";
  EXPECT_GT(bg2_warmth / pixels, 60.0) << "bg2.tga is the warm, orange one";
}

TEST(GeneratedPictures, AreTheSameEveryTime) {
  // Drawing the pictures again in this process gives the generator's bytes.
  for (const Picture& p : MakePictures(1024)) {
    SCOPED_TRACE(p.file_name);
    std::string error;
    EXPECT_TRUE(EncodeTga(p.image, &error) == FileBytes(GeneratedFile(p.file_name)));
  }
}

}  // namespace
}  // namespace zibo::media::test
