#include "shared_picture.h"

#include "scenes/scene_schedule.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

TEST(SharedPicture, NothingDrawnIsOnePicture) {
  const uint32_t black = SharedPictureKey(0);
  EXPECT_NE(black, 0u);
  EXPECT_EQ(SharedPictureKey(-1), black);
  EXPECT_EQ(SharedPictureKey(INT32_MIN), black);
  EXPECT_EQ(SharedPictureKey(128572), black);
  EXPECT_EQ(SharedPictureKey(INT32_MAX), black);
  EXPECT_NE(SharedPictureKey(1), black);        // the empty bar is drawn
  EXPECT_NE(SharedPictureKey(128571), black);   // the last slide
}

TEST(SharedPicture, LoadingBarStepsStartWhereTheScheduleSays) {
  const int32_t starts[] = {1,     1072,  2143,  3215,  4286,  5358,  6429,  7501,
                            8572,  9643,  10715, 11786, 12858, 13929, 15001, 16072};
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(LoadingBarStep(starts[k]), k);
    if (k > 0) {
      EXPECT_EQ(LoadingBarStep(starts[k] - 1), k - 1);
      EXPECT_NE(SharedPictureKey(starts[k] - 1), SharedPictureKey(starts[k])) << k;
    }
    const int32_t last = k < 15 ? starts[k + 1] - 1 : 17142;
    EXPECT_EQ(SharedPictureKey(starts[k]), SharedPictureKey(last)) << k;
  }
}

TEST(SharedPicture, EachSlideIsOnePictureForItsWholeRow) {
  const int32_t rows[][2] = {{21429, 30000}, {30001, 38571}, {38572, 47142},
                             {47143, 55714}, {72858, 81428}, {90001, 94285}};
  uint32_t previous = 0;
  for (const auto& row : rows) {
    const uint32_t key = SharedPictureKey(row[0]);
    EXPECT_NE(key, 0u);
    EXPECT_NE(key, previous);
    for (int32_t t = row[0]; t <= row[1]; t += 7) ASSERT_EQ(SharedPictureKey(t), key) << t;
    EXPECT_EQ(SharedPictureKey(row[1]), key);
    EXPECT_NE(SharedPictureKey(row[0] - 1), key);
    EXPECT_NE(SharedPictureKey(row[1] + 1), key);
    previous = key;
  }
}

TEST(SharedPicture, TheStrobeHasTwoPictures) {
  const uint32_t inverted = SharedPictureKey(111429);
  const uint32_t plain = SharedPictureKey(111450);
  EXPECT_NE(inverted, 0u);
  EXPECT_NE(plain, 0u);
  EXPECT_NE(inverted, plain);
  EXPECT_EQ(SharedPictureKey(111449), inverted);
  EXPECT_EQ(SharedPictureKey(111499), plain);
  EXPECT_EQ(SharedPictureKey(111500), inverted);
  EXPECT_EQ(SharedPictureKey(128571), plain);
  EXPECT_EQ(SharedPictureKey(128549), inverted);
}

TEST(SharedPicture, MovingScenesAreNeverShared) {
  // The emptying bar, both dancers (the only scenes H changes) and the noise.
  const int32_t rows[][2] = {{17143, 21428}, {55715, 72857}, {81429, 90000}, {94286, 111428}};
  for (const auto& row : rows) {
    for (int32_t t = row[0]; t <= row[1]; ++t) ASSERT_EQ(SharedPictureKey(t), 0u) << t;
  }
}

}  // namespace
}  // namespace zibo
