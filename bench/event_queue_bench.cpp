// Event queue advances: stepping and flushing a queue of live periodic events,
// Bezier faders and one-shots.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "core/bezier_fader.h"
#include "core/event_queue.h"

namespace {

// A queue holding `live` events: two fifths periodic (every advance or every
// fourth), two fifths four-float faders over a span no advance reaches the end
// of, and one fifth one-shots, queued afresh before each advance and removed by
// its flush.
void BM_AdvanceAndFlush(benchmark::State& state) {
  const int live = int(state.range(0));
  const int periodic = live * 2 / 5;
  const int faders = live * 2 / 5;
  const int one_shots = live - periodic - faders;
  constexpr double kFrame = 1.0 / 60.0;

  EventQueue q;
  long long work = 0;
  for (int i = 0; i < periodic; ++i) {
    q.run_periodically([&work] { ++work; }, i % 2 ? 0.0 : 4 * kFrame, nullptr, "periodic");
  }
  std::vector<std::array<float, 4>> outputs(std::size_t(faders), std::array<float, 4>{});
  const std::array<float, 4> target{1.0f, 2.0f, 3.0f, 4.0f};
  std::vector<std::unique_ptr<BezierFaderBuffered<float>>> fader_events;
  for (int i = 0; i < faders; ++i) {
    auto& out = outputs[std::size_t(i)];
    fader_events.push_back(std::make_unique<BezierFaderBuffered<float>>(
        4, out.data(), out.data(), target.data(), 0.0, 1e9, "fader"));
    q.add(fader_events.back().get());
  }

  double t = 0.0;
  for (auto _ : state) {
    for (int i = 0; i < one_shots; ++i) q.run_once([&work] { ++work; }, 0.0, "once");
    t += kFrame;
    q.update(t, 0, false);
  }
  benchmark::DoNotOptimize(work);
  benchmark::DoNotOptimize(outputs.data());
  state.SetLabel("ns per advance");
  state.counters["events"] = double(q.events().size() + std::size_t(one_shots));
}
BENCHMARK(BM_AdvanceAndFlush)->Arg(10)->Arg(100)->Arg(1000);

// The same queue advanced the way the game-time queue is, flushing at most one
// dead entry per sub-step.
void BM_AdvanceGameTimeSubSteps(benchmark::State& state) {
  const int live = int(state.range(0));
  EventQueue q;
  long long work = 0;
  for (int i = 0; i < live; ++i) q.run_periodically([&work] { ++work; }, 0.0, nullptr, "step");
  double t = 0.0;
  for (auto _ : state) {
    q.run_once([&work] { ++work; }, 0.0, "once");
    t += 1.0 / 240.0;
    q.update(t, -1, false);
  }
  benchmark::DoNotOptimize(work);
  state.SetLabel("ns per advance");
}
BENCHMARK(BM_AdvanceGameTimeSubSteps)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
