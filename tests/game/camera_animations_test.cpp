// The camera of a computer's shot and what it reads: the three-float Bezier
// fader, the gates of the shot camera and its three events, the current
// player's power and the centre of the balls in play.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/vector_math.h"
#include "game/app/pool_engine.h"
#include "game/scene/bezier_fader.h"
#include "support/capture.h"
#include "support/data_root.h"

namespace {

// The cubic ease of a straight fade: 3s^2 - 2s^3.
double ease(double s) {
  return s * s * (3.0 - 2.0 * s);
}

TEST(BezierFader, MovesItsOutputAlongTheCurveOfTheArraysItPointsAt) {
  const Vec3 start{1.0f, -2.0f, 0.5f};
  const Vec3 target{3.0f, 2.0f, 0.5f};
  const Vec3 tangent{0.0f, 0.0f, 1.0f};
  const Vec3 untouched{7.0f, 7.0f, 7.0f};
  const struct {
    const char* name;
    const float* start;
    const float* target;
    const float* start_tangent;
    double s;
    Vec3 expected;  // untouched: nothing written
  } cases[] = {
      {"no start: the target at once", nullptr, target.data(), nullptr, 0.25, target},
      {"no target: the start", start.data(), nullptr, nullptr, 0.25, start},
      {"neither", nullptr, nullptr, nullptr, 0.25, untouched},
      {"straight line, eased", start.data(), target.data(), nullptr, 0.25,
       Vec3{float(1.0 + 2.0 * ease(0.25)), float(-2.0 + 4.0 * ease(0.25)), 0.5f}},
      {"halfway", start.data(), target.data(), nullptr, 0.5, Vec3{2.0f, 0.0f, 0.5f}},
      // P1 = start + k * tangent with k the duration (2 s): the z curve is
      // 0.5 + 3 s (1 - s)^2 * 2.
      {"start tangent scaled by the duration", start.data(), target.data(), tangent.data(), 0.5,
       Vec3{2.0f, 0.0f, float(0.5 + 3.0 * 0.5 * 0.25 * 2.0)}},
      {"at the start nothing is written", start.data(), target.data(), nullptr, 0.0, untouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Vec3 out = untouched;
    EventQueue queue;
    BezierFader fader(out.data(), c.start, c.target, c.start_tangent, nullptr, 10.0, 2.0);
    EXPECT_EQ(fader.tangent_scale(), 2.0);
    queue.add(&fader);
    queue.update(10.0 + 2.0 * c.s);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], c.expected[i], 1e-6f) << i;
  }
}

TEST(BezierFader, ReadsItsArraysAtEachStepAndEndsExactlyOnTheTarget) {
  Vec3 start{0.0f, 0.0f, 0.0f};
  Vec3 target{1.0f, 1.0f, 1.0f};
  Vec3 out{-1.0f, -1.0f, -1.0f};
  EventQueue queue;
  BezierFader fader(out.data(), start.data(), target.data(), nullptr, nullptr, 0.0, 1.0, "Fade");
  queue.add(&fader);
  queue.update(0.5);
  EXPECT_NEAR(out[0], 0.5f, 1e-6f);
  // The target moved while the fader runs: the curve follows it.
  target = {3.0f, 3.0f, 3.0f};
  queue.update(0.5 + 1e-9);
  EXPECT_NEAR(out[0], 1.5f, 1e-5f);
  // The last step writes nothing itself; the stop puts the output on the
  // target, and the queue lets the fader go.
  queue.update(1.0);
  EXPECT_EQ(out, target);
  EXPECT_FALSE(queue.contains(&fader));
}

// A game engine object with a computer on turn and the queues' clocks set
// by hand.
class ShotCamera : public ::testing::Test {
 protected:
  ShotCamera() {
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.rules->init_players(2, 2);
    engine.camera_point = {0.5f, 0.1f, -0.2f};
    engine.walking().position() = {0.0f, 0.3f, 2.0f};
    engine.mouse_look().coord_sys().look_at(engine.walking().position(), Vec3{0.0f, 0.0f, 0.0f});
    at(10.0);
  }

  // Real time and game time both at t.
  void at(double t) {
    engine.realtime_queue().update(t);
    engine.gametime_queue().update(t);
  }

  bool started() {
    for (int i = 0; i < 3; ++i)
      if (!engine.gametime_queue().contains(engine.camera_event_names[std::size_t(i)]))
        return false;
    return true;
  }

  testing_support::TempDataRoot root;
  PoolEngine engine;
  const Vec3 target{0.2f, -0.1f, 0.1f};
};

TEST_F(ShotCamera, CarriesTheViewerAboveTheShotAndTurnsTheViewToTheBalls) {
  testing_support::OutputCapture capture;
  engine.computer_shot_camera(nullptr, target, 2.0);
  ASSERT_TRUE(started());
  // The look starts one metre ahead of the viewer.
  const Vec3 ahead = engine.mouse_look().coord_sys().zhat_array(true);
  const Vec3 first = engine.walking().position() + ahead;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(PoolEngine::align_look_target[i], first[i], 1e-6f);
  EXPECT_FALSE(engine.active_camera_animation());

  at(11.0);
  const Vec3 goal = engine.camera_point + engine.camera_offset;
  const Vec3 halfway = engine.walking().position();
  EXPECT_NEAR(halfway[0], 0.25f, 1e-5f);
  EXPECT_NEAR(halfway[1], (0.3f + goal[1]) / 2.0f, 1e-5f);
  at(12.0);
  EXPECT_EQ(engine.walking().position(), goal);
  EXPECT_EQ(PoolEngine::align_look_target, target);
  // The last turn looks from the goal at the target.
  const Vec3 view = engine.mouse_look().coord_sys().zhat_array(true);
  EXPECT_GT(dot(view, normalized(target - goal)), 0.99999f);
  EXPECT_NE(capture.err().find("Debug A: look_at()\n"), std::string::npos);
  EXPECT_FALSE(started());
}

TEST_F(ShotCamera, IsLeftOutWhereThePlayerHasTheView) {
  const struct {
    const char* name;
    void (*arrange)(PoolEngine&);
    bool moves;
  } cases[] = {
      {"the last input exactly 3 s ago",
       [](PoolEngine& e) { e.last_key_time(e.real_time() - 3.0); }, true},
      {"a key 2.9 s ago", [](PoolEngine& e) { e.last_key_time(e.real_time() - 2.9); }, false},
      {"the mouse 2.9 s ago", [](PoolEngine& e) { e.last_mouse_time(e.real_time() - 2.9); }, false},
      {"a gamepad button 2.9 s ago",
       [](PoolEngine& e) { e.last_gamepad_time(e.real_time() - 2.9); }, false},
      {"in a headset", [](PoolEngine& e) { e.hmd_control(true); }, false},
      {"a human's turn", [](PoolEngine& e) { e.rules->init_players(2, 1); }, false},
      {"no rules", [](PoolEngine& e) { e.rules = nullptr; }, true},
      {"a camera animation running",
       [](PoolEngine& e) {
         e.move_camera({1, 1, 1}, {0, 0, 0}, 5.0, 0.0, nullptr, true);
       },
       false},
      {"the mouse looked around once, long ago",
       [](PoolEngine& e) {
         e.last_mouse_time(e.real_time() - 0.1);
         EXPECT_EQ(e.look_controller(), ControllerType::mouse);
         e.realtime_queue().update(e.real_time() + 5.0);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDataRoot fresh;
    PoolEngine e;
    e.table.build_geometry();
    e.init_shot_wizard();
    e.rules->init_players(2, 2);
    e.realtime_queue().update(10.0);
    e.gametime_queue().update(10.0);
    c.arrange(e);
    // The move's look events start at the next advance.
    e.gametime_queue().update(10.001);
    e.computer_shot_camera(nullptr, target, 2.0);
    bool queued = true;
    for (const std::string& name :
         {e.camera_event_names[0], e.camera_event_names[1], e.camera_event_names[2]})
      queued = queued && e.gametime_queue().contains(name);
    EXPECT_EQ(queued, c.moves);
  }
}

TEST_F(ShotCamera, RunsOnTheQueueGivenAndReplacesASetStillRunning) {
  EventQueue queue;
  queue.update(50.0);
  engine.computer_shot_camera(&queue, target, 2.0);
  EXPECT_FALSE(started());
  for (int i = 0; i < 3; ++i) {
    const Event* e = queue.find(engine.camera_event_names[std::size_t(i)]);
    ASSERT_NE(e, nullptr) << i;
    EXPECT_EQ(e->epochs()[0], 50.0);
    EXPECT_EQ(e->epochs()[1], 52.0);
  }
  queue.update(51.0);
  engine.camera_point = {-1.0f, 0.0f, 0.0f};
  engine.computer_shot_camera(&queue, target, 2.0);
  EXPECT_EQ(queue.events().size(), 3u);
  queue.update(53.0);
  EXPECT_EQ(engine.walking().position(), (Vec3{-1.0f, 0.3f, 0.0f}));
  EXPECT_TRUE(queue.events().empty());
}

TEST(PoolEngineLookups, ShotPowerIsTheCurrentPlayersOrTheDefault) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  engine.shot_powers = {0.3f, 0.9f};
  const struct {
    int current;
    float power;
  } cases[] = {{0, 0.3f}, {1, 0.9f}, {2, 0.6f}, {-1, 0.6f}};
  for (const auto& c : cases) {
    engine.rules->current = c.current;
    EXPECT_EQ(engine.shot_power(), c.power) << c.current;
  }
  engine.rules = nullptr;
  EXPECT_EQ(engine.shot_power(), 0.6f);
}

TEST(PoolEngineLookups, TheCentreOfTheBallsInPlayIsMassWeighted) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  Vec3 velocity{9.0f, 9.0f, 9.0f};
  // No ball at all, then none in play: the table's centre, at rest.
  EXPECT_EQ(engine.moving_balls_centre(&velocity, false), (Vec3{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(velocity, (Vec3{0.0f, 0.0f, 0.0f}));
  engine.balls.assign(3, Ball(&engine.geometry()));
  for (Ball& b : engine.balls) b.enable_update(false);
  velocity = {9.0f, 9.0f, 9.0f};
  const Vec3 centre = engine.moving_balls_centre(&velocity, false);
  EXPECT_EQ(centre, (Vec3{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(velocity, (Vec3{0.0f, 0.0f, 0.0f}));
  EXPECT_FALSE(std::isnan(centre[0]));

  for (Ball& b : engine.balls) b.enable_update(true);
  engine.balls[0].position = {1.0f, 0.0f, 0.0f};
  engine.balls[0].velocity = {2.0f, 0.0f, 0.0f};
  engine.balls[1].position = {0.0f, 1.0f, 0.0f};
  engine.balls[1].mass = 3.0;
  engine.balls[2].position = {0.0f, 0.0f, 4.0f};
  engine.balls[2].enable_update(false);
  EXPECT_EQ(engine.moving_balls_centre(&velocity, false), (Vec3{0.25f, 0.75f, 0.0f}));
  EXPECT_EQ(velocity, (Vec3{0.5f, 0.0f, 0.0f}));
  // From ball 1: the cue ball is left out.
  EXPECT_EQ(engine.moving_balls_centre(nullptr, true), (Vec3{0.0f, 1.0f, 0.0f}));
}

}  // namespace
