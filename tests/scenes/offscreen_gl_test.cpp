#include "show/offscreen_gl.h"

#include <string>
#include <vector>

#include <GL/gl.h>
#include <SDL.h>
#include <stdlib.h>
#include <gtest/gtest.h>

#include "show/gl_state.h"

namespace zibo {
namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Rgb At(const std::vector<uint8_t>& rgba, int width, int x, int row) {
  const uint8_t* p = rgba.data() + (size_t(row) * width + x) * 4;
  return {p[0], p[1], p[2]};
}

std::unique_ptr<OffscreenGl> MakeGl(int width, int height) {
  std::string error;
  auto gl = OffscreenGl::Create(width, height, &error);
  EXPECT_TRUE(gl) << error;
  return gl;
}

TEST(OffscreenGl, StartsInTheShowsInitialState) {
  auto gl = MakeGl(800, 600);
  ASSERT_TRUE(gl);
  EXPECT_EQ(gl->width(), 800);
  EXPECT_EQ(gl->height(), 600);
  EXPECT_GE(gl->depth_bits(), 24);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  GLint mode = 0, src = 0, dst = 0, depth_func = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
  EXPECT_EQ(depth_func, GL_LESS);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST(OffscreenGl, ClearsToTheClearColour) {
  auto gl = MakeGl(64, 48);
  ASSERT_TRUE(gl);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  std::vector<uint8_t> rgba;
  ASSERT_TRUE(gl->ReadPixelsTopDown(&rgba));
  ASSERT_EQ(rgba.size(), 64u * 48u * 4u);
  for (size_t i = 0; i < rgba.size(); i += 4) ASSERT_EQ(At(rgba, 64, int(i / 4), 0), (Rgb{0, 0, 0}));

  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(gl->ReadPixelsBottomUp(&rgba));
  EXPECT_EQ(At(rgba, 64, 0, 0), (Rgb{51, 102, 153}));
  EXPECT_EQ(At(rgba, 64, 63, 47), (Rgb{51, 102, 153}));
}

// A red square in the top-left corner of screen space and a green one in
// the bottom-right: top-down reading puts red in the first rows, bottom-up
// reading in the last. An odd height checks the middle row stays put.
TEST(OffscreenGl, ReadsAnAsymmetricPictureTheRightWayUp) {
  auto gl = MakeGl(80, 61);
  ASSERT_TRUE(gl);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  BeginScreenSpace();
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  glColor3f(1, 0, 0);
  glVertex2f(0, 400);
  glVertex2f(160, 400);
  glVertex2f(160, 480);
  glVertex2f(0, 480);
  glColor3f(0, 1, 0);
  glVertex2f(480, 0);
  glVertex2f(640, 0);
  glVertex2f(640, 80);
  glVertex2f(480, 80);
  glEnd();

  std::vector<uint8_t> top_down, bottom_up;
  ASSERT_TRUE(gl->ReadPixelsTopDown(&top_down));
  ASSERT_TRUE(gl->ReadPixelsBottomUp(&bottom_up));
  const Rgb red{255, 0, 0}, green{0, 255, 0}, black{0, 0, 0};
  EXPECT_EQ(At(top_down, 80, 0, 0), red);
  EXPECT_EQ(At(top_down, 80, 19, 0), red);
  EXPECT_EQ(At(top_down, 80, 20, 0), black);
  EXPECT_EQ(At(top_down, 80, 0, 10), black);
  EXPECT_EQ(At(top_down, 80, 79, 0), black);
  EXPECT_EQ(At(top_down, 80, 79, 60), green);
  EXPECT_EQ(At(top_down, 80, 0, 60), black);
  EXPECT_EQ(At(bottom_up, 80, 0, 60), red);
  EXPECT_EQ(At(bottom_up, 80, 79, 0), green);
  for (int row = 0; row < 61; ++row) {
    for (int x = 0; x < 80; ++x) {
      ASSERT_EQ(At(top_down, 80, x, row), At(bottom_up, 80, x, 60 - row)) << x << "," << row;
    }
  }
}

TEST(OffscreenGl, RejectsANonPositiveSize) {
  std::string error;
  EXPECT_FALSE(OffscreenGl::Create(0, 600, &error));
  EXPECT_NE(error.find("0x600"), std::string::npos) << error;
}

TEST(OffscreenGl, CanBeMadeAgainAfterTheFirstIsGone) {
  { auto first = MakeGl(32, 32); ASSERT_TRUE(first); }
  auto second = MakeGl(32, 32);
  ASSERT_TRUE(second);
  std::vector<uint8_t> rgba;
  EXPECT_TRUE(second->ReadPixelsTopDown(&rgba));
}

// The offscreen driver wins over the environment while the context lives,
// and the environment's choice is back once it is gone.
TEST(OffscreenGl, OverridesTheVideoDriverOnlyWhileItLives) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  {
    auto gl = MakeGl(16, 16);
    ASSERT_TRUE(gl);
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
  }
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_VIDEODRIVER), "dummy");
  unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
}  // namespace zibo
