// ControllerType: which input device last drove the menus, the look or the
// walk, as the engine answers it (BasicEngine::menu_controller and its two
// twins) to the control hints, the cursor and the gamepad logic.
#pragma once

// The values are stored and compared as these numbers.
enum class ControllerType : int {
  none = 0,           // no device has driven this yet
  gamepad = 1,        // a gamepad
  keyboard = 2,       // the keyboard
  mouse = 3,          // the mouse
  hmd = 4,            // the head-mounted display (head-mounted mode)
  vr_controller = 5,  // a tracked VR hand controller
};
