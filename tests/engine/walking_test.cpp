// Walking: its defaults, control inputs with the arena rule, friction,
// standing up, the point test and turning from the right stick.
#include "engine/walking.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"

namespace {

float length(const Vec3& v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

}  // namespace

TEST(Walking, StartsStandingTwoMetresAlongMinusX) {
  Walking w;
  EXPECT_EQ(w.name(), "walking");
  EXPECT_EQ(w.mass, 86.6361427);
  EXPECT_EQ(w.max_speed, 2.25f);
  EXPECT_EQ(w.radius, 0.25);
  EXPECT_EQ(w.position(), (Vec3{-2.0f, 0.3f, 0.0f}));
  EXPECT_EQ(w.velocity(), (Vec3{0, 0, 0}));
  EXPECT_EQ(w.gravity, 9.8f);
  EXPECT_EQ(w.walk_accel, 8.0f);
  EXPECT_EQ(w.friction, 0.4f);
  EXPECT_EQ(w.up_axis, 1);
  EXPECT_EQ(w.arena_radius, 0.0f);
  EXPECT_FALSE(w.get_thrusting());
  EXPECT_EQ(w.look().get_rot_speed(), (MouseLook::Vec{0.005f, 0.005f, 0.005f}));
  EXPECT_EQ(w.up_dir(), (Vec3{0, 1, 0}));
  EXPECT_FALSE(w.walking());
  EXPECT_EQ(Walking("body").name(), "body");
}

TEST(Walking, ControlInputPushesLevelWithTheWalkAcceleration) {
  Walking w;
  const float ahead_and_up[3] = {3.0f, 4.0f, 0.0f};
  w.ctl_input(ahead_and_up, true);  // the up part is dropped
  const float f = static_cast<float>(8.0 * 86.6361427);
  EXPECT_NEAR(w.force[0], f, 1e-3);
  EXPECT_EQ(w.force[1], 0.0f);
  EXPECT_EQ(w.applied_force, w.force);
  w.ctl_input(ahead_and_up, false);  // the whole direction, normalised
  EXPECT_NEAR(w.force[0], f + 0.6f * f, 1e-2);
  EXPECT_NEAR(w.force[1], 0.8f * f, 1e-2);

  // Inputs that are dropped: zero, straight up with level, not finite.
  const Vec3 before = w.force;
  const float zero[3] = {0, 0, 0};
  const float up[3] = {0, 1, 0};
  const float bad[3] = {NAN, 0, 1};
  w.ctl_input(zero, true);
  w.ctl_input(up, true);
  w.ctl_input(bad, true);
  w.ctl_input(nullptr, true);
  EXPECT_EQ(w.force, before);

  // A speed below stop_speed is zeroed first; a set walk_speed sets the speed.
  w.ClearForces();
  w.velocity() = {0.005f, 0.0f, 0.0f};
  w.ctl_input(nullptr, true);
  EXPECT_EQ(w.velocity(), (Vec3{0, 0, 0}));
  w.walk_speed = 1.5f;
  const float left[3] = {-2.0f, 0.0f, 0.0f};
  w.ctl_input(left, true);
  EXPECT_EQ(w.velocity(), (Vec3{-1.5f, 0.0f, 0.0f}));
  EXPECT_EQ(w.applied_force, w.velocity());
  EXPECT_NEAR(w.force[0], -f, 1e-3);

  // Below min_accel nothing is applied.
  w.ClearForces();
  w.walk_accel = 0.0005f;
  w.ctl_input(left, true);
  EXPECT_EQ(w.force, (Vec3{0, 0, 0}));
}

TEST(Walking, TheArenaFadesOutwardPushesTowardItsEdge) {
  Walking w;
  w.arena_radius = 10.0f;
  w.arena_margin = 1.0f;
  struct Case {
    float distance;
    float outward_kept;
  };
  const Case cases[] = {{9.0f, 1.0f - std::exp(-1.0f)}, {10.0f, 0.0f}, {12.0f, 0.0f}, {0.0f, 1.0f}};
  const float f = static_cast<float>(8.0 * 86.6361427);
  for (const Case& c : cases) {
    w.position() = {c.distance, 0.0f, 0.0f};
    w.ClearForces();
    const float out_and_along[3] = {1.0f, 0.0f, 1.0f};
    w.ctl_input(out_and_along, true);
    const float part = f / std::sqrt(2.0f);
    EXPECT_NEAR(w.force[0], part * c.outward_kept, 1e-2) << c.distance;
    EXPECT_NEAR(w.force[2], part, 1e-2) << c.distance;  // the tangential part stays
  }
  // An inward push is never reduced.
  w.position() = {9.9f, 0.0f, 0.0f};
  Vec3 inward{-100.0f, 0.0f, 0.0f};
  EXPECT_EQ(w.arena_radius_filter(inward), 1.0f);
  EXPECT_EQ(inward, (Vec3{-100.0f, 0.0f, 0.0f}));
  EXPECT_NEAR(w.radius_filter_function(9.0f), 0.632f, 1e-3);

  // A hard edge (no margin) stops outward pushes at and beyond the radius.
  w.arena_margin = 0.0f;
  EXPECT_EQ(w.radius_filter_function(9.0f), 1.0f);
  EXPECT_EQ(w.radius_filter_function(10.0f), 0.0f);
  EXPECT_EQ(w.radius_filter_function(11.0f), 0.0f);
  w.arena_radius = 0.0f;
  Vec3 any{5.0f, 0.0f, 0.0f};
  EXPECT_EQ(w.arena_radius_filter(any), 1.0f);
}

TEST(Walking, FrictionHasOneSizeAtAnySpeedAndNoneAtRest) {
  Walking w;
  for (float speed : {0.05f, 1.0f, 2.25f}) {
    w.ClearForces();
    w.velocity() = {0.0f, 0.0f, speed};
    w.drag_forces();
    EXPECT_NEAR(length(w.force), 339.6f, 0.05f) << speed;
    EXPECT_NEAR(w.force[2], -86.6361427 * 9.8 * 0.4, 1e-2);
    EXPECT_EQ(w.applied_force, w.force);
  }
  w.ClearForces();
  w.velocity() = {0, 0, 0};
  w.drag_forces();
  EXPECT_EQ(w.force, (Vec3{0, 0, 0}));

  w.velocity() = {1, 0, 0};
  EXPECT_TRUE(w.walking());
  w.stand_still();
  EXPECT_EQ(w.velocity(), (Vec3{0, 0, 0}));
  EXPECT_EQ(w.force, (Vec3{0, 0, 0}));
}

TEST(Walking, StandsUpAtOnceOrThroughOneFaderAtATime) {
  Walking w;
  EventQueue queue;
  w.position()[1] = 1.0f;
  w.stand(&queue, 0.0, false);
  EXPECT_EQ(w.position()[1], 0.3f);

  w.position()[1] = 1.0f;
  w.stand(&queue, 0.5, false);
  const Event* first = w.stand_event();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->name(), "BezierFaderBuffered");
  EXPECT_TRUE(queue.contains(first));
  queue.update(0.1);
  const float midway = w.position()[1];
  EXPECT_LT(midway, 1.0f);
  EXPECT_GT(midway, 0.3f);
  // While it runs, another request changes nothing, even with restart.
  w.stand(&queue, 0.5, false);
  w.stand(&queue, 0.5, true);
  EXPECT_EQ(w.stand_event(), first);
  queue.update(1.0);
  queue.update(1.1);
  EXPECT_NEAR(w.position()[1], 0.3f, 1e-6);

  // Standing already: no new fader.
  w.stand(&queue, 0.5, false);
  EXPECT_EQ(w.stand_event(), first);
  // Pushed off again after the first one ended: a new one.
  w.position()[1] = 2.0f;
  w.stand(&queue, 0.5, false);
  EXPECT_NE(w.stand_event(), nullptr);
  EXPECT_TRUE(queue.contains(w.stand_event()));

  // A copy starts without the fader; the walker takes its fader off the
  // queue when it goes.
  {
    Walking copy = w;
    EXPECT_EQ(copy.stand_event(), nullptr);
    Walking gone = Walking();
    gone.position()[1] = 2.0f;
    gone.stand(&queue, 0.5, false);
    EXPECT_EQ(queue.events().size(), 2u);
  }
  queue.flush();
  EXPECT_EQ(queue.events().size(), 1u);

  // Without an up axis there is nothing to stand on.
  Walking flat;
  flat.up_axis = -1;
  flat.position()[1] = 5.0f;
  flat.stand(&queue, 0.5, false);
  EXPECT_EQ(flat.position()[1], 5.0f);
  EXPECT_EQ(flat.stand_event(), nullptr);
}

TEST(Walking, ValidPointIgnoresTheHeight) {
  Walking w;  // at (-2, 0.3, 0), radius 0.25
  struct Case {
    Vec3 p;
    bool valid;
  };
  const Case cases[] = {{{-2.0f, 5.0f, 0.0f}, true},
                        {{-2.2f, 0.3f, 0.0f}, true},
                        {{-2.0f, 0.3f, 0.25f}, false},
                        {{-1.7f, 0.3f, 0.0f}, false}};
  for (const Case& c : cases) EXPECT_EQ(w.ValidPoint(c.p.data()), c.valid) << c.p[0];
  w.up_axis = -1;
  const Vec3 above{-2.0f, 5.0f, 0.0f};
  EXPECT_FALSE(w.ValidPoint(above.data()));
  EXPECT_EQ(w.up_dir(), (Vec3{0, 1, 0}));
  w.up_axis = 2;
  EXPECT_EQ(w.up_dir(), (Vec3{0, 0, 1}));
}

TEST(Walking, TheRightStickTurnsTheLookByItsTimeStepAtMostATenthOfASecond) {
  double now = 100.0;
  FrameClock clock([&] { return now; });
  Walking w;
  w.frame_clock(&clock);
  w.look().set_rot_speed(1.0f, 1.0f, 1.0f);
  Joystick pad(3, nullptr);
  pad.set_scale(32767.0f, 32767.0f, 32767.0f);
  pad.set_dead_zone(5898.06f, 5898.06f, 5898.06f);

  now = 100.05;
  EXPECT_EQ(w.joystick_rotate(pad), 0);  // at rest
  EXPECT_EQ(w.look().coord_sys().rotation(), CoordinateSystem().rotation());

  // Full deflection for 0.05 s: a yaw of speed x 1 x 0.05 x speed.
  pad.axis(1).move(-32767.0f, 0.0f, 0.0f);
  now = 100.10;
  EXPECT_EQ(w.joystick_rotate(pad), -1);
  const float yaw = std::atan2(-w.look().coord_sys().zhat()[0], w.look().coord_sys().zhat()[2]);
  EXPECT_NEAR(std::fabs(yaw), 0.05f, 1e-4);

  // After a long pause (a menu) the step is one tenth of a second.
  CoordinateSystem view;
  now = 130.0;
  EXPECT_EQ(w.joystick_rotate(pad, nullptr, &view), -1);
  const float long_yaw = std::atan2(-view.zhat()[0], view.zhat()[2]);
  EXPECT_NEAR(std::fabs(long_yaw), 0.1f, 1e-4);

  // Inverting the first axis turns the other way.
  CoordinateSystem inverted_view;
  bool invert[3] = {true, false, false};
  now = 130.05;
  w.joystick_rotate(pad, nullptr, &inverted_view, invert);
  const float inverted_yaw = std::atan2(-inverted_view.zhat()[0], inverted_view.zhat()[2]);
  EXPECT_NEAR(inverted_yaw, -long_yaw / 2.0f, 1e-4);

  // A pad with one stick turns by that one; verbose names the parts.
  Joystick one(1, nullptr);
  one.set_dead_zone(0, 0, 0);
  one.axis(0).move(0.0f, 1000.0f, 0.0f);
  testing_support::OutputCapture cap;
  now = 130.1;
  EXPECT_EQ(w.joystick_rotate(one, nullptr, nullptr, nullptr, true), -1);
  EXPECT_NE(cap.out().find("rhs joystick: ax = 0, 1000, delta: "), std::string::npos);
  EXPECT_NE(cap.out().find(", dt: "), std::string::npos);
  EXPECT_NE(cap.out().find("rot_speed = "), std::string::npos);
}
