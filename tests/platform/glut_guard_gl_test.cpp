// The freeglut guard with freeglut running: each function is the plain call.
#include "platform/glut_guard.h"
#include "support/gl/gl_test.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace guard = platform::glut_guard;
using testing_support::GLTest;

class GlutGuardGLTest : public GLTest {};

TEST_F(GlutGuardGLTest, CallsGoThroughOnceFreeglutRuns) {
  EXPECT_TRUE(guard::initialised());
  EXPECT_TRUE(guard::window_current());
  EXPECT_NEAR(guard::stroke_width(GLUT_STROKE_ROMAN, 'W'), 100.518f, 1e-3f);
  EXPECT_NEAR(guard::stroke_length(GLUT_STROKE_ROMAN, "Walk"), 248.98f, 1e-2f);
  EXPECT_EQ(guard::stroke_length(GLUT_STROKE_ROMAN, ""), 0.0f);
  EXPECT_EQ(guard::screen_size(), (std::array<int, 2>{1920, 1080}));  // scripts/with-xvfb.sh
  EXPECT_FALSE(guard::game_mode_active());  // never possible under Xvfb
  guard::force_joystick();

  const int before = glutGet(GLUT_WINDOW_CURSOR);
  EXPECT_TRUE(guard::set_cursor(GLUT_CURSOR_CROSSHAIR));
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_CROSSHAIR);
  EXPECT_TRUE(guard::warp_pointer(10, 10));
  EXPECT_TRUE(guard::post_redisplay());
  EXPECT_TRUE(guard::swap_buffers());
  guard::set_cursor(before);
}
