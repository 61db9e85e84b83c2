// Per-frame physics costs: integrating bodies and colliding ball pairs.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/phys_obj.h"
#include "engine/basic_engine.h"

namespace {
struct Ball : PhysObj {
  Ball() : PhysObj(nullptr, "ball") { radius = 0.03; }
  bool ValidPoint(const float*) const override { return true; }
};

void BM_UpdateSixteenSpinningBalls(benchmark::State& state) {
  std::vector<Ball> balls(16);
  for (std::size_t i = 0; i < balls.size(); ++i) {
    balls[i].velocity = {0.1f * float(i), 0.2f, -0.3f};
    balls[i].angular_velocity = {1.0f, 0.5f * float(i), 0.0f};
    balls[i].AddLinearForce(Vec3{-0.01f, 0.0f, 0.02f});
  }
  for (auto _ : state) {
    for (Ball& b : balls) b.Update(1.0 / 120.0);
    benchmark::DoNotOptimize(balls.data());
  }
}
BENCHMARK(BM_UpdateSixteenSpinningBalls);

void BM_ElasticCollision(benchmark::State& state) {
  Ball a, b;
  for (auto _ : state) {
    a.position = {0, 0, 0};
    a.velocity = {1, 0, 0};
    b.position = {0.055f, 0.01f, 0};
    b.velocity = {-1, 0.2f, 0};
    BasicEngine::elastic_collision(a, b, 1.0f, false, 0.0f);
    benchmark::DoNotOptimize(b.velocity);
  }
}
BENCHMARK(BM_ElasticCollision);
}  // namespace
