// The freeglut guard.
#include "platform/glut_guard.h"

#include <GL/freeglut.h>

namespace platform::glut_guard {

bool initialised() {
  return glutGet(GLUT_INIT_STATE) == 1;
}

bool window_current() {
  return initialised() && glutGetWindow() != 0;
}

int modifiers() {
  return initialised() ? glutGetModifiers() : 0;
}

void force_joystick() {
  if (initialised()) glutForceJoystickFunc();
}

bool set_cursor(int cursor) {
  if (!window_current()) return false;
  glutSetCursor(cursor);
  return true;
}

bool warp_pointer(int x, int y) {
  if (!window_current()) return false;
  glutWarpPointer(x, y);
  return true;
}

float stroke_width(void* font, int character) {
  return initialised() ? glutStrokeWidthf(font, character) : 0.0f;
}

float stroke_length(void* font, const std::string& text) {
  if (!initialised()) return 0.0f;
  return glutStrokeLengthf(font, reinterpret_cast<const unsigned char*>(text.c_str()));
}

void stroke_character(void* font, int character) {
  if (initialised()) glutStrokeCharacter(font, character);
}

bool post_redisplay() {
  if (!window_current()) return false;
  glutPostRedisplay();
  return true;
}

bool swap_buffers() {
  if (!window_current()) return false;
  glutSwapBuffers();
  return true;
}

std::array<int, 2> screen_size() {
  if (!initialised()) return {0, 0};
  return {glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)};
}

bool game_mode_active() {
  return initialised() && glutGameModeGet(GLUT_GAME_MODE_ACTIVE) != 0;
}

}  // namespace platform::glut_guard
