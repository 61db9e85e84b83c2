// Face collision records: prism and segment tests, degenerate faces, and the
// binary record and cache files, corrupt ones included.
#include "models/face_collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "support/binary_bytes.h"
#include "support/capture.h"

using testing_support::ByteWriter;
using testing_support::OutputCapture;
using V3 = std::array<float, 3>;

namespace {

FaceCollisionData record_of(std::vector<unsigned long long> v, const std::vector<float>& vertices) {
  OBJFace face(0);
  face.v = std::move(v);
  FaceCollisionData d;
  EXPECT_EQ(d.init(face, vertices), 0);
  return d;
}

// A right triangle in z = 0 with its corners at (0,0), (3,0), (0,3).
const std::vector<float> kTriangle{0, 0, 0, 3, 0, 0, 0, 3, 0};

std::string bytes_of(const StreamLoader<1>& loader) {
  std::ostringstream out;
  OutputCapture quiet;
  EXPECT_EQ(loader.save(out), 0);
  return out.str();
}

}  // namespace

TEST(FaceCollisionDataTest, TriangleEdgeNormalsReachTheEdgeLines) {
  const FaceCollisionData d = record_of({0, 1, 2}, kTriangle);
  EXPECT_TRUE(d.initialized());
  EXPECT_EQ(d.centroid(), (V3{1, 1, 0}));
  EXPECT_EQ(d.normal(), (V3{0, 0, 1}));
  ASSERT_EQ(d.edge_normals().size(), 3u);
  EXPECT_EQ(d.edge_normals()[0], (V3{0, -1, 0}));
  EXPECT_EQ(d.edge_normals()[2], (V3{-1, 0, 0}));
  EXPECT_NEAR(d.edge_normals()[1][0], 0.5f, 1e-6f);
  EXPECT_NEAR(d.edge_normals()[1][1], 0.5f, 1e-6f);
  EXPECT_EQ(d.edge_points()[0], (V3{1, 0, 0}));
  EXPECT_EQ(d.edge_points()[2], (V3{0, 1, 0}));

  EXPECT_TRUE(d.inside({1, 1, 0}));
  EXPECT_TRUE(d.inside({1, 1, 100}));  // the prism: the plane distance is not tested
  EXPECT_TRUE(d.inside({2, 0, 0}));    // on an edge line
  EXPECT_FALSE(d.inside({-0.1f, 1, 0}));
  EXPECT_FALSE(d.inside({2, 2, 0}));
  EXPECT_TRUE(FaceCollisionData().inside({5, 5, 5}));  // no edges: no bounds
}

TEST(FaceCollisionDataTest, SegmentsMeetTheFaceOnlyInsideAndWithinTheirLength) {
  const FaceCollisionData d = record_of({0, 1, 2}, kTriangle);
  const struct {
    V3 a, b;
    bool meets;
    const char* what;
  } cases[] = {
      {{1, 1, 1}, {1, 1, -1}, true, "crossing"},
      {{1, 1, -1}, {1, 1, 1}, true, "crossing from behind"},
      {{1, 1, 1}, {1, 1, 0}, true, "ending on the plane"},
      {{1, 1, 0}, {1, 1, 1}, true, "starting on the plane"},
      {{1, 1, 2}, {1, 1, 1}, false, "stopping short"},
      {{1, 1, -1}, {1, 1, -2}, false, "behind and going away"},
      {{2, 2, 1}, {2, 2, -1}, false, "crossing beside the face"},
      {{1, 1, 1}, {2, 1, 1}, false, "parallel above"},
      {{-1, 1, 0}, {4, 1, 0}, false, "parallel in the plane, through the face"},
      {{1, 1, 0}, {1, 1, 0}, false, "a point on the face"},
  };
  for (const auto& c : cases) EXPECT_EQ(d.intersects(c.a, c.b), c.meets) << c.what;
}

TEST(FaceCollisionDataTest, InitOnceAndDegenerateFacesHaveNoSurface) {
  FaceCollisionData d = record_of({0, 1, 2}, kTriangle);
  OBJFace other(0);
  other.v = {2, 1, 0};
  EXPECT_EQ(d.init(other, {0, 0, 5, 1, 0, 5, 0, 1, 5}), 0);
  EXPECT_EQ(d.centroid(), (V3{1, 1, 0}));  // the first result stays

  // A vertex index past the vertex list: nothing is built.
  FaceCollisionData bad;
  OBJFace out_of_range(0);
  out_of_range.v = {0, 1, 3};
  EXPECT_EQ(bad.init(out_of_range, kTriangle), -1);
  EXPECT_FALSE(bad.initialized());
  EXPECT_FALSE(bad.intersects({1, 1, 1}, {1, 1, -1}));

  // Collinear corners and faces of fewer than three corners span no plane:
  // they would otherwise catch every segment through their line's plane.
  const std::vector<float> line{0, 0, 0, 1, 0, 0, 2, 0, 0};
  for (const auto& v :
       {std::vector<unsigned long long>{0, 1, 2}, std::vector<unsigned long long>{0, 1},
        std::vector<unsigned long long>{}, std::vector<unsigned long long>{1, 1, 1}}) {
    const FaceCollisionData flat = record_of(v, line);
    EXPECT_FALSE(flat.has_surface());
    EXPECT_EQ(flat.normal(), (V3{0, 0, 1}));
    EXPECT_FALSE(flat.intersects({1, 0, 1}, {1, 0, -1})) << v.size();
    EXPECT_FALSE(flat.intersects({1, 5, 1}, {1, 5, -1})) << v.size();
  }

  // A repeated corner adds a zero-length edge that bounds nothing: the quad
  // is the triangle.
  const FaceCollisionData repeated = record_of({0, 1, 1, 2}, kTriangle);
  EXPECT_TRUE(repeated.has_surface());
  EXPECT_EQ(repeated.edge_normals()[1], (V3{0, 0, 0}));
  EXPECT_EQ(repeated.normal(), (V3{0, 0, 1}));
  EXPECT_TRUE(repeated.intersects({0.5f, 0.5f, 1}, {0.5f, 0.5f, -1}));
  EXPECT_FALSE(repeated.intersects({2.5f, 2.5f, 1}, {2.5f, 2.5f, -1}));
}

TEST(FaceCollisionDataTest, RecordBytesAndRoundTrip) {
  const FaceCollisionData d = record_of({0, 1, 2}, kTriangle);
  const std::string bytes = bytes_of(d);
  ByteWriter head;
  const V3& n = d.normal();  // its x is -0: the bytes tell
  head.u64(3).vec3(1, 1, 0).vec3(n[0], n[1], n[2]).vec3(0, -1, 0);
  ASSERT_EQ(bytes.size(), 8u + 12 + 12 + 3 * 12 + 3 * 12);
  EXPECT_EQ(bytes.substr(0, head.str().size()), head.str());

  FaceCollisionData back;
  std::istringstream in(bytes);
  EXPECT_EQ(back.load(in), 0);
  EXPECT_FALSE(back.initialized());
  EXPECT_EQ(back.centroid(), d.centroid());
  EXPECT_EQ(back.normal(), d.normal());
  EXPECT_EQ(back.edge_normals(), d.edge_normals());
  EXPECT_EQ(back.edge_points(), d.edge_points());
  EXPECT_TRUE(back.intersects({1, 1, 1}, {1, 1, -1}));
  EXPECT_EQ(bytes_of(back), bytes);

  // A record without edges is written but does not load.
  FaceCollisionData empty;
  const std::string short_record = bytes_of(empty);
  EXPECT_EQ(short_record.size(), 32u);
  std::istringstream empty_in(short_record);
  EXPECT_EQ(back.load(empty_in), -2);

  std::ostringstream full;
  full.setstate(std::ios::badbit);
  EXPECT_EQ(d.save(full), -1);
}

TEST(FaceCollisionDataTest, CorruptRecordsGiveTheCodeOfTheFailingPart) {
  const std::string good = bytes_of(record_of({0, 1, 2}, kTriangle));
  testing_support::expect_load_codes(
      {
          {"", -1, "no count"},
          {good.substr(0, 5), -1, "a cut count"},
          {ByteWriter().u64(0).vec3(0, 0, 0).vec3(0, 0, 1), -2, "no edges"},
          {good.substr(0, 8 + 7), -3, "a cut centroid"},
          {good.substr(0, 8 + 12 + 11), -4, "a cut normal"},
          {good.substr(0, 8 + 24 + 35), -5, "cut edge normals"},
          {good.substr(0, good.size() - 1), -6, "cut edge points"},
          {ByteWriter().u64(1ULL << 62).vec3(0, 0, 0).vec3(0, 0, 1), -5, "a huge count"},
          {ByteWriter().u64(~0ULL).vec3(0, 0, 0).vec3(0, 0, 1), -5, "a count that overflows"},
      },
      [&good](std::istream& in) {
        FaceCollisionData d;
        std::istringstream good_in(good);
        d.load(good_in);
        const std::string before = bytes_of(d);
        const int code = d.load(in);
        EXPECT_EQ(bytes_of(d), before);  // unchanged on failure
        return code;
      });
}

TEST(CollisionDataLoaderTest, FileRoundTripAndCorruptFiles) {
  CollisionDataLoader loader;
  loader.face_collision_data().push_back(record_of({0, 1, 2}, kTriangle));
  loader.face_collision_data().push_back(record_of({0, 2, 1}, kTriangle));
  OutputCapture capture;
  std::ostringstream out;
  EXPECT_EQ(loader.save(out), 0);
  EXPECT_EQ(capture.out(), "CollisionDataLoader::save() ");
  const std::string file = out.str();
  EXPECT_EQ(file.substr(0, 8), ByteWriter().u64(2).str());

  CollisionDataLoader back;
  std::istringstream in(file);
  EXPECT_EQ(back.load(in), 0);
  ASSERT_EQ(back.face_collision_data().size(), 2u);
  EXPECT_EQ(back.face_collision_data()[1].normal(), (V3{0, 0, -1}));
  EXPECT_EQ(bytes_of(back), file);

  testing_support::expect_load_codes(
      {
          {"abc", -1, "a cut count"},
          {ByteWriter().u64(0), -2, "no records"},
          {ByteWriter().u64(1ULL << 60).raw(file.substr(8)), -1, "more records than bytes"},
          {ByteWriter().u64(~0ULL), -1, "a count that overflows"},
          {file.substr(0, file.size() - 3), -6, "a cut second record"},
          {ByteWriter().u64(2).raw(file.substr(8, 8 + 24 + 72)).u64(0), -2, "an empty record"},
      },
      [](std::istream& in) {
        OutputCapture quiet;
        return CollisionDataLoader().load(in);
      });
}
