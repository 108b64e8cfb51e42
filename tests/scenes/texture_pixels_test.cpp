// Images and the noise pattern as GL textures, and how the full-screen
// primitives lay them over the screen.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gl_test_support.h"
#include "scenes/primitives.h"
#include "show/gl_state.h"
#include "show/show_frame.h"
#include "textures/texture_upload.h"

namespace zibo {
namespace {

class TextureFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    gl_ = MakeShowSizedGl();
    ASSERT_TRUE(gl_);
    char dir_template[] = "/tmp/zibo-textures-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir_template));
    dir_ = dir_template;
  }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }

  std::string WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(f);
    if (!f) return path;
    if (!bytes.empty()) {
      EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
    files_.push_back(path);
    return path;
  }

  static std::vector<uint8_t> Tga(int width, int height, std::vector<uint8_t> pixels) {
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width),
                                  uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 24, 0};
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
  }

  Frame Draw(void (*draw)(uint32_t, int32_t), uint32_t texture, int32_t phase) {
    ClearShowFrame();
    BeginScreenSpace();
    glDisable(GL_DEPTH_TEST);
    draw(texture, phase);
    return Frame(*gl_);
  }

  static void Fullscreen(uint32_t texture, int32_t) { DrawFullscreenQuad(texture); }
  static void Noise(uint32_t texture, int32_t phase) {
    glColor4f(1, 1, 1, 1);
    DrawNoiseLayer(texture, phase);
  }

  std::unique_ptr<OffscreenGl> gl_;
  std::string dir_;
  std::vector<std::string> files_;
};

void ExpectNear(Rgb got, Rgb want, const char* where) {
  EXPECT_NEAR(got.r, want.r, 2) << where << " " << got;
  EXPECT_NEAR(got.g, want.g, 2) << where << " " << got;
  EXPECT_NEAR(got.b, want.b, 2) << where << " " << got;
}

// File pixel b1 b2 b3 shows as red b1, green b3, blue b2; the file's first
// row is drawn along the top of the screen.
TEST_F(TextureFrames, TgaChannelsAndRowOrderOnScreen) {
  const std::string path = WriteFile("quad.tga", Tga(2, 2, {0xFF, 0x00, 0x00,   0x00, 0xFF, 0x00,
                                                            0x00, 0x00, 0xFF,   0x40, 0x80, 0xC0}));
  uint32_t texture = 0;
  std::string error;
  ASSERT_TRUE(LoadTgaTexture(path.c_str(), &texture, &error)) << error;
  ASSERT_NE(texture, 0u);
  Frame f = Draw(Fullscreen, texture, 0);
  ExpectNear(f.At(160, 360), {255, 0, 0}, "top left");
  ExpectNear(f.At(480, 360), {0, 0, 255}, "top right");
  ExpectNear(f.At(160, 120), {0, 255, 0}, "bottom left");
  ExpectNear(f.At(480, 120), {0x40, 0xC0, 0x80}, "bottom right");
}

TEST_F(TextureFrames, ZeroSizedImageGivesANameWithoutAnImage) {
  const std::string path = WriteFile("empty.tga", Tga(0, 5, {}));
  uint32_t texture = 0;
  std::string error;
  ASSERT_TRUE(LoadTgaTexture(path.c_str(), &texture, &error)) << error;
  EXPECT_NE(texture, 0u);
  EXPECT_TRUE(glIsTexture(texture));
  GLint width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 0);
  glGetError();  // the refused upload may leave an error behind
}

TEST_F(TextureFrames, UnreadableFilesAreReportedWithTheirPath) {
  uint32_t texture = 77;
  std::string error;
  const std::string missing = dir_ + "/bg.tga";
  EXPECT_FALSE(LoadTgaTexture(missing.c_str(), &texture, &error));
  EXPECT_EQ(error, missing + ": No such file or directory");
  EXPECT_EQ(texture, 77u);
  const std::string short_file = WriteFile("s1.tga", {1, 2, 3});
  EXPECT_FALSE(LoadTgaTexture(short_file.c_str(), &texture, &error));
  EXPECT_EQ(error, short_file + ": file is shorter than its 18-byte header");
  EXPECT_FALSE(LoadTgaTexture(dir_.c_str(), &texture, &error));
  EXPECT_EQ(error, dir_ + ": Is a directory");
}

TEST_F(TextureFrames, MipmappedTextureIsTrilinearRepeatingAndComplete) {
  std::vector<uint8_t> rgba(3 * 5 * 4, 0x80);
  const uint32_t texture = CreateMipmappedTexture(3, 5, rgba.data());
  ASSERT_NE(texture, 0u);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = 0, mag = 0, min = 0, wrap_s = 0, wrap_t = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap_s);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap_t);
  EXPECT_EQ(mag, GL_LINEAR);
  EXPECT_EQ(min, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(wrap_s, GL_REPEAT);
  EXPECT_EQ(wrap_t, GL_REPEAT);
  // Rescaled to powers of two, with every level down to 1x1.
  GLint w = 0, h = 0, level = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  EXPECT_EQ(w & (w - 1), 0) << w;
  EXPECT_EQ(h & (h - 1), 0) << h;
  while (w > 1 || h > 1) {
    ++level;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    ASSERT_GT(w, 0) << level;
    ASSERT_GT(h, 0) << level;
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureFrames, NoiseTextureHoldsTheGeneratedGreys) {
  const uint32_t noise = CreateNoiseTexture();
  ASSERT_NE(noise, 0u);
  std::vector<uint8_t> level0(256 * 256 * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
  const uint8_t first[] = {0x29, 0x23, 0xBE, 0x84};
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(level0[i * 4 + c], first[i]) << i << " " << c;
  }
}

// Phase 0 and its multiples of 303 lay the noise exactly like a slide;
// another phase shifts it.
TEST_F(TextureFrames, NoiseLayerIsTheSlideMappingShiftedByThePhase) {
  const uint32_t noise = CreateNoiseTexture();
  std::vector<uint8_t> slide, zero, wrapped, shifted;
  Draw(Fullscreen, noise, 0);
  gl_->ReadPixelsTopDown(&slide);
  Draw(Noise, noise, 0);
  gl_->ReadPixelsTopDown(&zero);
  Draw(Noise, noise, 606);
  gl_->ReadPixelsTopDown(&wrapped);
  Draw(Noise, noise, 1);
  gl_->ReadPixelsTopDown(&shifted);
  EXPECT_EQ(slide, zero);
  EXPECT_EQ(slide, wrapped);
  EXPECT_NE(slide, shifted);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureFrames, UntexturedQuadKeepsTheCallersColourTexturedOneIsWhite) {
  ClearShowFrame();
  BeginScreenSpace();
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.0f, 1.0f, 0.0f);
  DrawFullscreenQuad(0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(Frame(*gl_).CountOther({0, 255, 0}), 0);
  const uint32_t solid = SolidTexture({10, 20, 30});
  glColor3f(0.0f, 1.0f, 0.0f);
  DrawFullscreenQuad(solid);
  EXPECT_EQ(Frame(*gl_).CountOther({10, 20, 30}), 0);
}

}  // namespace
}  // namespace zibo
