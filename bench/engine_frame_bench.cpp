// The engine's own work per frame, without OpenGL: the frame step (idle()
// with idle_impl()) of an engine brought up as a program brings it up, with
// 40 dialogs of 10 buttons registered and 20 fades running; and, alone, one
// "Update dialogs" pass (40 dialogs x 10 children x 2 pointer poses) and one
// "Sort dialogs" pass. Times are per frame or per pass; the frame step must
// stay well under 1 ms of CPU.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/basic_engine.h"
#include "input/frame_clock.h"
#include "ui/dialog.h"

namespace {

constexpr int kDialogs = 40;
constexpr int kChildren = 10;
constexpr int kFades = 20;
constexpr double kFrame = 1.0 / 60.0;

// An engine on a clock of its own, with the dialogs registered and two
// pointer poses aimed across them. Nothing opens a window or a device.
struct Scene {
  Scene() {
    engine.frame_clock(&clock);
    engine.walking().frame_clock(&clock);
    engine.init_camera();
    for (int d = 0; d < kDialogs; ++d) {
      auto dialog = std::make_unique<Dialog>("dialog");
      for (int c = 0; c < kChildren; ++c) dialog->add_button("button", [] {});
      dialog->arrange_children();
      // A ring of dialogs around the viewer, a step apart in height.
      const float a = 6.2831853f * static_cast<float>(d) / kDialogs;
      dialog->frame().coord_sys().translate(2.0f * std::sin(a), 0.05f * static_cast<float>(d % 8),
                                            2.0f * std::cos(a));
      engine += dialog.get();
      dialogs.push_back(std::move(dialog));
    }
    // Both poses point up past every dialog: no dialog is hit, so each pass
    // tests every pose on every dialog.
    pointers[0].look_at(Vec3{0.0f, 0.3f, 0.0f}, Vec3{0.0f, 10.0f, 0.0f});
    pointers[1].look_at(Vec3{0.0f, 0.3f, 0.0f}, Vec3{1.0f, 10.0f, 0.0f});
    for (CoordinateSystem& pose : pointers) engine.pointer_coordsys().push_back(&pose);
  }

  // One frame at the next clock reading; the mouse counts as just moved, so
  // that the pointer tests run.
  void frame() {
    now += kFrame;
    engine.last_mouse_time(engine.real_time());
    engine.idle();
  }

  double now = 100.0;
  FrameClock clock{[this] { return now; }};
  BasicEngine engine;
  std::vector<std::unique_ptr<Dialog>> dialogs;
  CoordinateSystem pointers[2];
};

void BM_FrameStep(benchmark::State& state) {
  Scene s;
  // The periodic events of start-up: the cursor shape, the gamepad search,
  // the dialog update and sort.
  s.engine.init_basic();
  s.engine.init_walk();
  s.engine.init_post_glew();
  // Fades of the overlay that outlast the run.
  for (int i = 0; i < kFades; ++i) s.engine.fade_overlay_alpha(1e9, 0.0f, 0.0f, 0.0);
  for (int i = 0; i < 30; ++i) s.frame();  // every event started
  for (auto _ : state) s.frame();
  state.counters["dialogs"] = kDialogs;
  state.counters["events"] = static_cast<double>(s.engine.realtime_queue().events().size());
}
BENCHMARK(BM_FrameStep)->Unit(benchmark::kMicrosecond);

// One pass of an event's work, called straight: what the event runs at
// each period.
void run_pass(benchmark::State& state, Scene& s, const char* name) {
  // Past real time 0, which counts as no mouse input.
  for (int i = 0; i < 30; ++i) s.frame();
  Event* e = s.engine.realtime_queue().find(name);
  if (!e || !e->update_callback()) {
    state.SkipWithError("no such event");
    return;
  }
  const Event::Callback pass = e->update_callback();
  for (auto _ : state) {
    s.engine.last_mouse_time(s.engine.real_time());
    pass(0.0);
  }
}

void BM_UpdateDialogsPass(benchmark::State& state) {
  Scene s;
  s.engine.update_dialogs_periodically(kFrame);
  run_pass(state, s, "Update dialogs");
  state.counters["pointer_tests"] = kDialogs * kChildren * 2;
}
BENCHMARK(BM_UpdateDialogsPass)->Unit(benchmark::kMicrosecond);

void BM_SortDialogsPass(benchmark::State& state) {
  Scene s;
  s.engine.sort_dialogs_periodically(0.5);
  run_pass(state, s, "Sort dialogs");
  state.counters["sorted"] = static_cast<double>(s.engine.sorted_dialogs().size());
}
BENCHMARK(BM_SortDialogsPass)->Unit(benchmark::kMicrosecond);

}  // namespace
