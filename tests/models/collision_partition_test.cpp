// The voxel collision partition: grid sizes, voxel lists against the literal
// every-face-every-voxel algorithm, point and path queries, planar models, and
// the cache file, corrupt ones included.
#include "models/collision_partition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "support/binary_bytes.h"
#include "support/capture.h"

using testing_support::ByteWriter;
using testing_support::OutputCapture;
using Lists = std::vector<std::vector<unsigned long long>>;
using Indices = std::vector<unsigned long long>;
using V3 = std::array<float, 3>;

namespace {

struct Mesh {
  std::vector<float> vertices;
  std::deque<OBJFace> faces;
  std::vector<FaceCollisionData> data;

  unsigned long long add(float x, float y, float z) {
    vertices.insert(vertices.end(), {x, y, z});
    return vertices.size() / 3 - 1;
  }
  void face(Indices v) {
    OBJFace f(0);
    f.v = std::move(v);
    faces.push_back(f);
  }
  Mesh& finish() {
    data.assign(faces.size(), FaceCollisionData());
    for (size_t i = 0; i < faces.size(); ++i) data[i].init(faces[i], vertices);
    return *this;
  }
  int partition(CollisionPartition& p, float pitch, Indices selection = {}) const {
    OutputCapture quiet;
    return p.init(faces, data, vertices, std::move(selection), pitch);
  }
};

// An axis-aligned box of six quads.
Mesh box(V3 lo, V3 hi) {
  Mesh m;
  for (int c = 0; c < 8; ++c)
    m.add(c & 1 ? hi[0] : lo[0], c & 2 ? hi[1] : lo[1], c & 4 ? hi[2] : lo[2]);
  for (const Indices& q : {Indices{0, 2, 3, 1}, Indices{4, 5, 7, 6}, Indices{0, 1, 5, 4},
                           Indices{2, 6, 7, 3}, Indices{0, 4, 6, 2}, Indices{1, 3, 7, 5}})
    m.face(q);
  return m.finish();
}

// A latitude-longitude sphere of triangles.
Mesh sphere(V3 centre, float radius, int rings, int segments) {
  Mesh m;
  for (int r = 0; r <= rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const float theta = 3.14159265f * r / rings, phi = 6.2831853f * s / segments;
      m.add(centre[0] + radius * std::sin(theta) * std::cos(phi),
            centre[1] + radius * std::sin(theta) * std::sin(phi),
            centre[2] + radius * std::cos(theta));
    }
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const unsigned long long a = r * segments + s, b = r * segments + (s + 1) % segments;
      const unsigned long long c = a + segments, d = b + segments;
      if (r != 0) m.face({a, c, b});
      if (r != rings - 1) m.face({b, c, d});
    }
  return m.finish();
}

// Triangles with corners from a fixed linear congruential sequence in [-1, 2)^3.
Mesh scattered(int count) {
  Mesh m;
  std::uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return -1.0f + 3.0f * static_cast<float>(state >> 8) / 16777216.0f;
  };
  for (int t = 0; t < count; ++t) {
    Indices v;
    for (int c = 0; c < 3; ++c) v.push_back(m.add(next(), next(), next()));
    m.face(v);
  }
  return m.finish();
}

// A floor of n x n unit quads at height y.
Mesh floor_grid(int n, float y) {
  Mesh m;
  for (int i = 0; i <= n; ++i)
    for (int k = 0; k <= n; ++k) m.add(static_cast<float>(i), y, static_cast<float>(k));
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k) {
      const unsigned long long a = i * (n + 1) + k;
      m.face({a, a + 1, a + n + 2, a + n + 1});
    }
  return m.finish();
}

// Every selected face tested against every voxel, voxel by voxel.
Lists literal_lists(const CollisionPartition& p, const Mesh& m, Indices selection) {
  if (selection.empty())
    for (unsigned long long f = 0; f < m.faces.size(); ++f) selection.push_back(f);
  Lists lists(p.voxels().size());
  V3 box_min, box_size;
  for (unsigned long long k = 0; k < p.res()[2]; ++k)
    for (unsigned long long j = 0; j < p.res()[1]; ++j)
      for (unsigned long long i = 0; i < p.res()[0]; ++i) {
        p.voxel_box(i, j, k, box_min, box_size);
        for (unsigned long long f : selection)
          if (CollisionPartition::touches(m.faces[f], m.data[f], m.vertices, box_min, box_size))
            lists[(k * p.res()[1] + j) * p.res()[0] + i].push_back(f);
      }
  return lists;
}

std::string saved(const CollisionPartition& p) {
  std::ostringstream out;
  OutputCapture quiet;
  EXPECT_EQ(p.save(out), 0);
  return out.str();
}

int load_quietly(CollisionPartition& p, std::istream& in) {
  OutputCapture quiet;
  return p.load(in);
}

std::string header_file(const std::string& header) {
  return ByteWriter().u64(header.size()).raw(header);
}

const std::string kHeader =
    "lower_bounds = 0 0 0 \npitch = 1 1 1 \nres = 2 1 1 \nvolume = 2 1 1 \n";

}  // namespace

TEST(CollisionPartitionTest, ResolutionRoundsToTheNearestWholeNumberOfPitches) {
  Mesh m;
  m.add(0, 0, 0);
  m.add(2.4f, 0, 0);
  m.add(0, 2.6f, 0);
  m.add(0, 0, 0.4f);
  m.face({0, 1, 2});
  m.face({0, 1, 3});
  m.face({0, 2, 3});
  m.face({1, 2, 3});
  m.finish();
  CollisionPartition p;
  OutputCapture capture;
  EXPECT_EQ(p.init(m.faces, m.data, m.vertices, {}, 1.0f), 0);
  EXPECT_EQ(capture.out(),
            "CollisionPartition::init() CollisionPartition::init() calculating collision data");
  EXPECT_EQ(p.res(), (CollisionPartition::Res{2, 3, 1}));
  EXPECT_EQ(p.volume(), (V3{2.4f, 2.6f, 0.4f}));
  EXPECT_EQ(p.pitch(), (V3{2.4f / 2, 2.6f / 3, 0.4f}));
  EXPECT_EQ(p.lower_bounds(), (V3{0, 0, 0}));
  EXPECT_EQ(p.voxels().size(), 6u);
  EXPECT_EQ(p.faces(), &m.faces);
  EXPECT_EQ(p.face_data(), &m.data);

  const struct {
    V3 point;
    int voxel;
  } points[] = {
      {{0, 0, 0}, 0},      {{2.4f, 0, 0}, -1},   {{0, 0, 0.4f}, -1},      {{-0.5f, 0, 0}, 0},
      {{-1.3f, 0, 0}, -1}, {{1.3f, 0.1f, 0}, 1}, {{0.1f, 2.0f, 0.1f}, 4}, {{NAN, 0, 0}, -1},
  };
  for (const auto& c : points)
    EXPECT_EQ(p.voxel_index(c.point), c.voxel) << c.point[0] << " " << c.point[1];
}

TEST(CollisionPartitionTest, VoxelListsEqualTheLiteralAlgorithmInFaceOrder) {
  const struct {
    Mesh mesh;
    float pitch;
    Indices selection;
    const char* what;
  } cases[] = {
      {box({0, 0, 0}, {2, 2, 2}), 0.5f, {}, "a box on voxel boundaries"},
      {box({0.1f, -0.3f, 0.2f}, {1.7f, 1.1f, 0.9f}), 0.3f, {}, "a box off the grid"},
      {sphere({0.3f, -0.2f, 1.1f}, 1.3f, 9, 14), 0.37f, {}, "a sphere"},
      {scattered(60), 0.45f, {}, "scattered triangles"},
      {scattered(40), 0.8f, {5, 2, 9, 2, 30}, "a selection out of order with a repeat"},
      {floor_grid(4, 0.25f), 0.3f, {}, "a floor"},
  };
  for (const auto& c : cases) {
    CollisionPartition p;
    ASSERT_EQ(c.mesh.partition(p, c.pitch, c.selection), 0) << c.what;
    const Lists expected = literal_lists(p, c.mesh, c.selection);
    EXPECT_EQ(p.voxels(), expected) << c.what;
    unsigned long long listed = 0;
    for (const auto& list : p.voxels()) listed += list.size();
    EXPECT_GT(listed, c.selection.empty() ? c.mesh.faces.size() - 1 : 4) << c.what;
  }
}

TEST(CollisionPartitionTest, PathsCrossingFacesReflectTheVelocity) {
  // Two parallel quads at z = 0 and z = 0.5 over [0, 2]^2.
  Mesh m;
  for (float z : {0.0f, 0.5f}) {
    const unsigned long long a = m.add(0, 0, z), b = m.add(2, 0, z), c = m.add(2, 2, z),
                             d = m.add(0, 2, z);
    m.face({a, b, c, d});
  }
  m.finish();
  CollisionPartition p;
  ASSERT_EQ(m.partition(p, 1.0f), 0);

  V3 position{1, 1, -0.5f}, velocity{1, 2, -3};
  EXPECT_EQ(p.collision_faces(position, velocity, {1, 1, 0.25f}, 1.0f), (Indices{0}));
  EXPECT_EQ(velocity, (V3{1, 2, 3}));  // the normal component reversed
  EXPECT_EQ(position, (V3{1, 1, 0.25f}));

  position = {1, 1, -0.5f};
  velocity = {1, 2, -3};
  EXPECT_EQ(p.collision_faces(position, velocity, {1, 1, 0.25f}, 0.0f), (Indices{0}));
  EXPECT_EQ(velocity, (V3{1, 2, 0}));

  // Both faces crossed: one reflection after the other.
  position = {1, 1, 1};
  velocity = {0, 0, 3};
  EXPECT_EQ(p.collision_faces(position, velocity, {1, 1, -0.25f}, 1.0f), (Indices{0, 1}));
  EXPECT_EQ(velocity, (V3{0, 0, 3}));

  const struct {
    V3 start, end;
    const char* what;
  } misses[] = {
      {{1, 1, 0.4f}, {1, 1, 0.1f}, "ending short of the face"},
      {{1, 1, -0.1f}, {1, 1, -0.6f}, "starting behind it"},
      {{1, 1, 0.25f}, {5, 5, -0.5f}, "crossing its plane beside it"},
      {{5, 5, 0.25f}, {1, 1, -0.5f}, "starting outside the grid"},
  };
  for (const auto& c : misses) {
    V3 pos = c.end, vel{1, 2, -3};
    EXPECT_TRUE(p.collision_faces(pos, vel, c.start, 1.0f).empty()) << c.what;
    EXPECT_EQ(pos, c.end) << c.what;
    EXPECT_EQ(vel, (V3{1, 2, -3})) << c.what;
  }

  // A record list shorter than the faces: the indices without one are skipped.
  CollisionPartition copy = p;
  EXPECT_EQ(copy.face_data(), &m.data);
  m.data.resize(1);
  position = {1, 1, 1};
  velocity = {0, 0, 3};
  EXPECT_EQ(copy.collision_faces(position, velocity, {1, 1, -0.25f}, 1.0f), (Indices{0}));
}

TEST(CollisionPartitionTest, PlanarModelsHaveOneLayerThatHoldsEveryCoordinate) {
  const Mesh floor = floor_grid(4, 0.25f);
  CollisionPartition p;
  ASSERT_EQ(floor.partition(p, 1.0f), 0);
  EXPECT_EQ(p.res(), (CollisionPartition::Res{4, 1, 4}));
  EXPECT_EQ(p.pitch()[1], 0.0f);
  EXPECT_EQ(p.voxel_index({0.5f, 0.25f, 0.5f}), 0);
  EXPECT_EQ(p.voxel_index({1.5f, 30.0f, 2.5f}), 9);
  EXPECT_EQ(p.voxel_index({1.5f, -30.0f, 2.5f}), 9);
  EXPECT_EQ(p.voxel_index({1.5f, NAN, 2.5f}), -1);
  EXPECT_NE(std::find(p.voxels()[9].begin(), p.voxels()[9].end(), 6u), p.voxels()[9].end());

  V3 position{1.5f, -0.5f, 2.5f}, velocity{0, -2, 0};
  EXPECT_EQ(p.collision_faces(position, velocity, {1.5f, 1.0f, 2.5f}, 0.5f), (Indices{6}));
  EXPECT_EQ(velocity, (V3{0, 1, 0}));
  EXPECT_EQ(position, (V3{1.5f, 1.0f, 2.5f}));

  // A single point: every axis flat.
  Mesh dot;
  dot.add(1, 2, 3);
  dot.face({0, 0, 0});
  dot.finish();
  ASSERT_EQ(dot.partition(p, 0.5f), 0);
  EXPECT_EQ(p.res(), (CollisionPartition::Res{1, 1, 1}));
  EXPECT_EQ(p.voxels(), (Lists{{0}}));
  EXPECT_EQ(p.voxel_index({-7, 8, 9}), 0);
}

TEST(CollisionPartitionTest, UnusablePitchesAndFacesLeaveTheGridEmpty) {
  const Mesh cube = box({0, 0, 0}, {2, 2, 2});
  for (float pitch : {0.0f, -1.0f, NAN, 1e-7f}) {
    CollisionPartition p;
    ASSERT_EQ(cube.partition(p, 0.5f), 0);
    EXPECT_EQ(cube.partition(p, pitch), pitch == 1e-7f ? -4 : -1) << pitch;
    EXPECT_TRUE(p.voxels().empty()) << pitch;
    EXPECT_EQ(p.res(), (CollisionPartition::Res{0, 0, 0}));
    EXPECT_EQ(p.faces(), nullptr);
    V3 position{1, 1, 3}, velocity{0, 0, 1};
    EXPECT_TRUE(p.collision_faces(position, velocity, {1, 1, 1.9f}, 1.0f).empty());
  }

  // No faces: nothing happens, not even the progress text.
  CollisionPartition p;
  ASSERT_EQ(cube.partition(p, 0.5f), 0);
  OutputCapture capture;
  EXPECT_EQ(p.init({}, {}, {}, {}, 0.5f), 0);
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(p.voxels().size(), 64u);

  // Faces that address no vertex, or have no record, are skipped.
  Mesh broken = cube;
  broken.face({0, 1, 99});
  broken.data.resize(6);
  broken.face({0, 1, 2});
  capture.reset();
  EXPECT_EQ(broken.partition(p, 0.5f, {}), 0);
  EXPECT_EQ(p.voxels(), literal_lists(p, cube, {}));
  EXPECT_EQ(p.init(broken.faces, broken.data, broken.vertices, {6, 7, 42}, 0.5f), -2);
  EXPECT_NE(capture.err().find("CollisionPartition::init() skipped 3 faces"), std::string::npos);
  for (float bad : {INFINITY, NAN}) {
    Mesh far = cube;
    far.vertices[0] = bad;
    EXPECT_EQ(far.partition(p, 0.5f), -3) << bad;
  }
}

TEST(CollisionPartitionTest, SaveThenLoadKeepsEveryListAndTheGrid) {
  const Mesh m = sphere({0.3f, -0.2f, 1.1f}, 1.3f, 7, 10);
  CollisionPartition p;
  ASSERT_EQ(m.partition(p, 0.41f), 0);
  OutputCapture capture;
  std::ostringstream out;
  ASSERT_EQ(p.save(out), 0);
  const std::string file = out.str();
  const std::uint64_t header_size =
      static_cast<unsigned char>(file[0]) | static_cast<unsigned char>(file[1]) << 8;
  EXPECT_EQ(capture.out(), "Header size " + std::to_string(header_size) + " bytes\nSaving " +
                               std::to_string(p.voxels().size()) +
                               " voxel faces, sizeof(unsigned) = 8, sizeof(unsigned long long) "
                               "= 8\n");
  const std::string header = file.substr(8, header_size);
  for (const char* key : {"lower_bounds", "pitch", "res", "volume"})
    EXPECT_NE(header.find(key), std::string::npos) << key;

  CollisionPartition back;
  std::istringstream in(file);
  capture.reset();
  EXPECT_EQ(back.load(in), 0);
  EXPECT_EQ(capture.out(), "CollisionPartition::load() Loading " +
                               std::to_string(p.voxels().size()) + " voxels \n");
  EXPECT_EQ(back.voxels(), p.voxels());
  EXPECT_EQ(back.lower_bounds(), p.lower_bounds());
  EXPECT_EQ(back.pitch(), p.pitch());
  EXPECT_EQ(back.res(), p.res());
  EXPECT_EQ(back.volume(), p.volume());
  EXPECT_EQ(saved(back), file);

  // Loaded, it finds nothing until it has the faces.
  V3 position{0.3f, -0.2f, 3}, velocity{0, 0, 1};
  const V3 start{0.3f, -0.2f, 2.3f};
  EXPECT_TRUE(back.collision_faces(position, velocity, start, 1.0f).empty());
  EXPECT_EQ(back.set_faces(m.faces, m.data), 0u);
  const Indices crossed = back.collision_faces(position, velocity, start, 1.0f);
  EXPECT_FALSE(crossed.empty());
  V3 position2{0.3f, -0.2f, 3}, velocity2{0, 0, 1};
  EXPECT_EQ(crossed, p.collision_faces(position2, velocity2, start, 1.0f));
  EXPECT_EQ(velocity, velocity2);

  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(p.save(broken), -1);
}

TEST(CollisionPartitionTest, SetFacesDropsIndicesOfOtherModels) {
  const std::string file =
      ByteWriter().raw(header_file(kHeader)).u64(3).u64(0).u64(5).u64(99).u64(1).u64(1ULL << 63);
  CollisionPartition p;
  std::istringstream in(file);
  ASSERT_EQ(load_quietly(p, in), 0);
  const Mesh cube = box({0, 0, 0}, {1, 1, 1});
  OutputCapture capture;
  EXPECT_EQ(p.set_faces(cube.faces, cube.data), 2u);
  EXPECT_EQ(p.voxels(), (Lists{{0, 5}, {}}));
  EXPECT_EQ(capture.err(),
            "CollisionPartition::set_faces() dropped 2 face indices without a face or collision "
            "data\n");
}

TEST(CollisionPartitionTest, CorruptCacheFilesGiveTheFailingStepsCode) {
  const std::string voxels = ByteWriter().u64(1).u64(0).u64(0);
  const std::string huge_header(CollisionPartition::kMaxHeader + 1, '\n');
  testing_support::expect_load_codes(
      {
          {"", -1, "nothing"},
          {"\x05\x00", -1, "a cut header length"},
          {ByteWriter().u64(100).raw("lower_bounds = 0 0 0"), -2, "a cut header"},
          {ByteWriter().u64(1ULL << 62).raw(kHeader), -2, "a huge header length"},
          {header_file(huge_header), -2, "a header longer than any grid needs"},
          {header_file("pitch = 1 1 1\nres = 2 1 1\nvolume = 2 1 1\n") + voxels, -3, "no bounds"},
          {header_file("\x01\xff\x80 binary"), -3, "no text"},
          {header_file("lower_bounds = 0 0 0\nres = 2 1 1\nvolume = 2 1 1\n") + voxels, -4,
           "no pitch"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nvolume = 2 1 1\n") + voxels, -5,
           "no resolution"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nres = 4294967296 4294967296 1\n"
                       "volume = 2 1 1\n"),
           -5, "a resolution whose product overflows to 0"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nres = 16777217 1 1\nvolume = 2 1 1\n"),
           -5, "a resolution over the cap"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nres = 4096 4096 2\nvolume = 2 1 1\n"),
           -5, "a product over the cap"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nres = -1 1 1\nvolume = 2 1 1\n"), -5,
           "a negative resolution"},
          {header_file("lower_bounds = 0 0 0\npitch = 1 1 1\nres = 2 1 1\n") + voxels, -6,
           "no volume"},
          {header_file(kHeader) + ByteWriter().u64(1).u64(0).raw("\x01").str(), -7,
           "a cut voxel count"},
          {header_file(kHeader), -7, "no voxels"},
          {header_file(
               "lower_bounds = 0 0 0\npitch = 1 1 1\nres = 1000 1000 10\nvolume = 2 1 1\n") +
               voxels,
           -7, "more voxels than bytes"},
          {header_file(kHeader) + ByteWriter().u64(1).u64(0).u64(2).u64(7).raw("\x01\x02").str(),
           -8, "cut indices"},
          {header_file(kHeader) + ByteWriter().u64(1ULL << 61).u64(0).u64(0).str(), -8,
           "a huge list"},
          {header_file(kHeader) + ByteWriter().u64(~0ULL).u64(0).str(), -8,
           "a list that overflows"},
      },
      [](std::istream& in) {
        CollisionPartition p;
        return load_quietly(p, in);
      });
  // A missing volume ends the load with the other three set.
  CollisionPartition p;
  std::istringstream in(header_file("lower_bounds = 1 2 3\npitch = 4 5 6\nres = 2 1 1\n"));
  EXPECT_EQ(load_quietly(p, in), -6);
  EXPECT_EQ(p.lower_bounds(), (V3{1, 2, 3}));
  EXPECT_EQ(p.pitch(), (V3{4, 5, 6}));
  EXPECT_EQ(p.res(), (CollisionPartition::Res{2, 1, 1}));
}
