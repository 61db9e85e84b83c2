#include "support/gl/window_pixels.h"

#include <GL/glew.h>

#include <chrono>
#include <thread>

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testing_support {

bool show_window() {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable window = glXGetCurrentDrawable();
  const int id = glutGetWindow();
  if (!display || !window || id <= 0) return false;
  // The test programs share one X server, and another's window may cover
  // this one when its pixels are read: the server keeps the window's own
  // picture for what is covered, so shown_pixel reads what it drew.
  XSetWindowAttributes keep{};
  keep.backing_store = Always;
  XChangeWindowAttributes(display, window, CWBackingStore, &keep);
  XRaiseWindow(display, window);

  for (int i = 0; i < 400; ++i) {
    // freeglut may make another window current while it handles events.
    glutMainLoopEvent();
    glutSetWindow(id);
    XSync(display, False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

std::array<unsigned char, 4> shown_pixel(int x, int y) {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable window = glXGetCurrentDrawable();
  if (!display || !window) return {0, 0, 0, 0};
  glFinish();
  XSync(display, False);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes)) return {0, 0, 0, 0};
  const int top = attributes.height - 1 - y;
  if (x < 0 || top < 0 || x >= attributes.width) return {0, 0, 0, 0};
  XImage* image = XGetImage(display, window, x, top, 1, 1, AllPlanes, ZPixmap);
  if (!image) return {0, 0, 0, 0};
  const unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  auto channel = [p](unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1ul)) {
      mask >>= 1;
      ++shift;
    }
    return static_cast<unsigned char>((p >> shift) & 0xFFul);
  };
  return {channel(attributes.visual->red_mask), channel(attributes.visual->green_mask),
          channel(attributes.visual->blue_mask), 255};
}

}  // namespace testing_support
