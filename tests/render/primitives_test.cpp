// Generated shapes: exact arrays of the small cases, winding, normals,
// closing faces, and what zero or absurd details give.
#include "render/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/capture.h"

using testing_support::OutputCapture;
using Floats = std::vector<float>;
using V3 = std::array<float, 3>;

namespace {

V3 at3(const Floats& v, std::size_t i) {
  return {v[3 * i], v[3 * i + 1], v[3 * i + 2]};
}

float length(const V3& v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

float dot(const V3& a, const V3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Counts faces of `per_face` vertices whose winding is counter-clockwise seen
// from the outside of a shape centred on the origin, or seen from `towards`
// when given (Newell's normal, so a corner collapsed at a pole does not
// matter; faces of no area count too).
std::size_t outward_faces(const Floats& v, std::size_t per_face, const V3* towards = nullptr) {
  std::size_t n = 0;
  const std::size_t faces = v.size() / 3 / per_face;
  for (std::size_t f = 0; f < faces; ++f) {
    V3 normal{}, centre{};
    for (std::size_t k = 0; k < per_face; ++k) {
      const V3 a = at3(v, per_face * f + k), b = at3(v, per_face * f + (k + 1) % per_face);
      normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
      normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
      normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
      for (int i = 0; i < 3; ++i) centre[i] += a[i] / per_face;
    }
    if (dot(normal, towards ? *towards : centre) >= -1e-7f) ++n;
  }
  return n;
}

}  // namespace

TEST(Quad, OneQuadAndTheLayoutOfRowsAndColumns) {
  Quad q;
  EXPECT_EQ(q.primitive_mode(), kQuadsMode);
  EXPECT_EQ(q.construct(1, 1), 0);
  EXPECT_EQ(q.vertices(), (Floats{-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0}));
  EXPECT_EQ(q.normals(), (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(q.tex_coords(), (Floats{0, 0, 1, 0, 1, 1, 0, 1}));
  EXPECT_EQ(q.num_quads(), 1u);

  // Two columns (along y) in one row (along x): quad 1 is the upper half in y.
  EXPECT_EQ(q.construct(2, 1), 0);
  ASSERT_EQ(q.num_quads(), 2u);
  EXPECT_EQ(at3(q.vertices(), 4), (V3{-0.5f, 0, 0}));
  EXPECT_EQ(at3(q.vertices(), 6), (V3{0.5f, 0.5f, 0}));
  EXPECT_EQ(q.tex_coords()[2 * 6], 1.0f);

  q.construct(3);
  EXPECT_EQ(q.num_quads(), 9u);
  EXPECT_EQ(q.normals().size(), q.vertices().size());
  EXPECT_EQ(q.tex_coords().size(), 9u * 8);
  const V3 up{0, 0, 1}, down{0, 0, -1};
  EXPECT_EQ(outward_faces(q.vertices(), 4, &up), 9u);
  EXPECT_EQ(outward_faces(q.vertices(), 4, &down), 0u);
}

TEST(Quad, ToTriangles) {
  Quad q;
  q.construct(1, 1);
  const Floats& v = q.vertices();
  Floats expected;
  for (int k : {0, 1, 2, 0, 2, 3})
    expected.insert(expected.end(), v.begin() + 3 * k, v.begin() + 3 * k + 3);
  EXPECT_EQ(Quad::to_triangles(v, 3, 0), expected);

  // Records of 3 + 1 floats keep their first 3; a trailing partial quad is dropped.
  Floats records;
  for (int k = 0; k < 5; ++k) records.insert(records.end(), {float(k), float(k), float(k), -1.0f});
  EXPECT_EQ(Quad::to_triangles(records, 3, 1),
            (Floats{0, 0, 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 2, 2, 2, 3, 3, 3}));

  for (const auto& [a, b] : std::vector<std::pair<int, int>>{{0, 0}, {-1, 4}, {3, -3}})
    EXPECT_TRUE(Quad::to_triangles(v, a, b).empty()) << a << " + " << b;
}

TEST(SolidSphere, RadiusTwoNormalsAndThePole) {
  SolidSphere s(2.0f);
  EXPECT_EQ(s.construct(1), 0);
  ASSERT_EQ(s.num_quads(), 2u);  // 2 azimuth steps by 1 polar step
  ASSERT_EQ(s.normals().size(), s.vertices().size());
  ASSERT_EQ(s.tex_coords().size(), 16u);
  for (std::size_t i = 0; i < s.num_vertices(); ++i) {
    EXPECT_NEAR(length(at3(s.normals(), i)), 1.0f, 1e-6f);
    EXPECT_NEAR(length(at3(s.vertices(), i)), 2.0f, 1e-6f);
  }
  EXPECT_EQ(at3(s.vertices(), 0), (V3{0, 0, 2}));
  EXPECT_EQ(at3(s.normals(), 0), (V3{0, 0, 1}));
  EXPECT_EQ(s.tex_coords()[0], 0.0f);
  EXPECT_EQ(s.tex_coords()[1], 0.0f);

  SolidSphere unit;
  unit.construct(8);
  EXPECT_EQ(unit.num_quads(), 128u);
  EXPECT_EQ(outward_faces(unit.vertices(), 4), 128u);
  EXPECT_EQ(unit.vertices(), unit.normals());

  // The pole on x: the first point is (1, 0, 0).
  unit.axis() = 0;
  unit.construct(2);
  EXPECT_EQ(at3(unit.vertices(), 0), (V3{1, 0, 0}));
}

TEST(SolidSphere, QuarterSphereLimitsAndTextureRange) {
  SolidSphere s;
  s.limits(0, 3.1415927f, 0, 3.1415927f / 2);
  EXPECT_EQ(s.lower(), (std::array<float, 2>{0, 0}));
  EXPECT_EQ(s.upper(), (std::array<float, 2>{3.1415927f, 3.1415927f / 2}));
  s.tex_lower() = {0.25, 0.5};
  s.tex_upper() = {0.75, 1.0};
  s.construct(4, 3);
  ASSERT_EQ(s.num_quads(), 12u);
  for (std::size_t i = 0; i < s.num_vertices(); ++i) {
    const V3 p = at3(s.vertices(), i);
    EXPECT_GE(p[1], -1e-6f);  // azimuth 0..pi
    EXPECT_GE(p[2], -1e-6f);  // the upper hemisphere
    EXPECT_GE(s.tex_coords()[2 * i], 0.25f);
    EXPECT_LE(s.tex_coords()[2 * i], 0.75f);
    EXPECT_GE(s.tex_coords()[2 * i + 1], 0.5f);
  }
  // The last quad's third corner sits at the upper limits.
  EXPECT_EQ(s.tex_coords()[2 * (4 * 11 + 2)], 0.75f);
  EXPECT_EQ(s.tex_coords()[2 * (4 * 11 + 2) + 1], 1.0f);
}

TEST(SolidSphere, ClosedPatchAppendsFansFromTheCentre) {
  SolidSphere s(3.0f);
  s.limits(0, 3.1415927f / 2, 0, 3.1415927f / 2);
  s.closed() = true;
  const unsigned n = 4, m = 2;
  EXPECT_EQ(s.construct(n, m), 0);
  ASSERT_EQ(s.vertices().size(), 12u * n * m + 24u * (n + m));
  ASSERT_EQ(s.tex_coords().size(), 8u * n * m + 16u * (n + m));
  ASSERT_EQ(s.normals().size(), s.vertices().size());
  const float inward = -0.57735026f;
  for (std::size_t q = n * m; q < s.num_quads(); ++q) {
    for (std::size_t k = 0; k < 2; ++k) {
      EXPECT_EQ(at3(s.vertices(), 4 * q + k), (V3{0, 0, 0}));
      EXPECT_EQ(at3(s.normals(), 4 * q + k), (V3{inward, inward, inward}));
    }
    for (std::size_t k = 2; k < 4; ++k) {
      const V3 p = at3(s.vertices(), 4 * q + k);
      const V3 unit = at3(s.normals(), 4 * q + k);
      EXPECT_NEAR(length(unit), 1.0f, 1e-6f);
      for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(p[c], 3.0f * unit[c]);
    }
    for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(s.tex_coords()[8 * q + k], 0.0f);
  }
  // The first closing fan lies in the plane phi = 0 (y = 0), the next m at phi = pi/2 (x = 0).
  EXPECT_EQ(at3(s.vertices(), 4 * n * m + 2)[1], 0.0f);
  EXPECT_NEAR(at3(s.vertices(), 4 * (n * m + m) + 2)[0], 0.0f, 1e-6f);
}

TEST(SolidSphere2, TrianglesWithTheSecondTextureCoordinateFlipped) {
  SolidSphere2 s;
  EXPECT_EQ(s.primitive_mode(), kTrianglesMode);
  EXPECT_EQ(s.construct(4), 0);
  ASSERT_EQ(s.num_vertices(), 192u);
  ASSERT_EQ(s.tex_coords().size(), 384u);
  const float r = static_cast<float>(std::sin(3.1415927 / 4));
  const V3 first = at3(s.vertices(), 0);
  EXPECT_NEAR(first[0], r, 1e-7f);
  EXPECT_EQ(first[1], 0.0f);
  EXPECT_NEAR(first[2], r, 1e-7f);
  EXPECT_EQ(s.tex_coords()[0], 0.0f);
  EXPECT_EQ(s.tex_coords()[1], 0.75f);
  EXPECT_EQ(s.vertices(), s.normals());
  EXPECT_EQ(outward_faces(s.vertices(), 3), 64u);

  SolidSphere2 big;
  big.radius() = 0.5f;
  big.construct(3);
  for (std::size_t i = 0; i < big.num_vertices(); ++i) {
    EXPECT_NEAR(length(at3(big.vertices(), i)), 0.5f, 1e-6f);
    EXPECT_NEAR(length(at3(big.normals(), i)), 1.0f, 1e-6f);
  }
}

TEST(Cylinder, ConeSideWithZeroNormalsAtTheTip) {
  Cylinder c;
  EXPECT_EQ(c.lower(), (std::array<float, 2>{0, -0.5f}));
  c.set_base(1, 0);
  EXPECT_EQ(c.construct(4), 0);
  ASSERT_EQ(c.num_vertices(), 16u);
  for (std::size_t q = 0; q < 4; ++q) {
    for (std::size_t k : {0u, 1u}) {
      const V3 p = at3(c.vertices(), 4 * q + k);
      EXPECT_EQ(p[2], 0.0f);
      EXPECT_NEAR(length(p), 1.0f, 1e-6f);
      EXPECT_EQ(at3(c.normals(), 4 * q + k), (V3{p[0], p[1], 0}));
    }
    for (std::size_t k : {2u, 3u}) {
      EXPECT_EQ(at3(c.vertices(), 4 * q + k), (V3{0, 0, 1}));
      EXPECT_EQ(at3(c.normals(), 4 * q + k), (V3{0, 0, 0}));
    }
  }
  // Segment 1 of 4: u = 0.5 - 1/4 on its first two corners, 0.5 - 2/4 on the others.
  EXPECT_EQ(Floats(c.tex_coords().begin() + 8, c.tex_coords().begin() + 16),
            (Floats{0.25f, 0, 0.25f, 1, 0, 1, 0, 0}));

  Cylinder wide;
  wide.set_base(2, 2);
  wide.radius() = 5.0f;  // not read: the side is never rescaled
  wide.construct(8);
  EXPECT_EQ(outward_faces(wide.vertices(), 4), 8u);
  for (std::size_t i = 0; i < wide.num_vertices(); ++i)
    EXPECT_NEAR(length(at3(wide.normals(), i)), 2.0f, 1e-6f);
}

TEST(Cube, TwelveTrianglesAtPlusMinusOne) {
  Cube cube({2, 2, 2});
  EXPECT_EQ(cube.construct(1), 0);
  ASSERT_EQ(cube.num_tris(), 12u);
  ASSERT_EQ(cube.normals().size(), cube.vertices().size());
  ASSERT_EQ(cube.tex_coords().size(), 72u);
  for (float f : cube.vertices()) EXPECT_EQ(std::fabs(f), 1.0f);
  // Every normal is a unit axis whose face coordinate has the normal's sign.
  for (std::size_t i = 0; i < 36; ++i) {
    const V3 n = at3(cube.normals(), i);
    EXPECT_EQ(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0f);
    EXPECT_EQ(dot(n, at3(cube.vertices(), i)), 1.0f);
  }
  EXPECT_EQ(outward_faces(cube.vertices(), 3), 12u);
  // The first face is +z, then -z, +x, -x, +y, -y.
  const V3 expected[6] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (std::size_t f = 0; f < 6; ++f) EXPECT_EQ(at3(cube.normals(), 6 * f), expected[f]);

  Cube box({1, 2, 4});
  EXPECT_EQ(box.construct(2, 3), 0);
  EXPECT_EQ(box.num_tris(), 72u);
  EXPECT_EQ(box.resolution(), (std::array<unsigned long long, 2>{2, 3}));
  const auto [lo, hi] = std::minmax_element(box.vertices().begin(), box.vertices().end());
  EXPECT_EQ(*lo, -2.0f);
  EXPECT_EQ(*hi, 2.0f);
  EXPECT_EQ(outward_faces(box.vertices(), 3), 72u);
}

TEST(Primitives, ZeroDetailIsEmptyAndAbsurdDetailIsRefused) {
  OutputCapture capture;
  Quad q;
  SolidSphere s;
  SolidSphere2 s2;
  Cylinder c;
  std::vector<ParametericVertices*> shapes{&q, &s, &s2, &c};
  for (ParametericVertices* p : shapes) {
    ASSERT_EQ(p->construct(2), 0);
    EXPECT_EQ(p->construct(0), 0);
    EXPECT_TRUE(p->vertices().empty() && p->normals().empty() && p->tex_coords().empty());
  }
  s.closed() = true;
  EXPECT_EQ(s.construct(0), 0);
  EXPECT_TRUE(s.vertices().empty());
  EXPECT_TRUE(capture.err().empty());

  for (ParametericVertices* p : shapes) {
    p->construct(2);
    EXPECT_EQ(p->construct(static_cast<unsigned int>(kMaxGeneratedVertices)), -1);
    EXPECT_TRUE(p->vertices().empty() && p->normals().empty() && p->tex_coords().empty());
    EXPECT_EQ(p->construct(std::numeric_limits<unsigned int>::max()), -1);
  }
  EXPECT_EQ(q.construct(1u << 20, 1u << 20), -1);  // would overflow 32 bits
  EXPECT_NE(capture.err().find("SolidSphere2::construct(): 33554432 x 16777216 cells refused"),
            std::string::npos)
      << capture.err();

  Cube cube({1, 1, 1});
  cube.construct(1);
  for (const auto& [p, qq] : std::vector<std::pair<unsigned long long, unsigned long long>>{
           {0, 1}, {1, 0}, {1ull << 40, 1ull << 40}, {~0ull, 2}}) {
    EXPECT_EQ(cube.construct(p, qq), -1) << p << " x " << qq;
    EXPECT_TRUE(cube.vertices().empty() && cube.normals().empty() && cube.tex_coords().empty());
  }
  EXPECT_EQ(cube.resolution(), (std::array<unsigned long long, 2>{1, 1}));
}

TEST(Primitives, DetailLevelsInEitherOrderAndRefusedRanges) {
  const DetailLevels a = detail_levels(16, 4), b = detail_levels(4, 16);
  EXPECT_TRUE(a.valid && b.valid);
  EXPECT_EQ(a.start, 4);
  EXPECT_EQ(a.count, 13u);
  EXPECT_EQ(b.start, 4);
  EXPECT_EQ(b.count, 13u);
  const DetailLevels one = detail_levels(1, 1);
  EXPECT_EQ(one.start, 1);
  EXPECT_EQ(one.count, 1u);
  const DetailLevels fraction = detail_levels(3.5f, 1.5f);  // start 1, 3.5 - 1 + 1 levels
  EXPECT_EQ(fraction.start, 1);
  EXPECT_EQ(fraction.count, 3u);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const auto& [lo, hi] : std::vector<std::pair<float, float>>{
           {-1, 4}, {0, 1e9f}, {nan, 4}, {4, nan}, {0, 2000}, {1e12f, 1e12f}}) {
    const DetailLevels r = detail_levels(lo, hi);
    EXPECT_FALSE(r.valid) << lo << " .. " << hi;
    EXPECT_EQ(r.count, 0u);
  }
}
