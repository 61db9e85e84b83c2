// PoolEngine: the game's functions in the engine's hooks.
#include "game/app/pool_engine.h"

void PoolEngine::install_callbacks() {
  if (!update_listener) update_listener = [this] { update_listener_audio(); };
  pre_idle_hook() = [this] {
    update_aim();
    // The strike of the next frame may still go on this frame's guide.
    guide_hit = aim_guide.hit;
    if (update_listener) update_listener();
    start_turn();
    menus.keep_menus_in_view();
  };
  arrow_key_hook() = [this](int key) { on_arrow_key(key); };
  // A new game starts at the next advance of the real-time queue, outside
  // whatever asked for it (a menu action, the end of a shot). The hand
  // controllers' labels follow at once (the menus have closed by then).
  start_game_hook() = [this](int humans, int computers) {
    enqueue([this, humans, computers] { new_game(humans, computers); }, 0.0, nullptr);
    menus.update_vr_labels();
  };
  // After the event queues and the engine's own idle step, once a frame,
  // paused or not.
  idle_hook() = [this] { simulation_step(); };
  // After the engine took a headset frame's controller poses.
  controller_pose_hook() = [this] { update_controller_input(); };
  install_input_callbacks();
}
