/* x_close_request: asks an X window to close the way a window manager's
 * close button does (a WM_DELETE_WINDOW client message), which xdotool
 * cannot do. Usage: x_close_request <window id>. Exit 0 once sent. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <window id>\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "x_close_request: cannot open display %s\n", XDisplayName(NULL));
    return 1;
  }
  const Window window = (Window)strtoul(argv[1], NULL, 0);
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  if (!XSendEvent(display, window, False, NoEventMask, &event)) {
    fprintf(stderr, "x_close_request: XSendEvent to 0x%lx failed\n", (unsigned long)window);
    XCloseDisplay(display);
    return 1;
  }
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
