#include "core/intersections.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SolveQuadratic, StatusTable) {
  struct Case {
    float b, c;
    int status;
    std::vector<float> roots;
  };
  const Case cases[] = {
      {0, -4, 0, {2}},                          // b = 0: the non-negative root only
      {0, 4, 2, {}},                            // b = 0, c > 0: none
      {0, 0, 0, {0}},      {1, 0, 0, {0, -2}},  // c = 0: 0, then -2b
      {1, 2, 3, {}},                            // negative discriminant
      {-3, 5, 0, {5, 1}},                       // -b + sqrt(d), then -b - sqrt(d)
      {2, 4, 0, {-2, -2}},                      // double root
  };
  for (const Case& c : cases) {
    int status = -99;
    EXPECT_EQ(solve_quadratic(c.b, c.c, &status), c.roots) << "b=" << c.b << " c=" << c.c;
    EXPECT_EQ(status, c.status) << "b=" << c.b << " c=" << c.c;
  }
  EXPECT_EQ(solve_quadratic(1, 0, nullptr).size(), 2u);
  // -2b overflows: only the root 0.
  EXPECT_EQ(solve_quadratic(3e38f, 0), std::vector<float>{0});
}

TEST(RaySphere, FromOutsideTheFarCrossingIsPreferred) {
  const float origin[3] = {-5, 0, 0}, dir[3] = {2, 0, 0}, centre[3] = {0, 0, 0};
  int status = 0;
  EXPECT_FLOAT_EQ(ray_sphere_intersection(origin, dir, centre, &status, 1.0f), 6.0f);
  EXPECT_EQ(status, 0);
  EXPECT_FLOAT_EQ(ray_sphere_intersection(origin, dir, centre, &status, 1.0f, true), 4.0f);
  // Null centre: the origin of coordinates.
  EXPECT_FLOAT_EQ(ray_sphere_intersection(origin, dir, nullptr, &status, 1.0f), 6.0f);
}

TEST(RaySphere, FromInsideTheExit) {
  const float origin[3] = {0.5f, 0, 0}, dir[3] = {1, 0, 0};
  int status = 0;
  EXPECT_FLOAT_EQ(ray_sphere_intersection(origin, dir, nullptr, &status, 1.0f), 0.5f);
  EXPECT_FLOAT_EQ(ray_sphere_intersection(origin, dir, nullptr, &status, 1.0f, true), 0.5f);
  EXPECT_EQ(status, 0);
}

TEST(RaySphere, MissesAndCrossingsBehind) {
  const float origin[3] = {-5, 3, 0}, dir[3] = {1, 0, 0};
  int status = 0;
  EXPECT_EQ(ray_sphere_intersection(origin, dir, nullptr, &status, 1.0f), 0.0f);
  EXPECT_EQ(status, 3);
  const float behind[3] = {5, 0, 0};
  status = 0;
  EXPECT_FLOAT_EQ(ray_sphere_intersection(behind, dir, nullptr, &status, 1.0f), -6.0f);
  EXPECT_EQ(status, -4);
  status = 0;
  ray_sphere_intersection(behind, dir, nullptr, &status, 1.0f, true);
  EXPECT_EQ(status, -4);
}
