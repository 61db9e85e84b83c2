// PoolEngine: what the simulation and the shot hand to the turn logic: the
// end of a shot, the score board's lines and free spots for the cue ball.
#include <algorithm>

#include "game/app/pool_engine.h"

void PoolEngine::end_shot() {
  if (rules) rules->evaluate_shot();
}

void PoolEngine::update_sunk_text() {}

void PoolEngine::update_status_text() {}

Vec3 PoolEngine::random_ball_position(double clearance) {
  RandomReal random;
  const Vec3& h = table.half_extents;
  Vec3 p{0.0f, 0.0f, 0.0f};
  for (int attempt = 0; attempt < 7; ++attempt) {
    // Inside the box by the clearance, so that a ball put there does not
    // reach into a wall.
    for (int a = 0; a < 3; ++a) {
      const float reach = std::max(0.0f, h[a] - static_cast<float>(clearance));
      random.a = -reach;
      random.b = reach;
      p[a] = random();
    }
    bool free = true;
    for (const Pocket& pocket : table.pockets)
      if (norm(p - pocket.position) < pocket.radius) free = false;
    for (std::size_t j = 1; free && j < balls.size(); ++j)
      if (double(norm(p - balls[j].position)) <= balls[j].radius + clearance) free = false;
    if (free) return p;
  }
  return p;
}
