// texture_upload.h - turning pixels and image files into GL textures.
//
// Needs a current GL context; called on the thread that owns it. Textures
// are made once at start-up and never deleted; the caller owns the names.
// A mipmap build that GLU refuses for a non-empty image is written to
// standard error (the name is still returned, without an image).
#ifndef ZIBO_TEXTURES_TEXTURE_UPLOAD_H
#define ZIBO_TEXTURES_TEXTURE_UPLOAD_H

#include <cstdint>
#include <string>

namespace zibo {

// A new mipmapped texture (linear magnification, trilinear minification,
// default repeat wrapping) from width * height RGBA pixels, row 0 first.
// The caller keeps `rgba`. Leaves GL_TEXTURE_2D enabled and the texture
// bound. A zero-sized image gives a texture name with no image.
uint32_t CreateMipmappedTexture(int32_t width, int32_t height, const uint8_t* rgba);

// Reads a TGA file (see tga_reader.h) and uploads it. On failure returns
// false with `error` like "bg.tga: No such file or directory".
bool LoadTgaTexture(const char* path, uint32_t* texture, std::string* error);

// Fills the noise pattern (noise_texture.h) and uploads it as a 256x256
// texture. Call after the viewport is set: when it is at least twice the
// texture's size both ways the texture is filtered without its mipmaps.
uint32_t CreateNoiseTexture();

}  // namespace zibo

#endif
