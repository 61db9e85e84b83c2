// ControllerTutorialPool: the control hints as the game's state asks for them.
#include "game/app/controller_tutorial_pool.h"

#include "game/app/pool_engine.h"

ControllerTutorialPool::ControllerTutorialPool(PoolEngine* game)
    : ControllerTutorial(game), game_(game) {}

void ControllerTutorialPool::update_hints() {
  update_control_hints(false);
  if (!game_) return;
  const PoolEngine& game = *game_;
  const bool on = enabled();
  const bool gamepad = on && gamepad_active();
  const bool keyboard = on && keyboard_active();
  const bool human_turn = game.rules && !game.rules->shot_in_progress &&
                          !game.rules->current_player().computer && game.shot_wizard.active();
  const bool paused = game.paused();
  const bool waiting = paused || human_turn;
  keyboard_select_hints(keyboard && waiting);
  gamepad_select_hints(gamepad && waiting);
  keyboard_choose_hints(keyboard && waiting && !paused);
  gamepad_choose_hints(gamepad && waiting && !paused);
  if (on) distribute_hints(0.75f);
}
