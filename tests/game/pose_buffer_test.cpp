// The pose buffer's samples, pruning and spline read-back, and the cue
// stick's pose on a clock the test drives.
#include "game/shot/pose_buffer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/shot/cue_stick.h"

namespace {

const Vec3 kZero{0, 0, 0};

// A buffer of the cue's kind: one sample per 1/30 s, velocities kept.
PoseBuffer cue_buffer() {
  PoseBuffer b;
  b.min_interval = 1.0 / 30.0;
  b.keep_velocities = true;
  return b;
}

TEST(PoseBuffer, SamplesTooCloseToTheNewestAreDropped) {
  PoseBuffer b = cue_buffer();
  b.add(1.0, {1, 2, 3});
  b.add(1.01, {9, 9, 9});
  b.add(0.5, {8, 8, 8});  // older than the newest
  b.add(std::nan(""), {7, 7, 7});
  ASSERT_EQ(b.samples().size(), 1u);
  EXPECT_EQ(b.latest(), (Vec3{1, 2, 3}));
  EXPECT_EQ(b.velocities().size(), 1u);
  b.add(1.04, {4, 5, 6});
  EXPECT_EQ(b.samples().size(), 2u);
  EXPECT_EQ(b.latest_time(), 1.04);

  // Without a minimum interval every time is kept; one time holds one value.
  PoseBuffer all;
  all.min_interval = 0.0;
  all.add(1.0, {1, 1, 1});
  all.add(1.0, {2, 2, 2});
  all.add(1.001, {3, 3, 3});
  ASSERT_EQ(all.samples().size(), 2u);
  EXPECT_EQ(all.samples().begin()->second, (Vec3{2, 2, 2}));
}

TEST(PoseBuffer, EmptyAndSingleSampleReadBack) {
  PoseBuffer b = cue_buffer();
  EXPECT_EQ(b.latest(), kZero);
  EXPECT_EQ(b.latest_time(), 0.0);
  EXPECT_EQ(b.latest_velocity(true), kZero);
  EXPECT_EQ(b.position_at(2, 0.1), kZero);
  EXPECT_EQ(b.velocity_at(2, 0.1), kZero);

  const Vec3 p{0.5f, -1.0f, 2.0f};
  b.add(3.0, p);
  EXPECT_EQ(b.position_at(2, 0.1), p);  // too few samples
  EXPECT_EQ(b.position_at(1, 0.1), p);  // a one-point spline stays at its point
  EXPECT_EQ(b.velocity_at(1, 0.1), kZero);
  ASSERT_EQ(b.velocities().size(), 1u);
  EXPECT_EQ(b.velocities().begin()->first, 3.0);
  EXPECT_EQ(b.velocities().begin()->second, kZero);
  EXPECT_EQ(b.latest_velocity(false), kZero);
}

// Samples 1/16 s apart on p0 + v t: every number on the way is exact in
// float, so the spline is the line itself.
TEST(PoseBuffer, AStraightLineGivesItsExactVelocityAndExtrapolation) {
  const Vec3 p0{0.25f, 0.5f, -1.0f};
  const Vec3 v{1.0f, -2.0f, 0.5f};
  const double dt = 0.0625;
  auto at = [&](int k) { return p0 + v * static_cast<float>(k * dt); };
  PoseBuffer b = cue_buffer();
  for (int k = 0; k < 8; ++k) b.add(2.0 + k * dt, at(k));

  for (std::size_t n = 0; n <= 8; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(b.position_at(n, 0.0), at(7));
    EXPECT_EQ(b.velocity_at(n, 0.0), n == 1 ? kZero : v);
    if (n >= 2) {
      EXPECT_EQ(b.position_at(n, dt), at(8));
      EXPECT_EQ(b.position_at(n, -2 * dt), at(5));
      EXPECT_EQ(b.velocity_at(n, dt), v);
    }
  }
  EXPECT_EQ(b.latest_velocity(true), v);
  EXPECT_EQ(b.latest_velocity(false), v);
  // Each velocity sample sits between the two samples it was taken from.
  EXPECT_EQ(b.velocities().rbegin()->first, 2.0 + 6.5 * dt);
  EXPECT_EQ(b.velocities().size(), 8u);
}

// The natural spline through (0, 0), (1, 1), (2, 0): 1.5 x - 0.5 x^3 on the
// first interval and 1 - 1.5 x^2 + 0.5 x^3 on the second.
TEST(PoseBuffer, TheSplineIsTheNaturalCubicThroughTheNewestSamples) {
  PoseBuffer b;
  b.add(10.0, {5, 0, 0});  // left out of fits over three samples
  b.add(11.0, {0, 0, 0});
  b.add(12.0, {1, 0, 0});
  b.add(13.0, {0, 0, 0});
  struct Case {
    double offset;
    float position, velocity;
  };
  const Case cases[] = {{-1.0, 1.0f, 0.0f},
                        {-1.5, 0.5625f, 1.875f},
                        {0.5, -0.6875f, -1.125f},
                        {-0.5, 0.6875f, -1.125f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    EXPECT_NEAR(b.position_at(3, c.offset)[0], c.position, 1e-6);
    EXPECT_NEAR(b.velocity_at(3, c.offset)[0], c.velocity, 1e-6);
  }
  EXPECT_NEAR(b.velocity_at(3, 0.0)[0], -1.5f, 1e-6);
  // Over two samples the spline is their straight line.
  EXPECT_NEAR(b.velocity_at(2, 0.0)[0], -1.0f, 1e-6);
  EXPECT_NEAR(b.position_at(2, 1.0)[0], -1.0f, 1e-6);

  CubicSpline s;
  s.fit({0.0, 1.0}, {kZero});
  EXPECT_EQ(s.segments(), 0u);
  s.fit({0.0, 1.0, 1.0}, {kZero, kZero, kZero});
  EXPECT_EQ(s.segments(), 0u);
}

TEST(PoseBuffer, SamplesOlderThanTheHistoryArePruned) {
  PoseBuffer b = cue_buffer();
  int prunes = 0;
  for (int k = 0; k <= 1100; ++k) {
    const double t = 5.0 + k * 0.04;
    const double before = b.last_prune;
    b.add(t, {float(k), 0, 0});
    const double oldest = b.samples().begin()->first;
    const double oldest_velocity = b.velocities().begin()->first;
    ASSERT_GT(oldest, t - b.history - b.prune_interval - 1e-9) << t;
    if (b.last_prune != before) {
      ++prunes;
      ASSERT_GE(b.last_prune - before, before == 0.0 ? 0.0 : b.prune_interval - 1e-9);
      ASSERT_GT(oldest, t - b.history) << t;
      ASSERT_GT(oldest_velocity, b.velocities().rbegin()->first - b.history) << t;
    }
  }
  EXPECT_GT(prunes, 100);
  EXPECT_LT(b.samples().size(), 260u);

  PoseBuffer kept_all;
  kept_all.history = 0.0;
  for (int k = 0; k < 400; ++k) kept_all.add(k * 0.1, kZero);
  EXPECT_EQ(kept_all.samples().size(), 400u);
}

// A cue on a clock the test sets.
class CuePose : public ::testing::Test {
 protected:
  CueStick cue{nullptr, [this] { return now; }};
  double now = 100.0;
};

TEST_F(CuePose, TheCueLiesFromItsBackEndTowardsItsFrontEnd) {
  cue.init();
  const Vec3 front{0.3f, 0.1f, 0.0f};
  const Vec3 back{-0.7f, 0.1f, 0.0f};
  cue.set_pose(front.data(), back.data(), nullptr, false);
  EXPECT_EQ(cue.end_a, front);
  EXPECT_EQ(cue.end_b, back);
  EXPECT_EQ(cue.coord_sys().position(), back);
  EXPECT_EQ(cue.position, back);
  EXPECT_EQ(cue.coord_sys().zhat_array(false), (Vec3{1, 0, 0}));
  EXPECT_NEAR(cue.tip[0], -0.7f + 0.9144f, 1e-6);
  EXPECT_EQ(cue.last_time, 100.0);
  EXPECT_EQ(cue.buffers[0].latest(), front);
  EXPECT_EQ(cue.buffers[1].latest(), back);
  EXPECT_EQ(cue.tip_buffer.latest(), cue.tip);
  EXPECT_EQ(cue.tip_buffer.latest_time(), 100.0);

  // The reference nearer end_b swaps the ends: the cue turns around.
  const Vec3 ball{-0.8f, 0.1f, 0.0f};
  now = 100.05;
  cue.set_pose(nullptr, nullptr, ball.data(), true);
  EXPECT_EQ(cue.end_a, back);
  EXPECT_EQ(cue.end_b, front);
  EXPECT_EQ(cue.coord_sys().zhat_array(false), (Vec3{-1, 0, 0}));
  EXPECT_EQ(cue.previous_time, 100.0);
  EXPECT_EQ(cue.last_time, 100.05);
  // Without order_by_reference the ends stay as given.
  now = 100.1;
  cue.set_pose(front.data(), back.data(), ball.data(), false);
  EXPECT_EQ(cue.end_a, front);
}

TEST_F(CuePose, TheTipVelocityFollowsTheClockNotTheWallTime) {
  // Poses fed far faster than real time still give the stroke's speed.
  const Vec3 step{0.0f, 0.0f, 0.125f};
  Vec3 front{0, 0, 0}, back{0, 0, -1};
  for (int k = 0; k < 6; ++k) {
    cue.set_pose(front.data(), back.data(), nullptr, false);
    front += step;
    back += step;
    now += 0.0625;
  }
  EXPECT_EQ(cue.tip_buffer.samples().size(), 6u);
  for (double offset : {0.0, 0.5}) {
    const Vec3 v = cue.tip_velocity(offset);
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_NEAR(v[2], 2.0f, 1e-5);
  }
  // A pose 10 ms later is not recorded, though the cue moves.
  now -= 0.0625 - 0.01;
  cue.set_pose(front.data(), back.data(), nullptr, false);
  EXPECT_EQ(cue.tip_buffer.samples().size(), 6u);
  EXPECT_EQ(cue.end_a, front);
}

TEST_F(CuePose, InitAndTheShaftsLevelOfDetail) {
  cue.end_a = {1, 1, 1};
  cue.init();
  EXPECT_EQ(cue.end_a, kZero);
  EXPECT_EQ(cue.colour, (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(cue.material.diffuse()[0], 0.4f);
  EXPECT_EQ(cue.material.diffuse()[2], 0.1f);
  EXPECT_EQ(cue.material.shininess(), 50.0f);
  EXPECT_FALSE(cue.ValidPoint(kZero.data()));

  ASSERT_TRUE(cue.shaft.allocate());
  cue.shaft.scale() = 0.01f;
  const int start = cue.shaft.detail_start();
  // 0.5 (0.0065 + 0.0065) / d x 16 / 0.01, between 4 and 16.
  cue.size = 0.0065f;
  const Vec3 near{0.1f, 0, 0}, mid{1.0f, 0, 0}, far{100.0f, 0, 0};
  cue.set_observer(near.data(), nullptr);
  EXPECT_EQ(cue.shaft.current_level(), 16 - start);
  cue.set_observer(mid.data(), nullptr);
  EXPECT_EQ(cue.shaft.current_level(), 10 - start);
  cue.set_observer(far.data(), nullptr);
  EXPECT_EQ(cue.shaft.current_level(), 4 - start);
}

}  // namespace
