#include "support/gl/glut_window.h"

#include <GL/freeglut.h>

namespace testing_support {

void GlutWindowTest::TearDown() {
  for (kWindow& w : windows_)
    if (w() >= 0) w.close();
  windows_.clear();
  GLTest::TearDown();
}

kWindow& GlutWindowTest::window(kWindow settings) {
  return windows_.emplace_back(std::move(settings));
}

void GlutWindowTest::process_events() {
  glutMainLoopEvent();
}

}  // namespace testing_support
