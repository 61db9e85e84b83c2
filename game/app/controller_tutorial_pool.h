// ControllerTutorialPool: the game's controller tutorial, the engine's
// keyboard, gamepad and controller hints as the game shows them. It adds no
// virtual operation of its own: the game's hint updates act on it from the
// game's periodic events.
#pragma once

#include "engine/controller_tutorial.h"

class ControllerTutorialPool : public ControllerTutorial {
 public:
  using ControllerTutorial::ControllerTutorial;
};
