#include "textures/noise_texture.h"

#include <vector>

#include <gtest/gtest.h>

namespace zibo {
namespace {

TEST(NoiseTexture, FirstPixelsAreTheClassicGeneratorsLowBytes) {
  std::vector<uint8_t> rgba(kNoiseSize * kNoiseSize * 4);
  FillNoisePixels(rgba.data());
  const uint8_t expected[] = {0x29, 0x23, 0xBE, 0x84};
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(rgba[i * 4 + c], expected[i]) << "pixel " << i;
  }
}

TEST(NoiseTexture, IsTheSameEveryTimeAndUsesTheWholeGreyRange) {
  std::vector<uint8_t> a(kNoiseSize * kNoiseSize * 4), b(a.size());
  FillNoisePixels(a.data());
  FillNoisePixels(b.data());
  EXPECT_EQ(a, b);
  int seen[256] = {};
  for (size_t i = 0; i < a.size(); i += 4) seen[a[i]]++;
  for (int v = 0; v < 256; ++v) EXPECT_GT(seen[v], 0) << v;
}

TEST(ClassicRand, MatchesTheKnownSequence) {
  ClassicRand r;
  EXPECT_EQ(r.Next(), 41);
  EXPECT_EQ(r.Next(), 18467);
  EXPECT_EQ(r.Next(), 6334);
}

}  // namespace
}  // namespace zibo
