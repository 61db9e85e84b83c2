// PoolEngine: the per-frame simulation of a shot: forces, ball contacts,
// integration and the rest test.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "game/app/pool_engine.h"
#include "game/table/ball_physics.h"

void PoolEngine::simulation_step() {
  simulation_step(game_step());
}

void PoolEngine::simulation_step(double dt) {
  if (!(dt > 0.0)) dt = 0.0;
  if (dt > kMaxStep) dt = kMaxStep;
  if (rules) {
    const GameRules& r = *rules;
    if (!r.shot_in_progress && !r.current_player().computer) {
      human_control_step();
      return;
    }
  } else {
    return;
  }
  const bool rest_test = rules->shot_in_progress && shot_speed > 0.0f &&
                         gametime_queue().time() - shot_start_time > kRestTestDelay;
  const unsigned int steps = game_speed_steps();
  // A fast ball is stepped in parts, each with its own contacts, so that
  // two balls never pass into or through each other between two tests.
  const unsigned int parts = sub_steps(dt * steps);
  const double part = dt / parts;
  for (unsigned int s = 0; s < parts; ++s) {
    handle_collisions();
    for (unsigned int k = 0; k < steps; ++k)
      for (Ball& ball : balls)
        if (ball.enable_update()) ball.Update(part);
  }
  if (rest_test && balls_at_rest()) {
    end_shot();
    for (Pocket& pocket : table.pockets) pocket.highlighted = 0;
    shot_speed = 0.0f;
  }
}

unsigned int PoolEngine::sub_steps(double span) const {
  if (!rules || !rules->shot_in_progress) return 1;
  float fastest = 0.0f;
  float smallest = 0.0f;
  for (const Ball& ball : balls) {
    if (!ball.enable_update()) continue;
    fastest = std::max(fastest, norm(ball.velocity));
    smallest = smallest > 0.0f ? std::min(smallest, ball.radius) : ball.radius;
  }
  const double travel = double(fastest) * span;
  const double allowed = kSubStepTravel * smallest;
  if (!(travel > allowed)) return 1;  // also for a speed that is not finite
  return static_cast<unsigned int>(std::min(std::ceil(travel / allowed), double(kMaxSubSteps)));
}

bool PoolEngine::balls_at_rest() {
  bool all = true;
  for (Ball& ball : balls) {
    const bool stopped = !ball.enable_update() || (double(norm(ball.velocity)) < stop_speed &&
                                                   double(norm(ball.angular_velocity)) < stop_spin);
    if (stopped) {
      // Its forces go too: the step integrates the balls between shots on a
      // computer's turn, and the last drag would set a stopped ball creeping.
      ball.stop();
    } else {
      all = false;
    }
  }
  return all;
}

void PoolEngine::apply_ball_forces() {
  if (!rules || !rules->shot_in_progress) return;
  for (Ball& ball : balls)
    if (ball.enable_update()) ball_physics::apply_forces(ball, spin_force_coefficient);
}

void PoolEngine::listener_for_impact(bool& updated) {
  if (updated) return;
  if (update_listener) update_listener();
  updated = true;
}

void PoolEngine::handle_collisions() {
  if (!rules || !rules->shot_in_progress) return;
  const int n = static_cast<int>(balls.size());
  for (Ball& ball : balls) ball.contacts = 0;
  done_.assign(balls.size(), 0);
  if (static_cast<int>(pair_order.size()) != n || wall_contacts != 0) {
    pair_order.resize(balls.size());
    std::iota(pair_order.begin(), pair_order.end(), 0);
    for (int k = 2; k <= n; ++k) {
      const int j = pair_order_random(0, k - 1);
      if (j != k - 1) std::swap(pair_order[k - 1], pair_order[j]);
    }
  }
  wall_contacts = 0;
  // Which pairs touch, kept through the shot: a pair is recorded, and
  // heard, when it comes into contact, and again only once it has parted,
  // so that balls resting against each other add nothing frame by frame.
  // A ball out of play touches nothing.
  if (touching_.size() != balls.size() * balls.size() || touching_shot_ != shot_start_time) {
    touching_.assign(balls.size() * balls.size(), 0);
    touching_shot_ = shot_start_time;
  }
  const auto touching = [this, n](int i, int j) -> unsigned char& {
    return touching_[static_cast<std::size_t>(std::min(i, j) * n + std::max(i, j))];
  };
  for (int i = 0; i < n; ++i)
    if (!balls[static_cast<std::size_t>(i)].enable_update())
      for (int j = 0; j < n; ++j) touching(i, j) = 0;
  bool listener_updated = false;
  for (const int i : pair_order) {
    done_[i] = 1;
    Ball& a = balls[i];
    if (!a.enable_update()) continue;
    const int axis = check_pockets_and_walls(i);
    // A ball that has just dropped into a pocket is out of play: it no
    // longer knocks the others.
    if (!a.enable_update()) continue;
    if (axis >= 0) {
      if (i == 0) rules->events.push_back({kRailContact, axis});
      ++wall_contacts;
      listener_for_impact(listener_updated);
      a.coord_sys().position() = a.position;
      audio.play_impact(ImpactKind::kSideHit, &a.coord_sys(), std::abs(a.velocity[axis]));
    }
    for (int j = 0; j < n; ++j) {
      Ball& b = balls[j];
      if (j == i || done_[j] || !b.enable_update()) continue;
      const Vec3 d = a.position - b.position;
      const float distance = norm(d);
      unsigned char& touched = touching(i, j);
      if (!(a.radius + b.radius > distance)) {
        touched = 0;
        continue;
      }
      const bool new_contact = !touched;
      touched = 1;
      const Vec3 va = a.velocity;
      const Vec3 vb = b.velocity;
      elastic_collision(a, b, static_cast<float>(0.5 * (a.mass + b.mass)), false, 0.0f);
      const bool knocked = a.velocity != va || b.velocity != vb;
      if (new_contact) {
        if (i == 0)
          rules->events.push_back({kBallContact, j});
        else if (j == 0)
          rules->events.push_back({kBallContact, i});
      }
      if (a.contacts == 0 && (new_contact || knocked)) {
        listener_for_impact(listener_updated);
        a.coord_sys().position() = a.position;
        const float speed = distance > 0.0f ? std::abs(dot(a.velocity - b.velocity, d)) / distance
                                            : norm(a.velocity - b.velocity);
        audio.play_impact(ImpactKind::kBallHit, &a.coord_sys(), speed);
      }
      ++a.contacts;
      ++b.contacts;
    }
  }
  // The forces follow the contacts: drag and spin force worked out from the
  // velocities before a bounce or a collision would push a ball back the
  // way it came (a ball stopped dead would creep backwards, a bounced one
  // gain speed off the wall).
  apply_ball_forces();
}

void PoolEngine::stop_balls() {
  for (Ball& ball : balls) {
    ball.stop();
    ball.enable_update(true);
  }
}
