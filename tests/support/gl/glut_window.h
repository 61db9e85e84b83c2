// A GL test that opens freeglut windows of its own under the virtual display.
#pragma once

#include <deque>

#include "input/window.h"
#include "support/gl/gl_test.h"

namespace testing_support {

// Windows are made through window() and belong to the fixture: after the
// test each one that is still open is closed (once: freeglut destroys windows
// later, in its event loop, and a second destruction corrupts it), and the
// shared context's window is current again.
class GlutWindowTest : public GLTest {
 protected:
  void TearDown() override;

  // A window with those settings, not yet created.
  kWindow& window(kWindow settings);
  // Runs freeglut's event loop once, so that requests such as a reshape take
  // effect. Every open window needs a display function first.
  static void process_events();

 private:
  std::deque<kWindow> windows_;
};

}  // namespace testing_support
