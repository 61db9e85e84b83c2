// What the current freeglut window shows, after its buffers were swapped:
// read from the X server, as a screenshot would see it.
#pragma once

#include <array>

namespace testing_support {

// Raises the current window above the others and waits until it is shown
// (what is drawn before is lost); from then on the server keeps its picture
// where other windows cover it. False when it is not shown in time.
bool show_window();

// RGB of the window pixel at (x, y), y counted from the bottom as in GL, and
// 255 as alpha; all 0 when the window cannot be read.
std::array<unsigned char, 4> shown_pixel(int x, int y);

}  // namespace testing_support
