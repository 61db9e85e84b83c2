// The one gate for freeglut calls that end the process when they come too
// early. freeglut exits when glutGetModifiers, glutForceJoystickFunc or the
// stroke-font metrics run before glutInit, and when glutSetCursor,
// glutWarpPointer, glutPostRedisplay or glutSwapBuffers run with no current
// window. Code that makes such a call
// goes through here: in a running program (freeglut initialised, a window
// current) each function is the plain call; otherwise it skips the call and
// answers a neutral value, so start-up paths and tests without a display
// never end the process.
#pragma once

#include <array>
#include <string>

namespace platform::glut_guard {

// glutInit has run; safe to ask at any time.
bool initialised();
// Initialised, and a window is current.
bool window_current();

// glutGetModifiers() (the GLUT_ACTIVE_* bits); 0 before glutInit. freeglut
// answers only inside its input callbacks (elsewhere it warns and gives 0).
int modifiers();
// glutForceJoystickFunc(); nothing before glutInit.
void force_joystick();
// glutSetCursor and glutWarpPointer on the current window; nothing without
// one. True when the call was made.
bool set_cursor(int cursor);
bool warp_pointer(int x, int y);
// glutStrokeWidthf and glutStrokeLengthf of a stroke font (such as
// GLUT_STROKE_ROMAN) in font units; 0 before glutInit.
float stroke_width(void* font, int character);
float stroke_length(void* font, const std::string& text);
// glutStrokeCharacter: draws one character of a stroke font and advances the
// current matrix by its width; nothing before glutInit.
void stroke_character(void* font, int character);
// glutPostRedisplay and glutSwapBuffers on the current window; nothing
// without one. True when the call was made.
bool post_redisplay();
bool swap_buffers();
// glutGet(GLUT_SCREEN_WIDTH) and glutGet(GLUT_SCREEN_HEIGHT); 0, 0 before
// glutInit.
std::array<int, 2> screen_size();
// glutGameModeGet(GLUT_GAME_MODE_ACTIVE) != 0: the program runs in game
// mode; false before glutInit.
bool game_mode_active();

}  // namespace platform::glut_guard
