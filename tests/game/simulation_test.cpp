// The simulation of a shot without a window: forces, walls and pockets,
// sinking and stacking, ball pairs, the rest test and the end of the shot,
// the shot events, the cue ball's scratch, and thousands of seeded random
// shots that must stay finite, inside the box and never gain energy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <pcg_random.hpp>
#include <random>

#include "game/app/pool_engine.h"
#include "game/table/ball_physics.h"
#include "support/pool_balls.h"

namespace {

constexpr double kFrame = 1.0 / 60.0;
constexpr float kR = 0.028575f;

void expect_vec(const Vec3& actual, const Vec3& expected, float tolerance = 1e-6f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The energy of the balls in play.
double energy_in_play(const std::vector<Ball>& balls) {
  double e = 0.0;
  for (const Ball& b : balls)
    if (b.enable_update()) e += ball_physics::energy(b);
  return e;
}

// A game engine with its box built, the shot wizard made and two computer
// players, driven frame by frame with a fixed step: the game-time queue is
// advanced (the sink faders move), then the simulation runs.
class Harness {
 public:
  Harness() {
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.eight_ball.init_players(2, 2);
    engine.update_listener = [this] { ++listener_updates; };
  }

  void place(const std::map<int, Vec3>& placed) { testing_support::place_balls(engine, placed); }
  void rack(float gap = 0.003f, float lift1 = 0.001f, float lift2 = 0.002f) {
    testing_support::rack_balls(engine, gap, lift1, lift2);
  }

  // Starts a shot as the strike does: the cue ball's velocity and spin, the
  // shot's events cleared and the shot in progress from now.
  void strike(const Vec3& v, const Vec3& w = {0, 0, 0}) {
    Ball& cue = engine.balls[0];
    cue.velocity = v;
    cue.angular_velocity = w;
    cue.enable_update(true);
    GameRules& rules = *engine.rules;
    rules.events.clear();
    rules.ball_in_hand = false;
    rules.shot_in_progress = true;
    engine.shot_start_time = engine.gametime_queue().time();
    engine.shot_speed = norm(v);
  }

  void frame(double dt = kFrame) {
    now += dt;
    engine.gametime_queue().update(now, -1);
    engine.simulation_step(dt);
  }
  void run(double seconds, double dt = kFrame) {
    for (double t = 0.0; t < seconds; t += dt) frame(dt);
  }

  PoolEngine engine;
  double now = 0.0;
  int listener_updates = 0;
};

class Simulation : public ::testing::Test, protected Harness {};

// ---- Forces

TEST_F(Simulation, DragSpinForceAndSpinDampingDuringAShotOnly) {
  place({{0, {0, 0, 0}}, {1, {0.3f, 0, 0}}});
  Ball& b = engine.balls[1];
  b.velocity = {1.0f, 0.5f, 0.0f};
  b.angular_velocity = {0.0f, 0.0f, 10.0f};
  b.force = {9, 9, 9};
  engine.apply_ball_forces();
  expect_vec(b.force, {9, 9, 9});  // no shot: nothing

  engine.rules->shot_in_progress = true;
  engine.apply_ball_forces();
  // -0.25 v + 0.04 (w x v), w x v = (-10 * 0.5, 10 * 1, 0).
  expect_vec(b.force, {-0.25f - 0.2f, -0.125f + 0.4f, 0.0f});
  expect_vec(b.torque, {0.0f, 0.0f, -0.0015f});
  // A parked ball gets no forces.
  expect_vec(engine.balls[2].force, {0, 0, 0});

  b.spin_force = false;
  engine.apply_ball_forces();
  expect_vec(b.force, {-0.25f, -0.125f, 0.0f});
}

TEST_F(Simulation, SpinDecaysByTheDampingTorque) {
  place({{0, {0, 0, 0}}});
  Ball& cue = engine.balls[0];
  strike({0, 0, 0}, {0, 20.0f, 0});
  engine.shot_speed = 1.0f;
  frame();
  // dw = -0.00015 w / I dt with I = 0.4 r^2.
  const double inertia = 0.4 * kR * kR;
  EXPECT_NEAR(cue.angular_velocity[1], 20.0 * (1.0 - 0.00015 / inertia * kFrame), 1e-4);
  run(1.0);
  EXPECT_LT(cue.angular_velocity[1], 20.0f * std::exp(-0.00015 / inertia * 1.0) * 1.01f);
}

// ---- Walls

TEST_F(Simulation, ABounceKeepsNinetyPercentOfTheEnergyAndLeavesTheBallRolling) {
  place({{0, {0, 0, 0}}});
  Ball& b = engine.balls[0];
  const float h = engine.table.half_extents[0] - kR;
  b.position = {h + 0.01f, 0.02f, -0.05f};
  b.velocity = {1.2f, 0.3f, -0.4f};
  b.angular_velocity = {7.0f, -20.0f, 5.0f};
  const Vec3 v0 = b.velocity;
  const double counted = 0.5 * (0.09 + 0.16 + 1.44) + 0.5 * b.inertia * (400.0 + 25.0);

  EXPECT_EQ(engine.check_pockets_and_walls(0), 0);
  EXPECT_FLOAT_EQ(b.position[0], h);
  // Mirrored: the normal component turned inward, the tangential direction
  // kept (angle of reflection = angle of incidence).
  EXPECT_LT(b.velocity[0], 0.0f);
  EXPECT_NEAR(b.velocity[1] / b.velocity[2], v0[1] / v0[2], 1e-5);
  EXPECT_NEAR(-b.velocity[0] / norm(Vec3{0, b.velocity[1], b.velocity[2]}),
              v0[0] / norm(Vec3{0, v0[1], v0[2]}), 1e-5);
  // 90 % of linear plus in-plane spin energy; the spin about x unchanged.
  EXPECT_FLOAT_EQ(b.angular_velocity[0], 7.0f);
  const Vec3 w_plane{0, b.angular_velocity[1], b.angular_velocity[2]};
  const double after = 0.5 * dot(b.velocity, b.velocity) + 0.5 * b.inertia * dot(w_plane, w_plane);
  EXPECT_NEAR(after, 0.9 * counted, 1e-5 * counted);
  // Rolling: the contact point (at -r n, n = (-1, 0, 0)) does not slide
  // along the wall.
  const Vec3 contact_velocity = b.velocity + cross(b.angular_velocity, Vec3{kR, 0, 0});
  EXPECT_NEAR(contact_velocity[1], 0.0f, 1e-5);
  EXPECT_NEAR(contact_velocity[2], 0.0f, 1e-5);
}

TEST_F(Simulation, AHeadOnBounceMirrorsAndKeepsNinetyPercentAtAnySpeed) {
  place({{0, {0, 0, 0}}});
  Ball& b = engine.balls[0];
  const float h = engine.table.half_extents[2] - kR;
  for (const float speed : {0.05f, 0.5f, 3.0f}) {
    SCOPED_TRACE(speed);
    b.position = {0.1f, 0.0f, -h - 0.001f};
    b.velocity = {0.0f, 0.0f, -speed};
    b.angular_velocity = {0.0f, 0.0f, 4.0f};
    EXPECT_EQ(engine.check_pockets_and_walls(0), 2);
    EXPECT_FLOAT_EQ(b.position[2], -h);
    EXPECT_NEAR(b.velocity[2], speed * std::sqrt(0.9f), 1e-6f * speed);
    expect_vec(b.angular_velocity, {0, 0, 4.0f});
  }
}

TEST_F(Simulation, ABallBeyondAWallMovingInwardIsOnlyClamped) {
  place({{0, {0, 0, 0}}});
  Ball& b = engine.balls[0];
  const Vec3& he = engine.table.half_extents;
  b.position = {0.2f, -(he[1] - kR) - 0.004f, he[2]};  // beyond two walls
  b.velocity = {0.1f, 0.3f, -0.2f};
  EXPECT_EQ(engine.check_pockets_and_walls(0), -1);
  expect_vec(b.position, {0.2f, -(he[1] - kR), he[2] - kR});
  expect_vec(b.velocity, {0.1f, 0.3f, -0.2f});
}

// ---- Pockets

TEST_F(Simulation, PocketedBallsGlideInAndStackAlongTheSinkDirection) {
  struct Case {
    bool corner;
    Vec3 dir;  // unsigned sink direction
  };
  const float c = 0.57735026f, e = 0.70710677f;
  for (const Case& k : {Case{true, {c, c, c}}, Case{false, {0, e, e}}}) {
    SCOPED_TRACE(k.corner ? "corner" : "edge");
    place({{0, {-0.5f, 0, 0}},
           {1, {0, 0, 0}},
           {2, {0.1f, 0, 0}},
           {3, {0.2f, 0, 0}},
           {4, {0.3f, 0, 0}}});
    engine.clear_sink_events();
    engine.rules->events.clear();
    std::size_t pk = 0;
    while ((engine.table.pockets[pk].position[0] != 0.0f) == !k.corner) ++pk;
    Pocket& pocket = engine.table.pockets[pk];
    pocket.balls.clear();
    Vec3 dir = k.dir;
    for (int a = 0; a < 3; ++a)
      if (pocket.position[a] < 0.0f) dir[a] = -dir[a];
    const float expected_depth[4] = {0.165f, 0.10785f, 0.0507f, 0.0f};
    engine.rules->shot_in_progress = true;
    for (int i = 1; i <= 4; ++i) {
      Ball& b = engine.balls[i];
      b.position = pocket.position - dir * 0.05f;
      b.velocity = dir * 1.0f;
      EXPECT_EQ(engine.check_pockets_and_walls(i), -1);
      EXPECT_FALSE(b.enable_update());
      EXPECT_TRUE(engine.gametime_queue().contains("Sink " + std::to_string(i)));
      // Another pocket check does not sink it twice.
      engine.ball_sunk(i, int(pk));
      run(1.1);
      expect_vec(b.position, pocket.position + dir * expected_depth[i - 1], 2e-6f);
    }
    EXPECT_EQ(pocket.balls, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(engine.rules->pocketed_this_shot(), (std::vector<int>{1, 2, 3, 4}));
  }
}

TEST_F(Simulation, AFastBallEntersThePocketMouthFirst) {
  place({{0, {-0.5f, 0, 0}}, {5, {0, 0, 0}}});
  const Pocket& pocket = engine.table.pockets[0];
  Ball& b = engine.balls[5];
  const Vec3 dir = normalized(pocket.position);
  b.position = pocket.position - dir * 0.08f;
  b.velocity = dir * 3.0f;
  engine.rules->shot_in_progress = true;
  engine.ball_sunk(5, 0);
  // The first glide ends half a radius short of the centre, where the
  // second one starts.
  engine.gametime_queue().update(0.5, -1);
  const Vec3 corner_dir = normalized(engine.table.corner_sink_direction);
  expect_vec(b.position, pocket.position - corner_dir * (0.5f * kR), 1e-5f);
}

TEST_F(Simulation, OutOfRangeSinksAreIgnored) {
  place({{0, {0, 0, 0}}});
  for (const auto& [ball, pocket] :
       std::vector<std::pair<int, int>>{{-1, 0}, {16, 0}, {0, -1}, {0, 12}})
    engine.ball_sunk(ball, pocket);
  EXPECT_TRUE(engine.balls[0].enable_update());
  EXPECT_TRUE(engine.gametime_queue().events().empty());
}

TEST_F(Simulation, ClearingSinkEventsErasesEveryEventOfEachName) {
  place({{0, {0, 0, 0}}, {3, {0, 0, 0}}});
  engine.rules->shot_in_progress = true;
  engine.ball_sunk(3, 0);
  // A stale second fader of the same name, as an earlier rack could leave.
  Event stale("Sink 3", 0.0, 10.0, {}, {}, {}, {});
  engine.gametime_queue().add(&stale);
  engine.clear_sink_events();
  for (const char* name : {"Sink 3", "Sink 3 delayed"})
    EXPECT_FALSE(engine.gametime_queue().contains(name)) << name;
  // The balls can go now: nothing writes into them any more.
  engine.balls.clear();
  run(1.5);
}

TEST_F(Simulation, ASinkOfALargerRackIsClearedAfterTheRackShrinks) {
  place({{0, {0, 0, 0}}, {15, {0, 0, 0}}});
  engine.rules->shot_in_progress = true;
  engine.ball_sunk(15, 3);
  engine.balls.resize(4);
  engine.clear_sink_events();
  EXPECT_FALSE(engine.gametime_queue().contains("Sink 15"));
  EXPECT_FALSE(engine.gametime_queue().contains("Sink 15 delayed"));
}

// ---- The cue ball's scratch

TEST_F(Simulation, AScratchStopsTheCueBallAtThePocketAndGivesBallInHand) {
  place({{0, {0, 0, 0}}, {1, {0.3f, 0, 0}}});
  const Pocket& pocket = engine.table.pockets[2];
  Ball& cue = engine.balls[0];
  const Vec3 at = pocket.position - normalized(pocket.position) * 0.06f;
  cue.position = at;
  strike(normalized(pocket.position) * 0.7f);
  engine.ball_sunk(0, 2);  // the breaker is a computer: the cue ball stays
  EXPECT_FALSE(cue.enable_update());
  expect_vec(cue.velocity, {0, 0, 0});
  expect_vec(cue.position, at);
  EXPECT_EQ(engine.shot_wizard.current_step().name(), "Ball in hand");
  EXPECT_TRUE(engine.shot_wizard.active());
  EXPECT_FALSE(engine.gametime_queue().contains("Sink 0"));
  EXPECT_TRUE(engine.rules->cue_ball_pocketed());
  EXPECT_TRUE(engine.rules->ball_in_hand);
  EXPECT_TRUE(pocket.balls.empty());
  run(1.0);
  expect_vec(cue.position, at);
}

TEST_F(Simulation, AHumanOpponentFindsTheCueBallOnAFreeSpotAtOnce) {
  engine.eight_ball.init_players(2, 0);
  place({{0, {0, 0, 0}}, {1, {0.3f, 0, 0}}, {2, {-0.3f, 0.1f, 0.2f}}});
  const Pocket& pocket = engine.table.pockets[7];
  Ball& cue = engine.balls[0];
  cue.position = pocket.position - normalized(pocket.position) * 0.06f;
  strike(normalized(pocket.position) * 0.7f, {1, 2, 3});
  engine.ball_sunk(0, 7);
  EXPECT_TRUE(cue.enable_update());  // on the table, in play
  expect_vec(cue.velocity, {0, 0, 0});
  expect_vec(cue.angular_velocity, {0, 0, 0});
  for (const Pocket& p : engine.table.pockets) EXPECT_GE(norm(cue.position - p.position), p.radius);
  for (int a = 0; a < 3; ++a)
    EXPECT_LE(std::abs(cue.position[a]), engine.table.half_extents[a] - kR) << a;
}

TEST_F(Simulation, FreeSpotsKeepClearOfBallsPocketsAndWalls) {
  rack();
  for (int k = 0; k < 200; ++k) {
    const Vec3 p = engine.random_ball_position(kR);
    for (int a = 0; a < 3; ++a) EXPECT_LE(std::abs(p[a]), engine.table.half_extents[a] - kR);
  }
  // A box full of balls: after seven tries the last draw is taken anyway.
  const Vec3 p = engine.random_ball_position(10.0);
  EXPECT_TRUE(finite(p));
}

TEST_F(Simulation, AFreeSpotTouchesNoBallWhateverTheClearance) {
  // Fifteen balls spread over the box, three rows of five.
  std::map<int, Vec3> spread{{0, {0, 0, 0}}};
  for (int k = 0; k < 15; ++k)
    spread[k + 1] = {-0.6f + 0.3f * float(k % 5), 0, -0.25f + 0.25f * float(k / 5)};
  place(spread);
  engine.spot_random.engine().seed(5);
  // "Randomize" asks for no clearance: the cue ball must still fit.
  for (int k = 0; k < 1000; ++k) {
    const Vec3 p = engine.random_ball_position(0.0);
    for (int j = 1; j < 16; ++j)
      ASSERT_GT(norm(p - engine.balls[j].position), 2 * kR) << "draw " << k << ", ball " << j;
  }
}

// ---- Ball pairs and shot events

TEST_F(Simulation, TouchingBallsCollideOnceAFrameAndOnlyTheCueBallsContactsCount) {
  place({{0, {0, 0, 0}},
         {1, {2 * kR - 0.001f, 0, 0}},
         {2, {0.3f, 0, 0}},
         {3, {0.3f + 2 * kR - 0.001f, 0, 0}}});
  strike({1.0f, 0, 0});
  engine.balls[2].velocity = {0.5f, 0, 0};
  engine.handle_collisions();
  // Equal masses head-on: the velocities are exchanged.
  expect_vec(engine.balls[0].velocity, {0, 0, 0}, 1e-5f);
  expect_vec(engine.balls[1].velocity, {1.0f, 0, 0}, 1e-5f);
  expect_vec(engine.balls[2].velocity, {0, 0, 0}, 1e-5f);
  expect_vec(engine.balls[3].velocity, {0.5f, 0, 0}, 1e-5f);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(engine.balls[i].contacts, 1) << i;
  EXPECT_EQ(engine.rules->events, (std::deque<ShotEvent>{{kBallContact, 1}}));
  EXPECT_EQ(listener_updates, 1);
}

TEST_F(Simulation, BallsRestingAgainstEachOtherAreRecordedAndHeardOnceUntilTheyPart) {
  place({{0, {0, 0, 0}}, {1, {2 * kR - 0.0005f, 0, 0}}});
  strike({0, 0, 0});  // a shot that never ends, its cue ball at rest
  const std::deque<ShotEvent> once{{kBallContact, 1}};
  run(1.0);
  EXPECT_EQ(engine.rules->events, once);
  EXPECT_EQ(listener_updates, 1);  // one impact
  // A pause stops the game clock but not the step.
  for (int f = 0; f < 600; ++f) engine.simulation_step(0.0);
  EXPECT_EQ(engine.rules->events, once);
  EXPECT_EQ(listener_updates, 1);
  // Parted for a frame, then in touch again: a second contact.
  engine.balls[1].position[0] += 0.01f;
  frame();
  engine.balls[1].position[0] -= 0.01f;
  frame();
  EXPECT_EQ(engine.rules->events, (std::deque<ShotEvent>{{kBallContact, 1}, {kBallContact, 1}}));
  EXPECT_EQ(listener_updates, 2);
}

TEST_F(Simulation, ACueBallPutOnAFreeSpotDuringTheShotIsMetByTheRollingBalls) {
  engine.eight_ball.init_players(2, 0);
  engine.spot_random.engine().seed(3);
  place({{0, {0, 0, 0}}, {1, {0.3f, 0, 0}}});
  const Pocket& pocket = engine.table.pockets[7];
  Ball& cue = engine.balls[0];
  cue.position = pocket.position - normalized(pocket.position) * 0.06f;
  strike(normalized(pocket.position) * 0.7f);
  engine.ball_sunk(0, 7);
  // Ball 1 rolls at the cue ball from the side of the table's centre.
  const Vec3 towards{cue.position[0] > 0.0f ? 1.0f : -1.0f, 0, 0};
  Ball& ball = engine.balls[1];
  ball.position = cue.position - towards * 0.15f;
  ball.velocity = towards * 0.5f;
  float closest = 1.0f;
  for (int f = 0; f < 30; ++f) {
    frame();
    closest = std::min(closest, norm(ball.position - cue.position));
  }
  EXPECT_GT(closest, 1.5f * kR);  // at most a part of a frame late
  EXPECT_GT(dot(cue.velocity, towards), 0.3f);
  EXPECT_LT(dot(ball.velocity, towards), 0.1f);
}

TEST_F(Simulation, AFastHeadOnHitAtTheLongestStepStillPassesTheBlowOn) {
  // At the 1/30 s step these speeds carry a ball more than a radius between
  // two frames, so the hit would otherwise depend on where the frames fall.
  for (const float v : {2.5f, 5.0f}) {
    for (int phase = 0; phase < 10; ++phase) {
      // Run to a little after the hit, before ball 1 reaches a wall.
      place({{0, {-0.5f - 0.005f * float(phase), 0, 0}}, {1, {0.0f, 0, 0}}});
      strike({v, 0, 0});
      run(0.5 / v + 0.05, PoolEngine::kMaxStep);
      const Ball& cue = engine.balls[0];
      const Ball& hit = engine.balls[1];
      EXPECT_GT(hit.velocity[0], 0.8f * v) << v << " m/s, phase " << phase;
      EXPECT_LT(std::abs(cue.velocity[0]), 0.1f * v) << v << " m/s, phase " << phase;
      EXPECT_GT(hit.position[0] - cue.position[0], 2 * kR - 1e-4f) << v << " m/s, phase " << phase;
    }
  }
}

TEST_F(Simulation, OnlyTheCueBallsWallBouncesAreShotEvents) {
  const float h = engine.table.half_extents[1] - kR;
  place({{0, {0, h + 0.001f, 0}}, {1, {0.4f, -h - 0.001f, 0}}});
  strike({0, 0.5f, 0.1f});
  engine.balls[1].velocity = {0, -0.5f, 0.1f};
  engine.handle_collisions();
  EXPECT_EQ(engine.rules->events, (std::deque<ShotEvent>{{kRailContact, 1}}));
  EXPECT_EQ(engine.wall_contacts, 2);
}

TEST_F(Simulation, ABallSunkThisFrameKnocksNoOtherBall) {
  const Pocket& pocket = engine.table.pockets[0];
  const Vec3 dir = normalized(pocket.position);
  const Vec3 at = pocket.position - dir * 0.07f;
  place({{0, {0, 0, 0}}, {1, at}, {2, at - dir * (2 * kR - 0.002f)}});
  strike({0.1f, 0, 0});
  engine.balls[1].velocity = dir * -1.0f;
  engine.pair_order = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  engine.handle_collisions();
  EXPECT_FALSE(engine.balls[1].enable_update());
  expect_vec(engine.balls[2].velocity, {0, 0, 0});
  EXPECT_EQ(engine.balls[2].contacts, 0);
}

// ---- The frame, the rest test and the end of the shot

TEST_F(Simulation, WithoutRulesTheStepDoesNothing) {
  place({{0, {0, 0, 0}}});
  strike({1, 0, 0});
  engine.rules = nullptr;
  frame();
  expect_vec(engine.balls[0].position, {0, 0, 0});
}

TEST_F(Simulation, BetweenShotsOnlyAComputerTurnMovesBalls) {
  place({{0, {0, 0, 0}}});
  engine.balls[0].velocity = {1, 0, 0};
  engine.eight_ball.init_players(2, 0);  // a human to play: no integration
  frame();
  expect_vec(engine.balls[0].position, {0, 0, 0});
  engine.eight_ball.init_players(2, 2);  // a computer: integrated, no drag
  frame();
  expect_vec(engine.balls[0].position, {float(kFrame), 0, 0});
  expect_vec(engine.balls[0].velocity, {1, 0, 0});
}

TEST_F(Simulation, NoBallStopsInTheFirstTwoSecondsThenSlowOnesAreZeroed) {
  place({{0, {0, 0, 0}}, {1, {0.3f, 0.1f, 0}}});
  strike({0.0005f, 0, 0});
  engine.balls[1].velocity = {0.3f, 0, 0};
  run(2.0 - kFrame / 2);
  EXPECT_GT(norm(engine.balls[0].velocity), 0.0f);
  EXPECT_TRUE(engine.rules->shot_in_progress);
  frame();
  frame();
  expect_vec(engine.balls[0].velocity, {0, 0, 0});
  EXPECT_GT(norm(engine.balls[1].velocity), 0.0f);
  EXPECT_TRUE(engine.rules->shot_in_progress);
}

TEST_F(Simulation, AStoppedBallKeepsNoForceAndStaysPutOnAComputersTurn) {
  place({{0, {0, 0, 0}}, {1, {0.3f, 0.1f, 0}}});
  strike({0.0005f, 0, 0});
  engine.balls[1].velocity = {0.0008f, 0, 0};
  run(2.0 + 2 * kFrame);
  ASSERT_FALSE(engine.rules->shot_in_progress);
  for (const Ball& b : engine.balls) {
    expect_vec(b.force, {0, 0, 0}, 0.0f);
    expect_vec(b.torque, {0, 0, 0}, 0.0f);
  }
  // Between shots a computer's turn integrates the balls in play.
  const Vec3 at = engine.balls[1].position;
  run(10.0);
  expect_vec(engine.balls[1].position, at, 0.0f);
}

TEST_F(Simulation, AShotOfSlowBallsEndsInTheFirstFrameAfterTwoSeconds) {
  place({{0, {0, 0, 0}}, {1, {0.3f, 0.1f, 0}}});
  strike({0.0005f, 0, 0});
  engine.table.pockets[4].highlighted = 1;
  run(2.0 - kFrame / 2);
  EXPECT_TRUE(engine.rules->shot_in_progress);
  frame();
  frame();
  EXPECT_FALSE(engine.rules->shot_in_progress);  // the verdict is in
  EXPECT_EQ(engine.shot_speed, 0.0f);
  EXPECT_EQ(engine.table.pockets[4].highlighted, 0);
}

TEST_F(Simulation, TheInstalledStepRunsAfterEachFrameWithItsGameStepCapped) {
  double clock_now = 10.0;
  FrameClock clock([&clock_now] { return clock_now; });
  engine.frame_clock(&clock);
  engine.install_callbacks();
  place({{0, {0, 0, 0}}});
  engine.idle();  // the game clock starts: step 0
  strike({1.0f, 0, 0});
  clock_now += 0.5;  // a slow frame
  engine.idle();
  EXPECT_EQ(engine.game_step(), 0.5);
  // One step of 1/30 s under the drag -0.25 v.
  const double dt = PoolEngine::kMaxStep;
  EXPECT_NEAR(engine.balls[0].position[0], dt - 0.125 * dt * dt, 1e-6);
}

TEST_F(Simulation, TheGameSpeedIntegratesSeveralTimesAFrame) {
  place({{0, {0, 0, 0}}});
  strike({1.0f, 0, 0});
  engine.game_speed_steps(3);
  frame();
  // Three steps under the drag of the frame's start, -0.25 v.
  EXPECT_NEAR(engine.balls[0].position[0], 3 * kFrame - 4.5 * 0.25 * kFrame * kFrame, 1e-6);
}

// ---- Random shots

// What one seeded shot ends with.
struct ShotRecord {
  std::vector<Vec3> positions;
  std::deque<ShotEvent> events;
};

// A shot from a seed: the break with a random cue (every other seed), or the
// balls spread at random with random velocities and spins. Played for
// `seconds` (or to its end) at a fixed step, checking every frame: no NaN,
// every ball in play inside the box (it may overshoot a wall by what it
// travels in the two frames before its bounce) or sunk into a pocket, and
// the energy in play never growing beyond rounding.
class RandomShots : public ::testing::Test {
 protected:
  // A shot on the engine of the last one, or with `fresh` on an engine of
  // its own, so that a replay starts from the same clocks.
  ShotRecord play(std::uint64_t seed, double seconds, bool fresh = false) {
    if (fresh || !shot) shot = std::make_unique<Harness>();
    PoolEngine& engine = shot->engine;
    engine.clear_sink_events();
    engine.pair_order.clear();
    engine.wall_contacts = 0;
    engine.eight_ball.init_players(2, 2);
    pcg32 rng(seed);
    auto uniform = [&rng](float a, float b) {
      return a + (b - a) * float(std::uniform_real_distribution<double>(0.0, 1.0)(rng));
    };
    auto direction = [&] {
      Vec3 d;
      do d = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
      while (dot(d, d) > 1.0f || dot(d, d) < 1e-4f);
      return normalized(d);
    };
    engine.pair_order_random.engine().seed(seed);
    // A scratch puts the cue ball back on a free spot at the next turn.
    engine.spot_random.engine().seed(seed);
    const Vec3& h = engine.table.half_extents;
    shot->rack(uniform(0.001f, 0.005f), uniform(0, 0.003f), uniform(0, 0.003f));
    if (seed % 2 == 1) {
      for (Ball& b : engine.balls) {
        for (int a = 0; a < 3; ++a) b.position[a] = uniform(-h[a] + kR, h[a] - kR);
        b.velocity = direction() * uniform(0.0f, 2.5f);
        b.angular_velocity = direction() * uniform(0.0f, 80.0f);
      }
      // Overlapping pairs are left as drawn: the contacts must cope.
    }
    shot->strike(direction() * uniform(0.3f, 4.0f), direction() * uniform(0.0f, 0.1f));

    double previous = energy_in_play(engine.balls);
    float fastest = 0.0f;
    const int frames = int(seconds / kFrame);
    for (int f = 0; f < frames && engine.rules->shot_in_progress; ++f) {
      for (const Ball& b : engine.balls) fastest = std::max(fastest, norm(b.velocity));
      shot->frame();
      const double e = energy_in_play(engine.balls);
      if (!(e <= previous * (1.0 + 1e-5) + 1e-9)) {
        ADD_FAILURE() << "seed " << seed << " frame " << f << ": energy " << previous << " -> "
                      << e;
        break;
      }
      previous = e;
      for (int i = 0; i < 16; ++i) {
        const Ball& b = engine.balls[i];
        if (!finite(b.position) || !finite(b.velocity) || !finite(b.angular_velocity)) {
          ADD_FAILURE() << "seed " << seed << " frame " << f << ": ball " << i << " not finite";
          return {};
        }
        if (b.enable_update()) {
          const float overshoot = 2.0f * fastest * float(kFrame) + 1e-5f;
          for (int a = 0; a < 3; ++a)
            if (std::abs(b.position[a]) > h[a] - kR + overshoot) {
              ADD_FAILURE() << "seed " << seed << " frame " << f << ": ball " << i
                            << " outside on axis " << a;
              return {};
            }
        } else if (i > 0) {
          const bool held = std::any_of(
              engine.table.pockets.begin(), engine.table.pockets.end(), [&](const Pocket& p) {
                return std::count(p.balls.begin(), p.balls.end(), i) == 1 &&
                       norm(b.position - p.position) < 0.2f;
              });
          if (!held) {
            ADD_FAILURE() << "seed " << seed << " frame " << f << ": ball " << i
                          << " out of play but in no pocket";
            return {};
          }
        }
      }
    }
    ShotRecord record;
    for (const Ball& b : engine.balls) record.positions.push_back(b.position);
    record.events = engine.rules->events;
    return record;
  }

  std::unique_ptr<Harness> shot;
};

TEST_F(RandomShots, ThousandsOfShotsStayFiniteInsideTheBoxAndNeverGainEnergy) {
  std::size_t sunk = 0;
  for (std::uint64_t seed = 1; seed <= 2000; ++seed) {
    play(seed, 2.5);
    if (HasFailure()) return;
    sunk += shot->engine.rules->pocketed_this_shot().size();
  }
  // The shots did reach the pockets.
  EXPECT_GT(sunk, 200u);
}

TEST_F(RandomShots, ShotsPlayedToTheEndComeToRest) {
  for (std::uint64_t seed = 101; seed <= 106; ++seed) {
    play(seed, 120.0);
    if (HasFailure()) return;
    EXPECT_FALSE(shot->engine.rules->shot_in_progress) << seed;
    for (const Ball& b : shot->engine.balls) {
      expect_vec(b.velocity, {0, 0, 0}, 0.0f);
      expect_vec(b.force, {0, 0, 0}, 0.0f);
      expect_vec(b.torque, {0, 0, 0}, 0.0f);
    }
  }
}

TEST_F(RandomShots, TheSameSeedReplaysTheSameShot) {
  for (const std::uint64_t seed : {7u, 8u, 1234u}) {
    const ShotRecord first = play(seed, 6.0, true);
    const ShotRecord again = play(seed, 6.0, true);
    ASSERT_EQ(first.positions.size(), again.positions.size());
    for (std::size_t i = 0; i < first.positions.size(); ++i)
      EXPECT_EQ(first.positions[i], again.positions[i]) << "seed " << seed << " ball " << i;
    EXPECT_EQ(first.events, again.events) << seed;
  }
}

}  // namespace
