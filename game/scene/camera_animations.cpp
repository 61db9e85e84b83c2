// PoolEngine: what the camera of a computer's shot reads (the current
// player's power, the centre of the balls in play) and the hand-off of that
// camera.
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
  if (!(total > 0.0f)) {
    position = velocity = {0.0f, 0.0f, 0.0f};
  } else {
    position = position / total;
    velocity = velocity / total;
  }
  if (mean_velocity) *mean_velocity = velocity;
  return position;
}

void PoolEngine::computer_shot_camera(EventQueue*, const Vec3&, double) {}
