// Camera fields of view, projection matrix and perspective ownership.
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double deg(double rad) {
  return rad * 180.0 / kPi;
}

// horizontal = 2 atan(aspect tan(vertical / 2)), in degrees.
void expect_fov_invariant(const Camera& c) {
  const auto fov = c.fov();
  EXPECT_NEAR(fov[0], deg(2 * std::atan(c.aspect() * std::tan(fov[1] * kPi / 360))), 1e-4);
}

}  // namespace

TEST(Camera, FieldsOfViewKeepTheirInvariant) {
  Camera c;
  EXPECT_EQ(c.fov()[1], 45.0f);
  EXPECT_NEAR(c.fov()[0], 72.734, 1e-3);
  EXPECT_EQ(c.aspect(), 16.0f / 9.0f);
  EXPECT_EQ(c.near(), 0.1f);
  EXPECT_EQ(c.far(), 50.0f);
  EXPECT_EQ(c.eye_separation(), 0.001f);
  EXPECT_EQ(c.screen_distance(), 180.0f);
  EXPECT_EQ(c.stereo_mode(), 0);
  expect_fov_invariant(c);

  Camera fixed(4.0f / 3.0f, 0, 1, 100);
  EXPECT_NEAR(fixed.fov()[0], 36.8699, 1e-4);
  EXPECT_NEAR(fixed.fov()[1], deg(2 * std::atan(0.25)), 1e-4);
  expect_fov_invariant(fixed);

  Camera screen;
  const auto fov = screen.fov_from_screen(0.6f, 0.5f);
  EXPECT_NEAR(fov[0], deg(2 * std::atan(0.6)), 1e-4);
  expect_fov_invariant(screen);
  screen.stereo_view(0.064f, 1.2f, 2.0f);
  EXPECT_EQ(screen.eye_separation(), 0.064f);
  EXPECT_EQ(screen.screen_distance(), 2.0f);
  EXPECT_NEAR(screen.fov()[0], deg(2 * std::atan(0.3)), 1e-4);
  expect_fov_invariant(screen);
}

TEST(Camera, InitAndSetAspectChangeOnlyTheirFields) {
  Camera c;
  c.init(-1, 0);
  EXPECT_EQ(c.far(), 50.0f);
  EXPECT_EQ(c.near(), 0.1f);
  c.init(100, 0.5f);
  EXPECT_EQ(c.far(), 100.0f);
  EXPECT_EQ(c.near(), 0.5f);

  const auto fov = c.fov();
  const float first = c.perspective_matrix()[0];
  testing_support::OutputCapture capture;
  c.set_aspect(2);
  EXPECT_EQ(capture.out(), "Camera::set_aspect(2)\n");
  EXPECT_EQ(c.fov(), fov);
  EXPECT_NE(c.perspective_matrix()[0], first);
}

TEST(Camera, PerspectiveMatrixRows) {
  Camera c(2.0f, 90.0f, 1.0f, 3.0f);
  const float t = std::tan(static_cast<float>(90.0f * (kPi / 360.0)));
  const std::array<float, 16> expected{1.0f / (2.0f * t),
                                       0,
                                       0,
                                       0,  //
                                       0,
                                       1.0f / t,
                                       0,
                                       0,  //
                                       0,
                                       0,
                                       -2,
                                       -3,  //
                                       0,
                                       0,
                                       -1,
                                       0};
  EXPECT_EQ(c.perspective_matrix(), expected);
}

TEST(Perspective, BorrowsGivenObjectsAndCopiesOwnedOnes) {
  CoordinateSystem pose;
  Camera camera(1.0f);
  Perspective borrowed(&pose, &camera);
  EXPECT_EQ(&borrowed.coord_sys(), &pose);
  EXPECT_EQ(&borrowed.camera(), &camera);
  Perspective shared = borrowed;
  EXPECT_EQ(&shared.camera(), &camera);

  Perspective owning;
  EXPECT_EQ(owning.camera().aspect(), 16.0f / 9.0f);
  owning.camera().init(7, 0);
  Perspective copy = owning;
  EXPECT_NE(&copy.camera(), &owning.camera());
  EXPECT_EQ(copy.camera().far(), 7.0f);
}
