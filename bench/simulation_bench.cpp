// One frame of the shot simulation with sixteen balls, at a fixed step of
// 1/60 s: just after the cue ball meets the rack, and with every ball spread
// over the box and moving; and a whole break played to rest. Every heap
// allocation of the program is counted, and the timed steps report theirs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <pcg_random.hpp>
#include <vector>

#include "game/app/pool_engine.h"
#include "support/allocation_count.h"

namespace {

constexpr double kStep = 1.0 / 60.0;
// Frames stepped from one saved state before it is put back.
constexpr int kRun = 30;

// An engine with two computer players, its box built, and frames of a fixed
// step: the game-time queue advanced, then the simulation step.
class Bench {
 public:
  Bench() {
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.eight_ball.init_players(2, 2);
    engine.pair_order_random.engine().seed(42u);
  }

  // The break: the rack at the +x end, the cue ball struck at 3 m/s into it.
  void rack_and_break() {
    const float r = Ball().radius;
    engine.clear_sink_events();
    engine.balls.assign(16, Ball(&engine.geometry()));
    const Vec3& h = engine.table.half_extents;
    const std::vector<Vec3> offsets = engine.eight_ball.rack_positions(r + 0.003f);
    const Vec3 cue{-0.6f * h[0], r - h[1] + 0.003f, 0.0f};
    engine.balls[0].position = cue;
    for (int k = 1; k <= 15; ++k)
      engine.balls[k].position = Vec3{-cue[0], cue[1], 0.0f} + offsets[k - 1];
    engine.stop_balls();
    for (Pocket& p : engine.table.pockets) p.balls.clear();
    engine.balls[0].velocity = {3.0f, 0.0f, 0.01f};
    start_shot();
  }

  // Sixteen balls spread over the box, none touching, all moving and
  // spinning.
  void spread_out() {
    pcg32 rng(2024u);
    auto uniform = [&rng](float a, float b) {
      return a + float(double(rng()) * 0x1p-32) * (b - a);
    };
    engine.clear_sink_events();
    engine.balls.assign(16, Ball(&engine.geometry()));
    engine.stop_balls();
    const Vec3& h = engine.table.half_extents;
    for (std::size_t i = 0; i < engine.balls.size(); ++i) {
      Ball& b = engine.balls[i];
      const float r = b.radius;
      for (bool free = false; !free;) {
        b.position = {uniform(-h[0] + 0.1f, h[0] - 0.1f), uniform(-h[1] + r, h[1] - r),
                      uniform(-h[2] + 0.1f, h[2] - 0.1f)};
        free = true;
        for (std::size_t j = 0; j < i; ++j)
          free = free && norm(b.position - engine.balls[j].position) > 2.5f * r;
      }
      b.velocity = {uniform(-1.5f, 1.5f), uniform(-0.5f, 0.5f), uniform(-1.0f, 1.0f)};
      b.angular_velocity = {uniform(-30, 30), uniform(-30, 30), uniform(-30, 30)};
    }
    for (Pocket& p : engine.table.pockets) p.balls.clear();
    start_shot();
  }

  void start_shot() {
    engine.rules->events.clear();
    engine.rules->ball_in_hand = false;
    engine.rules->shot_in_progress = true;
    engine.shot_start_time = engine.gametime_queue().time();
    engine.shot_speed = 3.0f;
  }

  void frame() {
    now += kStep;
    engine.gametime_queue().update(now, -1);
    engine.simulation_step(kStep);
  }

  // The balls' state, saved and put back in place (no allocation).
  void save() { saved = engine.balls; }
  void restore() {
    engine.clear_sink_events();
    for (std::size_t i = 0; i < saved.size(); ++i) engine.balls[i] = saved[i];
    for (Pocket& p : engine.table.pockets) p.balls.clear();
    start_shot();
  }

  PoolEngine engine;
  std::vector<Ball> saved;
  double now = 0.0;
};

// Steps from the saved state, kRun frames at a time; the allocations of the
// timed steps per step.
void step_from_saved(benchmark::State& state, Bench& bench) {
  long long made = 0;
  int run = 0;
  for (auto _ : state) {
    if (run == kRun) {
      state.PauseTiming();
      bench.restore();
      run = 0;
      state.ResumeTiming();
    }
    const long long before = testing_support::allocation_count.load(std::memory_order_relaxed);
    bench.frame();
    made += testing_support::allocation_count.load(std::memory_order_relaxed) - before;
    ++run;
  }
  state.counters["allocs_per_step"] =
      benchmark::Counter(double(made), benchmark::Counter::kAvgIterations);
}

void BM_StepJustAfterTheBreak(benchmark::State& state) {
  Bench bench;
  bench.rack_and_break();
  // Up to the frame in which the cue ball meets the rack.
  while (bench.engine.balls[0].contacts == 0) bench.frame();
  bench.save();
  step_from_saved(state, bench);
}
BENCHMARK(BM_StepJustAfterTheBreak);

void BM_StepSpreadOutAndMoving(benchmark::State& state) {
  Bench bench;
  bench.spread_out();
  bench.save();
  step_from_saved(state, bench);
}
BENCHMARK(BM_StepSpreadOutAndMoving);

// The break played until the rest test ends the shot.
void BM_BreakToRest(benchmark::State& state) {
  Bench bench;
  long long steps = 0;
  double seconds = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.rack_and_break();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    while (bench.engine.rules->shot_in_progress) {
      bench.frame();
      ++steps;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["steps_to_rest"] =
      benchmark::Counter(double(steps), benchmark::Counter::kAvgIterations);
  state.counters["ns_per_step"] = benchmark::Counter(seconds * 1e9 / double(steps));
}
BENCHMARK(BM_BreakToRest)->Unit(benchmark::kMillisecond);

}  // namespace
