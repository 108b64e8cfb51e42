// Placeholder: the offscreen context is being written.
#include "shell/offscreen_gl.h"
namespace zibo {
std::unique_ptr<OffscreenGl> OffscreenGl::Create(int, int, std::string* error) { *error = "not yet"; return nullptr; }
OffscreenGl::~OffscreenGl() = default;
void OffscreenGl::ReadPixelsTopDown(std::vector<uint8_t>*) const {}
void OffscreenGl::ReadPixelsBottomUp(std::vector<uint8_t>*) const {}
}
