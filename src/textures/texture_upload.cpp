// Placeholder: texture upload is being written.
#include "textures/texture_upload.h"
namespace zibo {
uint32_t CreateMipmappedTexture(int32_t, int32_t, const uint8_t*) { return 0; }
bool LoadTgaTexture(const char*, uint32_t*, std::string*) { return false; }
uint32_t CreateNoiseTexture() { return 0; }
}
