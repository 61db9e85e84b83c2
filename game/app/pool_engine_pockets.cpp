// PoolEngine: a ball against the pockets and the walls of the box, and the
// sinking of a pocketed ball on the game-time queue.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

#include "core/bezier_fader.h"
#include "core/event.h"
#include "game/app/pool_engine.h"
#include "game/table/ball_physics.h"
#include "ui/dialog.h"

namespace {

// Seconds of the glide into the pocket's mouth, and of the settling after it.
constexpr double kSinkGlide = 0.5;

}  // namespace

int PoolEngine::check_pockets_and_walls(int i) {
  if (i < 0 || i >= static_cast<int>(balls.size())) return -1;
  Ball& ball = balls[static_cast<std::size_t>(i)];
  if (!ball.enable_update()) return -1;
  for (std::size_t k = 0; k < table.pockets.size(); ++k) {
    const Pocket& pocket = table.pockets[k];
    if (norm(ball.position - pocket.position) < pocket.radius) ball_sunk(i, static_cast<int>(k));
  }
  if (!ball.enable_update()) return -1;
  for (int a = 0; a < 3; ++a) {
    const float h = table.half_extents[a] - ball.radius;
    float& p = ball.position[a];
    if (!(std::abs(p) > h)) continue;
    const bool outward = p * ball.velocity[a] > 0.0f;
    p = p > 0.0f ? h : -h;
    if (outward) {
      ball_physics::bounce_off_wall(ball, a);
      return a;
    }
  }
  return -1;
}

void PoolEngine::ball_sunk(int i, int k) {
  if (i < 0 || k < 0 || i >= static_cast<int>(balls.size()) ||
      k >= static_cast<int>(table.pockets.size()))
    return;
  Ball& ball = balls[static_cast<std::size_t>(i)];
  if (!ball.enable_update()) return;
  EventQueue& queue = gametime_queue();
  const std::array<std::string, 2> names = sink_event_names(static_cast<unsigned int>(i));
  if (queue.active(names[0]) || queue.active(names[1])) return;
  sink_span_ = std::max(sink_span_, static_cast<std::size_t>(i) + 1);
  Pocket& pocket = table.pockets[static_cast<std::size_t>(k)];

  if (update_listener) update_listener();
  ball.coord_sys().position() = ball.position;
  const float speed = norm(ball.velocity);
  audio.play_impact(ImpactKind::kPocket, &ball.coord_sys(), speed);
  Vec3 entry = ball.velocity;
  if (speed > pocket.max_entry_speed) entry = entry * (pocket.max_entry_speed / speed);
  ball.enable_update(false);

  // From the box into the pocket: along the diagonal at a corner, along the
  // edge's bisector at the middle of an edge.
  const Vec3& h = table.half_extents;
  const Vec3& centre = pocket.position;
  Vec3 dir =
      std::abs(centre[0]) >= 0.1f * h[0] ? table.corner_sink_direction : table.edge_sink_direction;
  for (int c = 0; c < 3; ++c)
    if (centre[c] < 0.0f) dir[c] = -dir[c];
  const Vec3 end_tangent = dir * pocket.sink_tangent;
  const float distance = norm(ball.position - centre);
  const Vec3 mouth = centre - dir * std::min(0.5f * ball.radius, distance);
  const double now = queue.time();
  queue.adopt(std::make_unique<BezierFaderBuffered<float>>(
      ball.position.data(), ball.position.data(), mouth.data(), entry.data(), end_tangent.data(),
      now, kSinkGlide, names[0]));

  // Each ball already in the pocket settles one diameter deeper than the
  // next one will.
  float depth = std::abs(centre[0]) > 0.5f * h[0] ? table.corner_sink_depth : table.edge_sink_depth;
  for (const int held : pocket.balls) {
    const bool known = held >= 0 && held < static_cast<int>(balls.size());
    depth -= 2.0f * (known ? balls[static_cast<std::size_t>(held)].radius : ball.radius);
  }
  depth = std::max(depth, 0.0f);
  const Vec3 rest = centre + dir * depth;

  if (rules) rules->ball_pocketed(i);
  if (i > 0) {
    queue.adopt(std::make_unique<BezierFaderBuffered<float>>(
        ball.position.data(), mouth.data(), rest.data(), end_tangent.data(), nullptr,
        now + kSinkGlide, kSinkGlide, names[1]));
    pocket.balls.push_back(i);
    show_label(i);
    update_sunk_text();
    return;
  }
  if (!rules) return;
  // The cue ball stops where it touched the pocket and goes to ball in hand.
  ball.velocity = {0.0f, 0.0f, 0.0f};
  ball.enable_update(false);
  begin_turn_at(kWizardSteps[0]);
  for (const std::string& name : names) {
    if (queue.active(name)) std::cout << "event " << name << " active!" << std::endl;
    while (queue.contains(name)) queue.erase(name);
    queue.flush(0, false);
  }
  // A human who gets ball in hand finds the cue ball on a free spot at once,
  // on the table and so in play: the balls still rolling meet it there. A
  // computer's turn places it.
  if (!rules->previous_player().computer) {
    ball.position = random_ball_position(ball.radius);
    ball.stop();
    ball.enable_update(true);
  }
}

void PoolEngine::clear_sink_events() {
  EventQueue& queue = gametime_queue();
  const std::size_t span = std::max(balls.size(), sink_span_);
  for (std::size_t i = 0; i < span; ++i) {
    const auto ball = static_cast<unsigned int>(i);
    const std::array<std::string, 2> sinks = sink_event_names(ball);
    for (const std::string& name : {sinks[0], sinks[1], label_event_name(ball)})
      while (queue.contains(name)) queue.erase(name);
  }
  sink_span_ = 0;
  // The labels those events held go with them.
  for (std::size_t i = 0; i < ball_labels_.size(); ++i) ball_labels_[i]->enable(false);
}

Dialog* PoolEngine::ball_label(std::size_t i) {
  while (ball_labels_.size() <= i) {
    DialogPtr label(new Dialog());
    // Ready before it is registered: hidden and standing where it is put,
    // the engine's first orientation leaves it alone.
    Ball::init_label(*label);
    ball_labels_.adopt(std::move(label));
  }
  return ball_labels_[i];
}

void PoolEngine::show_label(int i) {
  const auto index = static_cast<std::size_t>(i);
  if (Dialog* label = balls[index].label) {
    label->set_text(std::to_string(i), 0);
    label->enable(true);
  }
  EventQueue& queue = gametime_queue();
  const std::string name = label_event_name(static_cast<unsigned int>(i));
  while (queue.contains(name)) queue.erase(name);
  auto hold = std::make_unique<Event>(name, queue.time(), -1.0, nullptr, nullptr, nullptr, nullptr);
  Event* self = hold.get();
  // The ball is looked up at each step: a new rack may have replaced it.
  self->update_callback() = [this, index, self](double) {
    if (index >= balls.size()) return;
    Ball& ball = balls[index];
    if (ball.enable_update()) {
      // Back in play: the label goes, and so does this event.
      if (ball.label) ball.label->enable(false);
      self->clear();
      return;
    }
    if (ball.label)
      ball.label->frame().coord_sys().position() = ball.position + Vec3{0.0f, kLabelHeight, 0.0f};
  };
  queue.adopt(std::move(hold));
}
