#include "core/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

TEST(VectorMath, OperatorsActComponentwise) {
  const Vec3 a{1, 2, 3}, b{4, -5, 6};
  EXPECT_EQ(a + b, (Vec3{5, -3, 9}));
  EXPECT_EQ(a - b, (Vec3{-3, 7, -3}));
  EXPECT_EQ(-a, (Vec3{-1, -2, -3}));
  EXPECT_EQ(a * 2.0f, (Vec3{2, 4, 6}));
  Vec3 c = a;
  EXPECT_EQ(&(c += b), &c);
  EXPECT_EQ(c, (Vec3{5, -3, 9}));
}

TEST(VectorMath, DivisionMultipliesByTheReciprocal) {
  const Vec3 a{1, 2, 3};
  const float r = 1.0f / 3.0f;
  EXPECT_EQ(a / 3.0f, (Vec3{1 * r, 2 * r, 3 * r}));
  const Vec3 z = Vec3{1, 0, -1} / 0.0f;
  EXPECT_TRUE(std::isinf(z[0]) && z[0] > 0);
  EXPECT_TRUE(std::isnan(z[1]));
  EXPECT_TRUE(std::isinf(z[2]) && z[2] < 0);
}

TEST(VectorMath, PrintsEachComponentWithSeparator) {
  std::ostringstream os;
  os << Vec3{1, 2.5f, 3};
  EXPECT_EQ(os.str(), "1, 2.5, 3, ");
}

TEST(VectorMath, TransposeAndRotateVector) {
  const float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  float t[9];
  transpose3(m, t);
  EXPECT_EQ((Mat3{t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8]}),
            (Mat3{1, 4, 7, 2, 5, 8, 3, 6, 9}));
  const float v[3] = {1, 0, -1};
  float out[3];
  EXPECT_EQ(rotate_vector(m, v, out), out);
  EXPECT_EQ(to_vec3(out), (Vec3{-2, -2, -2}));
}

TEST(VectorMath, PoseMatrixFillsRotationRowsAndTranslationColumn) {
  const Mat4 id{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(make_pose_matrix(nullptr, nullptr), id);
  const float r[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const float t[3] = {10, 11, 12};
  EXPECT_EQ(make_pose_matrix(t, r), (Mat4{1, 2, 3, 10, 4, 5, 6, 11, 7, 8, 9, 12, 0, 0, 0, 1}));
  EXPECT_EQ(make_pose_matrix(t, nullptr),
            (Mat4{1, 0, 0, 10, 0, 1, 0, 11, 0, 0, 1, 12, 0, 0, 0, 1}));
}

TEST(VectorMath, RodriguesRotatesAboutTheAxis) {
  // 90 degrees about z takes x to y.
  const Mat3 r = rodrigues(90.0f, 0, 0, 1);
  float out[3];
  const float x[3] = {1, 0, 0};
  rotate_vector(r.data(), x, out);
  EXPECT_NEAR(out[0], 0, 1e-6);
  EXPECT_NEAR(out[1], 1, 1e-6);
  EXPECT_NEAR(out[2], 0, 1e-6);
  // Degrees use the float factor 0.017453292; radians go straight through.
  EXPECT_EQ(rodrigues(30.0f, 0, 1, 0), rodrigues_rad(30.0f * 0.017453292f, 0, 1, 0));
  const float axis[3] = {1, 0, 0};
  EXPECT_EQ(rodrigues_rad(0.5f, axis), rodrigues_rad(0.5f, 1, 0, 0));
  // A zero angle gives the identity for any axis, unit or not.
  EXPECT_EQ(rodrigues(0.0f, 3, -2, 7), (Mat3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(Box, InsideIsStrictAndFlatBoxesHoldNothing) {
  Box<3, float> b({1, 1, 1}, {2, 4, 6});
  EXPECT_TRUE(b.inside({1.5f, 2.5f, 3.5f}));
  EXPECT_FALSE(b.inside({2, 1, 1}));  // on a face
  EXPECT_FALSE(b.inside({1, 1, 4.5f}));
  EXPECT_EQ(b.total_volume(), 48.0f);
  EXPECT_EQ(b.dimensions(), 3u);
  const auto bb = b.bounding_box();
  EXPECT_EQ(bb[0], (Vec3{0, -1, -2}));
  EXPECT_EQ(bb[1], (Vec3{2, 3, 4}));
  Box<3, float> flat({0, 0, 0}, {1, 0, 1});
  EXPECT_FALSE(flat.inside({0, 0, 0}));
  Box<3, float> zero;
  EXPECT_EQ(zero.position(), (Vec3{0, 0, 0}));
  EXPECT_EQ(zero.volume(), (Vec3{0, 0, 0}));
}

TEST(Box, NegativeExtentsAreNotCorrected) {
  Box<3, float> b({0, 0, 0}, {-2, 2, 2});
  EXPECT_EQ(b.total_volume(), -8.0f);
  const auto bb = b.bounding_box();
  EXPECT_GT(bb[0][0], bb[1][0]);
}
