// The largest image the reader accepts, 32767 x 32767, really parsed: a
// buffer just under 4 GiB, black past the one pixel given. Left out of the
// sanitizer build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tga_file.h"
#include "textures/tga_reader.h"

namespace zibo {
namespace {

TEST(TgaLargest, AHeaderJustUnderTheLimitGivesAnAllBlackImage) {
  const std::string bytes = testing::TgaBytes(32767, 32767, "\x09\x08\x07");
  TgaImage image;
  std::string error;
  ASSERT_TRUE(ParseTga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image,
                       &error)) << error;
  const uint8_t* first = image.pixel(0, 0);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 4), (std::vector<uint8_t>{9, 7, 8, 0}));
  const uint8_t* last = image.pixel(32766, 32766);
  EXPECT_EQ(std::vector<uint8_t>(last, last + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace zibo
