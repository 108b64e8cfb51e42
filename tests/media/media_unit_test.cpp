// The generator's drawing, TGA writing and mixing, in-process: pictures
// read back through the show's own TGA reader with the intended colours in
// the intended places.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio_files.h"
#include "bitmap_font.h"
#include "rgb_image.h"
#include "synth.h"
#include "textures/tga_reader.h"
#include "tga_writer.h"

namespace zibo::media {
namespace {

constexpr Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kOdd{10, 120, 230};

// The pixels at (x, y) of the image after writing and reading it back, as "r,g,b r,g,b ...".
std::string ReadBack(const RgbImage& image, std::vector<std::pair<int, int>> points) {
  std::string error, text;
  const std::vector<uint8_t> bytes = EncodeTga(image, &error);
  TgaImage back;
  if (!ParseTga(bytes.data(), bytes.size(), &back, &error)) return error;
  if (back.width != image.width || back.height != image.height) return "other size";
  for (const auto& [x, y] : points) {
    const uint8_t* p = back.pixel(x, y);
    text += std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + " ";
  }
  return text;
}

TEST(TgaWriter, AsymmetricPictureReadsBackUnflippedWithItsColoursAndHeader) {
  RgbImage image(4, 2, kBlack);
  image.at(0, 0) = kRed, image.at(3, 0) = kGreen, image.at(0, 1) = kBlue, image.at(3, 1) = kOdd;
  EXPECT_EQ(ReadBack(image, {{0, 0}, {3, 0}, {0, 1}, {3, 1}, {1, 0}}),
            "255,0,0 0,255,0 0,0,255 10,120,230 0,0,0 ");
  std::string error;
  const std::vector<uint8_t> bytes = EncodeTga(RgbImage(8, 16), &error);
  ASSERT_EQ(bytes.size(), 18u + 8 * 16 * 3);
  // No ID or colour map, uncompressed true colour, 8x16, 24 bits, top row first.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 18),
            std::vector<uint8_t>({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 16, 0, 24, 0x20}));
  EXPECT_TRUE(EncodeTga(RgbImage(800, 512), &error).empty());
  EXPECT_NE(error.find("800x512"), std::string::npos) << error;
  EXPECT_FALSE(WriteTga("/nonexistent-dir/x.tga", RgbImage(2, 2), &error));
  EXPECT_EQ(error.rfind("/nonexistent-dir/x.tga: ", 0), 0u) << error;
}

TEST(Canvas, DrawsIn800x600ScreenUnitsStretchedOverTheImage) {
  RgbImage image(64, 64, kBlue);
  Canvas canvas(&image);
  canvas.FillRect(0, 0, 400, 200, kRed);  // the left half, the top third
  EXPECT_EQ(ReadBack(image, {{0, 0}, {31, 20}, {32, 0}, {0, 22}}), "255,0,0 255,0,0 0,0,255 0,0,255 ");
  // A circle of 150 units is 48 pixels across and 64 down, with soft edges.
  RgbImage round(256, 256, kBlack);
  Canvas(&round).FillCircle(400, 300, 150, kRed);
  EXPECT_EQ(std::vector<int>({round.at(174, 128).r, round.at(178, 128).r, round.at(128, 190).r, round.at(128, 194).r}),
            std::vector<int>({255, 0, 255, 0}));
  int partial = 0;
  for (int x = 168; x < 184; ++x) partial += round.at(x, 158).r % 255 != 0;
  EXPECT_GT(partial, 0);
}

TEST(BitmapFont, TextIsUprightAndAdvancesLeftToRight) {
  RgbImage image(128, 128, kBlack);
  Canvas canvas(&image);
  DrawText(canvas, "L", 0, 0, 50, kGreen);  // stem at the left, foot at the bottom
  EXPECT_EQ(ReadBack(image, {{2, 2}, {30, 2}, {30, 70}}), "0,255,0 0,0,0 0,255,0 ");
  EXPECT_EQ(TextWidth("LL", 50), 550.0f);
}

TEST(StereoMix, PansWithConstantPowerAndDropsFramesOutsideTheMix) {
  StereoMix mix(4);
  const float one[3] = {1, 1, 1};
  mix.AddMono(-1, one, 3, 1.0f, 0.0f);  // the first frame falls before the mix
  mix.AddMono(3, one, 3, 0.5f, -1.0f);  // only one frame fits; hard left
  const float left[] = {1, 1, 0, 0.5f * std::sqrt(2.0f)}, right[] = {1, 1, 0, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(mix.left()[i], left[i], 1e-6) << i;
    EXPECT_NEAR(mix.right()[i], right[i], 1e-6) << i;
  }
  std::string error;
  EXPECT_FALSE(WriteOggMono("/nonexistent-dir/s.ogg", std::vector<float>(100), &error));
  EXPECT_EQ(error.rfind("/nonexistent-dir/s.ogg: ", 0), 0u) << error;
}

}  // namespace
}  // namespace zibo::media
