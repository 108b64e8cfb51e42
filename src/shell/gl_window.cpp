// Placeholder: the window is being written.
#include "shell/gl_window.h"
namespace zibo {
int32_t quit = 0;
GlWindow::GlWindow(bool fullscreen) : fullscreen_(fullscreen) {}
GlWindow::~GlWindow() = default;
void GlWindow::PumpMessage() {}
void GlWindow::BeginScreenSpace() {}
void GlWindow::SwapFrame() {}
uint32_t GlWindow::CreateMipmappedTexture(int32_t, int32_t, const uint8_t*) { return 0; }
uint32_t GlWindow::LoadTgaTexture(const char*) { return 0; }
}
