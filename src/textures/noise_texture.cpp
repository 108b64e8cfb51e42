#include "textures/noise_texture.h"

namespace zibo {

void FillNoisePixels(uint8_t* rgba) {
  ClassicRand rand;
  for (int i = 0; i < kNoiseSize * kNoiseSize; ++i) {
    const uint8_t v = uint8_t(rand.Next() & 0xFF);
    rgba[i * 4 + 0] = v;
    rgba[i * 4 + 1] = v;
    rgba[i * 4 + 2] = v;
    rgba[i * 4 + 3] = v;
  }
}

}  // namespace zibo
