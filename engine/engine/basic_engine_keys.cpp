// BasicEngine: keys and special keys, the named commands and their bindings,
// the arrow keys that move the selected dialog's selection, the functions on
// the gamepads' buttons and the VR triggers.
#include <cctype>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <utility>

#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "platform/xinput.h"
#include "ui/dialog.h"

namespace {

// A count of players from a settings value: atof truncated to int; 0 for
// what is not a number or lies outside the int range.
int player_count(const CfgField& field) {
  const double value = static_cast<double>(field);
  if (!std::isfinite(value) || value <= double(std::numeric_limits<int>::min()) - 1.0 ||
      value >= double(std::numeric_limits<int>::max()) + 1.0)
    return 0;
  return static_cast<int>(value);
}

}  // namespace

void BasicEngine::keyboard_impl(int key, int state, float, float, float) {
  const char lowered = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  const std::size_t k = walk_keys_.walk_chars().find(lowered);
  // A letter comes back in the case that Shift or Caps Lock give at its
  // release, which may differ from its press: releasing a walk key in either
  // case lets go of both, so the held walk ends with the key.
  if (state == 0 && k != std::string::npos) {
    const unsigned char c = static_cast<unsigned char>(key);
    for (const int code : {std::tolower(c), std::toupper(c)}) keyboard().keys()[code] = 0;
  }
  if (active_camera_animation()) return;
  if (state != 0) {
    if (k != std::string::npos) {
      // The frame step goes on pushing while the key is held; the menu
      // takes the walker off input there, and so here.
      if (menu_enabled()) return;
      walking_.input_local = Bindings::walk_direction(static_cast<int>(k), 1);
      mouse_look_.coord_sys().local2global_rotation(walking_.input_local.data(),
                                                    walking_.input_global.data());
      walking_.ctl_input(walking_.input_global.data(), true);
      return;
    }
  }
  run_binding(state != 0 ? key_down_bindings_ : key_up_bindings_, key);
}

void BasicEngine::joystick_impl(unsigned int, float, float, float) {}

void BasicEngine::special_key_up_impl(int key, float, float, float) {
  // The input base calls this for the press and for the release of a key;
  // the arrows act on the press only (the state is recorded before).
  const auto state = keyboard().special_keys().find(key);
  if (state == keyboard().special_keys().end() || state->second == 0) return;
  if (!selected_dialog_ || !selected_dialog_->any_selectable()) return;
  if (is_arrow_key(key)) arrow_key_up(key);
}

int BasicEngine::bind_key_down(unsigned char key, std::string command, int argument) {
  key_down_bindings_[key] = {std::move(command), argument};
  return 0;
}

int BasicEngine::bind_key_up(unsigned char key, std::string command, int argument) {
  key_up_bindings_[key] = {std::move(command), argument};
  return 0;
}

int BasicEngine::bind_mouse_down(int button, std::string command, int argument) {
  mouse_down_bindings_[button] = {std::move(command), argument};
  return 0;
}

int BasicEngine::bind_mouse_up(int button, std::string command, int argument) {
  mouse_up_bindings_[button] = {std::move(command), argument};
  return 0;
}

int BasicEngine::run_binding(const KeyBindings& bindings, int key) {
  const auto binding = bindings.find(static_cast<unsigned char>(key & 0xff));
  if (binding == bindings.end()) return 0;
  // A copy: the command may change the table, itself included.
  const Command command = cmds_[binding->second.first];
  return command ? command(binding->second.second) : 0;
}

int BasicEngine::key_cmd(int key, int edge) {
  return run_binding(edge == kPressEdge ? key_down_bindings_ : key_up_bindings_, key);
}

int BasicEngine::init_basic_cmds() {
  cmds_["quit"] = [this](int) { return quit_; };
  cmds_["start_game"] = [this](int argument) {
    if (!start_game_hook_) return argument;
    // Nothing writes "basic_settings" unless the application does; the
    // engine's own defaults live in "basic_engine".
    const EngineSettings& settings = settings_;
    const ProgramCfg& basic = settings["basic_settings"];
    int humans = 0;
    int computers = 0;
    if (basic.contains("autostart_human_players") || basic.contains("autostart_ai_player")) {
      humans = player_count(basic["autostart_human_players"]);
      computers = player_count(basic["autostart_ai_player"]);
    } else {
      const ProgramCfg& engine = settings["basic_engine"];
      humans = player_count(engine["autostart_human_players"]);
      computers = player_count(engine["autostart_ai_players"]);
    }
    start_game_hook_(humans, computers);
    return argument;
  };
  return 0;
}

std::array<float, 3> BasicEngine::arrow_key_to_look_dir(unsigned int key) const {
  std::array<float, 3> d{0.0f, 0.0f, 0.0f};
  if (!selected_dialog_) return d;
  const auto& keys = arrow_keys();
  for (std::size_t r = 0; r < keys.size(); ++r)
    for (std::size_t i = 0; i < keys[r].size(); ++i)
      if (static_cast<unsigned int>(keys[r][i]) == key) d[r] = i == 0 ? -1.0f : 1.0f;
  std::array<float, 3> out{};
  selected_dialog_->frame().coord_sys().local2global_rotation(d.data(), out.data());
  return out;
}

int BasicEngine::arrow_key_up(int key) {
  if (!is_arrow_key(key) || !controllers_.empty()) return -1;
  Dialog* dialog = selected_dialog_;
  if (dialog && dialog->enabled() && dialog->any_selectable()) {
    if (dialog->move_selection(arrow_key_to_look_dir(static_cast<unsigned int>(key)), 8, true,
                               true)) {
      if (dialog->sounds) play_menu_arrow_sound(nullptr);
      return 0;
    }
  }
  if (arrow_key_hook_) arrow_key_hook_(key);
  return 0;
}

void BasicEngine::any_gamepad_callback() {
  last_gamepad_input_ = std::chrono::steady_clock::now();
}

void BasicEngine::bind_gamepad_callbacks(int index) {
  if (index < 0) {
    for (int i = 0; i < xinput_.num_joysticks(); ++i) bind_gamepad_callbacks(i);
    return;
  }
  if (index >= xinput_.num_joysticks()) return;
  KeyCallbacks& buttons = xinput_.joystick(index).button_callbacks();
  using platform::XINPUT_GAMEPAD_A;
  using platform::XINPUT_GAMEPAD_B;
  using platform::XINPUT_GAMEPAD_X;
  using platform::XINPUT_GAMEPAD_Y;
  // Each press stamps the gamepad input; each release also the input base's
  // gamepad time.
  const auto press = [this](std::function<void()> action) {
    return [this, action = std::move(action)](int) {
      any_gamepad_callback();
      action();
    };
  };
  const auto release = [this](std::function<void()> action) {
    return [this, action = std::move(action)](int) {
      any_gamepad_callback();
      last_gamepad_time(real_time());
      if (action) action();
    };
  };
  const auto arrow = [this, &release](int key) {
    return release([this, key] { arrow_key_up(key); });
  };
  const auto up = [this, &release](int key) { return release([this, key] { key_up(key); }); };
  const auto down = [this, &press](int key) { return press([this, key] { key_down(key); }); };

  buttons.up_callback(platform::XINPUT_GAMEPAD_DPAD_UP) = arrow(101);
  buttons.up_callback(platform::XINPUT_GAMEPAD_DPAD_DOWN) = arrow(103);
  buttons.up_callback(platform::XINPUT_GAMEPAD_DPAD_LEFT) = arrow(100);
  buttons.up_callback(platform::XINPUT_GAMEPAD_DPAD_RIGHT) = arrow(102);
  buttons.up_callback(platform::XINPUT_GAMEPAD_START) = up(27);
  buttons.up_callback(platform::XINPUT_GAMEPAD_BACK) = up(127);
  buttons.down_callback(platform::XINPUT_GAMEPAD_BACK) = down(127);
  buttons.up_callback(XINPUT_GAMEPAD_A) = up(10);
  buttons.down_callback(XINPUT_GAMEPAD_A) = down(10);
  buttons.up_callback(XINPUT_GAMEPAD_B) = up(127);
  buttons.up_callback(XINPUT_GAMEPAD_X) = buttons.up_callback(XINPUT_GAMEPAD_A);
  buttons.down_callback(XINPUT_GAMEPAD_X) = buttons.down_callback(XINPUT_GAMEPAD_A);
  buttons.up_callback(XINPUT_GAMEPAD_Y) = buttons.up_callback(XINPUT_GAMEPAD_B);
  // B's press as it stands: the application's, or none.
  const auto b_press = buttons.down_callbacks().find(XINPUT_GAMEPAD_B);
  buttons.down_callback(XINPUT_GAMEPAD_Y) =
      b_press == buttons.down_callbacks().end() ? nullptr : b_press->second;
  buttons.up_callback(platform::XINPUT_GAMEPAD_LEFT_SHOULDER) =
      release([this] { comfort_rotate(45.0f, 0.5); });
  buttons.up_callback(platform::XINPUT_GAMEPAD_RIGHT_SHOULDER) =
      release([this] { comfort_rotate(-45.0f, 0.5); });
  buttons.up_callback(platform::XINPUT_GAMEPAD_LEFT_THUMB) = release(nullptr);
  buttons.up_callback(platform::XINPUT_GAMEPAD_RIGHT_THUMB) = release(nullptr);
}

bool BasicEngine::find_gamepads() {
  const std::vector<int> before = xinput_.user_indices();
  xinput_.find_new_controllers();
  // A pad swapped for another within one search leaves the count as it was;
  // the set of user indices shows it.
  const std::set<int> was(before.begin(), before.end());
  const std::set<int> now(xinput_.user_indices().begin(), xinput_.user_indices().end());
  if (was == now) return false;
  bind_gamepad_callbacks(-1);
  return true;
}

bool BasicEngine::gamepad_active() const {
  return look_controller() == ControllerType::gamepad ||
         walk_controller() == ControllerType::gamepad ||
         menu_controller() == ControllerType::gamepad;
}

bool BasicEngine::joystick_look_active() const {
  return !hmd_control_ && recent(last_gamepad_look_, gamepad_look_timeout_);
}

void BasicEngine::input_triggers(const std::vector<float>& primary,
                                 const std::vector<float>& secondary) {
  input_triggers(primary);
  input_secondary_triggers(secondary);
}

void BasicEngine::input_triggers(const std::vector<float>& values) {
  for (std::size_t i = 0; i < controllers_.size() && i < values.size(); ++i)
    controllers_[i].trigger().update(values[i], 0.0f, 0.0f);
}

void BasicEngine::input_secondary_triggers(const std::vector<float>& values) {
  for (std::size_t i = 0; i < controllers_.size() && i < values.size(); ++i)
    controllers_[i].secondary_trigger().update(values[i], 0.0f, 0.0f);
}
