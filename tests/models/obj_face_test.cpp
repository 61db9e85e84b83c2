// OBJFace: corner tokens, fan triangles, attribute arrays and face geometry,
// including indices that address nothing.
#include "models/obj_face.h"

#include <gtest/gtest.h>

#include <climits>

using Indices = std::vector<unsigned long long>;
using V3 = std::array<float, 3>;

namespace {

constexpr unsigned long long kNone = ULLONG_MAX;  // the index of "0" or "-0" in a file

OBJFace face_of(Indices v, Indices vt = {}, Indices vn = {}) {
  OBJFace f(0);
  f.v = std::move(v);
  f.vt = std::move(vt);
  f.vn = std::move(vn);
  return f;
}

// The unit square in the z = 0 plane, counter-clockwise seen from +z.
const std::vector<float> kSquare{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};

}  // namespace

TEST(OBJFaceTest, ConstructionGivesZeroIndicesAndDefaultNames) {
  const OBJFace none(0);
  EXPECT_EQ(none.size(), 0u);
  EXPECT_EQ(none.material_name, "None");
  const OBJFace tri;
  EXPECT_EQ(tri.v, (Indices{0, 0, 0}));
  EXPECT_EQ(tri.vt, (Indices{0, 0, 0}));
  EXPECT_EQ(tri.vn, (Indices{0, 0, 0}));
  EXPECT_TRUE(tri.object_name.empty() && tri.group_name.empty() && tri.smoothing_group.empty());
}

TEST(OBJFaceTest, ReadVerticesAcceptsEveryCornerForm) {
  const OBJFace::ListSizes none{};
  const OBJFace::ListSizes read{5, 4, 3};  // entries read before the face
  const struct {
    std::vector<std::string> tokens;
    OBJFace::ListSizes sizes;
    Indices v, vt, vn;
    bool ok;
  } cases[] = {
      {{"1/2/3", "4//6", "7/8/9"}, none, {0, 3, 6}, {1, 7}, {2, 5, 8}, true},
      // Two parts: what the system's own writer puts out for faces without normals.
      {{"1/2", "3/4/", "5//"}, none, {0, 2, 4}, {1, 3}, {}, true},
      {{"1/2/3", "4/5"}, none, {0, 3}, {1, 4}, {2}, true},
      // Bare vertex indices, alone, with a final "/" and among other forms.
      {{"1", "2", "3"}, none, {0, 1, 2}, {}, {}, true},
      {{"1/", "2/", "3"}, none, {0, 1, 2}, {}, {}, true},
      {{"1/1/1", "2", "3/3", "4//4"}, none, {0, 1, 2, 3}, {0, 2}, {0, 3}, true},
      // Four parts are no corner; the others still count.
      {{"1/1/1", "2", "3/3/3/3", "4//4"}, none, {0, 1, 3}, {0}, {0, 3}, false},
      // Relative indices count back from the entries read so far; 0 and a
      // reach before the first entry address nothing.
      {{"-1/-1/-1", "-5/-4/-3", "-6/-5/-4"},
       read,
       {4, 0, kNone},
       {3, 0, kNone},
       {2, 0, kNone},
       true},
      {{"-1", "-2", "2"}, read, {4, 3, 1}, {}, {}, true},
      {{"0/0/0", "-1//-2"}, none, {kNone, kNone}, {kNone}, {kNone, kNone}, true},
      {{"-9223372036854775808", "-99999999999999999999"}, read, {kNone, kNone}, {}, {}, true},
      {{"99999999999999999999999//1"}, none, {LLONG_MAX - 1ULL}, {}, {0}, true},
  };
  for (const auto& c : cases) {
    OBJFace f;
    f.material_name = "Wood";
    EXPECT_EQ(f.read_vertices(c.tokens, c.sizes) == 0, c.ok) << c.tokens[0];
    EXPECT_EQ(f.v, c.v) << c.tokens[0];
    EXPECT_EQ(f.vt, c.vt) << c.tokens[0];
    EXPECT_EQ(f.vn, c.vn) << c.tokens[0];
    EXPECT_EQ(f.material_name, "Wood");
  }
}

TEST(OBJFaceTest, FanTriangulationAndReversal) {
  EXPECT_EQ(face_of({0, 1, 2, 3, 4}).tri_indices(false), (Indices{0, 1, 2, 0, 2, 3, 0, 3, 4}));
  EXPECT_EQ(face_of({0, 1, 2}).tri_indices(false), (Indices{0, 1, 2}));
  EXPECT_EQ(face_of({0, 1, 2}).tri_indices(true), (Indices{2, 1, 0}));
  EXPECT_EQ(face_of({7, 8, 9, 5}).tri_indices(true), (Indices{3, 2, 0, 2, 1, 0}));
  EXPECT_EQ(face_of({0, 1, 2, 3, 4}).num_triangles(), 3u);
}

TEST(OBJFaceTest, FacesOfFewerThanThreeCornersHaveNoTriangles) {
  for (const Indices& v : {Indices{}, Indices{0}, Indices{0, 1}}) {
    const OBJFace f = face_of(v, v, v);
    EXPECT_EQ(f.num_triangles(), 0u);
    EXPECT_TRUE(f.tri_indices(false).empty());
    EXPECT_TRUE(f.triangles(true).empty());
    EXPECT_TRUE(f.triangle_attributes(3, kSquare, ATTRIB_VERTEX, false).empty());
    EXPECT_EQ(f.area(kSquare), 0.0f);
    EXPECT_EQ(f.normal(kSquare), (V3{0, 0, 1}));
  }
}

TEST(OBJFaceTest, TrianglesCopyNamesAndOnlyTheListsPresent) {
  OBJFace quad = face_of({10, 11, 12, 13}, {}, {20, 21, 22, 23});
  quad.material_name = "Felt";
  quad.object_name = "Table";
  quad.group_name = "top";
  quad.smoothing_group = "off";
  const std::vector<OBJFace> tris = quad.triangles(false);
  ASSERT_EQ(tris.size(), 2u);
  EXPECT_EQ(tris[0].v, (Indices{10, 11, 12}));
  EXPECT_EQ(tris[1].v, (Indices{10, 12, 13}));
  EXPECT_EQ(tris[1].vn, (Indices{20, 22, 23}));
  for (const OBJFace& t : tris) {
    EXPECT_TRUE(t.vt.empty());
    EXPECT_EQ(t.material_name, "Felt");
    EXPECT_EQ(t.object_name, "Table");
    EXPECT_EQ(t.group_name, "top");
    EXPECT_EQ(t.smoothing_group, "off");
  }
  // A short vt list gives its entries only to the corners it reaches.
  const std::vector<OBJFace> partial = face_of({0, 1, 2, 3}, {5, 6}).triangles(true);
  EXPECT_EQ(partial[0].v, (Indices{3, 2, 0}));
  EXPECT_EQ(partial[0].vt, (Indices{5}));
  EXPECT_EQ(partial[1].vt, (Indices{6, 5}));
}

TEST(OBJFaceTest, TriangleAttributesLayOutCornersAndZeroMissingIndices) {
  const std::vector<float> data{10, 11, 20, 21, 30, 31, 40, 41};  // four entries of two
  const OBJFace quad = face_of({0, 1, 2, 3}, {3, 2, 1, 0});
  EXPECT_EQ(quad.triangle_attributes(2, data, ATTRIB_TEXCOORD, false),
            (std::vector<float>{40, 41, 30, 31, 20, 21, 40, 41, 20, 21, 10, 11}));
  EXPECT_EQ(quad.triangle_attributes(2, data, ATTRIB_VERTEX, true),
            (std::vector<float>{40, 41, 30, 31, 10, 11, 30, 31, 20, 21, 10, 11}));
  EXPECT_TRUE(quad.triangle_attributes(2, {}, ATTRIB_VERTEX, false).empty());
  // No normal indices, or an index past the end (4) or from a 0 in the file:
  // zeros for that corner only.
  EXPECT_EQ(quad.triangle_attributes(2, data, ATTRIB_NORMAL, false), std::vector<float>(12, 0));
  const OBJFace bad = face_of({0, 1, 2}, {4, kNone, 1});
  EXPECT_EQ(bad.triangle_attributes(2, data, ATTRIB_TEXCOORD, false),
            (std::vector<float>{0, 0, 0, 0, 20, 21}));
  // An entry that would run past the end of the data is missing too.
  EXPECT_EQ(face_of({0, 1, 2}).triangle_attributes(3, {1, 2, 3, 4}, ATTRIB_VERTEX, false),
            (std::vector<float>{1, 2, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(quad.triangle_attributes(2, data, static_cast<AttributeType>(7), false),
            std::vector<float>(12, 0));
}

TEST(OBJFaceTest, NormalFollowsTheRightHandRuleAndSkipsDegeneratePairs) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  EXPECT_EQ(face_of({0, 1, 2}).normal(tri), (V3{0, 0, 1}));
  EXPECT_EQ(face_of({2, 1, 0}).normal(tri), (V3{0, 0, -1}));
  const std::vector<float> quad{0, 0, 0, 1, 0, 0, 2, 0, 0, 2, 1, 0};
  EXPECT_EQ(face_of({0, 1, 2, 3}).normal(quad), (V3{0, 0, 1}));
  const std::vector<float> big{0, 0, 0, 0, 0, 2, 0, 1, 0};
  EXPECT_EQ(face_of({0, 1, 2}).normal(big), (V3{-1, 0, 0}));
  // All corners on one line, or a corner that addresses no vertex: (0, 0, 1).
  EXPECT_EQ(face_of({0, 1, 2}).normal({0, 0, 0, 1, 1, 1, 2, 2, 2}), (V3{0, 0, 1}));
  EXPECT_EQ(face_of({2, 1, 3}).normal(tri), (V3{0, 0, 1}));
}

TEST(OBJFaceTest, AreaAndAverageVertex) {
  EXPECT_EQ(face_of({0, 1, 2, 3}).area(kSquare), 1.0f);
  EXPECT_EQ(face_of({0, 1, 2}).area({0, 0, 0, 2, 0, 0, 0, 2, 0}), 2.0f);
  EXPECT_EQ(face_of({0, 1, 2, 3}).average_vertex(kSquare), (V3{0.5f, 0.5f, 0}));
  EXPECT_EQ(face_of({1, 1}).average_vertex(kSquare), (V3{1, 0, 0}));
  EXPECT_EQ(face_of({0, 1, 2}).average_vertex({}), (V3{0, 0, 0}));
  EXPECT_EQ(face_of({}).average_vertex(kSquare), (V3{0, 0, 0}));
  // Out-of-range corners make a face without geometry.
  EXPECT_EQ(face_of({0, 1, 4}).area(kSquare), 0.0f);
  EXPECT_EQ(face_of({0, 1, kNone}).average_vertex(kSquare), (V3{0, 0, 0}));
}

TEST(OBJFaceTest, VertexLookupSkipMarksAndRangeCheck) {
  const OBJFace f = face_of({4, 2, 7, 2});
  EXPECT_EQ(f.find_vertex(2), 1);
  EXPECT_EQ(f.find_vertex(3), -1);
  const char none[8] = {};
  EXPECT_EQ(f.vertices(none), f.v);
  EXPECT_EQ(f.vertices(nullptr), f.v);
  const char marks[8] = {0, 0, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(f.vertices(marks), (Indices{4, 7}));
  EXPECT_TRUE(f.vertices_in_range(8));
  EXPECT_FALSE(f.vertices_in_range(7));
  EXPECT_TRUE(face_of({}).vertices_in_range(0));
  OBJFace g = f;
  g.clear();
  EXPECT_EQ(g.size(), 0u);
  EXPECT_EQ(g.material_name, "None");
}

TEST(OBJFaceTest, AppendedAttributesEqualThoseOfTheTriangles) {
  const std::vector<float> data{10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
  // Short and out-of-range lists shift entries within a triangle the way
  // triangles() builds its lists.
  const OBJFace faces[] = {face_of({0, 1, 2, 3, 0}, {1, 2}, {3, 9, 0, 1, 2}),
                           face_of({3, 2, 1}, {}, {kNone, 1, 2}), face_of({0, 1})};
  for (const OBJFace& f : faces) {
    for (bool reverse : {false, true}) {
      for (AttributeType type : {ATTRIB_VERTEX, ATTRIB_NORMAL, ATTRIB_TEXCOORD}) {
        std::vector<float> expected{-1};
        for (const OBJFace& tri : f.triangles(reverse)) {
          const Indices& list = *tri.indices(type);
          for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t d = 0; d < 3; ++d)
              expected.push_back(c < list.size() && list[c] < 4 ? data[3 * list[c] + d] : 0);
        }
        std::vector<float> out{-1};
        f.append_triangle_attributes(3, data, type, reverse, out);
        EXPECT_EQ(out, expected) << reverse << " " << type;
        expected.erase(expected.begin());
        EXPECT_EQ(f.triangle_attributes(3, data, type, reverse), expected);
      }
    }
  }
}
