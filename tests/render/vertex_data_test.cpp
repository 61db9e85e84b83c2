// Vertex data operations and the vertex transform's sequence of steps.
#include "render/vertex_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/gl.h"
#include "support/capture.h"

using testing_support::OutputCapture;
using Floats = std::vector<float>;

namespace {

VertexData with_vertices(Floats v, Floats n = {}) {
  VertexData d;
  d.vertices() = std::move(v);
  d.normals() = std::move(n);
  return d;
}

}  // namespace

TEST(VertexData, DefaultsClearCopyAndMove) {
  VertexData d;
  EXPECT_EQ(d.attrib_depth(), (std::array<unsigned, 4>{3, 3, 2, 4}));
  EXPECT_EQ(d.num_vertices(), 0u);
  EXPECT_EQ(d.vertex_bounds(), VertexData::Bounds{});
  d.vertices() = {1, 2, 3, 4, 5, 6, 7};
  d.normals() = {0, 0, 1};
  d.tex_coords() = {0, 1};
  d.colors() = {1, 1, 1, 1};
  d.attrib_depths({3, 3, 3, 0});
  EXPECT_EQ(d.num_vertices(), 2u);

  VertexData moved = std::move(d);
  EXPECT_TRUE(d.vertices().empty());
  EXPECT_EQ(d.attrib_depth(), (std::array<unsigned, 4>{3, 3, 3, 0}));
  VertexData copy = moved;
  copy.clear();
  EXPECT_TRUE(copy.vertices().empty() && copy.normals().empty() && copy.tex_coords().empty());
  EXPECT_EQ(copy.colors(), (Floats{1, 1, 1, 1}));
  EXPECT_EQ(moved.vertices().size(), 7u);
}

TEST(VertexData, BoundsCentringTranslationAndAverages) {
  VertexData one = with_vertices({1, 2, 3});
  EXPECT_EQ(one.vertex_bounds(), (VertexData::Bounds{{{1, 2, 3}, {1, 2, 3}}}));

  VertexData d = with_vertices({0, 0, 0, 4, 2, -2, 2, 6, 0});
  EXPECT_EQ(d.vertex_bounds(), (VertexData::Bounds{{{0, 0, -2}, {4, 6, 0}}}));
  d.center_vertices();
  EXPECT_EQ(d.vertices(), (Floats{-2, -3, 1, 2, -1, -1, 0, 3, 1}));
  d.translate({2, 3, -1});
  EXPECT_EQ(d.vertices(), (Floats{0, 0, 0, 4, 2, -2, 2, 6, 0}));

  EXPECT_EQ(d.default_vertex_indices(), (std::vector<unsigned long long>{0, 1, 2}));
  const auto all = d.calc_average_vertex({});
  const std::array<float, 3> expected{2, 8.0f / 3, -2.0f / 3};
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(all[a], expected[a], 1e-6);
  EXPECT_EQ(d.calc_average_vertex({1, 1, 0, 0}), (std::array<float, 3>{2, 1, -1}));
  EXPECT_EQ(d.calc_average_vertex({1, 99}), (std::array<float, 3>{4, 2, -2}));  // 99: no vertex
  EXPECT_EQ(with_vertices({1, 2}).calc_average_vertex({}), (std::array<float, 3>{0, 0, 0}));
}

TEST(VertexData, RotateTurnsPositionsAndRenormalisesNormals) {
  // A quarter turn about z: x -> y.
  const std::array<float, 9> m{0, -1, 0, 1, 0, 0, 0, 0, 1};
  VertexData d = with_vertices({1, 0, 0, 0, 2, 0}, {2, 0, 0, 0, 0, 1});
  OutputCapture capture;
  d.rotate(m, true);
  EXPECT_EQ(capture.out(), "Rotating vertices... Rotating normals... ");
  EXPECT_EQ(d.vertices(), (Floats{0, 1, 0, -2, 0, 0}));
  EXPECT_EQ(d.normals(), (Floats{0, 1, 0, 0, 0, 1}));
  capture.reset();
  d.rotate(m, false);
  EXPECT_EQ(capture.out(), "Rotating vertices... ");
  EXPECT_EQ(d.normals(), (Floats{0, 1, 0, 0, 0, 1}));
}

TEST(VertexData, VertsEachPerPrimitiveMode) {
  const std::pair<int, int> cases[] = {{GL_POINTS, 1},
                                       {GL_LINES, 2},
                                       {GL_LINE_LOOP, 1},
                                       {GL_LINE_STRIP, 1},
                                       {GL_TRIANGLES, 3},
                                       {GL_TRIANGLE_STRIP, 2},
                                       {GL_TRIANGLE_FAN, 1},
                                       {GL_QUADS, 4},
                                       {GL_QUAD_STRIP, 3},
                                       {GL_POLYGON, 1},
                                       {-1, 1}};
  for (const auto& [mode, count] : cases) EXPECT_EQ(VertexData::verts_each(mode), count) << mode;
}

TEST(VertexData, CalcNormalsFollowsTheWindingAndSizesTheNormals) {
  const Floats triangle{0, 0, 0, 1, 0, 0, 0, 1, 0};
  VertexData d = with_vertices(triangle);  // no normals yet: they are made
  EXPECT_EQ(d.calc_normals(false, 3), 0);
  EXPECT_EQ(d.normals(), (Floats{0, 0, -1, 0, 0, -1, 0, 0, -1}));
  EXPECT_EQ(d.calc_normals(true, 3), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d.normals()[3 * i + 2], 1.0f);

  // Seven vertices: the trailing partial face keeps its normal.
  Floats seven = triangle;
  seven.insert(seven.end(), {0, 0, 0, 0, 2, 0, 2, 0, 0, 5, 5, 5});
  VertexData e = with_vertices(seven, Floats(21, 7.0f));
  e.calc_normals(false, 3);
  EXPECT_EQ((Floats(e.normals().begin() + 9, e.normals().begin() + 18)),
            (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ((Floats(e.normals().begin() + 18, e.normals().end())), (Floats{7, 7, 7}));

  OutputCapture capture;
  VertexData empty;
  EXPECT_EQ(empty.calc_normals(false, 3), 0);
  EXPECT_EQ(capture.err(), "Warning: calc_normals(), no vertices\n");
  VertexData lines = with_vertices(triangle);
  EXPECT_EQ(lines.calc_normals(false, 2), 0);  // two corners span no plane
  EXPECT_EQ(lines.calc_normals(false, 0), 0);
  EXPECT_TRUE(lines.normals().empty());

  // A degenerate face gets a zero normal, not a non-finite one.
  VertexData flat = with_vertices({0, 0, 0, 1, 1, 1, 2, 2, 2});
  flat.calc_normals(false, 3);
  EXPECT_EQ(flat.normals(), Floats(9, 0.0f));
}

TEST(VertexData, SmoothNormalsAveragesGreedilyWithinTheRadius) {
  // Vertices 0 and 1 coincide, vertex 2 is 1 away, vertex 3 is 10 away.
  const Floats positions{0, 0, 0, 0, 0, 0, 1, 0, 0, 10, 0, 0};
  const Floats normals{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1};
  VertexData coincident = with_vertices(positions, normals);
  coincident.smooth_normals(0.0);
  const float h = 1.0f / std::sqrt(2.0f);
  EXPECT_EQ(coincident.normals(), (Floats{h, h, 0, h, h, 0, 0, 0, 1, 0, 0, 1}));

  // Radius 0.15 x 10: vertex 0 takes 1 and 2; 2, already taken, does not take 3.
  VertexData near = with_vertices(positions, normals);
  near.smooth_normals(0.15);
  const float t = 1.0f / std::sqrt(3.0f);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(near.normals()[i], t, 1e-6) << i;
  EXPECT_EQ((Floats(near.normals().begin() + 9, near.normals().end())), (Floats{0, 0, 1}));

  OutputCapture capture;
  VertexData none = with_vertices(positions);  // no normals: nothing to smooth
  EXPECT_EQ(none.smooth_normals(1.0), 0);
  EXPECT_TRUE(none.normals().empty());
  VertexData empty;
  EXPECT_EQ(empty.smooth_normals(1.0), 0);
  EXPECT_NE(capture.err().find("Warning: smooth_normals(), no vertices\n"), std::string::npos);
}

TEST(VertexData, HardThresholdsClampOneAxisAndTurnNormals) {
  const Floats positions{0, -1, 0, 0, 0.2f, 0, 0, 0.9f, 0};
  const Floats normals{0.6f, 0.8f, 0, 0, -0.6f, 0.8f, 1, 0, 0};
  struct Case {
    bool lower, fix;
    Floats y, normals;
  };
  const Case cases[] = {
      {true, false, {0.5f, 0.5f, 0.9f}, normals},
      {false, false, {-1, 0.2f, 0.5f}, normals},
      {true, true, {0.5f, 0.5f, 0.9f}, {0, 1, 0, 0, -1, 0, 1, 0, 0}},
      {false, true, {-1, 0.2f, 0.5f}, {0.6f, 0.8f, 0, 0, -0.6f, 0.8f, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    VertexData d = with_vertices(positions, normals);
    if (c.lower)
      d.hard_lower_threshold(1, 0.5f, c.fix);
    else
      d.hard_upper_threshold(1, 0.5f, c.fix);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(d.vertices()[3 * i + 1], c.y[i]) << c.lower << c.fix << i;
      EXPECT_EQ(d.vertices()[3 * i], 0.0f);
    }
    EXPECT_EQ(d.normals(), c.normals) << c.lower << c.fix;
  }

  // Without normals, or with neighbours that have none, nothing is written.
  VertexData bare = with_vertices(positions);
  bare.hard_lower_threshold(1, 0.5f, true);
  EXPECT_TRUE(bare.normals().empty());
  VertexData few = with_vertices(positions, {1, 1, 0});
  few.hard_threshold(false, 1, 0.0f, true, [](unsigned long long i) {
    return std::vector<unsigned long long>{i, 40};
  });
  EXPECT_EQ(few.normals(), (Floats{1, 1, 0}));  // vertex 0 is below the value
  few.hard_threshold(true, 1, 0.0f, true,
                     [](unsigned long long) { return std::vector<unsigned long long>{0}; });
  EXPECT_EQ(few.normals(), (Floats{0, 1, 0}));
  // An empty neighbour function needs one normal per vertex.
  VertexData mismatched = with_vertices(positions, {1, 1, 0});
  mismatched.hard_threshold(true, 1, 0.5f, true, nullptr);
  EXPECT_EQ(mismatched.normals(), (Floats{1, 1, 0}));
  VertexData axis = with_vertices(positions, normals);
  axis.hard_lower_threshold(3, 0.5f, true);  // no such axis
  EXPECT_EQ(axis.vertices(), positions);
}

TEST(VertexTransform, DefaultChangesNothingAndPrintsNothing) {
  VertexData d = with_vertices({1, 2, 3, -4, 5, 6}, {0, 0, 1, 0, 1, 0});
  d.tex_coords() = {0.5f, 0.5f, 1, 1};
  const VertexData before = d;
  OutputCapture capture;
  VertexTransform{}(d);
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(d.vertices(), before.vertices());
  EXPECT_EQ(d.normals(), before.normals());
  EXPECT_EQ(d.tex_coords(), before.tex_coords());

  VertexTransform mirror;  // only the first two diagonal entries are looked at
  mirror.rotation = {1, 0, 0, 0, 1, 0, 0, 0, -1};
  mirror(d);
  EXPECT_EQ(d.vertices(), before.vertices());
}

TEST(VertexTransform, StepsRunInTheirOrder) {
  // recenter, then -offset, then rotate, then scale, then bounds, then centre,
  // then thresholds: each result below depends on that order.
  VertexData d = with_vertices({0, 0, 0, 2, 4, 0}, {1, 0, 0, 1, 0, 0});
  VertexTransform t;
  t.recenter = true;                          // (-1,-2,0) (1,2,0)
  t.offset = {1, 0, 0};                       // (-2,-2,0) (0,2,0)
  t.rotation = {0, -1, 0, 1, 0, 0, 0, 0, 1};  // (2,-2,0) (-2,0,0); normals (0,1,0)
  t.scale = {2, 1, 1};                        // (4,-2,0) (-4,0,0)
  t.rescale_normals = true;                   // normals scaled by (2,1,1): still (0,1,0)
  t.lower_bound_axes = {1, 0, 0};             // x - (-4): (8,-2,0) (0,0,0)
  t.upper_bound_axes = {0, 1, 0};             // y - 0
  t.center = {0, 0, 1};                       // (8,-2,1) (0,0,1)
  t.upper_threshold_axes = {true, false, false};
  t.upper_thresholds = {5, 0, 0};  // x clamped at 5: (5,-2,1)
  t.lower_threshold_axes = {false, true, false};
  t.lower_thresholds = {0, -1, 0};  // y raised to -1: (5,-1,1)
  t.lower_threshold_normals = {false, true, false};
  OutputCapture capture;
  VertexData& out = t(d);
  EXPECT_EQ(&out, &d);
  EXPECT_EQ(capture.out(), "Rotating vertices... Rotating normals... ");
  EXPECT_EQ(d.vertices(), (Floats{5, -1, 1, 0, 0, 1}));
  EXPECT_EQ(d.normals(), (Floats{0, 1, 0, 0, 1, 0}));
}

TEST(VertexTransform, RescaledNormalsAndSphericalTextureCoordinates) {
  VertexData d = with_vertices({0, 1, 0, -1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 3, 0, 0, 0, 0});
  VertexTransform t;
  t.scale = {1, 1, 2};
  t.rescale_normals = true;
  t.spherical_tex_coords = true;
  t(d);
  const float h = 1.0f / std::sqrt(2.0f);
  EXPECT_EQ(d.normals(), (Floats{h, h, 0, 0, 1, 0, 0, 0, 0}));  // a zero normal stays zero
  const float half_pi = std::acos(0.0f);
  ASSERT_EQ(d.tex_coords().size(), 6u);
  EXPECT_FLOAT_EQ(d.tex_coords()[0], half_pi);  // atan2(1, 0)
  EXPECT_FLOAT_EQ(d.tex_coords()[1], 1 - half_pi);
  EXPECT_FLOAT_EQ(d.tex_coords()[2], 2 * half_pi);  // atan2(0, -1)
  EXPECT_FLOAT_EQ(d.tex_coords()[3], 1 - 2 * half_pi);
  EXPECT_EQ(d.tex_coords()[4], 0.0f);  // the origin has no direction: a pole
  EXPECT_EQ(d.tex_coords()[5], 1.0f);

  // Three coordinates per vertex: the third stays 0.
  VertexData deep = with_vertices({1, 0, 0});
  deep.attrib_depths({3, 3, 3, 0});
  t(deep);
  EXPECT_EQ(deep.tex_coords(), (Floats{0, 1, 0}));
}
