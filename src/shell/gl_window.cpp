#include "shell/gl_window.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include <GL/gl.h>
#include <SDL.h>

#include "show/gl_state.h"
#include "shell/report.h"
#include "shell/window_events.h"
#include "shell/x_display.h"
#include "textures/texture_upload.h"

namespace zibo {

int32_t quit = 0;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr const char* kTitle = "zibo";
// Depth buffer sizes to ask for, best first: 32 bits where the driver has
// them, else the nearest it offers.
constexpr int kDepthSizes[] = {32, 24, 16};

// Explains a failed step on stderr, then reports the step's name under
// "Damn" and ends the process.
[[noreturn]] void FailStep(const char* step, SDL_Window* owner, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::fprintf(stderr, "zibo: %s failed: ", step);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
  FailAndExit("Damn", step, owner);
}

// Whether the video driver SDL chose shows a window to someone: true for a
// real display, and for a display-less driver only when the user named it.
bool VideoDriverCanShow() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  if (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0) return true;
  const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return wanted != nullptr && SDL_strcasecmp(wanted, driver) == 0;
}

// X servers report 24-bit depth in 32-bit pixels; that is the 32 bpp mode.
bool Is32BitsPerPixel(Uint32 format) {
  return SDL_BITSPERPIXEL(format) == 32 ||
         (SDL_BITSPERPIXEL(format) == 24 && SDL_BYTESPERPIXEL(format) == 4);
}

// Finds the display's 800x600 mode at 32 bits per pixel; there is no
// fallback to another size or depth.
SDL_DisplayMode FindShowMode(int display) {
  int count = SDL_GetNumDisplayModes(display);
  if (count < 1) {
    FailStep("ChangeDisplay", nullptr, "no display modes on display %d: %s", display,
             SDL_GetError());
  }
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w == kWidth && mode.h == kHeight &&
        Is32BitsPerPixel(mode.format)) {
      return mode;
    }
  }
  std::fprintf(stderr, "zibo: display %d has no %dx%d mode at 32 bits per pixel; it offers:",
               display, kWidth, kHeight);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, i, &mode) == 0) {
      std::fprintf(stderr, " %dx%d/%dbpp@%dHz", mode.w, mode.h,
                   int(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate);
    }
  }
  std::fputc('\n', stderr);
  FailAndExit("Damn", "ChangeDisplay");
}

void SetPixelFormatAttributes(int depth_size) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_size);
}

// Creates the hidden GL window with the deepest depth buffer on offer.
// Tells a missing pixel format apart from a window that cannot be made at
// all by trying a plain window last.
SDL_Window* CreateShowWindow(int x, int y, Uint32 flags) {
  for (int depth_size : kDepthSizes) {
    SetPixelFormatAttributes(depth_size);
    SDL_Window* window = SDL_CreateWindow(kTitle, x, y, kWidth, kHeight, flags | SDL_WINDOW_OPENGL);
    if (window != nullptr) return window;
    std::fprintf(stderr, "zibo: no window with RGB 8/8/8, double buffer, depth %d: %s\n",
                 depth_size, SDL_GetError());
  }
  SDL_Window* plain = SDL_CreateWindow(kTitle, x, y, kWidth, kHeight, flags);
  if (plain == nullptr) {
    FailStep("CreateWindowEx", nullptr, "SDL_CreateWindow(%dx%d at %d,%d): %s", kWidth, kHeight,
             x, y, SDL_GetError());
  }
  SDL_DestroyWindow(plain);
  FailStep("ChoosePixelFormat", nullptr,
           "no OpenGL pixel format with 8-bit RGB, double buffering and a depth buffer");
}

// The window procedure only acts on window and key events; the rest would
// just queue up behind them at one event per frame.
void IgnoreUnusedEvents() {
  static const Uint32 kIgnored[] = {SDL_MOUSEMOTION, SDL_TEXTINPUT, SDL_TEXTEDITING,
                                    SDL_KEYMAPCHANGED, SDL_FINGERMOTION};
  for (Uint32 type : kIgnored) SDL_EventState(type, SDL_IGNORE);
  SDL_StopTextInput();
}

}  // namespace

GlWindow::GlWindow(bool fullscreen) : fullscreen_(fullscreen) {
  quit = 0;

  // On an X display SDL is held to its X11 driver: when the server cannot
  // be reached, say why, rather than fall through to another driver.
  if (WantsXDisplay()) {
    std::string why;
    if (!HoldXDisplay(&why)) FailStep("RegisterClass", nullptr, "%s", why.c_str());
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    FailStep("RegisterClass", nullptr, "SDL_InitSubSystem(SDL_INIT_VIDEO): %s", SDL_GetError());
  }
  // Without any display SDL falls back to its display-less drivers, where
  // the show would run unseen until its end; only take them when asked for.
  if (!VideoDriverCanShow()) {
    FailStep("RegisterClass", nullptr, "no display (SDL chose its \"%s\" driver; set "
             "SDL_VIDEODRIVER=%s to run without one)", SDL_GetCurrentVideoDriver(),
             SDL_GetCurrentVideoDriver());
  }

  const int display = 0;
  SDL_DisplayMode show_mode{};
  int x = 0;
  int y = 0;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (fullscreen_) {
    show_mode = FindShowMode(display);
    // Made fullscreen from the start, so window managers never see it framed.
    flags |= SDL_WINDOW_FULLSCREEN;
  } else {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) {
      FailStep("CreateWindowEx", nullptr, "SDL_GetDesktopDisplayMode(%d): %s", display,
               SDL_GetError());
    }
    // Centred for an 800x600 outer size, halved with truncation toward zero:
    // on a screen smaller than the window the offset goes negative.
    x = (desktop.w - kWidth) / 2;
    y = (desktop.h - kHeight) / 2;
    flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  }

  window_ = CreateShowWindow(x, y, flags);
  if (!fullscreen_) AskForMoveOnlyFrame(window_);

  if (fullscreen_) {
    if (SDL_SetWindowDisplayMode(window_, &show_mode) != 0) {
      FailStep("ChangeDisplay", nullptr, "SDL_SetWindowDisplayMode(%dx%d): %s", show_mode.w,
               show_mode.h, SDL_GetError());
    }
    SDL_ShowCursor(SDL_DISABLE);
  }

  // Showing a fullscreen window is what switches the display mode.
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);

  if (fullscreen_) {
    SDL_DisplayMode current;
    int window_display = SDL_GetWindowDisplayIndex(window_);
    if (SDL_GetCurrentDisplayMode(window_display < 0 ? display : window_display, &current) != 0) {
      FailStep("ChangeDisplay", nullptr, "SDL_GetCurrentDisplayMode: %s", SDL_GetError());
    }
    if (current.w != kWidth || current.h != kHeight || !Is32BitsPerPixel(current.format)) {
      FailStep("ChangeDisplay", nullptr, "asked for %dx%d at 32 bpp, display is at %dx%d/%dbpp",
               kWidth, kHeight, current.w, current.h, int(SDL_BITSPERPIXEL(current.format)));
    }
  }

  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    FailStep("wglCreateContext", window_, "SDL_GL_CreateContext: %s", SDL_GetError());
  }
  if (SDL_GL_MakeCurrent(window_, context_) != 0) {
    FailStep("wglMakeCurrent", window_, "SDL_GL_MakeCurrent: %s", SDL_GetError());
  }

  int red = 0, green = 0, blue = 0, double_buffer = 0, depth = 0;
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &green);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &blue);
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &double_buffer);
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  if (red < 8 || green < 8 || blue < 8 || depth < 1) {
    FailStep("SetPixelFormat", window_,
             "asked for RGB 8/8/8, double buffer, depth buffer; got RGB %d/%d/%d, "
             "double buffer %d, depth %d",
             red, green, blue, double_buffer, depth);
  }
  // Display-less drivers draw into a single pbuffer, which is not swapped.
  double_buffered_ = double_buffer == 1;

  SetInitialGlState(kWidth, kHeight);
  // Pacing by the display's retrace where the driver allows it; frames run
  // unthrottled otherwise, which is not an error.
  const bool vsync = SDL_GL_SetSwapInterval(1) == 0;
  paced_by_display_ = double_buffered_ && vsync;

  SDL_DisableScreenSaver();
  IgnoreUnusedEvents();
}

GlWindow::~GlWindow() {
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(context_);
  // Destroying a fullscreen window puts the desktop's display mode back.
  SDL_DestroyWindow(window_);
  SDL_EnableScreenSaver();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlWindow::PumpMessage() {
  SDL_Event event;
  if (SDL_PollEvent(&event) == 1) HandleWindowEvent(window_, event);
}

void GlWindow::BeginScreenSpace() { zibo::BeginScreenSpace(); }

void GlWindow::SwapFrame() {
  if (double_buffered_) {
    SDL_GL_SwapWindow(window_);
  } else {
    // Swapping Mesa's EGL pbuffers frame after frame can hang the driver's
    // teardown; there is nothing to swap anyway.
    glFinish();
  }
}

uint32_t GlWindow::CreateMipmappedTexture(int32_t width, int32_t height, const uint8_t* rgba) {
  return zibo::CreateMipmappedTexture(width, height, rgba);
}

uint32_t GlWindow::LoadTgaTexture(const char* path) {
  uint32_t texture = 0;
  std::string error;
  if (!zibo::LoadTgaTexture(path, &texture, &error)) {
    if (error.empty()) error = std::string(path) + ": cannot be read";
    FailAndExit("Damn", error.c_str(), window_);
  }
  return texture;
}

}  // namespace zibo
