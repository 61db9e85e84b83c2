// A frame of the simulation allocates nothing unless a ball drops, a sink
// fader ends (the game-time queue makes and frees those events) or the shot
// ends (the turn logic runs): every allocation of this test program is
// counted.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/app/pool_engine.h"
#include "support/allocation_count.h"

namespace {

TEST(SimulationAllocation, FramesWithoutADropOrAFinishedFaderAllocateNothing) {
  constexpr float r = 0.028575f;
  constexpr double dt = 1.0 / 60.0;
  PoolEngine engine;
  engine.table.build_geometry();
  engine.init_shot_wizard();
  engine.eight_ball.init_players(2, 2);
  for (const Vec3 aim :
       {Vec3{1.0f, 0.0f, 0.0f}, Vec3{1.0f, 0.05f, 0.02f}, Vec3{1.0f, -0.1f, 0.3f}}) {
    SCOPED_TRACE(aim[2]);
    engine.clear_sink_events();
    engine.balls.assign(16, Ball(&engine.geometry()));
    const std::vector<Vec3> offsets = engine.eight_ball.rack_positions(r + 0.003f);
    const Vec3 cue{-0.54f, r - 0.225f + 0.003f, 0.0f};
    engine.balls[0].position = cue;
    for (int k = 1; k <= 15; ++k)
      engine.balls[k].position = Vec3{-cue[0], cue[1], 0.0f} + offsets[k - 1];
    engine.stop_balls();
    for (Pocket& p : engine.table.pockets) p.balls.clear();
    engine.balls[0].velocity = normalized(aim) * 3.0f;
    engine.rules->events.clear();
    engine.rules->shot_in_progress = true;
    engine.shot_start_time = engine.gametime_queue().time();
    engine.shot_speed = 3.0f;

    double now = engine.gametime_queue().time();
    int quiet_frames = 0;
    for (int frame = 0; frame < 900 && engine.rules->shot_in_progress; ++frame) {
      const auto in_play = [&engine] {
        return std::count_if(engine.balls.begin(), engine.balls.end(),
                             [](const Ball& b) { return b.enable_update(); });
      };
      const auto playing = in_play();
      const std::size_t events = engine.gametime_queue().events().size();
      const long long before = testing_support::allocation_count.load();
      now += dt;
      engine.gametime_queue().update(now, -1);
      engine.simulation_step(dt);
      const long long made = testing_support::allocation_count.load() - before;
      // The first frame sizes the simulation's lists for the rack; the last
      // one hands the table to the next turn.
      if (frame == 0 || in_play() != playing || engine.gametime_queue().events().size() != events ||
          !engine.rules->shot_in_progress)
        continue;
      ++quiet_frames;
      EXPECT_EQ(made, 0) << "frame " << frame;
      if (made != 0) return;
    }
    EXPECT_GT(quiet_frames, 100);
  }
}

}  // namespace
