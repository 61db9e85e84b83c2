// A game engine for tests as start-up leaves it for play, without a
// window, stepped frame by frame on a clock the test sets. Header-only: the
// game's test programs link the game library, the support library does not.
#pragma once

#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/engine_frame.h"

namespace testing_support {

// The view start-up gives on a monitor: from (0, 0.3, 2) at the table's
// centre, the walker there.
inline void start_up_view(PoolEngine& engine) {
  engine.walking().position() = {0.0f, 0.3f, 2.0f};
  engine.mouse_look().coord_sys().look_at(engine.walking().position(), Vec3{0.0f, 0.0f, 0.0f});
}

// The current player's cue ball, struck (the shot running), drops into a
// pocket and the shot ends: a scratch, as the game sees one.
inline void scratch_cue_ball(PoolEngine& engine) {
  engine.rules->shot_in_progress = true;
  engine.balls[0].enable_update(true);
  engine.ball_sunk(0, 0);
  engine.end_shot();
}

// On the clock (its walker too), the view start-up gives, the box built,
// the shot wizard made, the game's hooks installed, the aim guide's
// periodic step queued as start-up queues it, and the menus closed.
inline void ready_for_play(PoolEngine& engine, FrameClock& clock) {
  run_on_clock(engine, clock);
  start_up_view(engine);
  engine.table.build_geometry();
  engine.init_shot_wizard();
  engine.install_callbacks();
  engine.enqueue_aim_guide_updates();
  engine.menus.menus_active = false;
}

// One frame dt after the last: the engine's idle step (the queues with the
// aim guide's periodic step, the pre-idle hook with the aiming and the
// turn, the simulation).
inline void play_frame(PoolEngine& engine, double& now, double dt) {
  now += dt;
  engine.idle();
}

}  // namespace testing_support
