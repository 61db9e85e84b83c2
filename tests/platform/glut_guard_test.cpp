// The freeglut guard before glutInit: every call is skipped with a neutral
// answer. Unguarded, each of these calls would end the test program.
#include "platform/glut_guard.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

namespace guard = platform::glut_guard;

TEST(GlutGuard, CallsBeforeGlutInitAreSkipped) {
  EXPECT_FALSE(guard::initialised());
  EXPECT_FALSE(guard::window_current());
  EXPECT_EQ(guard::modifiers(), 0);
  guard::force_joystick();
  EXPECT_FALSE(guard::set_cursor(GLUT_CURSOR_NONE));
  EXPECT_FALSE(guard::warp_pointer(1, 1));
  // The font is not looked at (this program does not link freeglut's fonts).
  EXPECT_EQ(guard::stroke_width(nullptr, 'W'), 0.0f);
  EXPECT_EQ(guard::stroke_length(nullptr, "Walk"), 0.0f);
  guard::stroke_character(nullptr, 'W');
  EXPECT_FALSE(guard::post_redisplay());
  EXPECT_FALSE(guard::swap_buffers());
  EXPECT_EQ(guard::screen_size(), (std::array<int, 2>{0, 0}));
  EXPECT_FALSE(guard::game_mode_active());
}
