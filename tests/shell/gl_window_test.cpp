// The show's window on SDL's offscreen driver: Escape, close and quit
// through the real event queue, the one-event pump, and how the window and
// its context start.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "shell/gl_window.h"

namespace zibo {
namespace {

class GlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);  // and no failure waits on a message box
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
  static void Push(SDL_Window* window, Uint32 type, SDL_Keycode key = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = SDL_GetWindowID(window);  // shares its place with window.windowID
    event.key.keysym.sym = key;
    if (type == SDL_WINDOWEVENT) event.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
};

// Each pump takes at most one event. Escape queues a close request, so it
// ends the show one or two pumps later (SDL's poll may come back empty once
// at the marker behind its own pumped events); close and quit end it at once.
TEST_F(GlWindowTest, EventsEndTheShowAfterTheirNumberOfPumps) {
  struct Case { std::vector<std::pair<Uint32, SDL_Keycode>> events; int pumps_before_quit, pumps_after; };
  const Case cases[] = {
      {{{SDL_KEYDOWN, SDLK_ESCAPE}}, 1, 2}, {{{SDL_WINDOWEVENT, 0}}, 0, 1}, {{{SDL_QUIT, 0}}, 0, 1},
      {{{SDL_KEYDOWN, SDLK_a}, {SDL_KEYDOWN, SDLK_b}, {SDL_WINDOWEVENT, 0}}, 2, 1},
      {{{SDL_KEYDOWN, SDLK_SPACE}, {SDL_KEYDOWN, SDLK_h}, {SDL_KEYDOWN, SDLK_q}, {SDL_KEYDOWN, SDLK_F4}}, 6, 0}};
  for (const Case& c : cases) {
    quit = 1;
    GlWindow window(false);
    EXPECT_EQ(quit, 0) << "a new window clears an earlier quit";
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (auto [type, key] : c.events) Push(window.window(), type, key);
    for (int i = 0; i < c.pumps_before_quit; ++i) window.PumpMessage();
    EXPECT_EQ(quit, 0) << c.events.size() << " events";
    for (int i = 0; i < c.pumps_after && quit == 0; ++i) window.PumpMessage();
    EXPECT_EQ(quit, c.pumps_after > 0) << c.events.size() << " events";
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0);
    EXPECT_TRUE(SDL_GetWindowFlags(window.window()) & SDL_WINDOW_SHOWN) << "kept until the end";
  }
}

TEST_F(GlWindowTest, WindowIsCentredTopmostFixedAndItsContextReady) {
  GlWindow window(false);
  SDL_Window* w = window.window();
  EXPECT_STREQ(SDL_GetWindowTitle(w), "zibo");
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(w, &x, &y);
  SDL_GL_GetDrawableSize(w, &width, &height);
  EXPECT_EQ(std::vector<int>({x, y, width, height}),
            std::vector<int>({(desktop.w - 800) / 2, (desktop.h - 600) / 2, 800, 600}));
  EXPECT_EQ(SDL_GetWindowFlags(w) & (SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_RESIZABLE |
                                      SDL_WINDOW_FULLSCREEN | SDL_WINDOW_OPENGL),
            Uint32(SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_OPENGL));
  EXPECT_FALSE(SDL_IsScreenSaverEnabled());
  EXPECT_EQ(SDL_GL_GetCurrentWindow(), w);
  int depth = 0;
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  EXPECT_GE(depth, 16);
  const std::pair<GLenum, std::vector<GLint>> state[] = {{GL_VIEWPORT, {0, 0, 800, 600}},
      {GL_MATRIX_MODE, {GL_PROJECTION}}, {GL_DEPTH_FUNC, {GL_LESS}}, {GL_BLEND_SRC, {GL_SRC_ALPHA}},
      {GL_BLEND_DST, {GL_ONE_MINUS_SRC_ALPHA}}};
  for (const auto& [name, want] : state) {
    GLint got[4] = {};
    glGetIntegerv(name, got);
    EXPECT_EQ(std::vector<GLint>(got, got + want.size()), want) << std::hex << name;
  }
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_CULL_FACE));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

using GlWindowDeathTest = GlWindowTest;

// The offscreen driver's only mode is 1024x768: no fallback, status 1.
TEST_F(GlWindowDeathTest, FailuresNameTheStepAndEndTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(GlWindow window(true), ::testing::ExitedWithCode(1), "Damn: ChangeDisplay");
  EXPECT_EXIT(GlWindow(false).LoadTgaTexture("no-such-dir/missing.tga"),
              ::testing::ExitedWithCode(1), "Damn: no-such-dir/missing\\.tga: ");
}

}  // namespace
}  // namespace zibo
