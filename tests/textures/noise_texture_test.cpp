#include "textures/noise_texture.h"

#include <gtest/gtest.h>

#include <vector>

namespace zibo {
namespace {

// Grey pixels from the low bytes of the classic rand() sequence 41, 18467,
// 6334, 26500, ..., covering every grey level.
TEST(NoiseTexture, IsTheClassicGeneratorsLowBytesInGrey) {
  std::vector<uint8_t> rgba(kNoiseSize * kNoiseSize * 4);
  FillNoisePixels(rgba.data());
  const uint8_t first[] = {0x29, 0x23, 0xBE, 0x84};
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(rgba[i * 4 + c], first[i]) << "pixel " << i;
  }
  int seen[256] = {};
  for (size_t i = 0; i < rgba.size(); i += 4) seen[rgba[i]]++;
  for (int v = 0; v < 256; ++v) EXPECT_GT(seen[v], 0) << v;
}

}  // namespace
}  // namespace zibo
