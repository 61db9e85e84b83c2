#include "core/coordinate_system.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"

namespace {
constexpr Mat3 kId3{1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr Mat4 kId4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void expect_near(const Vec3& a, const Vec3& b, float tol = 1e-5f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << "component " << i;
}

template <std::size_t N>
void expect_near(const std::array<float, N>& a, const std::array<float, N>& b, float tol = 1e-5f) {
  for (std::size_t i = 0; i < N; ++i) EXPECT_NEAR(a[i], b[i], tol) << "element " << i;
}

bool orthonormal(const CoordinateSystem& cs) {
  const auto d = cs.directions();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (std::abs(dot(d[i], d[j]) - (i == j ? 1.0f : 0.0f)) > 1e-5f) return false;
  // right-handed
  return dot(cross(d[0], d[1]), d[2]) > 0.99f;
}

// A frame at an arbitrary pose.
CoordinateSystem posed() {
  CoordinateSystem cs;
  const float s = std::sqrt(14.0f);
  cs.rotate_global(37.0f, 1 / s, 2 / s, 3 / s);
  cs.rotate_local(-20.0f, 0, 1, 0);
  cs.translate(1.5f, -2.0f, 0.25f);
  return cs;
}
}  // namespace

TEST(CoordinateSystem, DefaultIsIdentity) {
  CoordinateSystem cs;
  EXPECT_EQ(cs.rotation(), kId3);
  EXPECT_EQ(cs.rotation_transposed(), kId3);
  EXPECT_EQ(cs.pose_matrix(true, false, false), kId4);
  EXPECT_TRUE(cs.translation_enabled());
  EXPECT_TRUE(cs.rotation_enabled());
  EXPECT_EQ(cs.volume(), (Vec3{0, 0, 0}));
  const Vec3 p{1, 2, 3};
  EXPECT_EQ(cs.local2global(p), p);
  EXPECT_EQ(cs.global2local(p), p);
}

TEST(CoordinateSystem, LocalGlobalRoundTripAndPoseInverse) {
  CoordinateSystem cs = posed();
  ASSERT_TRUE(orthonormal(cs));
  const Vec3 p{0.3f, -4.0f, 2.0f};
  const Vec3 g = cs.local2global(p);
  expect_near(cs.global2local(g), p);
  // x along xhat: local (1, 0, 0) lands at position + xhat.
  expect_near(cs.local2global(Vec3{1, 0, 0}), cs.position() + cs.xhat_array());

  const Mat4 f = cs.pose_matrix(true, false, false);
  const Mat4 b = cs.pose_matrix(false, false, false);
  Mat4 prod{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) prod[4 * i + j] += f[4 * i + k] * b[4 * k + j];
  expect_near(prod, kId4);
  const Mat4 ft = cs.pose_matrix(true, false, true);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(ft[4 * i + j], f[4 * j + i]);
}

TEST(CoordinateSystem, ConversionsWorkInPlaceAndWithStrides) {
  CoordinateSystem cs = posed();
  // Two points in a stride of 4 floats, converted in place.
  float pts[8] = {1, 2, 3, -1, 4, 5, 6, -1};
  const Vec3 g0 = cs.local2global(Vec3{1, 2, 3});
  const Vec3 g1 = cs.local2global(Vec3{4, 5, 6});
  cs.local2global(pts, pts, 2, 4, 4);
  expect_near(to_vec3(pts), g0);
  expect_near(to_vec3(pts + 4), g1);
  EXPECT_EQ(pts[3], -1);
  const std::vector<float> v = cs.local2global(std::vector<float>{1, 2, 3, 4, 5, 6});
  ASSERT_EQ(v.size(), 6u);
  expect_near(to_vec3(v.data() + 3), g1);
  // Rotation only, and global2local without translation.
  float dir[3];
  const float ex[3] = {1, 0, 0};
  cs.local2global_rotation(ex, dir, 1);
  expect_near(to_vec3(dir), cs.xhat_array());
  float back[3];
  cs.global2local(dir, back, 1, 3, 3, false);
  expect_near(to_vec3(back), Vec3{1, 0, 0});
  float untouched[3] = {9, 9, 9};
  cs.global2local(dir, untouched, 0);
  EXPECT_EQ(untouched[0], 9);
}

TEST(CoordinateSystem, AxisAccessors) {
  CoordinateSystem cs = posed();
  EXPECT_EQ(cs.xhat_array(true), -cs.xhat_array());
  EXPECT_EQ(cs.zhat(true), -to_vec3(cs.zhat()));
  EXPECT_EQ(cs.yhat(false), to_vec3(cs.yhat()));
  EXPECT_EQ(cs.direction(3), (Vec3{0, 0, 0}));
  const auto d = cs.directions({false, true, false});
  EXPECT_EQ(d[1], -cs.yhat_array());
  EXPECT_EQ(d[2], cs.zhat_array());
  cs.clear_rotation();
  EXPECT_EQ(cs.rotation(), kId3);
}

TEST(CoordinateSystem, Translation) {
  CoordinateSystem cs;
  cs.disable();
  const float v[3] = {1, 2, 3};
  cs.translate(v, true, 2.0f);
  EXPECT_TRUE(cs.translation_enabled());
  EXPECT_EQ(cs.position(), (Vec3{-2, -4, -6}));
  cs.translate(Vec3{1, 1, 1});
  cs.translate(4u, 10.0f);  // axis 4 mod 3 = 1
  cs.translate(0.5f, 0.5f, 0.5f);
  EXPECT_EQ(cs.position(), (Vec3{-0.5f, 7.5f, -4.5f}));
  EXPECT_FLOAT_EQ(cs.distance(nullptr), std::sqrt(0.25f + 56.25f + 20.25f));
  const float p[3] = {-0.5f, 7.5f, 0.5f};
  EXPECT_FLOAT_EQ(cs.distance(p), 5.0f);
  cs.translate(static_cast<const float*>(nullptr));
  EXPECT_EQ(cs.position(), (Vec3{0, 0, 0}));
}

TEST(CoordinateSystem, SetRotationKeepsTransposeInStep) {
  CoordinateSystem cs;
  cs.enable_rotation(false);
  const Mat3 m = rodrigues(40.0f, 0, 0, 1);
  cs.set_rotation(m);
  EXPECT_TRUE(cs.rotation_enabled());
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(cs.rotation_transposed()[3 * i + j], m[3 * j + i]);
  cs.set_rotation_transposed(m.data());
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(cs.rotation()[3 * i + j], m[3 * j + i]);
  cs.set_rotation(cs.rotation().data());  // from itself: unchanged
  EXPECT_EQ(cs.rotation_transposed(), m);
  cs.set_rotation(static_cast<const float*>(nullptr));
  EXPECT_EQ(cs.rotation(), kId3);
  EXPECT_EQ(cs.rotation_transposed(), kId3);
}

TEST(CoordinateSystem, AxesFromTwoVectors) {
  CoordinateSystem cs;
  cs.set_yz(Vec3{0, 0, 1}, Vec3{1, 0, 0});
  EXPECT_EQ(cs.xhat_array(), (Vec3{0, 1, 0}));
  cs.set_xz(Vec3{0, 1, 0}, Vec3{1, 0, 0});
  EXPECT_EQ(cs.yhat_array(), (Vec3{0, 0, 1}));
  const float x[3] = {0, 0, 1}, y[3] = {1, 0, 0};
  cs.set_xy(x, y);
  EXPECT_EQ(cs.zhat_array(), (Vec3{0, 1, 0}));
  // Not normalised.
  cs.set_xy(Vec3{2, 0, 0}, Vec3{0, 3, 0});
  EXPECT_EQ(cs.zhat_array(), (Vec3{0, 0, 6}));
  CoordinateSystem f = posed();
  const Vec3 y0 = f.yhat_array(), z0 = f.zhat_array();
  f.invert_zhat();
  EXPECT_EQ(f.zhat_array(), -z0);
  EXPECT_EQ(f.yhat_array(), y0);
  EXPECT_TRUE(orthonormal(f));
}

TEST(CoordinateSystem, GlobalAndLocalRotationCompose) {
  CoordinateSystem cs = posed();
  const Mat3 m = rodrigues(25.0f, 0, 0, 1);
  CoordinateSystem g = cs;
  g.rotate_global(m.data());
  // Global: each axis a becomes m a.
  for (int i = 0; i < 3; ++i) {
    Vec3 a;
    rotate_vector(m.data(), cs.direction(i).data(), a.data());
    expect_near(g.direction(i), a);
  }
  CoordinateSystem l = cs;
  l.rotate_local(m.data());
  // Local: new x = m[0] x + m[3] y + m[6] z.
  expect_near(l.xhat_array(),
              cs.xhat_array() * m[0] + cs.yhat_array() * m[3] + cs.zhat_array() * m[6]);
  CoordinateSystem r = cs;
  r.rotate(m.data(), true);
  EXPECT_EQ(r.rotation(), l.rotation());
  r = cs;
  r.rotate(m.data(), false);
  EXPECT_EQ(r.rotation(), g.rotation());
  // Degrees and radians forms agree with the matrix forms.
  CoordinateSystem d = cs;
  d.rotate_global(25.0f, 0, 0, 1);
  EXPECT_EQ(d.rotation(), g.rotation());
  const float axis[3] = {0, 0, 1};
  d = cs;
  d.rotate_global(25.0f * kDegToRad, axis);
  EXPECT_EQ(d.rotation(), g.rotation());
}

TEST(CoordinateSystem, RotationWithTheFlagOffSetsTheOrientation) {
  CoordinateSystem cs = posed();
  cs.disable();
  EXPECT_FALSE(cs.enabled());
  const Mat3 m = rodrigues(60.0f, 1, 0, 0);
  cs.rotate_global(m.data());
  EXPECT_EQ(cs.rotation(), m);
  EXPECT_TRUE(cs.rotation_enabled());
  cs.disable_rotation();
  cs.rotate_local(m.data());
  EXPECT_EQ(cs.rotation(), m);
}

TEST(CoordinateSystem, VerboseLocalRotationPrintsOldAndNew) {
  CoordinateSystem cs;
  const Mat3 m{0, 1, 0, -1, 0, 0, 0, 0, 1};
  testing_support::OutputCapture cap;
  cs.rotate_local(m.data(), true);
  EXPECT_EQ(cap.out(),
            "Current rotation = 1,0,0,0,1,0,0,0,1,\nSetting rotation to 0,-1,0,1,0,0,0,0,1,\n");
}

TEST(CoordinateSystem, RotateAboutIgnoresThePoint) {
  CoordinateSystem a, b;
  a.translate(1.0f, 0.0f, 0.0f);
  b.translate(1.0f, 0.0f, 0.0f);
  a.rotate_global_about(90.0f, 0, 0, 1, 5, 5, 5);
  b.rotate_global_about(90.0f, 0, 0, 1, 0, 0, 0);
  EXPECT_EQ(a.position(), b.position());
  expect_near(a.position(), Vec3{0, 1, 0});
  expect_near(a.xhat_array(), Vec3{0, 1, 0});
}

TEST(CoordinateSystem, AxisAngle) {
  CoordinateSystem a, b;
  b.rotate_global(90.0f, 0, 0, 1);
  EXPECT_NEAR(a.axis_angle(b, 0), M_PI / 2, 1e-6);
  EXPECT_NEAR(a.axis_angle(b, 2), 0.0, 1e-3);
  EXPECT_FLOAT_EQ(a.axis_angle(b, 3), std::acos(0.0f));
}

TEST(CoordinateSystem, LookAtPointsZFromTargetToPosition) {
  CoordinateSystem cs;
  const float pos[3] = {0, 0, 5}, target[3] = {0, 0, 0};
  cs.look_at(pos, target);
  expect_near(cs.zhat_array(), Vec3{0, 0, 1});
  expect_near(cs.xhat_array(), Vec3{1, 0, 0});
  EXPECT_EQ(cs.position(), (Vec3{0, 0, 5}));
  cs.look_at(pos, target, nullptr, true);
  expect_near(cs.zhat_array(), Vec3{0, 0, -1});

  CoordinateSystem arr;
  arr.look_at(Vec3{3, 0, 0}, Vec3{0, 0, 0});
  expect_near(arr.zhat_array(), Vec3{1, 0, 0});
  EXPECT_TRUE(orthonormal(arr));

  // Position equal to target: z = (0, 0, 1).
  CoordinateSystem same;
  same.look_at(pos, pos);
  EXPECT_EQ(same.zhat_array(), (Vec3{0, 0, 1}));
  // No position: z from the target towards the origin; the position stays.
  CoordinateSystem nopos;
  nopos.translate(1.0f, 1.0f, 1.0f);
  const float t2[3] = {0, 4, 0};
  const float up[3] = {0, 0, 1};
  nopos.look_at(nullptr, t2, up);
  expect_near(nopos.zhat_array(), Vec3{0, -1, 0});
  EXPECT_EQ(nopos.position(), (Vec3{1, 1, 1}));
}

TEST(CoordinateSystem, UpParallelToZStillGivesAFiniteFrame) {
  CoordinateSystem cs;
  const float pos[3] = {0, 4, 0}, target[3] = {0, 0, 0};
  cs.look_at(pos, target);  // default up (0, 1, 0) is parallel to z
  expect_near(cs.zhat_array(), Vec3{0, 1, 0});
  EXPECT_TRUE(orthonormal(cs));

  CoordinateSystem up;
  up.set_rotation(rodrigues(90.0f, 1, 0, 0));  // z now along +y
  up.enforce_up(1);
  EXPECT_TRUE(orthonormal(up));
  expect_near(up.zhat_array(), Vec3{0, 1, 0});
}

TEST(CoordinateSystem, EnforceUpMakesTheFrameUpright) {
  CoordinateSystem cs = posed();
  cs.disable();
  const Vec3 z = cs.zhat_array();
  cs.enforce_up(1);
  EXPECT_TRUE(cs.translation_enabled() && cs.rotation_enabled());
  expect_near(cs.zhat_array(), z);
  EXPECT_NEAR(cs.xhat_array()[1], 0.0f, 1e-6);  // x horizontal
  EXPECT_TRUE(orthonormal(cs));
  const Mat3 before = cs.rotation();
  cs.enforce_up(3);
  cs.enforce_up(-1);
  EXPECT_EQ(cs.rotation(), before);
}

TEST(CoordinateSystem, ProjectionsOntoAxesAndPlanes) {
  CoordinateSystem cs;
  cs.translate(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(cs.axis_project({2, 2, 2}, 0, true), 1.0f);
  EXPECT_EQ(cs.axis_project({2, 2, 2}, 0, false), 2.0f);
  EXPECT_EQ(cs.axis_project({2, 2, 7}, 9, true), 4.0f);
  EXPECT_EQ(cs.plane_project({2, 5, 9}, 2, true), (Vec3{1, 3, 0}));
  EXPECT_EQ(cs.plane_project({2, 5, 9}, 0, false), (Vec3{0, 5, 9}));
}

TEST(CoordinateSystem, RayPlaneIntersections) {
  CoordinateSystem cs;
  cs.translate(0.0f, 0.0f, 1.0f);
  const float o[3] = {1, 2, 5}, down[3] = {0, 0, -2}, side[3] = {1, 0, 0};
  int st = 0;
  EXPECT_FLOAT_EQ(cs.ray_intersection_1d(o, down, &st), 2.0f);
  EXPECT_EQ(st, 0);
  EXPECT_FLOAT_EQ(cs.ray_intersection_1d(o, down, &st, true), -2.0f);
  EXPECT_EQ(st, 2);
  st = 0;
  EXPECT_EQ(cs.ray_intersection_1d(o, side, &st), 0.0f);
  EXPECT_EQ(st, 1);

  st = 7;
  EXPECT_EQ(cs.ray_intersection_3d(o, down, &st), (Vec3{1, 2, 1}));
  EXPECT_EQ(st, 0);
  EXPECT_EQ(cs.ray_intersection_3d(o, down, &st, true), (Vec3{0, 0, 0}));
  EXPECT_EQ(st, -2);
  EXPECT_EQ(cs.ray_intersection_3d(o, side, &st), (Vec3{0, 0, 0}));
  EXPECT_EQ(st, 1);
  const float on[3] = {0, 0, 1};
  EXPECT_EQ(cs.ray_intersection_3d(on, down, &st), (Vec3{0, 0, 0}));
  EXPECT_EQ(st, 2);
}

TEST(CoordinateSystem, LineOfSight) {
  CoordinateSystem cs;  // at the origin, looking along z
  const float front[3] = {3, 4, -10}, behind[3] = {3, 4, 10};
  EXPECT_FLOAT_EQ(cs.los_min_distance(front), 10.0f);
  EXPECT_FLOAT_EQ(cs.los_impact_parameter(front), 5.0f);
  EXPECT_EQ(cs.los_impact_parameter(behind), -1.0f);
  EXPECT_FLOAT_EQ(cs.los_impact_parameter(behind, true), 5.0f);
  const auto ips = cs.los_impact_parameters({{3, 4, -10}, {3, 4, 10}});
  ASSERT_EQ(ips.size(), 2u);
  EXPECT_FLOAT_EQ(ips[0], 5.0f);
  EXPECT_EQ(ips[1], -1.0f);
}
