// PoolEngine: the game's functions in the engine's hooks.
#include "game/app/pool_engine.h"

void PoolEngine::install_callbacks() {
  if (!update_listener) update_listener = [this] { update_listener_audio(); };
  pre_idle_hook() = [this] {
    guide_hit = aim_guide.hit;
    if (update_listener) update_listener();
  };
  // After the event queues and the engine's own idle step, once a frame,
  // paused or not.
  idle_hook() = [this] { simulation_step(); };
  install_input_callbacks();
}
