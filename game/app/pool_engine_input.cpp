// PoolEngine: the game's commands and key bindings, the mouse, and the input
// hooks it stores in the engine.
#include <cmath>

#include "game/app/pool_engine.h"
#include "ui/dialog.h"

namespace {

// The shot wizard's step indices.
constexpr int kBallInHand = 0;
constexpr int kChoosePocket = 2;
constexpr int kShoot = 3;

}  // namespace

int PoolEngine::bind_keys() {
  Commands& c = cmds();
  // The press goes to the dialog that takes input now, as the release
  // does: the first Enter on a dialog just shown presses its highlighted
  // item, which the release then runs.
  c["enter_key_down"] = [this](int) {
    if (Dialog* d = menus_current_dialog()) menu_dialog = d;
    return menu_dialog && menu_dialog->enabled() ? menu_dialog->click(1, true) : 0;
  };
  c["enter_key_up"] = [this](int) {
    Dialog* d = menus_current_dialog();
    if (d)
      menu_dialog = d;
    else
      d = menu_dialog;
    if (d && d->enabled()) {
      if (d->sounds) play_menu_select_sound(nullptr);
      d->click(0, true);
    }
    return 0;
  };
  c["toggle_menu"] = [this](int) { return pause_allowed() ? int(toggle_menu()) : 0; };
  c["backspace_key_up"] = [this](int) { return undo_shot_step(); };
  c["menu_back_or_esc"] = [this](int) {
    if (!pause_allowed()) return 0;
    if (!menu_enabled()) {
      toggle_menu();
    } else {
      play_menu_select_sound(nullptr);
      if (!menus_back()) set_menu(false);
    }
    return 0;
  };
  for (unsigned char key : {13, 10}) bind_key_up(key, "enter_key_up", 0);
  for (unsigned char key : {13, 10}) bind_key_down(key, "enter_key_down", 0);
  bind_key_up(27, "menu_back_or_esc", 0);
  bind_key_up(127, "backspace_key_up", 0);
  return 0;
}

Dialog* PoolEngine::menus_current_dialog() {
  return menus.current_dialog();
}

Dialog* PoolEngine::menus_back() {
  return menus.back();
}

int PoolEngine::undo_shot_step() {
  if (menus.menus_active && !menus_back() && menu_hook()) menu_hook()(false);
  // A prompt still open takes the key alone, a finished game has no step to
  // take back, and a computer's turn is not the player's to take back (its
  // glide and aim stay): nothing behind them changes.
  if (menus.first_open_menu() || (rules && rules->has_winner())) return -1;
  if (rules && rules->current_player().computer) return -1;
  // The gate of a strike without its step conditions: can_shoot() holds only
  // in "Shoot" (on a monitor), which would leave nothing to undo in the
  // steps before it.
  if (!strike_gate_open()) return -1;
  const int from = shot_wizard.current_step_index();
  // Never below the step the turn began at: a turn that began at "Choose
  // ball" gets no ball in hand from it.
  if ((from >= 1 || (rules && rules->turn_passed)) && from > turn_first_step) {
    shot_wizard.back();
    // A stroke asked for with the Shoot button and not yet started is
    // called off with the step.
    if (from == kShoot) gametime_queue().erase(kShootRequestEvent);
  }
  // The choices of the steps undone are cleared: the arrows choose again,
  // and until they do the step's button confirms nothing. A key of 0 then
  // shows the dialog of the step alone and refreshes the status lines.
  const int step = shot_wizard.current_step_index();
  if (step < kShoot) {
    selected_pocket = -1;
    select_pocket(0);
  }
  if (step < kChoosePocket) {
    selected_ball = -1;
    select_ball(0);
  }
  return -1;
}

void PoolEngine::mouse_motion(float x, float y) {
  mouse_passive(x, y, 0.0f);
}

void PoolEngine::install_input_callbacks() {
  mouse_button_hook() = [this](int, int state, float, float, float) {
    if (state == 1) any_key_callback();
  };
  key_intercept() = [this](int key, int state, float, float, float) {
    if (state != 1) return;
    any_key_callback();
    arrow_key_up(key);
  };
  walking_hook() = [this] {
    const bool used = mouse_input() || keyboard_input() || gamepad_active();
    // While the game is paused (a menu or a prompt is open) the view stays:
    // the camera of a computer's shot waits with the game, and the keys
    // that work the menu do not stand the walker up under it.
    if (!used || paused() || active_camera_animation() || hmd_control()) return;
    for (const std::string& name : camera_event_names) gametime_queue().clear(name);
    gametime_queue().flush(0, false);
    walking().stand(&realtime_queue(), 0.5, false);
  };
  menu_hook() = [this](bool shown) { menus.menu_changed(shown); };
}
