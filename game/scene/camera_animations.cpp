// PoolEngine: what the camera of a computer's shot reads (the current
// player's power, the centre of the balls in play) and that camera: the
// viewer carried above the shot while the view turns to the moving balls.
#include <algorithm>
#include <iostream>
#include <memory>

#include "core/bezier_fader.h"
#include "game/app/pool_engine.h"

float PoolEngine::shot_power() const {
  if (rules && rules->current >= 0 && static_cast<std::size_t>(rules->current) < shot_powers.size())
    return shot_powers[static_cast<std::size_t>(rules->current)];
  return cue.default_power;
}

Vec3 PoolEngine::moving_balls_centre(Vec3* mean_velocity, bool skip_cue_ball) const {
  Vec3 position{0.0f, 0.0f, 0.0f};
  Vec3 velocity{0.0f, 0.0f, 0.0f};
  float total = 0.0f;
  for (std::size_t i = skip_cue_ball ? 1 : 0; i < balls.size(); ++i) {
    const Ball& ball = balls[i];
    if (!ball.enable_update()) continue;
    const auto m = static_cast<float>(ball.mass);
    position = position + ball.position * m;
    velocity = velocity + ball.velocity * m;
    total += m;
  }
  // No ball in play (or no mass): the table's centre, at rest.
  if (!(total > 0.0f)) {
    position = velocity = {0.0f, 0.0f, 0.0f};
  } else {
    position = position / total;
    velocity = velocity / total;
  }
  if (mean_velocity) *mean_velocity = velocity;
  return position;
}

double PoolEngine::last_input_time() const {
  return std::max({last_key_time(), last_mouse_time(), last_gamepad_time()});
}

void PoolEngine::computer_shot_camera(EventQueue* queue, const Vec3& look_target, double duration) {
  if (hmd_control()) return;
  if (real_time() - last_input_time() < align_delay) return;
  EventQueue& q = queue ? *queue : gametime_queue();
  if (rules && !rules->current_player().computer) return;
  sync_look_events();
  if (active_camera_animation() || look_controller() != ControllerType::none) return;

  // A set still running would go on writing the same outputs: it is taken
  // out where it stands, without its stop, which would write its end.
  for (std::size_t i = 0; i < 3; ++i)
    while (q.contains(camera_event_names[i])) q.erase(camera_event_names[i]);

  const double now = q.time();
  Vec3& body = walking().position();
  const Vec3 from = body;
  const Vec3 to = camera_point + camera_offset;
  q.adopt(std::make_unique<BezierFaderBuffered<float>>(3, body.data(), from.data(), to.data(), now,
                                                       duration, camera_event_names[0]));

  // One metre straight ahead of the viewer, toward the target.
  align_look_target = body - mouse_look().coord_sys().zhat_array();
  const Vec3 look_from = align_look_target;
  q.adopt(std::make_unique<BezierFaderBuffered<float>>(3, align_look_target.data(),
                                                       look_from.data(), look_target.data(), now,
                                                       duration, camera_event_names[1]));

  q.adopt(std::make_unique<Event>(
      camera_event_names[2], now, duration, nullptr, nullptr,
      [this](double) {
        std::cerr << "Debug A: look_at()" << std::endl;
        const Vec3 eye = walking().position();
        mouse_look().coord_sys().look_at(eye.data(), align_look_target.data(), nullptr, false);
      },
      nullptr));
}
