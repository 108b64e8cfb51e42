// noise_texture.h - the show's 256x256 grey noise pattern.
//
// The pattern comes from the classic C runtime generator (state starts at
// 1, state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF), so
// it is the same on every run and platform. Each pixel takes the low 8 bits
// v of the next value and is (v, v, v, v): grey with matching alpha.
// Pure code, no GL.
#ifndef ZIBO_TEXTURES_NOISE_TEXTURE_H
#define ZIBO_TEXTURES_NOISE_TEXTURE_H

#include <cstdint>

namespace zibo {

constexpr int kNoiseSize = 256;

class ClassicRand {
 public:
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_ = 1;
};

// Fills kNoiseSize * kNoiseSize RGBA pixels (4 bytes each), row 0 first.
void FillNoisePixels(uint8_t* rgba);

}  // namespace zibo

#endif
