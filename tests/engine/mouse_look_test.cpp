// MouseLook: yaw and pitch from motion, the elevation limits, inversion,
// steady mode and its pending speeds, copies, and easing the elevation.
#include "engine/mouse_look.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Elevation of the viewing direction (-z) in degrees.
float view_elevation(const CoordinateSystem& cs) {
  return -std::asin(cs.zhat()[1]) * 57.29578f;
}

// Heading of the viewing direction about y in degrees, 0 straight ahead (-z),
// positive to the right (+x).
float view_heading(const CoordinateSystem& cs) {
  return std::atan2(-cs.zhat()[0], cs.zhat()[2]) * 57.29578f;
}

}  // namespace

TEST(MouseLook, PitchStaysWithinTheElevationLimitsWhileYawGoesOn) {
  MouseLook look(nullptr, 0.01f, 4.0f);
  look.up_axis(1);
  const float up_a_lot[2] = {0.0f, -1000.0f};  // screen y grows downward
  look.apply_mouse_motion(nullptr, up_a_lot);
  EXPECT_NEAR(view_elevation(look.coord_sys()), 60.0f, 1e-3);

  const float up_and_right[2] = {10.0f, -50.0f};
  look.apply_mouse_motion(nullptr, up_and_right);
  EXPECT_NEAR(view_elevation(look.coord_sys()), 60.0f, 1e-3);
  EXPECT_NEAR(view_heading(look.coord_sys()), 0.1f * 57.29578f, 1e-2);

  const float down_a_lot[2] = {0.0f, 5000.0f};
  look.apply_mouse_motion(nullptr, down_a_lot);
  EXPECT_NEAR(view_elevation(look.coord_sys()), -60.0f, 1e-3);
  // The frame stays upright: its x axis has no vertical part.
  EXPECT_NEAR(look.coord_sys().xhat()[1], 0.0f, 1e-6);
}

TEST(MouseLook, TheMousesNegativeFactorsInvertItsAxes) {
  kMouse mouse;
  mouse.move(0.0f, 0.0f, 0.0f);
  mouse.move(0.0f, -10.0f, 0.0f);  // upward
  MouseLook plain(nullptr, 0.01f, 4.0f);
  plain.up_axis(1);
  plain.apply_mouse_motion(&mouse);
  EXPECT_NEAR(view_elevation(plain.coord_sys()), 0.1f * 57.29578f, 1e-3);

  mouse.set_inversion(true, true, false);
  MouseLook inverted(nullptr, 0.01f, 4.0f);
  inverted.up_axis(1);
  inverted.apply_mouse_motion(&mouse);
  EXPECT_NEAR(view_elevation(inverted.coord_sys()), -0.1f * 57.29578f, 1e-3);

  mouse.move(20.0f, -10.0f, 0.0f);  // to the right, inverted: turns left
  inverted.apply_mouse_motion(&mouse);
  EXPECT_NEAR(view_heading(inverted.coord_sys()), -0.2f * 57.29578f, 1e-2);
}

TEST(MouseLook, WithoutAnUpAxisTurnsInItsOwnFrame) {
  MouseLook look(nullptr, 0.01f, 4.0f);
  const float right[2] = {10.0f, 0.0f};
  look.apply_mouse_motion(nullptr, right);
  EXPECT_NEAR(view_heading(look.coord_sys()), 0.1f * 57.29578f, 1e-2);
  const float up_a_lot[2] = {0.0f, -150.0f};  // no limits without an up axis
  look.apply_mouse_motion(nullptr, up_a_lot);
  EXPECT_NEAR(view_elevation(look.coord_sys()), 1.5f * 57.29578f, 1e-2);
}

TEST(MouseLook, AZeroMotionChangesNothing) {
  kMouse still;
  MouseLook look;
  look.up_axis(1);
  const double stamp = look.last_rotation_time();
  const Mat3 before = look.coord_sys().rotation();
  look.apply_mouse_motion(&still);
  const float zero[2] = {0.0f, 0.0f};
  look.apply_mouse_motion(nullptr, zero);
  EXPECT_EQ(look.last_rotation_time(), stamp);
  EXPECT_EQ(look.coord_sys().rotation(), before);
  const float some[2] = {1.0f, 0.0f};
  look.apply_mouse_motion(nullptr, some);
  EXPECT_GT(look.last_rotation_time(), stamp);
}

TEST(MouseLook, SteadyModeDividesTheSpeedsWhenRecomputed) {
  MouseLook look(nullptr, 0.005f, 4.0f);
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{0.005f, 0.005f, 0.005f}));
  look.steady_mode(true);
  look.set_rot_speed(0.4f, 0.8f, 1.2f);
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{0.1f, 0.2f, 0.3f}));

  look.set_rot_speed(MouseLook::Vec{4.0f, 4.0f, 4.0f});  // base only
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{0.1f, 0.2f, 0.3f}));
  look.apply_steady_mode(false);  // not pending
  EXPECT_EQ(look.get_rot_speed()[0], 0.1f);
  look.apply_steady_mode(true);
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{1.0f, 1.0f, 1.0f}));
  look.set_steady_factor(2.0f, 1.0f, 8.0f);
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{2.0f, 4.0f, 0.5f}));
  look.steady_mode(false);
  look.apply_steady_mode(true);
  EXPECT_EQ(look.get_rot_speed(), (MouseLook::Vec{4.0f, 4.0f, 4.0f}));
}

TEST(MouseLook, CopiesOwnWhatTheSourceOwnsAndShareWhatItBorrows) {
  CoordinateSystem camera;
  bool shared_flag = false;
  MouseLook borrowing(&camera, 0.005f, 4.0f);
  borrowing.steady_mode_flag(&shared_flag);
  MouseLook copy = borrowing;
  EXPECT_EQ(&copy.coord_sys(), &camera);
  shared_flag = true;
  EXPECT_TRUE(copy.steady_mode());

  MouseLook owning;
  owning.set_rot_speed(MouseLook::Vec{8.0f, 8.0f, 8.0f});  // pending in the source
  MouseLook own_copy = owning;
  EXPECT_NE(&own_copy.coord_sys(), &owning.coord_sys());
  own_copy.steady_mode(true);
  EXPECT_FALSE(owning.steady_mode());
  // The copy recomputes before its first turn: 8 / 4 = 2 rad per unit.
  own_copy.up_axis(1);
  const float right[2] = {0.05f, 0.0f};
  own_copy.apply_mouse_motion(nullptr, right);
  EXPECT_EQ(own_copy.get_rot_speed()[0], 2.0f);
  EXPECT_NEAR(view_heading(own_copy.coord_sys()), 0.1f * 57.29578f, 1e-2);

  // Assignment keeps the target's own system and copies the source's pose.
  MouseLook target;
  CoordinateSystem* own = &target.coord_sys();
  target = own_copy;
  EXPECT_EQ(&target.coord_sys(), own);
  EXPECT_EQ(target.coord_sys().rotation(), own_copy.coord_sys().rotation());
}

TEST(MouseLook, OrientElevationEasesTowardTheTarget) {
  MouseLook look;
  auto ease = look.orient_elevation(30.0f, 2.0, 1);
  // The z axis's elevation, which is minus the view's.
  const auto z_elevation = [&] { return std::asin(look.coord_sys().zhat()[1]) * 57.29578f; };
  ease(0.0);
  EXPECT_NEAR(z_elevation(), 0.0f, 1e-4);
  ease(0.5);
  EXPECT_NEAR(z_elevation(), 30.0f * (1.0f - std::exp(-1.0f)), 1e-3);
  ease(20.0);
  EXPECT_NEAR(z_elevation(), 30.0f, 1e-3);
}
