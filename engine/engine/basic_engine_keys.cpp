// BasicEngine: the key and joystick slots of the input base.
#include "engine/basic_engine.h"

// Held walk keys move the walker through the frame step's walking check;
// single presses and releases have no engine action of their own yet.
void BasicEngine::keyboard_impl(int, int, float, float, float) {}

void BasicEngine::joystick_impl(unsigned int, float, float, float) {}

void BasicEngine::special_key_up_impl(int, float, float, float) {}
