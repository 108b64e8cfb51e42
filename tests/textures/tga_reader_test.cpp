#include "textures/tga_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace zibo {
namespace {

std::vector<uint8_t> Header(int width, int height) {
  std::vector<uint8_t> h(kTgaHeaderSize, 0);
  h[2] = 2;  // uncompressed true colour
  h[12] = uint8_t(width & 0xFF);
  h[13] = uint8_t(width >> 8);
  h[14] = uint8_t(height & 0xFF);
  h[15] = uint8_t(height >> 8);
  h[16] = 24;
  return h;
}

TgaImage ParseOk(const std::vector<uint8_t>& bytes) {
  TgaImage image;
  std::string error;
  EXPECT_TRUE(ParseTga(bytes.data(), bytes.size(), &image, &error)) << error;
  return image;
}

std::vector<uint8_t> Px(const TgaImage& image, int x, int y) {
  const uint8_t* p = image.pixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

TEST(TgaReader, ConvertsPixelBytesToRedThirdSecondAndZeroAlpha) {
  auto bytes = Header(2, 1);
  bytes.insert(bytes.end(), {0x01, 0x02, 0x03, 0xFF, 0x00, 0x00});
  TgaImage image = ParseOk(bytes);
  EXPECT_EQ(Px(image, 0, 0), (std::vector<uint8_t>{0x01, 0x03, 0x02, 0x00}));
  // Blue in the usual blue-green-red order lands in red.
  EXPECT_EQ(Px(image, 1, 0), (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0x00}));
}

TEST(TgaReader, KeepsFileRowOrderAndReadsRowsLeftToRight) {
  auto bytes = Header(3, 2);
  for (uint8_t i = 0; i < 6; ++i) bytes.insert(bytes.end(), {uint8_t(10 * i + 1), 0, 0});
  TgaImage image = ParseOk(bytes);
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.pixel(0, 0)[0], 1);
  EXPECT_EQ(image.pixel(2, 0)[0], 21);
  EXPECT_EQ(image.pixel(0, 1)[0], 31);
  EXPECT_EQ(image.pixel(2, 1)[0], 51);
}

TEST(TgaReader, IgnoresEverythingInTheHeaderButTheSize) {
  auto plain = Header(2, 2);
  plain.insert(plain.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  auto odd = plain;
  odd[0] = 5;     // image-ID length
  odd[1] = 1;     // colour map present
  odd[2] = 10;    // run-length compressed
  odd[16] = 32;   // 32 bits per pixel
  odd[17] = 0x20; // top-left origin bit
  TgaImage a = ParseOk(plain);
  TgaImage b = ParseOk(odd);
  ASSERT_EQ(a.byte_size(), b.byte_size());
  EXPECT_EQ(0, std::memcmp(a.rgba.get(), b.rgba.get(), a.byte_size()));
}

TEST(TgaReader, MissingPixelsOfAShortFileAreBlackAndTransparent) {
  auto bytes = Header(2, 2);
  bytes.insert(bytes.end(), {9, 8, 7, 6, 5});  // one pixel and two bytes of the next
  TgaImage image = ParseOk(bytes);
  EXPECT_EQ(Px(image, 0, 0), (std::vector<uint8_t>{9, 7, 8, 0}));
  EXPECT_EQ(Px(image, 1, 0), (std::vector<uint8_t>{6, 0, 5, 0}));
  EXPECT_EQ(Px(image, 0, 1), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Px(image, 1, 1), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(TgaReader, HeaderOnlyAndZeroSizes) {
  TgaImage image = ParseOk(Header(4, 4));
  EXPECT_EQ(Px(image, 3, 3), (std::vector<uint8_t>{0, 0, 0, 0}));
  TgaImage empty = ParseOk(Header(0, 7));
  EXPECT_EQ(empty.byte_size(), 0u);
  TgaImage empty2 = ParseOk(Header(7, 0));
  EXPECT_EQ(empty2.byte_size(), 0u);
}

TEST(TgaReader, RejectsDataShorterThanTheHeader) {
  auto bytes = Header(1, 1);
  TgaImage image;
  std::string error;
  EXPECT_FALSE(ParseTga(bytes.data(), 17, &image, &error));
  EXPECT_NE(error.find("18-byte header"), std::string::npos);
  EXPECT_FALSE(ParseTga(bytes.data(), 0, &image, &error));
}

TEST(TgaReader, RejectsSizesWhoseBufferDoesNotFitIn32Bits) {
  TgaImage image;
  std::string error;
  auto huge = Header(65535, 65535);
  EXPECT_FALSE(ParseTga(huge.data(), huge.size(), &image, &error));
  EXPECT_NE(error.find("too large"), std::string::npos);
  // 32768 * 32768 * 4 is exactly 2^32: one byte too many.
  auto edge = Header(32768, 32768);
  EXPECT_FALSE(ParseTga(edge.data(), edge.size(), &image, &error));
}

class TgaFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/zibo-tga-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = dir_ + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (!f) return path;
    if (!bytes.empty()) {
      EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
    return path;
  }
  std::string dir_;
};

TEST_F(TgaFile, ReadsAWholeFileAndIgnoresTrailingBytes) {
  auto bytes = Header(1, 2);
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6, 99, 99, 99});
  TgaImage image;
  std::string error;
  ASSERT_TRUE(ReadTgaFile(Write("a.tga", bytes).c_str(), &image, &error)) << error;
  EXPECT_EQ(Px(image, 0, 1), (std::vector<uint8_t>{4, 6, 5, 0}));
}

TEST_F(TgaFile, ReadsAShortFileWithZerosPastItsEnd) {
  auto bytes = Header(300, 200);
  for (int i = 0; i < 301 * 3 + 1; ++i) bytes.push_back(uint8_t(i % 251 + 1));
  TgaImage image;
  std::string error;
  ASSERT_TRUE(ReadTgaFile(Write("short.tga", bytes).c_str(), &image, &error)) << error;
  ASSERT_EQ(image.byte_size(), 300u * 200u * 4u);
  EXPECT_EQ(Px(image, 0, 1), (std::vector<uint8_t>{uint8_t(900 % 251 + 1), uint8_t(902 % 251 + 1),
                                                   uint8_t(901 % 251 + 1), 0}));
  EXPECT_EQ(Px(image, 1, 1), (std::vector<uint8_t>{uint8_t(903 % 251 + 1), 0, 0, 0}));
  EXPECT_EQ(Px(image, 2, 1), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Px(image, 299, 199), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(TgaFile, NamesTheFileAndTheReason) {
  TgaImage image;
  std::string error;
  std::string missing = dir_ + "/bg.tga";
  EXPECT_FALSE(ReadTgaFile(missing.c_str(), &image, &error));
  EXPECT_EQ(error, missing + ": No such file or directory");

  EXPECT_FALSE(ReadTgaFile(dir_.c_str(), &image, &error));
  EXPECT_EQ(error, dir_ + ": Is a directory");

  // A header promising more than memory can hold is refused without
  // reading on.
  std::string huge = Write("huge.tga", Header(65535, 65535));
  EXPECT_FALSE(ReadTgaFile(huge.c_str(), &image, &error));
  EXPECT_EQ(error.rfind(huge + ": image too large", 0), 0u) << error;

  std::string empty = Write("e.tga", {});
  EXPECT_FALSE(ReadTgaFile(empty.c_str(), &image, &error));
  EXPECT_EQ(error, empty + ": file is shorter than its 18-byte header");
}

}  // namespace
}  // namespace zibo
