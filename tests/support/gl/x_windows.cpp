#include "support/gl/x_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace testing_support {

namespace {

// A window may close between the listing and the question (another
// program's, or the watched program ending): its error is an answer, not a
// reason for Xlib's default handler to end the test.
int ignore_x_error(Display*, XErrorEvent*) {
  return 0;
}

Display* open_display() {
  XSetErrorHandler(ignore_x_error);
  return XOpenDisplay(nullptr);
}

std::string window_title(Display* display, Window window) {
  std::string title;
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name) {
    title = name;
    XFree(name);
    return title;
  }
  const Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, net_name, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return title;
}

unsigned long find_window(const std::string& title) {
  Display* display = open_display();
  if (!display) return 0;
  unsigned long found = 0;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && !found; ++i)
      if (window_title(display, children[i]) == title) found = children[i];
    if (children) XFree(children);
  }
  XCloseDisplay(display);
  return found;
}

}  // namespace

unsigned long wait_for_window(const std::string& title, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (const unsigned long w = find_window(title)) return w;
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool request_close(unsigned long window) {
  Display* display = open_display();
  if (!display) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
  XSync(display, False);
  XCloseDisplay(display);
  return sent;
}

std::array<int, 2> window_size(unsigned long window) {
  Display* display = open_display();
  if (!display) return {0, 0};
  XWindowAttributes attributes{};
  std::array<int, 2> size{0, 0};
  if (XGetWindowAttributes(display, window, &attributes))
    size = {attributes.width, attributes.height};
  XCloseDisplay(display);
  return size;
}

std::optional<WindowRect> window_rect(unsigned long window) {
  Display* display = open_display();
  if (!display) return std::nullopt;
  std::optional<WindowRect> rect;
  XWindowAttributes attributes{};
  Window child = 0;
  int x = 0, y = 0;
  const Window root = DefaultRootWindow(display);
  if (XGetWindowAttributes(display, window, &attributes) &&
      XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child)) {
    const int screen_w = DisplayWidth(display, DefaultScreen(display));
    const int screen_h = DisplayHeight(display, DefaultScreen(display));
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + attributes.width, screen_w);
    const int y1 = std::min(y + attributes.height, screen_h);
    if (x1 > x0 && y1 > y0) rect = WindowRect{x0, y0, x1 - x0, y1 - y0};
  }
  XCloseDisplay(display);
  return rect;
}

std::vector<std::uint32_t> window_colours(unsigned long window, int columns, int rows) {
  std::vector<std::uint32_t> colours;
  const std::optional<WindowRect> rect = window_rect(window);
  if (!rect) return colours;
  Display* display = open_display();
  if (!display) return colours;
  const int w = rect->width, h = rect->height;
  if (XImage* image = XGetImage(display, DefaultRootWindow(display), rect->x, rect->y, w, h,
                                AllPlanes, ZPixmap)) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        const unsigned long p =
            XGetPixel(image, (2 * c + 1) * w / (2 * columns), (2 * r + 1) * h / (2 * rows));
        colours.push_back(static_cast<std::uint32_t>(p & 0xFFFFFF));
      }
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return colours;
}

bool press_keys(unsigned long window, const std::string& keys) {
  const std::string command = "timeout 5 xdotool windowfocus --sync " + std::to_string(window) +
                              " key " + keys + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool send_keys(unsigned long window, const std::string& keys) {
  const std::string command =
      "timeout 5 xdotool key --window " + std::to_string(window) + " " + keys + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

namespace {

// The lock file of the display DISPLAY names (":7" gives "...-7.lock").
std::string lock_file() {
  const char* display = std::getenv("DISPLAY");
  std::string name = display ? display : "";
  std::replace_if(
      name.begin(), name.end(), [](char c) { return c == ':' || c == '/'; }, '-');
  return "/tmp/talvorin32-program-tests" + name + ".lock";
}

// Set once a lock of this process is kept until it ends: later locks of the
// process hold it already (a second flock on another descriptor would wait
// for the first for ever).
bool kept_until_exit = false;

}  // namespace

GameWindowLock::GameWindowLock() {
  if (kept_until_exit) return;
  fd_ = ::open(lock_file().c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
  if (fd_ >= 0) ::flock(fd_, LOCK_EX);
}

void GameWindowLock::keep_until_exit() {
  if (fd_ >= 0) kept_until_exit = true;
  fd_ = -1;
}

GameWindowLock::~GameWindowLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace testing_support
