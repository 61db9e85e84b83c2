// The computer player's choice on a layout after the break: every ball but
// the eight a candidate, twelve pockets each, swept tests against sixteen
// spheres for every path.
#include <benchmark/benchmark.h>

#include <pcg_random.hpp>

#include "game/rules/eight_ball.h"
#include "game/table/ball.h"
#include "game/table/table.h"

namespace {

// Sixteen balls spread over the box, none touching another, from a fixed seed.
std::vector<Ball> scattered(const Vec3& h) {
  pcg32 rng(2024u);
  auto uniform = [&rng](float a, float b) { return a + float(double(rng()) * 0x1p-32) * (b - a); };
  std::vector<Ball> balls(16);
  for (std::size_t i = 0; i < balls.size(); ++i) {
    const float r = balls[i].radius;
    bool free = false;
    while (!free) {
      balls[i].position = {uniform(-h[0] + r, h[0] - r), uniform(-h[1] + r, h[1] - r),
                           uniform(-h[2] + r, h[2] - r)};
      free = true;
      for (std::size_t j = 0; j < i; ++j)
        free = free && norm(balls[i].position - balls[j].position) > 2.5f * r;
    }
    balls[i].number = int(i);
  }
  return balls;
}

void BM_ChooseShotAfterTheBreak(benchmark::State& state) {
  Table table;
  table.build_geometry();
  const std::vector<Ball> balls = scattered(table.half_extents);
  EightBall rules;
  rules.init_players(2, 1);
  rules.shot_count = 1;
  for (auto _ : state) {
    const ShotChoice c = rules.choose_shot(1, balls, table.pockets, 0, true, 45.0f);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_ChooseShotAfterTheBreak);

}  // namespace
