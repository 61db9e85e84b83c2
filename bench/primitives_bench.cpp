// Generating sphere levels (the work of a level built on first draw) and
// converting quads to triangles (the work of every quad upload).
#include <benchmark/benchmark.h>

#include "render/primitives.h"

namespace {

void BM_SolidSphere2Construct(benchmark::State& state) {
  SolidSphere2 sphere;
  const auto detail = static_cast<unsigned int>(state.range(0));
  for (auto _ : state) {
    sphere.construct(detail);
    benchmark::DoNotOptimize(sphere.vertices().data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(sphere.num_vertices()));
}
BENCHMARK(BM_SolidSphere2Construct)->Arg(16)->Arg(64)->Arg(256);

void BM_QuadsToTriangles(benchmark::State& state) {
  SolidSphere sphere;
  sphere.construct(static_cast<unsigned int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Quad::to_triangles(sphere.vertices(), 3, 0));
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(sphere.num_quads()));
}
BENCHMARK(BM_QuadsToTriangles)->Arg(64);

}  // namespace
