// ControllerTutorialPool: the game's controller tutorial, the engine's
// keyboard, gamepad and controller hints as the game shows them.
#pragma once

#include "engine/controller_tutorial.h"

class PoolEngine;

class ControllerTutorialPool : public ControllerTutorial {
 public:
  // The tutorial of the game's engine, whose state its hints follow.
  explicit ControllerTutorialPool(PoolEngine* game = nullptr);

  // The periodic update of the control hints (every 0.5 s, from the game's
  // scene set-up): the hint sets for the device in charge; the selection
  // hints of the keyboard or the gamepad, whichever is in charge, while the
  // game is paused or a human's shot waits in the active shot wizard, and
  // their choice hints only then and not paused (both only while the
  // tutorial is enabled); laid out 0.75 wide while it is enabled. Nothing
  // but the first without a game.
  void update_hints();

 private:
  PoolEngine* game_;
};
