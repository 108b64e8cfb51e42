#include "textures/texture_upload.h"

#include <cstdio>

#include <GL/gl.h>
#include <GL/glu.h>

#include "textures/noise_texture.h"
#include "textures/tga_reader.h"

namespace zibo {
namespace {

// The noise pattern lives for the whole process, so making its texture
// needs no allocation.
alignas(4) uint8_t noise_pixels[kNoiseSize * kNoiseSize * 4];

}  // namespace

uint32_t CreateMipmappedTexture(int32_t width, int32_t height, const uint8_t* rgba) {
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) {
    std::fprintf(stderr, "zibo: glGenTextures(1) gave no texture name (GL error 0x%x)\n",
                 unsigned(glGetError()));
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, width, height, GL_RGBA,
                                         GL_UNSIGNED_BYTE, rgba);
  // A zero-sized image is refused by design and leaves a name without an
  // image; any other refusal means a picture will be missing on screen.
  if (result != 0 && width > 0 && height > 0) {
    std::fprintf(stderr, "zibo: gluBuild2DMipmaps(%dx%d, GL_RGBA8) failed: %s\n", int(width),
                 int(height), reinterpret_cast<const char*>(gluErrorString(GLenum(result))));
  }
  return name;
}

bool LoadTgaTexture(const char* path, uint32_t* texture, std::string* error) {
  TgaImage image;
  if (!ReadTgaFile(path, &image, error)) return false;
  *texture = CreateMipmappedTexture(image.width, image.height, image.rgba.get());
  return true;
}

uint32_t CreateNoiseTexture() {
  FillNoisePixels(noise_pixels);
  const uint32_t name = CreateMipmappedTexture(kNoiseSize, kNoiseSize, noise_pixels);
  // The noise is stretched over the whole viewport. Where that enlarges it
  // well (the show's 800x600), its mipmaps are never sampled: plain linear
  // filtering gives the same pixels and spares the rasteriser a level-of-
  // detail computation per pixel.
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (viewport[2] >= 2 * kNoiseSize && viewport[3] >= 2 * kNoiseSize) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  }
  return name;
}

}  // namespace zibo
