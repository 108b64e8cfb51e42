// gl_test_support.h - reading rendered frames back in tests.
//
// A frame is read top row first; screen-space points (640x480 units, y up)
// are mapped to the 800x600 pixel that contains them. Main thread only.
#ifndef ZIBO_TESTS_SCENES_GL_TEST_SUPPORT_H
#define ZIBO_TESTS_SCENES_GL_TEST_SUPPORT_H

#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "show/offscreen_gl.h"
#include "textures/texture_upload.h"

namespace zibo {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
  Rgb Inverted() const { return {255 - r, 255 - g, 255 - b}; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kYellow{255, 255, 0},
    kMagenta{255, 0, 255}, kBlue{0, 0, 255}, kCyan{0, 255, 255};

class Frame {
 public:
  explicit Frame(const OffscreenGl& gl) : width_(gl.width()), height_(gl.height()) {
    std::string error;
    EXPECT_TRUE(gl.ReadPixelsTopDown(&rgba_, &error)) << error;
  }
  // Pixel column x, row counted from the top.
  Rgb Pixel(int x, int row) const {
    const uint8_t* p = rgba_.data() + (size_t(row) * width_ + x) * 4;
    return {p[0], p[1], p[2]};
  }
  // The pixel containing screen-space point (x, y).
  Rgb At(double x, double y) const {
    const int col = int(std::floor(x * width_ / 640.0));
    const int row = height_ - 1 - int(std::floor(y * height_ / 480.0));
    return Pixel(col, row);
  }
  // How many pixels are not `colour`.
  int CountOther(Rgb colour) const {
    int n = 0;
    for (int row = 0; row < height_; ++row) {
      for (int x = 0; x < width_; ++x) n += Pixel(x, row) != colour;
    }
    return n;
  }
  // Largest value of one channel (0 red, 1 green, 2 blue) over the frame.
  int MaxChannel(int channel) const {
    int m = 0;
    for (size_t i = size_t(channel); i < rgba_.size(); i += 4) m = rgba_[i] > m ? rgba_[i] : m;
    return m;
  }

 private:
  int width_, height_;
  std::vector<uint8_t> rgba_;
};

// A small one-colour texture with alpha 0, like every loaded image.
inline uint32_t SolidTexture(Rgb c) {
  std::vector<uint8_t> rgba;
  for (int i = 0; i < 16; ++i) rgba.insert(rgba.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 0});
  return CreateMipmappedTexture(4, 4, rgba.data());
}

inline std::unique_ptr<OffscreenGl> MakeShowSizedGl() {
  std::string error;
  auto gl = OffscreenGl::Create(800, 600, &error);
  EXPECT_TRUE(gl) << error;
  return gl;
}

}  // namespace zibo

#endif
