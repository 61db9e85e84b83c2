// PoolMenus: the dialogs of the shot wizard, their placement and their
// buttons' actions.
#include "game/menus/pool_menus.h"

#include <algorithm>
#include <array>

#include "game/app/pool_engine.h"
#include "ui/dialog.h"

namespace {

// The shot power slider.
constexpr float kPowerMin = 0.125f;
constexpr float kPowerMax = 1.0f;
constexpr float kPowerStart = 0.6f;

// The room every text of a panel keeps from the panel's edges (left,
// bottom, right, top): the stroke font's capitals reach the top of a line
// and its descenders nearly the bottom.
constexpr std::array<float, 4> kTextMargins{0.02f, 0.006f, 0.02f, 0.01f};

}  // namespace

PoolMenus::PoolMenus(PoolEngine* e) : engine(e) {
  placement_marker.enable(false);
}

PoolMenus::~PoolMenus() {
  for (const std::unique_ptr<Dialog>& dialog : owned_) {
    if (engine) engine->remove_dialog(dialog.get());
    dialog->delete_children();
  }
}

Dialog* PoolMenus::new_dialog(const std::string& name, bool standing) {
  owned_.push_back(std::make_unique<Dialog>());
  Dialog* dialog = owned_.back().get();
  dialog->rename(name);
  // The items added copy the dialog's own text frame, margins included.
  dialog->frame().margins(kTextMargins);
  if (standing) {
    dialog->follow_player(0);
    dialog->follow_player_rotation(0);
  }
  // Handed to the engine, which keeps it among its dialogs and turns it to
  // the viewer when it is shown.
  if (engine) *engine += dialog;
  return dialog;
}

template <typename Build>
Dialog* PoolMenus::wizard_dialog(const std::string& name, Build build) {
  const auto found = wizard_dialogs.find(name);
  if (found != wizard_dialogs.end()) return found->second;
  Dialog* dialog = new_dialog(name, true);
  // On the table, among the balls and near the rails: drawn over them.
  dialog->depth_test(false);
  build(dialog);
  // Built unturned, as its children copy its pose; from now on it turns in
  // place toward the viewer.
  dialog->follow_player_rotation(1);
  // The arrow keys move the ball and pocket selection here, not a menu
  // cursor.
  dialog->sounds = false;
  wizard_dialogs[name] = dialog;
  dialog->select_default_child();
  return dialog;
}

void PoolMenus::show_at(Dialog* dialog, const float* position) {
  dialog->enable(true);
  if (engine) engine->selected_dialog() = dialog;
  if (position)
    dialog->frame().coord_sys().position() =
        engine ? engine->panel_in_sight(to_vec3(position)) : to_vec3(position);
}

Dialog* PoolMenus::ball_in_hand() {
  Dialog* dialog = wizard_dialog("ball in hand", [this](Dialog* d) {
    d->add_button("Place here", [this, d] { place_here_pressed(d); });
    d->add_button("Randomize", [this, d] { randomize_pressed(d); });
  });
  const bool active = ball_in_hand_active();
  dialog->enable(active);
  if (active && engine->cue_ball) {
    // The ball may be held right in front of the view: the panel over it
    // then stands farther out on the same line of sight.
    const Vec3 p = engine->at_reading_distance(over_ball_in_hand(engine->cue_ball->position));
    show_at(dialog, p.data());
  }
  return dialog;
}

Dialog* PoolMenus::choose_ball() {
  Dialog* dialog = wizard_dialog("ball", [this](Dialog* d) {
    d->add_button("Choose ball", [this, d] { step_pressed(d, &PoolMenus::choose_pocket); });
  });
  const Ball* ball = engine ? engine->selected_ball_object() : nullptr;
  const Vec3 p = ball ? ball->position + Vec3{0.0f, 0.05f, 0.0f} : Vec3{};
  show_at(dialog, ball ? p.data() : nullptr);
  return dialog;
}

Dialog* PoolMenus::choose_pocket() {
  Dialog* dialog = wizard_dialog("pocket", [this](Dialog* d) {
    d->add_button("Choose pocket", [this, d] { step_pressed(d, &PoolMenus::shoot); });
  });
  const Pocket* pocket = engine ? engine->selected_pocket_object() : nullptr;
  const Vec3 p = pocket ? pocket->position * 0.8f : Vec3{};
  show_at(dialog, pocket ? p.data() : nullptr);
  return dialog;
}

Dialog* PoolMenus::shoot() {
  Dialog* dialog = wizard_dialog("shoot", [this](Dialog* d) {
    TextFrame* button = d->add_button("Shoot", [this, d] { shoot_pressed(d); });
    Slider* slider = d->add_slider([this](float v) { power_changed(v); }, kPowerStart,
                                   {kPowerMin, kPowerMax}, {0.3f, 0.05f, 0.0f});
    // Activating the slider shoots.
    slider->callback() = button->callback();
    d->gap = 0.015f;
  });
  const bool aimed = engine && engine->cue_ball && engine->selected_ball_object() &&
                     engine->selected_pocket_object();
  const Vec3 p = aimed ? engine->cue_ball->position + Vec3{0.0f, 0.1f, 0.0f} : Vec3{};
  show_at(dialog, aimed ? p.data() : nullptr);
  if (engine) {
    for (Frame* child : dialog->children()) {
      if (auto* slider = dynamic_cast<Slider*>(child)) {
        slider->set_value(engine->shot_power());
        break;
      }
    }
  }
  return dialog;
}

void PoolMenus::hide_wizard_dialogs() {
  for (auto& [name, dialog] : wizard_dialogs) dialog->disable();
}

bool PoolMenus::ball_in_hand_active() const {
  if (!engine || engine->positional_control(1) || !engine->rules) return false;
  if (!engine->is_ball_in_hand()) return false;
  const GameRules& rules = *engine->rules;
  return !rules.current_player().computer || rules.shot_in_progress;
}

void PoolMenus::step_pressed(Dialog* dialog, Dialog* (PoolMenus::*show_next)()) {
  if (engine) {
    if (engine->paused()) return;
    // A step confirms only what has been chosen: a ball, and at the pocket
    // step a pocket too. The dialog stays for the choice.
    if (!engine->selected_ball_object()) return;
    if (show_next == &PoolMenus::shoot && !engine->selected_pocket_object()) return;
    hide_wizard_dialogs();
    (this->*show_next)();
    engine->shot_wizard.next();
  }
  dialog->disable();
}

void PoolMenus::shoot_pressed(Dialog* dialog) {
  if (engine) {
    if (engine->paused() || !engine->can_shoot()) return;
    if (engine->rules && engine->rules->current_player().computer) return;
    hide_wizard_dialogs();
    engine->shoot_after_cue_animation();
  }
  dialog->disable();
}

void PoolMenus::power_changed(float value) {
  if (!engine || !engine->rules || engine->rules->current < 0) return;
  const auto seat = static_cast<std::size_t>(engine->rules->current);
  std::vector<float>& powers = engine->shot_powers;
  if (powers.size() <= seat) powers.resize(seat + 1, engine->cue.default_power);
  powers[seat] = value;
}

void PoolMenus::place_here_pressed(Dialog* dialog) {
  if (!ball_in_hand_active()) {
    dialog->disable();
    return;
  }
  if (engine->rules->shot_in_progress) return;
  engine->shot_wizard.set_step(PoolEngine::kWizardSteps[1]);
  engine->select_ball(0);
  dialog->disable();
}

void PoolMenus::randomize_pressed(Dialog* dialog) {
  if (!ball_in_hand_active() || engine->rules->shot_in_progress || !engine->cue_ball) return;
  Ball& cue = *engine->cue_ball;
  const Vec3 p = engine->random_ball_position(0.0);
  const Vec3 shift = p - cue.position;
  cue.position = p;
  Vec3& at = dialog->frame().coord_sys().position();
  at = at + shift;
}
