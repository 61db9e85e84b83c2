// The headset side of a human's shot, through the program's own frame step
// on the generated data folder with the simulated headset and one hand
// controller, on a test clock: the cue ball in hand follows the hand while
// the trigger is held and stays where it is let go, which steps to "Choose
// ball"; aiming waits 1 s after that; the cue, lying from the hand through
// the cue ball, strikes when the hand pushes its tip through the ball fast
// enough, and neither a slower stroke nor one during an aiming pause does.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "datagen/data_folder.h"
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "input/vr_interface.h"
#include "platform/message_box.h"
#include "program_in_process.h"
#include "render/frame_buffer.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"
#include "support/gl/x_windows.h"
#include "support/pool_play.h"
#include "support/vr_headset.h"

// After GLEW's header.
#include <GL/freeglut.h>

namespace {

constexpr double kFrame = 1.0 / 30.0;
// The controller's slot in the simulated headset.
constexpr unsigned kHand = 3;

float distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

class HeadsetShot : public program_in_process::ProgramInProcess {
 protected:
  void SetUp() override {
    ProgramInProcess::SetUp();
    if (HasFatalFailure()) return;
    // Small eyes: each frame draws both.
    headset_.recommended_size(160, 120);
    headset_.add_render_model("ctl", testing_support::square_model(-1));
    headset_.add_controller(
        kHand, "ctl",
        {vr::k_eControllerAxis_TrackPad, vr::k_eControllerAxis_Trigger, vr::k_eControllerAxis_None,
         vr::k_eControllerAxis_None, vr::k_eControllerAxis_None});
    setenv("ALSOFT_DRIVERS", "null", 0);

    engine_ = std::make_unique<PoolEngine>();
    engine_->frame_clock(&clock_);
    engine_->walking().frame_clock(&clock_);
    program_ = std::make_unique<GameProgram>(*engine_, vr_, desktop_);
    ASSERT_EQ(program_->start_up(true), 0) << boxes_;
    testing_support::drain_gl_errors();
    ASSERT_TRUE(vr_.enabled());
    engine_->wait_for_loads();
    // Past the intro: the computers' game it starts is on and the pause is
    // allowed.
    const auto past_intro = [this] {
      return engine_->rules && engine_->rules->num_computer_players() == 2 &&
             engine_->pause_allowed() && !engine_->in_intro;
    };
    for (int i = 0; i < 120 && !past_intro(); ++i) frames(0.5, 0.25);
    ASSERT_TRUE(past_intro());
    ASSERT_EQ(engine_->controller_vbos().size(), 1u);
    ASSERT_TRUE(engine_->positional_control(1));
  }

  // The program's frames, one every `step` of the test clock.
  void frames(double seconds, double step = kFrame) {
    const double end = now_ + seconds - 1e-9;
    while (now_ < end) {
      now_ += step;
      program_->display();
    }
  }

  // Holds the hand at a point of the room (the walker's offset taken out of
  // the pose the headset reports) for the seconds.
  void hand_at(const Vec3& p, double seconds = 0.0) {
    const Vec3 tracked = p - engine_->walking().position();
    headset_.set_pose(kHand, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1},
                                                          {tracked[0], tracked[1], tracked[2]}));
    if (seconds > 0.0) frames(seconds);
  }
  void trigger(float value) { headset_.device(kHand).state.axis[1].x = value; }

  // A game of two humans whose second player has the cue ball in hand: the
  // first player's cue ball, struck, drops into a pocket.
  void ball_in_hand() {
    PoolEngine& e = *engine_;
    e.new_game(2, 0);
    frames(0.2);
    testing_support::scratch_cue_ball(e);
    frames(0.2);
    ASSERT_EQ(e.rules->current, 1);
    ASSERT_EQ(step(), "Ball in hand");
  }

  // Places the cue ball at `spot` with the trigger, as a player does: held
  // while the hand carries the ball there, then let go.
  void place_at(const Vec3& spot) {
    trigger(1.0f);
    hand_at(spot, 0.5);
    trigger(0.0f);
    frames(0.3);
  }

  // One hand, so the cue lies from the hand through the cue ball, its tip
  // the cue's length ahead of the hand. The hand from `from` to `to` metres
  // behind the ball (along +z) at the speed, then held there a moment; true
  // when a shot started.
  bool stroke(float from, float to, float speed) {
    const Vec3 ball = cue_ball();
    const float step = speed * static_cast<float>(kFrame);
    hand_at(ball + Vec3{0.0f, 0.0f, from}, 0.5);
    for (float d = from; d > to && !shot_started(); d -= step)
      hand_at(ball + Vec3{0.0f, 0.0f, d}, kFrame);
    frames(0.2);
    return shot_started();
  }
  // Where the stroke starts and ends behind the ball: the tip a few
  // centimetres short of the ball, and as far past it.
  float short_of_ball() const { return engine_->cue.length + 2.0f * radius(); }
  float past_ball() const { return engine_->cue.length - 2.0f * radius(); }

  std::string step() const { return engine_->shot_wizard.current_step().name(); }
  Vec3 cue_ball() const { return engine_->cue_ball->position; }
  float radius() const { return engine_->cue_ball->radius; }
  bool shot_started() const { return engine_->rules->shot_in_progress; }
  // A free spot of the box for the cue ball, away from the rack.
  Vec3 spot() const {
    const auto& h = engine_->table.half_extents;
    return {0.3f * h[0], 0.0f, 0.5f * h[2]};
  }

  testing_support::OutputCapture quiet_;
  double now_ = 100.0;
  FrameClock clock_{[this] { return now_; }};
};

TEST_F(HeadsetShot, TheHeldTriggerCarriesTheBallInHandAndLettingGoPlacesItAndStepsToChooseBall) {
  ASSERT_NO_FATAL_FAILURE(ball_in_hand());
  const Vec3 first = spot();
  const Vec3 second = first + Vec3{-0.1f, 0.05f, 0.05f};
  // Held: the ball follows the hand, and the turn stays in ball in hand.
  trigger(1.0f);
  hand_at(first, 0.5);
  EXPECT_LT(distance(cue_ball(), first), 0.01f);
  hand_at(second, 0.5);
  EXPECT_LT(distance(cue_ball(), second), 0.01f);
  EXPECT_EQ(step(), "Ball in hand");
  // Let go: the ball stays where it was let go, in play, and the turn goes
  // on to choosing a ball.
  trigger(0.0f);
  frames(0.3);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_TRUE(engine_->cue_ball->enable_update());
  EXPECT_LT(distance(cue_ball(), second), 0.01f);
  hand_at(first, 0.5);
  EXPECT_LT(distance(cue_ball(), second), 0.01f) << "the placed ball still follows the hand";
  EXPECT_EQ(boxes_, "");
}

TEST_F(HeadsetShot, AimingWaitsASecondAfterTheBallIsPlaced) {
  ASSERT_NO_FATAL_FAILURE(ball_in_hand());
  place_at(spot());
  ASSERT_EQ(step(), "Choose ball");
  // A fast stroke right after placing: the ball is still being let go.
  EXPECT_FALSE(stroke(short_of_ball(), past_ball(), 1.5f));
  // A second after placing, the same stroke strikes.
  frames(1.0);
  EXPECT_TRUE(stroke(short_of_ball(), past_ball(), 1.5f));
}

TEST_F(HeadsetShot, AStrokeSlowerThanTheMinimumSpeedOrDuringAnAimingPauseDoesNotStrike) {
  ASSERT_NO_FATAL_FAILURE(ball_in_hand());
  place_at(spot());
  frames(1.5);
  // Slower than the minimum speed of a stroke (0.1 m/s).
  EXPECT_FALSE(stroke(short_of_ball(), past_ball(), 0.5f * engine_->min_strike_speed));
  // Fast, but while an aiming pause runs (measured on the real-time clock).
  engine_->aim_pause_start = engine_->realtime_queue().time();
  engine_->aim_pause_length = 5.0;
  EXPECT_FALSE(stroke(short_of_ball(), past_ball(), 1.5f));
  // Once the pause is over the same stroke strikes: the cue ball goes off
  // along the cue, away from the hand.
  frames(5.0);
  EXPECT_TRUE(stroke(short_of_ball(), past_ball(), 1.5f));
  EXPECT_LT(engine_->balls[0].velocity[2], 0.0f);
  EXPECT_GT(engine_->shot_speed, engine_->min_strike_speed);
}

}  // namespace
