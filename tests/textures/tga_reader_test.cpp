// The TGA reader over bytes: pixel byte order, row order, short files and
// the size limit; and over files, which read as their bytes parse.
#include "textures/tga_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/tga_file.h"

namespace zibo {
namespace {

using testing::TgaBytes;

std::vector<int> Px(const TgaImage& image, int x, int y) {
  const uint8_t* p = image.pixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

bool Parse(const std::string& bytes, TgaImage* image, std::string* error) {
  return ParseTga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error);
}

// Stored b1 b2 b3 becomes (b1, b3, b2, 0); rows keep file order; every
// header field but the size is ignored.
TEST(TgaReader, PixelsKeepFileOrderWithTheLastTwoBytesSwapped) {
  testing::TgaHeader odd{3, 2, 5, 1, 10, 32, 0x20};
  for (const std::string& header : {testing::TgaHeader{3, 2}.Bytes(), odd.Bytes()}) {
    TgaImage image;
    std::string error;
    ASSERT_TRUE(Parse(header + testing::AsymmetricPixels(3, 2) + "trailing", &image, &error));
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(Px(image, x, y), (std::vector<int>{1 + x, 200 + x + y, 100 + y, 0})) << x << y;
      }
    }
  }
}

// A file, whole, with trailing bytes or cut short, gives the image its bytes
// parse to; a failure names the file.
TEST(TgaReader, AFileReadsAsItsBytesParse) {
  testing::TempDir dir;
  const std::string whole = TgaBytes(3, 2, testing::AsymmetricPixels(3, 2)), path = dir.Path("a.tga");
  TgaImage read, parsed;
  std::string error;
  for (const std::string& bytes : {whole, whole + "trailing", whole.substr(0, 30)}) {
    ASSERT_TRUE(testing::WriteFileBytes(path, bytes) && Parse(bytes, &parsed, &error));
    ASSERT_TRUE(ReadTgaFile(path.c_str(), &read, &error)) << error;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Px(read, i % 3, i / 3), Px(parsed, i % 3, i / 3)) << bytes.size();
  }
  EXPECT_FALSE(ReadTgaFile(dir.Path("none").c_str(), &read, &error));
  EXPECT_EQ(error, dir.Path("none") + ": No such file or directory");
  ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);  // without a writer: would block a reader
  EXPECT_FALSE(ReadTgaFile(dir.Path("fifo").c_str(), &read, &error));
  EXPECT_EQ(error, dir.Path("fifo") + ": not a regular file");
}

// Missing bytes read as zero, also inside the last, partial pixel.
TEST(TgaReader, AShortFileEndsInBlackTransparentPixels) {
  const struct { std::string pixels; std::vector<int> first, second; } cases[] = {
      {"", {0, 0, 0, 0}, {0, 0, 0, 0}}, {"\x09\x08", {9, 0, 8, 0}, {0, 0, 0, 0}},
      {"\x09\x08\x07\x06\x05", {9, 7, 8, 0}, {6, 0, 5, 0}}};
  for (const auto& c : cases) {
    TgaImage image;
    std::string error;
    ASSERT_TRUE(Parse(TgaBytes(2, 2, c.pixels), &image, &error)) << error;
    EXPECT_EQ(Px(image, 0, 0), c.first) << c.pixels.size();
    EXPECT_EQ(Px(image, 1, 0), c.second) << c.pixels.size();
    EXPECT_EQ(Px(image, 1, 1), (std::vector<int>{0, 0, 0, 0})) << c.pixels.size();
  }
}

TEST(TgaReader, SizesAtTheEdges) {
  const struct { std::string bytes; const char* error; } cases[] = {  // error nullptr: parses
      {TgaBytes(0, 7, ""), nullptr},
      {TgaBytes(7, 0, "abc"), nullptr},
      {TgaBytes(1, 1, "").substr(0, 17), "shorter than its 18-byte header"},
      {"", "shorter than its 18-byte header"},
      {TgaBytes(65535, 65535, ""), "image too large: 65535x65535"},
      {TgaBytes(32768, 32768, ""), "image too large"},  // exactly 2^32 bytes
  };
  for (const auto& c : cases) {
    TgaImage image;
    std::string error;
    EXPECT_EQ(Parse(c.bytes, &image, &error), c.error == nullptr) << c.bytes.size();
    if (c.error) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    } else {
      EXPECT_EQ(image.byte_size(), 0u);
    }
  }
  // The largest accepted, just under 4 GiB, black past the one pixel given.
  TgaImage largest;
  std::string error;
  ASSERT_TRUE(Parse(TgaBytes(32767, 32767, "\x09\x08\x07"), &largest, &error)) << error;
  EXPECT_EQ(Px(largest, 0, 0), (std::vector<int>{9, 7, 8, 0}));
  EXPECT_EQ(Px(largest, 32766, 32766), (std::vector<int>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace zibo
