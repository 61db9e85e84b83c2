// PoolEngine: the human's side of a shot: the arrow keys, the choice of ball
// and pocket, ball in hand and the gates of a stroke.
#include <array>
#include <cmath>
#include <iostream>

#include "core/event_queue.h"
#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "game/rules/path_tests.h"
#include "game/table/angle.h"
#include "platform/xinput.h"
#include "ui/dialog.h"
#include "ui/object_selector.h"

namespace {

// A score no candidate reaches, so that any other candidate still wins.
constexpr float kSelectPenalty = 1000000.0f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707963267948966f;
// Seconds after a strike before the next may start.
constexpr double kStrikeInterval = 1.0;

bool named(const Wizard& wizard, const char* name) {
  return wizard.current_step().name() == name;
}

// The gamepad's D-pad button (XInput mask) of a freeglut arrow key; 0 for
// any other key.
int dpad_button(int key) {
  switch (key) {
    case 100:
      return platform::XINPUT_GAMEPAD_DPAD_LEFT;
    case 101:
      return platform::XINPUT_GAMEPAD_DPAD_UP;
    case 102:
      return platform::XINPUT_GAMEPAD_DPAD_RIGHT;
    case 103:
      return platform::XINPUT_GAMEPAD_DPAD_DOWN;
    default:
      return 0;
  }
}

}  // namespace

bool PoolEngine::is_ball_in_hand() const {
  return named(shot_wizard, kWizardSteps[0]);
}

void PoolEngine::begin_turn_at(const char* step) {
  shot_wizard.start();
  shot_wizard.set_step(std::string(step));
  turn_first_step = shot_wizard.current_step_index();
}

bool PoolEngine::awaiting_human_input() const {
  if (paused()) return true;
  return rules && !rules->shot_in_progress && !rules->current_player().computer &&
         shot_wizard.active();
}

CoordinateSystem PoolEngine::view_pose() const {
  CoordinateSystem view = mouse_look().coord_sys();
  view.position() = walking().position();
  return view;
}

bool PoolEngine::in_sight(const Vec3& p) const {
  constexpr float kMargin = 0.75f;
  const Vec3 local = view_pose().global2local(p);
  const std::array<float, 2> fov = camera().fov();
  const float ahead = -local[2];
  return ahead > 0.0f &&
         std::abs(local[0]) < kMargin * ahead * std::tan(fov[0] * kDegToRad / 2.0f) &&
         std::abs(local[1]) < kMargin * ahead * std::tan(fov[1] * kDegToRad / 2.0f);
}

Vec3 PoolEngine::panel_in_sight(const Vec3& spot) const {
  if (hmd_control() || in_sight(spot)) return spot;
  return at_reading_distance(
      PoolMenus::over_ball_in_hand(view_pose().local2global(placement_offset)));
}

Vec3 PoolEngine::at_reading_distance(const Vec3& p) const {
  if (hmd_control()) return p;
  const Vec3 eye = walking().position();
  const float distance = norm(p - eye);
  if (!(distance > 0.0f) || distance >= Dialog::kPlacedDistance) return p;
  return eye + (p - eye) * (Dialog::kPlacedDistance / distance);
}

int PoolEngine::pocket_holding(const Vec3& p) const {
  for (std::size_t k = 0; k < table.pockets.size(); ++k)
    if (norm(p - table.pockets[k].position) < table.pockets[k].radius) return static_cast<int>(k);
  return -1;
}

Ball* PoolEngine::selected_ball_object() {
  if (selected_ball < 0 || selected_ball >= static_cast<int>(balls.size())) return nullptr;
  return &balls[static_cast<std::size_t>(selected_ball)];
}

Pocket* PoolEngine::selected_pocket_object() {
  if (selected_pocket < 0 || selected_pocket >= static_cast<int>(table.pockets.size()))
    return nullptr;
  return &table.pockets[static_cast<std::size_t>(selected_pocket)];
}

void PoolEngine::on_arrow_key(int key) {
  // The key was found: its hint on the tutorial's gamepad stops flashing.
  if (ControllerTutorial* tutorial = controller_tutorial()) {
    if (const int pad = dpad_button(key)) tutorial->stop_flashing_gamepad_key(pad);
  }
  if (paused() || menus.menus_active) return;
  if (rules) {
    const GameRules& r = *rules;
    if (r.current_player().computer || (r.shot_in_progress && r.block_strike_while_running)) return;
  }
  if (named(shot_wizard, kWizardSteps[3])) {
    menus.hide_wizard_dialogs();
    shot_wizard.set_step(kWizardSteps[1]);
    // The player took the shot back: a stroke still waiting for the glide
    // must not start. Taken out at once, since a stop request would still
    // run the request's step once more.
    gametime_queue().erase(kShootRequestEvent);
  }
  if (named(shot_wizard, kWizardSteps[1]))
    select_ball(key);
  else if (named(shot_wizard, kWizardSteps[2]))
    select_pocket(key);
}

bool PoolEngine::selectable_ball(unsigned int i, bool path_check,
                                 const std::vector<int>& legal) const {
  if (i == 0 || i >= balls.size() || !balls[i].enable_update()) return false;
  const int ball = static_cast<int>(i);
  if (legal.empty()) {
    if (!rules || !rules->current_player().has_team()) return true;
    return ball == rules->eight_ball;
  }
  if (!holds(legal, ball)) return false;
  return !(path_check && path_blocked(balls, 0, ball));
}

void PoolEngine::select_ball(int key) {
  if (key != 0) {
    std::vector<ObjectSelector::Point> points;
    points.reserve(balls.size());
    for (const Ball& b : balls) points.push_back(b.position);
    const std::vector<int> legal = rules ? rules->legal_targets() : std::vector<int>{};
    const CoordinateSystem view = view_pose();
    const std::array<float, 3> direction = arrow_key_direction(key);
    ObjectSelector selector;
    int chosen = -1;
    // First among the balls the cue ball can reach straight, then among all.
    for (const bool path_check : {true, false}) {
      selector.positions(points, selected_ball);
      selector.filter([this, path_check, &legal](unsigned int i) {
        return selectable_ball(i, path_check, legal);
      });
      chosen = selector.select(view, direction, kSelectPenalty);
      if (chosen >= 0) break;
    }
    if (chosen < 0)
      std::cout << "Ball index is -1!" << std::endl;
    else
      selected_ball = chosen;
  }
  menus.hide_wizard_dialogs();
  if (is_ball_in_hand())
    menus.ball_in_hand();
  else
    menus.choose_ball();
  if (selected_ball < 0 || !rules)
    std::cout << "Ball index = -1!" << std::endl;
  else
    selected_pocket = rules->suitable_pockets(balls, table.pockets, selected_ball);
  if (selected_ball >= 0 && selected_pocket >= 0) align_shot(true);
  update_status_text();
}

void PoolEngine::select_pocket(int key) {
  if (key != 0) {
    std::vector<ObjectSelector::Point> points;
    points.reserve(table.pockets.size());
    for (const Pocket& p : table.pockets) points.push_back(p.position);
    ObjectSelector selector;
    selector.positions(points, selected_pocket);
    const Ball* ball = selected_ball_object();
    const Vec3 cue_position = cue_ball ? cue_ball->position : Vec3{0.0f, 0.0f, 0.0f};
    // Only pockets the ball can be cut into: at less than 90 degrees from
    // the cue ball's line to it.
    selector.filter([this, ball, cue_position](unsigned int k) {
      if (!ball || !cue_ball) return true;
      return angle_between(ball->position - cue_position,
                           table.pockets[k].position - ball->position, kTwoPi) < kHalfPi;
    });
    const int chosen = selector.select(view_pose(), arrow_key_direction(key), kSelectPenalty);
    if (chosen >= 0) {
      selected_pocket = chosen;
    } else if (ball && rules) {
      selected_pocket = rules->suitable_pockets(balls, table.pockets, selected_ball);
    } else if (!ball) {
      std::cout << "ball index = -1" << std::endl;
    }
  }
  menus.hide_wizard_dialogs();
  menus.choose_pocket();
  if (selected_ball_object() && selected_pocket_object()) align_shot(true);
  update_status_text();
}

bool PoolEngine::can_shoot() const {
  if (!strike_gate_open() || is_ball_in_hand()) return false;
  return positional_control(1) || named(shot_wizard, kWizardSteps[3]);
}

bool PoolEngine::strike_gate_open() const {
  if (balls.empty()) return false;
  if (rules && rules->shot_in_progress && rules->block_strike_while_running) return false;
  if (!shot_wizard.active()) return false;
  return gametime_queue().time() - shot_start_time > kStrikeInterval;
}

bool PoolEngine::computer_may_strike() const {
  if (!rules || !rules->current_player().computer) return true;
  return aim_marked();
}

void PoolEngine::human_control_step() {
  if (!is_ball_in_hand() || !cue_ball) return;
  if (rules && rules->current_player().computer) return;
  Ball& cue = *cue_ball;
  // The first controller's model, when a controller is connected and its
  // model is listed.
  VBO* hand = positional_control(1) && !controller_vbos().empty() ? controller_vbos()[0] : nullptr;

  // The spot must leave the whole ball inside the box, off the other balls
  // in play and out of the pockets' capture spheres.
  const Vec3 p = hand ? hand->coord_sys().position() : view_pose().local2global(placement_offset);
  const float r = cue.radius;
  bool free = true;
  for (int a = 0; a < 3; ++a)
    if (!(std::abs(p[a]) <= table.half_extents[a] - r)) free = false;
  for (const Ball& other : balls)
    if (&other != &cue && other.enable_update() && norm(p - other.position) < r + other.radius)
      free = false;
  for (const Pocket& pocket : table.pockets)
    if (norm(p - pocket.position) <= pocket.radius) free = false;

  if (!free) {
    menus.placement_marker.enable(true);
  } else {
    cue.position = p;
    menus.placement_marker.enable(false);
    if (!hand) {
      menus.ball_in_hand();
    } else {
      const bool down = controllers().front().trigger_active(0.5f);
      if (trigger_was_down_ && !down) {
        cue.enable_update(true);
        placed_time = real_time();
        shot_wizard.set_step(kWizardSteps[1]);
      }
      trigger_was_down_ = down;
    }
  }
  // The highlighted item stays where the arrow keys put it, so that Enter
  // runs it; only a dialog without one highlights its first item.
  const auto dialog = menus.wizard_dialogs.find("ball in hand");
  if (dialog != menus.wizard_dialogs.end()) {
    // The ball left where it is may be out of the picture: after
    // "Randomize", a view turned off the table, or the keys standing the
    // viewer up under a view tilted down by a computer's shot camera.
    if (!free && !hand && dialog->second->enabled())
      dialog->second->frame().coord_sys().position() =
          panel_in_sight(at_reading_distance(PoolMenus::over_ball_in_hand(cue.position)));
    dialog->second->arrange_children();
    if (dialog->second->cursor_data().index < 0) dialog->second->select_default_child();
  }
}
