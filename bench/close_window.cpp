// Asks a window to close the way a window manager's close box does, by sending it the
// WM_DELETE_WINDOW message; a bare X server has no window manager to do it.
//   close-window WINDOW_ID      (DISPLAY names the server; status 1 when it cannot be reached)
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
  if (!display) return 1;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::strtoul(argv[1], nullptr, 0);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);  // flushes the request
  return sent ? 0 : 1;
}
