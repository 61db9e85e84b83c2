// Voxel collision on a 50,000-face model: building the partition and the
// per-frame path queries.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <iostream>
#include <vector>

#include "models/collision_partition.h"

namespace {

// A unit sphere of 126 rings and 200 segments: 50,000 triangles.
struct SphereModel {
  std::vector<float> vertices;
  std::deque<OBJFace> faces;
  std::vector<FaceCollisionData> data;

  SphereModel() {
    const int rings = 126, segments = 200;
    for (int r = 0; r <= rings; ++r)
      for (int s = 0; s < segments; ++s) {
        const float theta = 3.14159265f * r / rings, phi = 6.2831853f * s / segments;
        vertices.insert(vertices.end(), {std::sin(theta) * std::cos(phi),
                                         std::sin(theta) * std::sin(phi), std::cos(theta)});
      }
    const auto add = [this](unsigned long long a, unsigned long long b, unsigned long long c) {
      OBJFace f(0);
      f.v = {a, b, c};
      faces.push_back(f);
    };
    for (int r = 0; r < rings; ++r)
      for (int s = 0; s < segments; ++s) {
        const unsigned long long a = r * segments + s, b = r * segments + (s + 1) % segments;
        if (r != 0) add(a, a + segments, b);
        if (r != rings - 1) add(b, a + segments, b + segments);
      }
    data.resize(faces.size());
    for (size_t i = 0; i < faces.size(); ++i) data[i].init(faces[i], vertices);
  }
};

const SphereModel& model() {
  static const SphereModel m;
  return m;
}

// The partition's progress texts would swamp the report.
struct QuietOutput {
  QuietOutput() : saved(std::cout.rdbuf(nullptr)) {}
  ~QuietOutput() {
    std::cout.rdbuf(saved);
    std::cout.clear();
  }
  std::streambuf* saved;
};

// Range: voxels along the sphere's diameter.
void BM_PartitionInit(benchmark::State& state) {
  const SphereModel& m = model();
  const float pitch = 2.0f / static_cast<float>(state.range(0));
  QuietOutput quiet;
  for (auto _ : state) {
    CollisionPartition p;
    p.init(m.faces, m.data, m.vertices, {}, pitch);
    benchmark::DoNotOptimize(p.voxels().data());
  }
  state.counters["faces"] = static_cast<double>(m.faces.size());
}
BENCHMARK(BM_PartitionInit)->Arg(16)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);

// Paths of a fraction of a voxel through the surface in scattered directions,
// as a moving body makes them frame by frame; half of them stop short of it.
void BM_CollisionFaces(benchmark::State& state) {
  const SphereModel& m = model();
  const float pitch = 2.0f / static_cast<float>(state.range(0));
  CollisionPartition p;
  {
    QuietOutput quiet;
    p.init(m.faces, m.data, m.vertices, {}, pitch);
  }
  std::vector<std::array<float, 3>> directions(1024);
  std::uint32_t seed = 7;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f;
  };
  for (auto& d : directions) {
    const float z = 2 * next() - 1, phi = 6.2831853f * next(), r = std::sqrt(1 - z * z);
    d = {r * std::cos(phi), r * std::sin(phi), z};
  }
  const float from = 1 - 0.25f * pitch, through = 1 + 0.25f * pitch, short_of = 1 - 0.1f * pitch;
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    const auto& d = directions[i % directions.size()];
    const float reach = (i++ & 1) ? through : short_of;
    const std::array<float, 3> start{from * d[0], from * d[1], from * d[2]};
    std::array<float, 3> position{reach * d[0], reach * d[1], reach * d[2]};
    std::array<float, 3> velocity{d[0], d[1], d[2]};
    hits += !p.collision_faces(position, velocity, start, 0.5f).empty();
    benchmark::DoNotOptimize(velocity);
  }
  state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(i);
}
BENCHMARK(BM_CollisionFaces)->Arg(16)->Arg(64)->Arg(128);

}  // namespace
