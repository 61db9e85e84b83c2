#include "core/phys_obj.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Body : PhysObj {
  using PhysObj::PhysObj;
  bool ValidPoint(const float*) const override { return true; }
};
}  // namespace

TEST(PhysObj, Defaults) {
  Body b;
  EXPECT_EQ(b.name(), "Unnamed");
  EXPECT_TRUE(b.owned());
  EXPECT_FALSE(b.frozen);
  EXPECT_EQ(b.mass, 1.0);
  EXPECT_EQ(b.inertia, 1.0);
  EXPECT_EQ(b.radius, -1.0);
  EXPECT_EQ(b.max_speed, 0.0f);
  EXPECT_TRUE(b.enable_update());
  CoordinateSystem cs;
  Body borrowed(&cs, "ball");
  EXPECT_EQ(&borrowed.coord_sys(), &cs);
  EXPECT_EQ(borrowed.name(), "ball");
}

TEST(PhysObj, CopiesOwnTheirFrameOrShareABorrowedOne) {
  Body a;
  a.coord_sys().translate(1.0f, 2.0f, 3.0f);
  a.velocity = {1, 0, 0};
  Body b(a);
  EXPECT_NE(&b.coord_sys(), &a.coord_sys());
  EXPECT_EQ(b.coord_sys().position(), a.coord_sys().position());
  EXPECT_EQ(b.velocity, a.velocity);
  CoordinateSystem shared;
  Body c(&shared);
  Body d(c);
  EXPECT_EQ(&d.coord_sys(), &shared);
}

TEST(PhysObj, ForcesAccumulateUntilCleared) {
  Body b;
  b.AddLinearForce(Vec3{1, 2, 3});
  const float f[3] = {1, 1, 1};
  b.AddLinearForce(f);
  b.AddTorque(Vec3{0, 0, 2});
  b.AddTorque(f);
  EXPECT_EQ(b.force, (Vec3{2, 3, 4}));
  EXPECT_EQ(b.torque, (Vec3{1, 1, 3}));
  b.Update(0.1);
  EXPECT_EQ(b.force, (Vec3{2, 3, 4}));  // Update does not clear
  b.ClearLinearForces();
  EXPECT_EQ(b.force, (Vec3{0, 0, 0}));
  EXPECT_EQ(b.torque, (Vec3{1, 1, 3}));
  b.AddLinearForce(f);
  b.ClearAngularForces();
  EXPECT_EQ(b.torque, (Vec3{0, 0, 0}));
  b.AddTorque(f);
  b.ClearForces();
  EXPECT_EQ(b.force, (Vec3{0, 0, 0}));
  EXPECT_EQ(b.torque, (Vec3{0, 0, 0}));
}

TEST(PhysObj, UpdateIntegratesPositionWithHalfAccelerationTerm) {
  Body b;
  b.mass = 2.0;
  b.position = {1, 0, 0};
  b.velocity = {1, 2, 0};
  b.AddLinearForce(Vec3{4, 0, 0});  // a = (2, 0, 0)
  b.Update(0.5);
  EXPECT_EQ(b.previous_position, (Vec3{1, 0, 0}));
  // position = p + v dt + a dt^2 / 2
  EXPECT_FLOAT_EQ(b.position[0], 1 + 0.5f + 2 * 0.125f);
  EXPECT_FLOAT_EQ(b.position[1], 1.0f);
  EXPECT_EQ(b.velocity, (Vec3{2, 2, 0}));
  // Update does not write the position into the frame.
  EXPECT_EQ(b.coord_sys().position(), (Vec3{0, 0, 0}));
}

TEST(PhysObj, SpeedCapActsOnlyOnAStepWithForce) {
  Body fast;
  fast.max_speed = 1.0f;
  fast.velocity = {5, 0, 0};
  fast.Update(1.0);
  EXPECT_EQ(fast.velocity, (Vec3{5, 0, 0}));  // no force: not slowed
  EXPECT_EQ(fast.position, (Vec3{5, 0, 0}));

  Body capped;
  capped.max_speed = 2.0f;
  capped.velocity = {0, 1.5f, 0};
  capped.AddLinearForce(Vec3{0, 10, 0});
  capped.Update(0.5);
  // The old velocity times dt, and nothing of the acceleration term.
  EXPECT_EQ(capped.position, (Vec3{0, 0.75f, 0}));
  EXPECT_FLOAT_EQ(norm(capped.velocity), 2.0f);
}

TEST(PhysObj, MassZeroKeepsVelocitiesButStillMovesAndTurns) {
  Body b;
  b.mass = 0.0;
  b.velocity = {1, 0, 0};
  b.angular_velocity = {0, 0, 1};
  b.AddLinearForce(Vec3{100, 100, 100});
  b.AddTorque(Vec3{5, 5, 5});
  b.Update(0.1);
  EXPECT_EQ(b.velocity, (Vec3{1, 0, 0}));
  EXPECT_EQ(b.angular_velocity, (Vec3{0, 0, 1}));
  EXPECT_FLOAT_EQ(b.position[0], 0.1f);
  EXPECT_NEAR(b.coord_sys().xhat()[1], std::sin(0.1f), 1e-6);
}

TEST(PhysObj, SpinRotatesWithTheOldAngularVelocity) {
  Body b;
  b.inertia = 0.5;
  b.angular_velocity = {0, 0, static_cast<float>(M_PI)};
  b.AddTorque(Vec3{0, 0, 1});
  b.Update(0.5);  // quarter turn about z with the old rate
  EXPECT_NEAR(b.coord_sys().xhat()[0], 0.0f, 1e-6);
  EXPECT_NEAR(b.coord_sys().xhat()[1], 1.0f, 1e-6);
  EXPECT_FLOAT_EQ(b.angular_velocity[2], static_cast<float>(M_PI) + 1.0f);
}

TEST(PhysObj, RestAndTinySpinLeaveThePose) {
  Body b;
  b.position = {1, 2, 3};
  b.previous_position = {9, 9, 9};
  b.angular_velocity = {1e-30f, 0, 0};
  b.Update(1e-30);
  EXPECT_EQ(b.position, (Vec3{1, 2, 3}));
  EXPECT_EQ(b.previous_position, (Vec3{1, 2, 3}));
  EXPECT_EQ(b.coord_sys().rotation(), (Mat3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(PhysObj, FrozenOrDisabledBodiesKeepEveryField) {
  for (int variant = 0; variant < 2; ++variant) {
    Body b;
    if (variant == 0)
      b.frozen = true;
    else
      b.enable_update(false);
    b.position = {1, 2, 3};
    b.previous_position = {4, 5, 6};
    b.velocity = {1, 1, 1};
    b.angular_velocity = {0, 1, 0};
    b.AddLinearForce(Vec3{1, 0, 0});
    b.AddTorque(Vec3{1, 0, 0});
    b.Update(1.0);
    EXPECT_EQ(b.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(b.previous_position, (Vec3{4, 5, 6}));
    EXPECT_EQ(b.velocity, (Vec3{1, 1, 1}));
    EXPECT_EQ(b.angular_velocity, (Vec3{0, 1, 0}));
    EXPECT_EQ(b.coord_sys().rotation(), (Mat3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  }
}
