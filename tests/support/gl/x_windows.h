// The windows of the virtual X display as a test sees them from outside:
// found by title, asked to close as a window manager asks, sent keys.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The first top-level window whose title (WM_NAME or the UTF-8
// _NET_WM_NAME) is exactly `title`, waiting up to the seconds; 0 when none
// showed.
unsigned long wait_for_window(const std::string& title, double seconds);
// Sends the window the WM_DELETE_WINDOW request of its close button; false
// without a display.
bool request_close(unsigned long window);
// Where a top-level window shows on the screen: its position in root
// coordinates and its size, clipped to the screen; nothing without a
// display, for a window that is gone or one wholly off the screen.
struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};
std::optional<WindowRect> window_rect(unsigned long window);
// The colours (0xRRGGBB) of a columns x rows grid of points spread evenly
// over the window's visible part, as the screen shows them; empty without a
// display or for a window that is gone.
std::vector<std::uint32_t> window_colours(unsigned long window, int columns, int rows);
// The window's width and height in pixels; 0, 0 without a display or for a
// window that is gone.
std::array<int, 2> window_size(unsigned long window);
// Focuses the window and types the xdotool key names ("Return"); true when
// xdotool did so.
bool press_keys(unsigned long window, const std::string& keys);
// Sends the window the xdotool key names as key events of its own
// (XSendEvent), whatever has the focus; true when xdotool did so.
bool send_keys(unsigned long window, const std::string& keys);

// Held by a test that opens a window titled as the game on the shared
// display, or looks for one by that title: one such test at a time on that
// display (DISPLAY), so that none takes another's window for its own, while
// runs on other displays go on. Waits for the lock.
class GameWindowLock {
 public:
  GameWindowLock();
  ~GameWindowLock();
  GameWindowLock(const GameWindowLock&) = delete;
  GameWindowLock& operator=(const GameWindowLock&) = delete;
  // Leaves the lock held until the process ends, and with it the windows of
  // the process (freeglut takes a closed window down only in its main loop);
  // later locks of the process then take nothing more.
  void keep_until_exit();

 private:
  int fd_ = -1;
};

}  // namespace testing_support
