// One shot from the choice to the strike, on a PoolEngine driven frame by
// frame on a clock the test sets: the human's arrow keys, the wizard's
// dialogs and ball in hand, the gates and result codes of the strike, the
// computer's turn and the cue's glide and stroke on the game-time queue,
// and steps taken back with Delete before the stroke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "core/event_queue.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/data_root.h"
#include "support/pool_balls.h"
#include "support/pool_play.h"
#include "ui/dialog.h"

namespace {

constexpr double kFrame = 1.0 / 60.0;
constexpr int kLeft = 100, kUp = 101, kRight = 102;

float angle_deg(const Vec3& a, const Vec3& b) {
  const float c = dot(a, b) / (norm(a) * norm(b));
  return std::acos(std::clamp(c, -1.0f, 1.0f)) * 57.29578f;
}

// Everything written to the standard output while alive.
class CaptureStdout {
 public:
  CaptureStdout() : old_(std::cout.rdbuf(out_.rdbuf())) {}
  ~CaptureStdout() { std::cout.rdbuf(old_); }
  std::string text() const { return out_.str(); }

 private:
  std::ostringstream out_;
  std::streambuf* old_;
};

// A game of two seats on the box table with the shot wizard, the game's
// hooks and the aim guide's periodic step installed; each frame runs the
// engine's idle step (game-time queue, real-time queue with the aim guide's
// step, pre-idle: aiming and turn start; post-idle: the simulation) with the
// clock moved on.
class ShotFlow : public ::testing::Test {
 protected:
  void SetUp() override { seat(2, 1); }

  // Seats players, the last `computers` of them computers; the first plays.
  void seat(int players, int computers) {
    testing_support::ready_for_play(engine, clock);
    engine.eight_ball.init_players(players, computers);
    engine.shot_wizard.start();
    engine.shot_wizard.set_step("Choose ball");
  }

  void place(const std::map<int, Vec3>& placed) {
    testing_support::place_balls(engine, placed);
    engine.aim_guide.aim_at(engine.cue_ball);
  }

  void frame() { testing_support::play_frame(engine, now, kFrame); }
  // Frames until done() holds (true) or the seconds have passed (false).
  bool run_until(const std::function<bool()>& done, double seconds) {
    for (double t = 0.0; t < seconds; t += kFrame) {
      frame();
      if (done()) return true;
    }
    return false;
  }
  void run(double seconds) {
    run_until([] { return false; }, seconds);
  }

  std::string step() const { return engine.shot_wizard.current_step().name(); }
  Dialog* dialog(const std::string& name) {
    const auto found = engine.menus.wizard_dialogs.find(name);
    return found == engine.menus.wizard_dialogs.end() ? nullptr : found->second;
  }
  EventQueue& game_queue() { return engine.gametime_queue(); }
  int listed(const std::string& name) {
    int n = 0;
    for (const Event* e : game_queue().events())
      if (e && e->name() == name && !e->stop_called()) ++n;
    return n;
  }
  bool shot_started() const { return engine.rules->shot_in_progress; }
  // Lays the dialog out as a drawing would, then presses and releases its
  // button: 0 when an action ran.
  static int press(Dialog* d) {
    d->arrange_children();
    d->click(1, false);
    return d->click(0, false);
  }

  testing_support::TempDataRoot root;
  double now = 100.0;
  FrameClock clock{[this] { return now; }};
  PoolEngine engine;
};

// ---- The human's choice of ball and pocket

// Three legal balls in a row across the view, the cue ball in front of them.
class HumanChoice : public ShotFlow {
 protected:
  void SetUp() override {
    ShotFlow::SetUp();
    place({{0, {0.0f, 0.0f, 0.3f}},
           {1, {0.1f, 0.0f, -0.2f}},
           {2, {-0.1f, 0.0f, -0.2f}},
           {3, {0.3f, 0.0f, -0.2f}}});
  }
};

TEST_F(HumanChoice, ArrowKeysMoveTheBallAsTheViewerSeesIt) {
  engine.on_arrow_key(kRight);  // nothing chosen yet: the first legal ball
  EXPECT_EQ(engine.selected_ball, 1);
  engine.on_arrow_key(kRight);
  EXPECT_EQ(engine.selected_ball, 3);
  engine.on_arrow_key(kLeft);
  EXPECT_EQ(engine.selected_ball, 1);
  engine.on_arrow_key(kLeft);
  EXPECT_EQ(engine.selected_ball, 2);

  // The ball comes with the best pocket for it, the cue glides into the aim
  // and the "ball" dialog stands above the ball.
  EXPECT_GE(engine.selected_pocket, 0);
  EXPECT_EQ(listed("move_cue_0"), 1);
  EXPECT_EQ(listed("move_cue_1"), 1);
  Dialog* ball = dialog("ball");
  ASSERT_NE(ball, nullptr);
  EXPECT_TRUE(ball->enabled());
  const Vec3 at = ball->frame().coord_sys().position();
  EXPECT_FLOAT_EQ(at[0], -0.1f);
  EXPECT_FLOAT_EQ(at[1], 0.05f);
  EXPECT_EQ(engine.selected_dialog(), ball);
}

TEST_F(HumanChoice, ArrowKeysDoNothingInMenusOrOnAComputersTurn) {
  engine.menus.menus_active = true;
  engine.on_arrow_key(kRight);
  EXPECT_EQ(engine.selected_ball, -1);
  engine.menus.menus_active = false;
  engine.rules->current = 1;
  engine.on_arrow_key(kRight);
  EXPECT_EQ(engine.selected_ball, -1);
}

TEST_F(HumanChoice, ABlockedBallIsChosenOnlyWhenNoClearOneLiesThatWay) {
  // Ball 4 lies right of ball 1 as the viewer sees it, hidden behind ball 1
  // as the cue ball sees it; balls 2 and 3 are out of play.
  engine.balls[4].position = {0.2f, 0.0f, -0.7f};
  engine.balls[4].enable_update(true);
  engine.balls[2].enable_update(false);
  engine.balls[3].enable_update(false);
  engine.selected_ball = 1;
  engine.select_ball(kRight);
  EXPECT_EQ(engine.selected_ball, 4);
  // Back left, ball 1 has a clear path.
  engine.select_ball(kLeft);
  EXPECT_EQ(engine.selected_ball, 1);

  // With no other ball to go to the selection stays and says so.
  engine.balls[4].enable_update(false);
  CaptureStdout out;
  engine.select_ball(kRight);
  EXPECT_EQ(engine.selected_ball, 1);
  EXPECT_NE(out.text().find("Ball index is -1!"), std::string::npos);
}

TEST_F(HumanChoice, AnArrowKeyInShootGoesBackToChooseBallAndMovesInTheSamePress) {
  engine.on_arrow_key(kRight);
  engine.shot_wizard.set_step("Shoot");
  engine.shoot_after_cue_animation();
  ASSERT_EQ(listed("shoot_after_cue_animation2"), 1);
  engine.on_arrow_key(kRight);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_EQ(engine.selected_ball, 3);
  // The shot asked for before is called off with the choice it was for.
  run(0.1);
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 0);
  EXPECT_EQ(listed("shoot_cue"), 0);
}

TEST_F(ShotFlow, PocketsBehindTheBallAreNeverChosen) {
  place({{0, {-0.4f, 0.0f, 0.0f}}, {1, {0.0f, 0.0f, 0.0f}}});
  engine.selected_ball = 1;
  engine.shot_wizard.set_step("Choose pocket");
  // Every pocket lying on the cue ball's side of ball 1 (x <= 0) would be a
  // cut of 90 degrees or more.
  const int keys[] = {kRight, kUp, kLeft, 103, kLeft, kLeft, kUp, 103, kRight, kRight, 103, kUp};
  for (int i = 0; i < 3; ++i) {
    for (const int key : keys) {
      engine.on_arrow_key(key);
      ASSERT_GE(engine.selected_pocket, 0);
      EXPECT_GT(engine.table.pockets[engine.selected_pocket].position[0], 0.0f)
          << "pocket " << engine.selected_pocket << " after key " << key;
    }
  }
  EXPECT_TRUE(dialog("pocket")->enabled());
}

// ---- The human's shot through the dialogs

TEST_F(HumanChoice, TheDialogsLeadToAStrokeThatStrikesThroughTheCentre) {
  engine.shot_powers = {1.0f};
  engine.on_arrow_key(kRight);
  const Vec3 start = engine.cue_ball->position;
  ASSERT_EQ(press(dialog("ball")), 0);  // "Choose ball"
  EXPECT_EQ(step(), "Choose pocket");
  EXPECT_FALSE(dialog("ball")->enabled());
  ASSERT_EQ(press(dialog("pocket")), 0);  // "Choose pocket"
  EXPECT_EQ(step(), "Shoot");
  Dialog* shoot = dialog("shoot");
  ASSERT_TRUE(shoot->enabled());
  // The slider shows the player's power.
  const Slider* slider = nullptr;
  for (Frame* child : shoot->children())
    if (auto* s = dynamic_cast<Slider*>(child)) slider = s;
  ASSERT_NE(slider, nullptr);
  EXPECT_FLOAT_EQ(slider->value(), 1.0f);

  // "Shoot" waits until more than 1 s of game time has passed.
  press(shoot);
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 0);
  EXPECT_TRUE(shoot->enabled());
  run(1.1);
  ASSERT_EQ(press(shoot), 0);
  EXPECT_FALSE(shoot->enabled());
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 1);

  // The glide ends 3 s after the choice, then the stroke strikes.
  const Vec3 ghost = engine.ghost_point;
  ASSERT_TRUE(run_until([this] { return shot_started(); }, 4.0));
  EXPECT_GT(game_queue().time(), 3.0);
  const Ball& cue = *engine.cue_ball;
  EXPECT_GT(norm(cue.velocity), 1.0f);
  EXPECT_LT(angle_deg(cue.velocity, ghost - start), 0.05f);
  // The tip went through the centre: no spin but rounding.
  EXPECT_LT(norm(cue.angular_velocity), 1e-6f);
  EXPECT_TRUE(cue.enable_update());
  EXPECT_EQ(engine.selected_ball, -1);
  EXPECT_EQ(engine.selected_pocket, -1);
  EXPECT_FALSE(engine.aim_guide.hit);
  EXPECT_EQ(engine.rules->shot_count, 0u);
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 0);
}

// ---- The strike's gates and result codes

// The wizard at "Shoot" more than a second after the last strike, the guide
// seeing the ball, the cue ball at the origin.
class Strike : public ShotFlow {
 protected:
  void SetUp() override {
    ShotFlow::SetUp();
    place({{0, {0.0f, 0.0f, 0.0f}}, {1, {0.5f, 0.0f, 0.0f}}});
    engine.shot_wizard.set_step("Shoot");
    run(1.1);
    engine.aim_guide.hit = true;
  }
  int strike(const Vec3& p, const Vec3& v, const Vec3& previous) {
    return engine.strike_cue_ball(p.data(), v.data(), previous.data());
  }
  const float r = 0.028575f;
};

TEST_F(Strike, AGateThatIsShutStrikesNothing) {
  const Vec3 p{r + 0.01f, 0, 0}, v{2, 0, 0};
  engine.shot_start_time = game_queue().time() - 0.5;
  EXPECT_EQ(strike(p, v, p), -1);  // within 1 s of the last strike
  engine.shot_start_time = 0.0;
  engine.shot_wizard.set_step("Choose pocket");
  EXPECT_EQ(strike(p, v, p), -1);  // not at "Shoot" on a monitor
  engine.shot_wizard.set_step("Shoot");
  engine.aim_guide.hit = false;
  EXPECT_EQ(strike(p, v, p), -11);  // the guide does not see the ball
  engine.guide_hit = true;          // the last frame's flag is enough
  engine.rules->current = 1;        // a computer whose aim is stale
  engine.rules->shot_count = 3;
  engine.aim_shot_number = 2;
  EXPECT_EQ(strike(p, v, p), -10);
  EXPECT_EQ(norm(engine.cue_ball->velocity), 0.0f);
  EXPECT_FALSE(shot_started());
}

TEST_F(Strike, TheTipMustComeOutOfTheBallOnTheFarSide) {
  const Vec3 v{2, 0, 0};
  // Still short of the ball: the line back from it meets nothing.
  EXPECT_EQ(strike({-r - 0.01f, 0, 0}, v, {-r - 0.02f, 0, 0}), -2);
  // Inside, having come in farther back than the last step: not yet.
  EXPECT_EQ(strike({0.01f, 0, 0}, v, {0.01f, 0, 0}), -101);
  EXPECT_FALSE(shot_started());
  // Out on the far side: the ball leaves along the line with the tip's speed.
  EXPECT_EQ(strike({r + 0.01f, 0, 0}, v, {r + 0.01f, 0, 0}), 0);
  EXPECT_TRUE(shot_started());
  EXPECT_FLOAT_EQ(engine.cue_ball->velocity[0], 2.0f);
  EXPECT_EQ(norm(engine.cue_ball->angular_velocity), 0.0f);
  EXPECT_FLOAT_EQ(engine.shot_speed, 2.0f);
  EXPECT_DOUBLE_EQ(engine.shot_start_time, game_queue().time());
  // The next stroke comes within 1 s of this one, during the shot.
  EXPECT_EQ(strike({r + 0.01f, 0, 0}, v, {r + 0.01f, 0, 0}), -1);
}

TEST_F(Strike, AnOffCentreContactSendsTheBallAlongTheNormalWithSpin) {
  // The tip passed along y = r / 2: it met the ball at 30 degrees off the
  // line of centres.
  const Vec3 p{r, 0.5f * r, 0}, v{2, 0, 0};
  ASSERT_EQ(strike(p, v, p), 0);
  const Ball& cue = *engine.cue_ball;
  const Vec3 n_hat{std::sqrt(3.0f) / 2.0f, -0.5f, 0.0f};
  EXPECT_NEAR(cue.velocity[0], 2.0f * n_hat[0] * n_hat[0], 1e-5f);
  EXPECT_NEAR(cue.velocity[1], 2.0f * n_hat[0] * n_hat[1], 1e-5f);
  // (q - c) x v for the contact q = c - r n_hat.
  EXPECT_NEAR(cue.angular_velocity[2], -r, 1e-6f);
  EXPECT_NEAR(cue.angular_velocity[0], 0.0f, 1e-7f);
  EXPECT_NEAR(cue.angular_velocity[1], 0.0f, 1e-7f);
}

TEST_F(Strike, TheAimingUpdateStrikesOnlyWhenTheTipMovesForward) {
  // A cue aimed along +x, its tip recorded coming out of the far side of
  // the ball while moving forward: the pre-idle aiming strikes.
  engine.cue.end_a = {0, 0, 0};
  engine.cue.end_b = {-1, 0, 0};
  // Drawn back along the cue: no strike.
  for (float x : {0.3f, 0.2f, 0.1f}) {
    engine.cue.end_b = {-1.0f - x, 0.0f, 0.0f};
    engine.cue.end_a = {-x, 0.0f, 0.0f};
    frame();
    frame();
    frame();
  }
  EXPECT_FALSE(shot_started());
  for (float x : {0.0f, 0.05f, 0.12f}) {
    engine.cue.end_b = {-1.0f + x, 0.0f, 0.0f};
    engine.cue.end_a = {x, 0.0f, 0.0f};
    frame();
    frame();
    frame();
  }
  EXPECT_TRUE(shot_started());
  EXPECT_GT(engine.cue_ball->velocity[0], 0.0f);
}

// ---- Ball in hand

TEST_F(ShotFlow, BallInHandPlacesTheCueBallOnlyOnAFreeSpot) {
  place({{0, {0.0f, 0.0f, 0.0f}}, {1, {0.3f, 0.0f, 0.0f}}});
  engine.shot_wizard.set_step("Ball in hand");
  // The spot is held at placement_offset in the view's own axes.
  CoordinateSystem view = engine.mouse_look().coord_sys();
  view.position() = {0.0f, 0.0f, 0.0f};
  const Vec3 arm = view.local2global(engine.placement_offset);
  const auto hold_at = [&](const Vec3& spot) {
    engine.walking().position() = spot - arm;
    engine.human_control_step();
  };
  // Inside the box by more than a radius, yet in the capture sphere of a
  // pocket on a long edge.
  Vec3 in_pocket{};
  for (const Pocket& p : engine.table.pockets)
    if (std::abs(p.position[0]) < 0.1f)
      in_pocket = p.position - Vec3{0.0f, std::copysign(0.045f, p.position[1]),
                                    std::copysign(0.04f, p.position[2])};
  const struct {
    const char* what;
    Vec3 spot;
    bool free;
  } cases[] = {
      {"free", {-0.2f, 0.05f, 0.1f}, true},
      {"through the side wall", {0.89f, 0.0f, 0.0f}, false},
      {"outside the box", {0.0f, 0.5f, 0.0f}, false},
      {"on another ball", {0.3f, 0.03f, 0.0f}, false},
      {"in a pocket", in_pocket, false},
      {"free again", {0.1f, -0.1f, -0.2f}, true},
  };
  Vec3 expected = engine.cue_ball->position;
  for (const auto& c : cases) {
    hold_at(c.spot);
    if (c.free) expected = c.spot;
    for (int a = 0; a < 3; ++a)
      EXPECT_NEAR(engine.cue_ball->position[a], expected[a], 1e-6f) << c.what;
    EXPECT_EQ(engine.menus.placement_marker.enabled(), !c.free) << c.what;
  }
  // The "ball in hand" dialog stands above the placed ball as the viewer
  // sees it: on the line of sight through the point 0.1 m over the ball,
  // held right in front of the view, as far out as a menu stands.
  Dialog* hand = dialog("ball in hand");
  ASSERT_NE(hand, nullptr);
  EXPECT_TRUE(hand->enabled());
  const Vec3 eye = engine.walking().position();
  const Vec3 at = hand->frame().coord_sys().position() - eye;
  const Vec3 over = expected + Vec3{0.0f, 0.1f, 0.0f} - eye;
  EXPECT_NEAR(norm(at), Dialog::kPlacedDistance, 1e-4f);
  EXPECT_LT(norm(at / norm(at) - over / norm(over)), 1e-5f);
  // "Place here" goes on to the choice of ball.
  ASSERT_EQ(press(hand), 0);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_EQ(engine.selected_ball, -1);
}

TEST_F(ShotFlow, AHumanFindsACueBallLeftInAPocketInHandOnAFreeSpot) {
  place({{0, {0.0f, 0.0f, 0.0f}}, {1, {0.3f, 0.0f, 0.0f}}});
  engine.cue_ball->position = engine.table.pockets[2].position;
  engine.shot_wizard.set_step("Ball in hand");
  engine.pause_allowed(false);
  engine.start_turn();
  for (const Pocket& pocket : engine.table.pockets)
    EXPECT_GE(norm(engine.cue_ball->position - pocket.position), pocket.radius);
  EXPECT_TRUE(engine.pause_allowed());
  ASSERT_NE(dialog("ball in hand"), nullptr);
  EXPECT_TRUE(dialog("ball in hand")->enabled());
}

// ---- The computer's turn and the cue's animations

class ComputerTurn : public ShotFlow {
 protected:
  void SetUp() override {
    seat(2, 2);
    testing_support::rack_balls(engine);
    engine.aim_guide.aim_at(engine.cue_ball);
  }
  // Plays the turn to its strike: choose, glide, mark, stroke. The angle
  // between the cue ball's start and the line from it to the ghost point.
  float play_turn() {
    const Vec3 start = engine.cue_ball->position;
    frame();
    EXPECT_GE(engine.selected_ball, 1);
    EXPECT_GE(engine.selected_pocket, 0);
    const Vec3 ghost = engine.ghost_point;
    run(0.1);
    EXPECT_TRUE(engine.cue_animation_running());
    EXPECT_FALSE(engine.stroke_pending());
    EXPECT_TRUE(run_until([this] { return engine.stroke_pending(); }, 3.5));
    EXPECT_GE(game_queue().time(), 3.0);
    EXPECT_EQ(engine.aim_shot_number, engine.rules->shot_number());
    EXPECT_TRUE(run_until([this] { return shot_started(); }, 1.5));
    EXPECT_LT(game_queue().time(), 5.0);
    return angle_deg(engine.cue_ball->velocity, ghost - start);
  }
};

TEST_F(ComputerTurn, ChoosesGlidesMarksStrokesAndStrikesWithinFiveSeconds) {
  CaptureStdout quiet;
  engine.difficulty.level = 2;  // no aim error
  EXPECT_LT(play_turn(), 0.05f);
  EXPECT_FALSE(engine.cue_animation_running());
}

TEST_F(ComputerTurn, AnEasyComputerMissesItsLineByItsAimError) {
  CaptureStdout quiet;
  engine.difficulty.level = 0;  // 0.75 degrees per axis
  const float error = play_turn();
  EXPECT_GT(error, 0.0f);
  EXPECT_LT(error, 5.0f);
}

TEST_F(ComputerTurn, EachTurnAndEachNewGameStrokesOnlyAfterItsOwnGlide) {
  CaptureStdout quiet;
  // Frames until the stroke starts: it must not start while a glide runs,
  // and a glide must have run first.
  const auto stroke_after_glide = [this] {
    bool glided = false;
    for (double t = 0.0; t < 6.0; t += kFrame) {
      frame();
      EXPECT_FALSE(engine.stroke_pending() && engine.cue_animation_running());
      glided = glided || engine.cue_animation_running();
      if (engine.stroke_pending()) return glided;
    }
    return false;
  };
  EXPECT_TRUE(stroke_after_glide());  // the first shot of the game
  ASSERT_TRUE(run_until([this] { return shot_started(); }, 1.5));
  ASSERT_TRUE(run_until([this] { return !shot_started(); }, 120.0));
  EXPECT_TRUE(stroke_after_glide());  // the next turn
  // A new game while an aim of the last one is marked or on its way.
  engine.new_game(0, 2);
  EXPECT_TRUE(stroke_after_glide());
  engine.align_shot(true);
  run(1.0);
  engine.new_game(0, 2);
  EXPECT_TRUE(stroke_after_glide());
}

TEST_F(ComputerTurn, ACueBallInAPocketGoesToAFreeSpotFirst) {
  CaptureStdout quiet;
  engine.cue_ball->position = engine.table.pockets[3].position;
  frame();
  for (const Pocket& pocket : engine.table.pockets)
    EXPECT_GE(norm(engine.cue_ball->position - pocket.position), pocket.radius);
}

class CueAnimation : public ShotFlow {
 protected:
  void SetUp() override {
    ShotFlow::SetUp();
    place({{0, {-0.3f, 0.0f, 0.0f}}, {1, {0.0f, 0.0f, 0.0f}}});
    engine.selected_ball = 1;
    engine.selected_pocket = 5;
  }
};

TEST_F(CueAnimation, ARunningGlideStaysUnlessRestarted) {
  engine.align_shot(true);
  run(0.5);
  ASSERT_TRUE(engine.cue_animation_running());
  const Vec3 target = engine.target_b;
  engine.selected_pocket = 6;
  engine.align_shot(false);
  EXPECT_EQ(listed("move_cue_0"), 1);
  run(3.0);
  EXPECT_EQ(engine.cue.end_b, target);
  engine.align_shot(true);
  run(3.1);
  EXPECT_NE(engine.cue.end_b, target);
  EXPECT_EQ(engine.cue.end_b, engine.target_b);
}

TEST_F(CueAnimation, AGlideOfNoDurationPlacesTheCueAtOnce) {
  engine.align_duration = 0.0;
  engine.align_shot(true);
  EXPECT_EQ(listed("move_cue_0") + listed("move_cue_1"), 0);
  EXPECT_EQ(engine.cue.end_a, engine.cue_ball->position);
  EXPECT_NEAR(norm(engine.cue.end_a - engine.cue.end_b), 1.0f, 1e-6f);
  // The ends lie on the line from the ghost point through the cue ball.
  EXPECT_LT(angle_deg(engine.cue.end_a - engine.cue.end_b,
                      engine.ghost_point - engine.cue_ball->position),
            0.01f);
  // The aim is marked at once, in the next step of the queue.
  frame();
  EXPECT_EQ(engine.aim_shot_number, engine.rules->shot_number());
}

TEST_F(CueAnimation, ShootAfterTheAnimationQueuesOneRequest) {
  engine.align_shot(true);
  engine.shoot_after_cue_animation();
  engine.shoot_after_cue_animation();
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 1);
  // It waits for the glide, then starts the stroke and ends.
  run(1.0);
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 1);
  EXPECT_FALSE(engine.stroke_pending());
  run(2.2);
  EXPECT_TRUE(engine.stroke_pending());
  EXPECT_EQ(listed("shoot_after_cue_animation2"), 0);
  EXPECT_EQ(step(), "Shoot");
}

TEST_F(CueAnimation, TheStrokeDrawsBackByHalfItsReach) {
  engine.align_duration = 0.0;
  engine.align_shot(true);
  const Vec3 b = engine.cue.end_b;
  const Vec3 u = normalized(engine.cue.end_a - engine.cue.end_b);
  for (const auto& [power, reach] : {std::pair{0.3f, 0.125f}, {0.6f, 0.6f}, {1.0f, 0.6f}}) {
    engine.shot_powers = {power};
    engine.cue.end_b = b;
    engine.start_stroke_animation();
    ASSERT_TRUE(engine.stroke_pending() || listed("shoot_cue") == 1);
    bool reached = false;
    for (double t = 0.0; t < 1.6; t += kFrame) {
      now += kFrame;
      engine.gametime_queue().update(game_queue().time() + kFrame, -1);
      const Vec3 tip = engine.cue.end_b + u * engine.cue.length;
      if (dot(tip - engine.cue_ball->position, u) > engine.cue_ball->radius) reached = true;
    }
    EXPECT_TRUE(reached) << "power " << power;
    const Vec3 end = b - u * (0.5f * reach);
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(engine.cue.end_b[a], end[a], 1e-5f) << power;
  }
}

// ---- Taking back steps and the end of a game, through the keys

// A human (seat 0) against a computer some shots into a game, the human at
// the table and on no team yet, keys bound as the program binds them.
class KeyedTurn : public ShotFlow {
 protected:
  void SetUp() override {
    ShotFlow::SetUp();
    engine.bind_keys();
    GameRules& game = *engine.rules;
    game.shot_count = 4;
    game.turn_count = 4;
    game.assign_teams(2);
    game.players[0].pocketed = {9, 10, 11, 12, 13, 14, 15};
    game.players[1].pocketed = {1, 2, 3, 4, 5, 6, 7};
  }
  void enter() {
    if (Dialog* d = engine.menus.current_dialog()) d->arrange_children();
    engine.key_down(13);
    engine.key_up(13);
  }
  // The eight ball before pocket 0 with the cue ball behind it on the line.
  void eight_before_a_pocket() {
    const Vec3 pocket = engine.table.pockets[0].position;
    const Vec3 eight = pocket * 0.7f;
    const Vec3 line = normalized(pocket - eight);
    place({{0, eight - line * 0.3f}, {8, eight}});
  }
  Dialog* shown_wizard_dialog() {
    Dialog* shown = nullptr;
    for (const auto& [name, d] : engine.menus.wizard_dialogs)
      if (d->enabled()) shown = d;
    return shown;
  }
};

TEST_F(KeyedTurn, DeleteBackToChooseBallClearsBothChoicesAndTheArrowsChooseAgain) {
  eight_before_a_pocket();
  engine.new_score_board();
  engine.next_turn();
  ASSERT_EQ(engine.selected_ball, 8);
  const int pocket = engine.selected_pocket;
  ASSERT_GE(pocket, 0);
  run(1.1);  // Delete acts a second after the last stroke
  CaptureStdout out;
  enter();
  enter();
  ASSERT_EQ(step(), "Shoot");
  engine.key_up(127);
  EXPECT_EQ(step(), "Choose pocket");
  EXPECT_EQ(engine.selected_ball, 8);
  EXPECT_EQ(engine.selected_pocket, -1);
  EXPECT_EQ(shown_wizard_dialog(), dialog("pocket"));
  // Enter confirms no pocket; an arrow chooses one.
  enter();
  EXPECT_EQ(step(), "Choose pocket");
  engine.key_up(127);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_EQ(engine.selected_ball, -1);
  EXPECT_EQ(engine.selected_pocket, -1);
  EXPECT_EQ(shown_wizard_dialog(), dialog("ball"));
  frame();
  EXPECT_EQ(engine.aim_text_frame->text(), " ");
  enter();
  EXPECT_EQ(step(), "Choose ball");
  // The arrows choose again: the eight ball, the only one left to aim at,
  // and its best pocket.
  engine.on_arrow_key(kRight);
  EXPECT_EQ(engine.selected_ball, 8);
  EXPECT_EQ(engine.selected_pocket, pocket);
  frame();
  EXPECT_EQ(engine.aim_text_frame->text(), " Aiming for the 8 ball.");
  enter();
  enter();
  ASSERT_EQ(step(), "Shoot");
  enter();
  EXPECT_TRUE(run_until([this] { return shot_started(); }, 5.0));
}

TEST_F(KeyedTurn, ChooseBallAndChoosePocketConfirmNothingUnchosen) {
  eight_before_a_pocket();
  const struct {
    const char* step;
    int ball, pocket;
  } cases[] = {{"Choose ball", -1, -1}, {"Choose pocket", 8, -1}, {"Choose pocket", -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    engine.shot_wizard.set_step(c.step);
    engine.selected_ball = c.ball;
    engine.selected_pocket = c.pocket;
    Dialog* shown = std::string(c.step) == "Choose ball" ? engine.menus.choose_ball()
                                                         : engine.menus.choose_pocket();
    CaptureStdout quiet;
    enter();
    EXPECT_EQ(step(), c.step);
    EXPECT_TRUE(shown->enabled());
  }
}

}  // namespace
