// PoolEngine: the VR hand controllers' input of a frame: trigger clicks for
// the dialogs and the cue held between the hands.
#include "game/app/pool_engine.h"
#include "ui/dialog.h"

namespace {

float hand_distance(const float* p, const Vec3& q) {
  return norm(to_vec3(p) - q);
}

}  // namespace

Vec3 PoolEngine::controller_target() {
  Vec3 target{0.0f, 0.0f, 0.0f};
  if (cue_ball) target = cue_ball->position;
  if (menu_dialog) {
    if (paused() || balls.empty()) target = menu_dialog->frame().coord_sys().position();
    return target;
  }
  for (const Dialog* d : dialogs()) {
    if (d && d->frame().enabled() && d->selectable_children() != 0)
      return d->frame().coord_sys().position();
  }
  return target;
}

void PoolEngine::update_controller_input() {
  const std::vector<Controller>& hands = controllers();
  const std::size_t n = hands.size();
  for (std::size_t i = 0; i < n && i < hand_positions.size(); ++i)
    hand_positions[i] = to_vec3(hands[i].pos().x_data());
  const Vec3 target = controller_target();

  // The hand nearer the target; the first of equally near ones.
  std::size_t nearest = 0;
  if (!balls.empty() && n > 0) {
    float best = hand_distance(hands[0].pos().x_data(), target);
    for (std::size_t i = 1; i < n; ++i) {
      const float d = hand_distance(hands[i].pos().x_data(), target);
      if (d < best) {
        best = d;
        nearest = i;
      }
    }
  }

  // A trigger that crossed the threshold clicks the dialogs' button 0:
  // state 1 pressed, 0 let go.
  for (const Controller& hand : hands) {
    if (hand.trigger().delta_x()[0] == 0.0f) continue;
    const bool held = hand.trigger_active(kTriggerThreshold);
    const bool was_held = hand.trigger().last_x_data()[0] > kTriggerThreshold;
    if (held != was_held) mouse_button_events().emplace_back(0, held ? 1 : 0);
  }

  if (!paused() && rules && rules->current_player().computer) return;
  if (n == 0) return;
  const Vec3 hand = to_vec3(hands[0].pos().x_data());
  if (n == 1) {
    if (!balls.empty() && !paused()) {
      cue.set_pose(hand.data(), target.data(), target.data(), true);
      return;
    }
    const VBO* model = controller_vbos().at(0);
    if (!model) return;
    const Vec3 b = hand + model->coord_sys().zhat_array(false) * kHeldCueReach;
    cue.set_pose(hand.data(), b.data(), nullptr, true);
    return;
  }

  const Controller& front = hands[nearest];
  const Controller& back = hands[(nearest + 1) % n];
  const Vec3 a =
      front.trigger_active(kTriggerThreshold) ? cue.end_a : to_vec3(front.pos().x_data());
  Vec3 b = to_vec3(back.pos().x_data());
  if (back.trigger_active(kTriggerThreshold)) {
    // The back end slides along the cue's line by how far the back hand
    // lies along it; with both ends at one point there is no line and it
    // stays.
    const Vec3 d = a - cue.end_b;
    const float length = norm(d);
    b = cue.end_b;
    if (length > 0.0f) {
      const Vec3 u = d / length;
      b += u * dot(to_vec3(back.pos().x_data()) - cue.end_b, u);
    }
  }
  cue.set_pose(a.data(), b.data(), target.data(), true);
}
