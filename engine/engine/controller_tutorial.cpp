// ControllerTutorial: construction, the "controls" settings and the control
// hints.
#include "engine/controller_tutorial.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "core/engine_settings.h"
#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "engine/owned_dialogs.h"
#include "ui/dialog.h"
#include "ui/tex_frame.h"

namespace {

// The hint sets, by key.
const std::initializer_list<const char*> kKeyboardWalk{"esc_pause", "wsad_walk", "mouse_look"};
const std::initializer_list<const char*> kKeyboardSelect{"arrows_select"};
const std::initializer_list<const char*> kKeyboardChoose{"enter_choose"};
const std::initializer_list<const char*> kGamepadWalk{"Start_button_menu", "L_thumb_walk",
                                                      "R_thumb_look"};
const std::initializer_list<const char*> kGamepadSelect{"D_pad_select"};
const std::initializer_list<const char*> kGamepadChoose{"A_button_choose"};
const std::initializer_list<const char*> kGamepadBack{"B_button_back"};

struct HintRow {
  const char* key;
  const char* label;
  const char* picture;
  const char* button;  // on the gamepad model
  float x;             // in the row, without the model
};

const HintRow kKeyboardRows[] = {
    {"esc_pause", "Menu", "keyboard_Esc", "", 0.0f},
    {"wsad_walk", "Walk", "keyboard_WSAD", "", 0.0f},
    {"enter_choose", "Choose", "keyboard_Enter", "", 0.0f},
    {"arrows_select", "Select", "keyboard_arrows", "", 0.0f},
    {"mouse_look", "Look around", "mouse", "", 0.0f},
};

const HintRow kGamepadRows[] = {
    {"L_thumb_walk", "Walk", "gamepad_L_thumb", "L_thumb", -0.3f},
    {"D_pad_select", "Select", "gamepad_Dpad", "D_pad", -0.15f},
    {"Start_button_menu", "Menu", "gamepad_Start", "Start_button", -0.2f},
    {"A_button_choose", "Choose", "gamepad_A", "A_button", -0.2f},
    {"B_button_back", "Back", "gamepad_B", "B_button", 0.2f},
    {"R_thumb_look", "Look around", "gamepad_R_thumb", "R_thumb", 0.3f},
};

// The file name up to its last '.'.
std::string without_extension(const std::string& file) {
  const std::size_t dot = file.rfind('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

}  // namespace

ControllerTutorial::ControllerTutorial(BasicEngine* engine)
    : settings_(engine ? &engine->settings() : nullptr), engine_(engine) {}

ControllerTutorial::~ControllerTutorial() = default;

int ControllerTutorial::init(bool load_model) {
  if (!engine_ || !settings_) return -1;
  // A missing (or unreadable) file counts as an empty one: the defaults below
  // go into the section and are written, so that the hints are built all the
  // same.
  settings_->load_section("controls");
  ProgramCfg& controls = (*settings_)["controls"];
  if (!controls.contains("gamepad_model")) controls["gamepad_model"] = "gamepad.ini";
  if (!controls.contains("gamepad_offset")) controls["gamepad_offset"] = gamepad_offset_;
  settings_->save_section("controls", true);

  ProgramCfg description;
  const std::string path = settings_->find_cfg(controls["gamepad_model"].str());
  if (!path.empty() && description.load(path) == 0 && description.contains("obj_file"))
    gamepad_locations_ =
        ControllerButtonLocations(without_extension(description["obj_file"].str()));
  controls.read("gamepad_offset", &gamepad_offset_);

  const int result = load_model ? load_gamepad() : 0;
  std::weak_ptr<char> alive = life_.token;
  engine_->update_functions()["orient controller tutorial"] = [this, alive](double) {
    if (!alive.expired()) orient_gamepad();
  };
  init_kbd_labels();
  init_gamepad_labels(0.025f, false);
  return result;
}

// ---- The device in charge

ControllerType ControllerTutorial::active_device() const {
  if (!engine_) return ControllerType::none;
  return engine_->menu_enabled() ? engine_->menu_controller() : engine_->look_controller();
}

bool ControllerTutorial::gamepad_active() const {
  return active_device() == ControllerType::gamepad;
}

bool ControllerTutorial::keyboard_active() const {
  const ControllerType d = active_device();
  return d == ControllerType::keyboard || d == ControllerType::mouse;
}

bool ControllerTutorial::can_walk() const {
  if (!engine_) return false;
  return !engine_->paused() && !engine_->gametime_queue().active("Camera animation") &&
         engine_->look_events().empty();
}

// ---- Showing and laying out

void ControllerTutorial::update_control_hints(bool distribute) {
  const bool on = enabled();
  const bool kb = on && keyboard_active();
  const bool gp = on && gamepad_active();
  const bool walk = on && can_walk();
  keyboard_walk_hints(kb && walk);
  keyboard_select_hints(kb);
  keyboard_choose_hints(kb);
  gamepad_walk_hints(gp && walk);
  gamepad_menu_hints(gp);
  if (distribute && on) distribute_hints(0.75f);
}

void ControllerTutorial::distribute_hints(float width) {
  const auto lay_out = [this, width](const Hints& hints, const std::vector<std::string>& names) {
    std::vector<Dialog*> row;
    for (const std::string& name : names) {
      const auto it = hints.find(name);
      if (it == hints.end() || !it->second || !it->second->enabled()) continue;
      if (std::find(row.begin(), row.end(), it->second) != row.end()) continue;
      it->second->calculate_volume();
      row.push_back(it->second);
    }
    if (row.empty()) return;
    const float n = static_cast<float>(row.size());
    float widths = 0.0f, mean_x = 0.0f;
    for (const Dialog* d : row) {
      widths += d->frame().vol()[0];
      mean_x += d->frame().coord_sys().position()[0];
    }
    const float gap = (width - widths) / (n + 1.0f);
    if (row.size() >= 2) {
      float x = mean_x / n - width / 2.0f + gap;
      for (Dialog* d : row) {
        const float w = d->frame().vol()[0];
        d->frame().coord_sys().position()[0] = x + w / 2.0f;
        x += w + gap;
      }
    }
    Vec3 mean{0.0f, 0.0f, 0.0f};
    for (const Dialog* d : row)
      for (int i = 0; i < 3; ++i) mean[i] += d->frame().coord_sys().position()[i];
    const Vec3 target{0.0f, hints_y_, 0.0f};
    for (Dialog* d : row)
      for (int i = 0; i < 3; ++i) d->frame().coord_sys().position()[i] += target[i] - mean[i] / n;
  };
  if (keyboard_active()) lay_out(keyboard_hints_, keyboard_hint_names_);
  if (gamepad_active()) lay_out(gamepad_hints_, gamepad_hint_names_);
}

void ControllerTutorial::show_hints(const Hints& hints, std::initializer_list<const char*> keys,
                                    bool show, bool gamepad) {
  for (const char* key : keys) {
    if (!(gamepad ? have_gamepad_hint(key) : have_keyboard_hint(key))) continue;
    if (Dialog* d = hints.at(key)) d->enable(show);
  }
}

void ControllerTutorial::keyboard_walk_hints(bool show) {
  show_hints(keyboard_hints_, kKeyboardWalk, show, false);
}

void ControllerTutorial::keyboard_select_hints(bool show) {
  show_hints(keyboard_hints_, kKeyboardSelect, show, false);
}

void ControllerTutorial::keyboard_choose_hints(bool show) {
  show_hints(keyboard_hints_, kKeyboardChoose, show, false);
}

void ControllerTutorial::keyboard_menu_hints(bool show) {
  keyboard_select_hints(show);
  keyboard_choose_hints(show);
}

void ControllerTutorial::keyboard_turn_hints(bool show) {
  keyboard_menu_hints(show);
}

void ControllerTutorial::gamepad_walk_hints(bool show) {
  show_hints(gamepad_hints_, kGamepadWalk, show, true);
}

void ControllerTutorial::gamepad_select_hints(bool show) {
  show_hints(gamepad_hints_, kGamepadSelect, show, true);
}

void ControllerTutorial::gamepad_choose_hints(bool show) {
  show_hints(gamepad_hints_, kGamepadChoose, show, true);
}

void ControllerTutorial::gamepad_menu_hints(bool show) {
  gamepad_select_hints(show);
  gamepad_choose_hints(show);
  show_hints(gamepad_hints_, kGamepadBack, show, true);
}

bool ControllerTutorial::have_keyboard_hint(const std::string& key) const {
  return keyboard_hints_.count(key) != 0;
}

bool ControllerTutorial::have_gamepad_hint(const std::string& key) const {
  if (gamepad_hints_.count(key) != 0) return true;
  if (missing_gamepad_hints_.insert(key).second)
    std::cerr << "Error: have_gamepad_hint(" << key << ") = 0" << std::endl;
  return false;
}

// ---- Building

void ControllerTutorial::add_ctl_hint(Hints& hints, std::vector<std::string>& names,
                                      std::string label, std::string key, std::string picture,
                                      Vec3 position) {
  if (!hint_dialogs_) hint_dialogs_ = std::make_shared<OwnedDialogs>(engine_);
  Dialog* d = hint_dialogs_->keep(DialogPtr(new Dialog("", {})));
  d->gap = label_gap_;
  d->add_text(std::move(label), false)->text_size(label_size_, true);
  if (!picture.empty()) {
    // A picture that is not found is asked for where it should be: the
    // panel reports it by that path and shows a plain square.
    std::string file;
    if (settings_) {
      const std::string name = "controls/" + picture + ".png";
      file = settings_->find_texture(name);
      if (file.empty()) file = settings_->path_in(settings_->textures_folder(), name);
    }
    d->add_button(new TexFrame(file, "", image_height_));
  }
  d->horizontal_layout();
  // After the children, which copy the dialog's frame and so its pose.
  d->frame().coord_sys().position() = position;
  d->frame().coord_sys().enable_translation(true);
  hints[key] = d;
  names.push_back(std::move(key));
}

void ControllerTutorial::add_hint_dlgs(Hints& hints, float, float text_size) {
  for (auto& [key, d] : hints) {
    if (!d) continue;
    if (text_size > 0.0f)
      for (TextFrame* t : d->text_frames()) t->text_size(text_size, true);
    d->enable(false);
    d->depth_test(false);
    if (!engine_) continue;
    std::vector<Dialog*>& overlay = engine_->ortho_dlgs();
    if (std::find(overlay.begin(), overlay.end(), d) == overlay.end()) overlay.push_back(d);
  }
}

void ControllerTutorial::init_kbd_labels() {
  keyboard_hint_names_.clear();
  for (const HintRow& row : kKeyboardRows)
    add_ctl_hint(keyboard_hints_, keyboard_hint_names_, row.label, row.key, row.picture,
                 {0.0f, hints_y_, 0.0f});
  add_hint_dlgs(keyboard_hints_, -0.18f, 0.0f);
}

void ControllerTutorial::init_gamepad_labels(float, bool on_model) {
  gamepad_hint_names_.clear();
  const ControllerButtonLocations::Buttons& points = gamepad_locations_.buttons();
  for (const HintRow& row : kGamepadRows) {
    Vec3 position{row.x, hints_y_, 0.0f};
    if (on_model) {
      // A table without the button leaves the hint at the model's origin.
      const auto it = points.find(row.button);
      position = it == points.end() ? Vec3{0.0f, 0.0f, 0.0f} : it->second;
    }
    add_ctl_hint(gamepad_hints_, gamepad_hint_names_, row.label, row.key, row.picture, position);
  }
  add_hint_dlgs(gamepad_hints_, -0.18f, 0.0f);
}

// ---- Text hints on the gamepad model

Dialog* ControllerTutorial::new_controller_hint(std::string name, std::string text, Vec3 point,
                                                int layout, float text_size, float gap) {
  if (!engine_) return nullptr;
  if (!button_hint_dialogs_) button_hint_dialogs_ = std::make_shared<OwnedDialogs>(engine_);
  DialogPtr made(new Dialog());
  made->rename(name);
  // It stays at its point of the model; the engine only turns it.
  made->follow_player(0);
  made->layout_dimension(layout);
  made->gap = gap;
  if (text_size > 0.0f) made->frame().text_size(text_size, true);
  made->add_text(std::move(text), false);
  Dialog* d = button_hint_dialogs_->adopt(std::move(made));
  button_hints_.push_back(d);
  add_endless_event("orient " + name, [this, d, point](double) {
    if (engine_->controllers().empty() || !d->enabled()) return;
    d->frame().coord_sys().position() = gamepad().coord_sys().local2global(point);
  });
  return d;
}

void ControllerTutorial::controller_button_hint(std::string name, std::string text) {
  for (Dialog* d : button_hints_) {
    if (!d || d->name() != name) continue;
    const std::vector<TextFrame*> lines = d->text_frames();
    if (!lines.empty()) lines.front()->set_text(std::move(text));
    return;
  }
}
