// The show's window on SDL's offscreen driver: the close/Escape handling
// through the real event queue, the one-event pump, and the state the
// window starts with.
#include <cstdlib>

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include "shell/gl_window.h"

namespace zibo {
namespace {

class GlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No display: the window must come from the offscreen driver, and no
    // failure may wait on a message box.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }

  // What creating and showing the window queued is not under test.
  static void DropPendingEvents() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  static int PendingEvents() {
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  // SDL's poll may come back empty once when it meets the marker it leaves
  // behind its own pumped events, so an event pushed during one pump can
  // take one extra pump to arrive.
  static constexpr int kPumpsForAPushedEvent = 2;

  static void PushKeyDown(SDL_Window* window, SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(window);
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  static void PushWindowClose(SDL_Window* window) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
};

TEST_F(GlWindowTest, EscapeEndsTheShowOnlyAtALaterPump) {
  GlWindow window(false);
  DropPendingEvents();
  PushKeyDown(window.window(), SDLK_ESCAPE);

  window.PumpMessage();  // takes the key-down, queues a close request
  EXPECT_EQ(quit, 0);
  EXPECT_EQ(PendingEvents(), 1);

  for (int i = 0; i < kPumpsForAPushedEvent && quit == 0; ++i) window.PumpMessage();
  EXPECT_EQ(quit, 1);
  EXPECT_EQ(PendingEvents(), 0);
}

TEST_F(GlWindowTest, CloseEndsTheShowAtOnceAndKeepsTheWindow) {
  GlWindow window(false);
  DropPendingEvents();
  PushWindowClose(window.window());

  window.PumpMessage();
  EXPECT_EQ(quit, 1);
  EXPECT_EQ(SDL_GetWindowFromID(SDL_GetWindowID(window.window())), window.window());
  EXPECT_TRUE(SDL_GetWindowFlags(window.window()) & SDL_WINDOW_SHOWN);

  // A second close changes nothing.
  PushWindowClose(window.window());
  window.PumpMessage();
  EXPECT_EQ(quit, 1);
}

TEST_F(GlWindowTest, QuitEventEndsTheShow) {
  GlWindow window(false);
  DropPendingEvents();
  SDL_Event event{};
  event.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  window.PumpMessage();
  EXPECT_EQ(quit, 1);
}

TEST_F(GlWindowTest, OtherKeysDoNothing) {
  GlWindow window(false);
  DropPendingEvents();
  const SDL_Keycode keys[] = {SDLK_SPACE, SDLK_h, SDLK_RETURN, SDLK_q, SDLK_F4};
  for (SDL_Keycode key : keys) PushKeyDown(window.window(), key);
  for (size_t i = 0; i < 2 * SDL_arraysize(keys) + kPumpsForAPushedEvent; ++i) {
    window.PumpMessage();
  }
  EXPECT_EQ(quit, 0);
  EXPECT_EQ(PendingEvents(), 0) << "a key queued something";
}

TEST_F(GlWindowTest, PumpTakesAtMostOneEventAndDoesNotWait) {
  GlWindow window(false);
  DropPendingEvents();
  window.PumpMessage();  // nothing pending: returns at once
  EXPECT_EQ(quit, 0);

  PushKeyDown(window.window(), SDLK_a);
  PushKeyDown(window.window(), SDLK_b);
  PushWindowClose(window.window());
  window.PumpMessage();
  EXPECT_EQ(PendingEvents(), 2);
  window.PumpMessage();
  EXPECT_EQ(quit, 0);  // the close is still queued behind the keys
  window.PumpMessage();
  EXPECT_EQ(quit, 1);
}

TEST_F(GlWindowTest, ConstructionClearsAnEarlierQuit) {
  quit = 1;
  GlWindow window(false);
  EXPECT_EQ(quit, 0);
}

TEST_F(GlWindowTest, WindowedShowWindowIsCentredTopmostAndFixedInSize) {
  GlWindow window(false);
  SDL_Window* w = window.window();
  EXPECT_STREQ(SDL_GetWindowTitle(w), "zibo");

  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  int x = 0, y = 0;
  SDL_GetWindowPosition(w, &x, &y);
  EXPECT_EQ(x, (desktop.w - 800) / 2);
  EXPECT_EQ(y, (desktop.h - 600) / 2);

  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(w, &width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);

  const Uint32 flags = SDL_GetWindowFlags(w);
  EXPECT_TRUE(flags & SDL_WINDOW_ALWAYS_ON_TOP);
  EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
  EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
  EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
}

TEST_F(GlWindowTest, ContextIsCurrentDoubleBufferedWithDepthAndInitialState) {
  GlWindow window(false);
  EXPECT_EQ(SDL_GL_GetCurrentWindow(), window.window());

  int depth = 0, red = 0, green = 0, blue = 0;
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &green);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &blue);
  EXPECT_GE(depth, 16);
  EXPECT_GE(red, 8);
  EXPECT_GE(green, 8);
  EXPECT_GE(blue, 8);

  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  GLint matrix_mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);
  EXPECT_EQ(matrix_mode, GL_PROJECTION);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

  // The frame loop's clear gives opaque black.
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  window.BeginScreenSpace();
  GLint mode_after = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode_after);
  EXPECT_EQ(mode_after, GL_MODELVIEW);
}

TEST_F(GlWindowTest, EachWindowTurnsTheScreenSaverOffWhileItLives) {
  {
    GlWindow window(false);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
  }
  {
    GlWindow again(false);  // a second window after the first is gone
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
  }
}

using GlWindowDeathTest = GlWindowTest;

TEST_F(GlWindowDeathTest, FullscreenWithoutAn800x600ModeFailsWithChangeDisplay) {
  // The offscreen driver's only mode is 1024x768: no fallback, status 1.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(GlWindow window(true), ::testing::ExitedWithCode(1), "Damn: ChangeDisplay");
}

TEST_F(GlWindowDeathTest, UnreadableImageNamesTheFileAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        GlWindow window(false);
        window.LoadTgaTexture("no-such-dir/missing.tga");
      },
      ::testing::ExitedWithCode(1), "Damn: no-such-dir/missing\\.tga: ");
}

}  // namespace
}  // namespace zibo
