// Balls for the game's tests: sixteen balls of a PoolEngine placed by hand or
// racked as a new game lays them out. Header-only: the game's test programs
// link the game library, the support library does not.
#pragma once

#include <map>
#include <vector>

#include "game/app/pool_engine.h"

namespace testing_support {

// Sixteen balls with their labels, as a rack lends them: those given are in
// play at rest, the others parked out of play far away; ball 0 is the
// engine's cue ball.
inline void place_balls(PoolEngine& engine, const std::map<int, Vec3>& placed) {
  engine.balls.assign(16, Ball(&engine.geometry()));
  for (int i = 0; i < 16; ++i) {
    Ball& b = engine.balls[i];
    b.label = engine.ball_label(i);
    b.init();
    b.number = i;
    b.position = {5.0f, 5.0f, 5.0f + 0.2f * float(i)};
    b.enable_update(false);
  }
  for (const auto& [i, p] : placed) {
    engine.balls[i].position = p;
    engine.balls[i].enable_update(true);
  }
  engine.cue_ball = &engine.balls[0];
}

// The rack a new game lays out, with fixed gap and lifts: the cue ball on the
// x axis's negative side, the triangle on the positive side, all at rest
// near the floor.
inline void rack_balls(PoolEngine& engine, float gap = 0.003f, float lift1 = 0.001f,
                       float lift2 = 0.002f) {
  place_balls(engine, {});
  const float r = engine.balls[0].radius;
  const Vec3& h = engine.table.half_extents;
  const std::vector<Vec3> offsets = engine.eight_ball.rack_positions(r + gap);
  const Vec3 cue{-0.6f * h[0], r - h[1] + gap + lift1, 0.0f};
  engine.balls[0].position = cue;
  for (int k = 1; k <= 15; ++k)
    engine.balls[k].position = Vec3{-cue[0], cue[1] + lift2, 0.0f} + offsets[k - 1];
  engine.stop_balls();
  for (Pocket& p : engine.table.pockets) p.balls.clear();
}

}  // namespace testing_support
