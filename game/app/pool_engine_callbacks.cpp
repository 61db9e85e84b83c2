// PoolEngine: the game's functions in the engine's hooks.
#include "game/app/pool_engine.h"

void PoolEngine::install_callbacks() {
  pre_idle_hook() = [this] {
    guide_hit = aim_guide.hit;
    if (update_listener) update_listener();
  };
  // After the event queues and the engine's own idle step, once a frame,
  // paused or not.
  idle_hook() = [this] { simulation_step(); };

  mouse_button_hook() = [this](int, int state, float, float, float) {
    if (state == 1) any_key_callback();
  };
  // Arrows act on the press; releases are not passed on.
  key_intercept() = [this](int key, int state, float, float, float) {
    if (state != 1) return;
    any_key_callback();
    arrow_key_up(key);
  };
  // Input from the player ends the camera's shot animations, and the walker
  // stands up again (not in a headset, whose wearer stands already).
  walking_hook() = [this] {
    if (!(mouse_input() || keyboard_input() || gamepad_active())) return;
    if (active_camera_animation() || hmd_control()) return;
    EventQueue& game = gametime_queue();
    for (const std::string& name : camera_event_names) game.clear(name);
    game.flush(0, false);
    walking().stand(&realtime_queue(), 0.5, false);
  };
  menu_hook() = [this](bool shown) {
    if (shown) {
      if (!pause_allowed()) return;
      pause(true);
      audio.game_bank.pause(false);
      walking().stand_still();
    } else {
      unpause();
      audio.game_bank.resume();
    }
  };
}
