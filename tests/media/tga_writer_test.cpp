// Pictures drawn on a Canvas and written by the TGA writer read back, through
// the show's own TGA reader, with the intended colours in the intended places.
#include "tga_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bitmap_font.h"
#include "rgb_image.h"
#include "textures/tga_reader.h"

namespace zibo::media {
namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kOdd{10, 120, 230};

TgaImage RoundTrip(const RgbImage& image) {
  std::string error;
  const std::vector<uint8_t> bytes = EncodeTga(image, &error);
  EXPECT_FALSE(bytes.empty()) << error;
  TgaImage out;
  EXPECT_TRUE(ParseTga(bytes.data(), bytes.size(), &out, &error)) << error;
  return out;
}

void ExpectPixel(const TgaImage& image, int x, int y, Rgb want) {
  const uint8_t* p = image.pixel(x, y);
  EXPECT_EQ(p[0], want.r) << "red at " << x << "," << y;
  EXPECT_EQ(p[1], want.g) << "green at " << x << "," << y;
  EXPECT_EQ(p[2], want.b) << "blue at " << x << "," << y;
}

TEST(TgaWriter, AsymmetricPictureReadsBackUnflippedUnmirroredWithItsColours) {
  // Each corner differs, and no colour is symmetric under a channel swap.
  RgbImage image(4, 2, {0, 0, 0});
  image.at(0, 0) = kRed;
  image.at(3, 0) = kGreen;
  image.at(0, 1) = kBlue;
  image.at(3, 1) = kOdd;
  const TgaImage back = RoundTrip(image);
  ASSERT_EQ(back.width, 4);
  ASSERT_EQ(back.height, 2);
  ExpectPixel(back, 0, 0, kRed);
  ExpectPixel(back, 3, 0, kGreen);
  ExpectPixel(back, 0, 1, kBlue);
  ExpectPixel(back, 3, 1, kOdd);
  ExpectPixel(back, 1, 0, {0, 0, 0});
}

TEST(TgaWriter, HeaderIsUncompressedTrueColourTopLeftWithoutIdOrColourMap) {
  RgbImage image(8, 16);
  std::string error;
  const std::vector<uint8_t> bytes = EncodeTga(image, &error);
  ASSERT_EQ(bytes.size(), 18u + 8 * 16 * 3);
  EXPECT_EQ(bytes[0], 0);  // no image ID
  EXPECT_EQ(bytes[1], 0);  // no colour map
  EXPECT_EQ(bytes[2], 2);  // uncompressed true colour
  for (int i = 3; i < 12; ++i) EXPECT_EQ(bytes[size_t(i)], 0) << "byte " << i;
  EXPECT_EQ(bytes[12] | bytes[13] << 8, 8);
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 16);
  EXPECT_EQ(bytes[16], 24);
  EXPECT_EQ(bytes[17], 0x20);
}

TEST(TgaWriter, RefusesSidesThatAreNotPowersOfTwo) {
  std::string error;
  EXPECT_TRUE(EncodeTga(RgbImage(800, 512), &error).empty());
  EXPECT_NE(error.find("800x512"), std::string::npos) << error;
  EXPECT_TRUE(EncodeTga(RgbImage(0, 0), &error).empty());
  EXPECT_FALSE(EncodeTga(RgbImage(1, 1), &error).empty());
}

TEST(TgaWriter, ReportsTheFileItCouldNotWrite) {
  std::string error;
  EXPECT_FALSE(WriteTga("/nonexistent-dir/x.tga", RgbImage(2, 2), &error));
  EXPECT_EQ(error.rfind("/nonexistent-dir/x.tga: ", 0), 0u) << error;
}

TEST(Canvas, DrawsInScreenCoordinatesStretchedOverTheSquareImage) {
  // The logical 800x600 screen covers the whole 64x64 image: a rectangle
  // over the screen's left half and top third lands on the image's left
  // half and top third, and nothing else is touched.
  RgbImage image(64, 64, kBlue);
  Canvas canvas(&image);
  canvas.FillRect(0, 0, 400, 200, kRed);
  const TgaImage back = RoundTrip(image);
  ExpectPixel(back, 0, 0, kRed);
  ExpectPixel(back, 31, 20, kRed);
  ExpectPixel(back, 32, 0, kBlue);
  ExpectPixel(back, 0, 22, kBlue);
  ExpectPixel(back, 63, 63, kBlue);
}

TEST(Canvas, CircleLooksRoundOnTheScreenAndHasSoftEdges) {
  RgbImage image(256, 256, {0, 0, 0});
  Canvas canvas(&image);
  canvas.FillCircle(400, 300, 150, kRed);
  // 150 logical units are 48 pixels across and 64 pixels down.
  EXPECT_EQ(image.at(128 + 46, 128).r, 255);
  EXPECT_EQ(image.at(128 + 50, 128).r, 0);
  EXPECT_EQ(image.at(128, 128 + 62).r, 255);
  EXPECT_EQ(image.at(128, 128 + 66).r, 0);
  int partial = 0;
  for (int x = 128 + 40; x < 128 + 56; ++x) partial += image.at(x, 128 + 30).r % 255 != 0;
  EXPECT_GT(partial, 0) << "edge pixels should be blended";
}

TEST(BitmapFont, TextIsDrawnLeftToRightAndUpright) {
  // "L" has its stem on the left and its foot at the bottom.
  RgbImage image(128, 128, {0, 0, 0});
  Canvas canvas(&image);
  DrawText(canvas, "L", 0, 0, 50, kGreen);  // 250 x 350 logical units
  const TgaImage back = RoundTrip(image);
  ExpectPixel(back, 2, 2, kGreen);          // stem, top left
  ExpectPixel(back, 30, 2, {0, 0, 0});      // nothing at the top right
  ExpectPixel(back, 30, 70, kGreen);        // foot, bottom right
  EXPECT_EQ(TextWidth("LL", 50), 550.0f);
}

TEST(BitmapFont, EveryCharacterOfTheSlidesHasAGlyph) {
  // A character without a glyph draws as a hollow box.
  auto looks_missing = [](char c) {
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col) {
        const bool edge = row == 0 || row == kGlyphHeight - 1 || col == 0 || col == kGlyphWidth - 1;
        if (GlyphPixel(c, col, row) != edge) return false;
      }
    return true;
  };
  const std::string used =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,!?':-+&/()";
  for (char c : used) EXPECT_FALSE(looks_missing(c)) << "'" << c << "'";
  EXPECT_TRUE(looks_missing('\x01'));
  EXPECT_FALSE(GlyphPixel('A', 5, 0)) << "outside the 5x7 cell";
}

}  // namespace
}  // namespace zibo::media
