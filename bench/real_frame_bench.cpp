// The program's real frame at 1280 x 720 on the machine's OpenGL (Mesa's
// llvmpipe under Xvfb here), during a computer's shot, beside the floor of
// its design. The real frame is GameProgram::display(): the frame step, then
// the desktop frame buffer with its 4 samples, every scene pass, the dialogs,
// the hints, the score board and the fade overlay, the resolve, the window
// quad and the swap, into a shown window. The floor is the same frame with
// nothing drawn: clear the 4-sample frame buffer, resolve it into its
// texture, draw that over the window, swap. Both are timed side by side in one
// run, a real frame then a floor frame, so that the machine's load weighs on
// both alike; the ratio is what counts.
//
// Before the timing, one frame is taken apart pass by pass: primitives (GL's
// primitives-generated count), samples that passed the depth test, the draw
// calls the program makes (glBegin, glDrawArrays, glDrawElements,
// glCallList(s), counted on their way to GL), and the milliseconds of each
// pass with the GPU's work (glFinish around it; the sum runs above the frame
// time, which overlaps the CPU and the rasteriser). Needs an X display;
// without one nothing runs.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "input/vr_interface.h"
#include "input/window.h"
#include "render/frame_buffer.h"
#include "render/gl.h"

// After GLEW, which must come before the GL headers freeglut brings.
#include <GL/freeglut.h>

namespace {

long long draw_calls = 0;

template <typename Fn>
Fn next_symbol(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The engine's and freeglut's calls land here first (the program's
// definitions come first in the dynamic lookup); each is counted and passed
// on.
extern "C" {
void glBegin(GLenum mode) {
  static const auto real = next_symbol<void (*)(GLenum)>("glBegin");
  ++draw_calls;
  real(mode);
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  static const auto real = next_symbol<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
  ++draw_calls;
  real(mode, first, count);
}
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  static const auto real =
      next_symbol<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
  ++draw_calls;
  real(mode, count, type, indices);
}
void glCallList(GLuint list) {
  static const auto real = next_symbol<void (*)(GLuint)>("glCallList");
  ++draw_calls;
  real(list);
}
void glCallLists(GLsizei n, GLenum type, const void* lists) {
  static const auto real = next_symbol<void (*)(GLsizei, GLenum, const void*)>("glCallLists");
  ++draw_calls;
  real(n, type, lists);
}
}

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
// Game time per frame while the shot is timed: the pace of a program that
// draws 100 frames a second.
constexpr double kTimedStep = 0.01;

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// The program as its start-up leaves it (without the update check and the
// message boxes), in a shown window of 1280 x 720, on the generated data
// folder, with the game past its intro and a computer's shot rolling.
class RealFrame {
 public:
  static RealFrame* get() {
    static std::unique_ptr<RealFrame> frame = make();
    return frame.get();
  }

  // One frame of the program, 10 ms of game time after the last.
  void real_frame() {
    now_ += kTimedStep;
    program->display();
  }

  // The floor: the same frame buffer, resolve, window quad and swap with
  // nothing drawn.
  void floor_frame() {
    engine.draw_desktop_mode(&desktop, [] {});
  }

  PoolEngine engine;
  VRInterface vr;
  FrameBuffer desktop;
  std::unique_ptr<GameProgram> program;
  std::string state;

 private:
  static std::unique_ptr<RealFrame> make() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return nullptr;
    int argc = 1;
    char name[] = "bench_real_frame";
    char* argv[] = {name, nullptr};
    varnox_init_glut(&argc, argv);
    return std::unique_ptr<RealFrame>(new RealFrame);
  }

  // Frames with the clock stepped by `step`, until the test holds or the
  // game-time seconds have passed.
  bool frames_until(double seconds, double step, const std::function<bool()>& done) {
    for (const double end = now_ + seconds; now_ < end;) {
      if (done()) return true;
      now_ += step;
      program->display();
    }
    return done();
  }

  RealFrame() {
    std::ostringstream quiet;
    std::streambuf* out = std::cout.rdbuf(quiet.rdbuf());
    std::streambuf* err = std::cerr.rdbuf(quiet.rdbuf());
    engine.settings().root(TALVORIN_BENCH_DATA "/");
    engine.frame_clock(&clock_);
    engine.walking().frame_clock(&clock_);
    kWindow& window = engine.window();
    window.fullscreen_flag(false);
    window.set_resolution(kWidth, kHeight, false);
    engine.render_size(kWidth, kHeight);
    const bool up = engine.init() == 0 && (glewExperimental = GL_TRUE, glewInit() == GLEW_OK) &&
                    desktop.create(kWidth, kHeight) == 0;
    if (up) {
      program = std::make_unique<GameProgram>(engine, vr, desktop);
      glutDisplayFunc([] {});
      engine.init_post_glew();
      engine.wait_for_loads();
      // The intro in coarse steps, then the computers' game: the first
      // computer aims and strikes, and the balls roll for half a second.
      const Clock::time_point start = Clock::now();
      const double t0 = now_;
      frames_until(60.0, 0.25, [this] { return engine.in_intro; });
      frames_until(60.0, 0.25, [this] { return !engine.in_intro; });
      const double t1 = now_;
      const bool struck = frames_until(30.0, 1.0 / 30.0, [this] {
        return engine.rules && engine.rules->shot_in_progress && engine.shot_speed > 0.0f;
      });
      const double t2 = now_;
      frames_until(0.5, kTimedStep, [] { return false; });
      char line[160];
      std::snprintf(line, sizeof line, "intro %.1f s, %s %.1f s later; set up in %.0f s", t1 - t0,
                    struck ? "a computer struck" : "no strike", t2 - t1, ms_since(start) / 1000.0);
      state = line;
    }
    std::cout.rdbuf(out);
    std::cerr.rdbuf(err);
    if (!up) {
      state = "start-up failed";
      program.reset();
    }
  }

  double now_ = 100.0;
  FrameClock clock_{[this] { return now_; }};
};

// ---- One frame taken apart pass by pass

struct PassStats {
  std::string name;
  GLuint queries[2] = {0, 0};  // primitives generated, samples passed
  GLuint64 primitives = 0, samples = 0;
  long long draws = 0;
  double ms = 0.0;
};

// While alive, every pass of every scene and the program's second pass run
// inside a wrapper that counts them; the passes are restored afterwards.
class PassCounter {
 public:
  explicit PassCounter(RealFrame& f) : frame_(f) {
    for (auto& [scene_name, scene] : f.engine.scenes())
      for (auto& [layer, passes] : scene.passes)
        for (RenderProcess& pass : passes) {
          saved_.push_back({&pass.draw, pass.draw});
          std::string name = scene_name + " " + std::to_string(layer) + ": " + pass.name;
          // Passes without a name of their own by their place.
          if (pass.name == "Unnamed") name += " " + std::to_string(&pass - passes.data());
          pass.draw = wrap(name, pass.draw);
        }
    saved_.push_back({&f.program->second_pass, f.program->second_pass});
    f.program->second_pass = wrap("overlay pass", f.program->second_pass);
  }
  ~PassCounter() {
    for (auto& [slot, draw] : saved_) *slot = draw;
    for (PassStats& s : stats_) glDeleteQueries(2, s.queries);
  }
  PassCounter(const PassCounter&) = delete;
  PassCounter& operator=(const PassCounter&) = delete;

  // One frame counted: queries and draw calls, or (timed) milliseconds.
  void frame(bool timed) {
    timed_ = timed;
    frame_.real_frame();
    glFinish();
    if (timed) return;
    for (PassStats& s : stats_) {
      if (!s.queries[0]) continue;
      glGetQueryObjectui64v(s.queries[0], GL_QUERY_RESULT, &s.primitives);
      glGetQueryObjectui64v(s.queries[1], GL_QUERY_RESULT, &s.samples);
    }
  }

  const std::vector<PassStats>& stats() const { return stats_; }

 private:
  std::function<void()> wrap(const std::string& name, std::function<void()> draw) {
    return [this, name, draw] {
      // Passes inside passes count with the outer one.
      if (depth_ > 0 || !draw) {
        if (draw) draw();
        return;
      }
      PassStats& s = find(name);
      ++depth_;
      const long long calls = draw_calls;
      if (timed_) {
        glFinish();
        const Clock::time_point start = Clock::now();
        draw();
        glFinish();
        s.ms = ms_since(start);
      } else {
        if (!s.queries[0]) glGenQueries(2, s.queries);
        glBeginQuery(GL_PRIMITIVES_GENERATED, s.queries[0]);
        glBeginQuery(GL_SAMPLES_PASSED, s.queries[1]);
        draw();
        glEndQuery(GL_SAMPLES_PASSED);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        s.draws = draw_calls - calls;
      }
      --depth_;
    };
  }

  PassStats& find(const std::string& name) {
    for (PassStats& s : stats_)
      if (s.name == name) return s;
    stats_.push_back(PassStats{name});
    return stats_.back();
  }

  RealFrame& frame_;
  std::vector<std::pair<std::function<void()>*, std::function<void()>>> saved_;
  std::vector<PassStats> stats_;
  bool timed_ = false;
  int depth_ = 0;
};

// The whole frame's counts and time, without the wrappers.
PassStats whole_frame(RealFrame& f) {
  PassStats s{"whole frame"};
  glFinish();
  glGenQueries(2, s.queries);
  const long long calls = draw_calls;
  glBeginQuery(GL_PRIMITIVES_GENERATED, s.queries[0]);
  glBeginQuery(GL_SAMPLES_PASSED, s.queries[1]);
  const Clock::time_point start = Clock::now();
  f.real_frame();
  glEndQuery(GL_SAMPLES_PASSED);
  glEndQuery(GL_PRIMITIVES_GENERATED);
  glFinish();
  s.ms = ms_since(start);
  s.draws = draw_calls - calls;
  glGetQueryObjectui64v(s.queries[0], GL_QUERY_RESULT, &s.primitives);
  glGetQueryObjectui64v(s.queries[1], GL_QUERY_RESULT, &s.samples);
  glDeleteQueries(2, s.queries);
  return s;
}

void print_passes(RealFrame& f) {
  std::vector<PassStats> stats;
  {
    PassCounter counter(f);
    counter.frame(false);
    stats = counter.stats();
    counter.frame(true);
    for (std::size_t i = 0; i < stats.size() && i < counter.stats().size(); ++i)
      stats[i].ms = counter.stats()[i].ms;
  }
  const PassStats whole = whole_frame(f);
  std::printf("The real frame at %d x %d during a computer's shot (%s), pass by pass:\n", kWidth,
              kHeight, f.state.c_str());
  std::printf("%-40s %10s %8s %12s %9s\n", "pass", "primitives", "draws", "samples", "ms");
  PassStats sum{"sum of the passes"};
  for (const PassStats& s : stats) {
    std::printf("%-40s %10llu %8lld %12llu %9.2f\n", s.name.c_str(),
                static_cast<unsigned long long>(s.primitives), s.draws,
                static_cast<unsigned long long>(s.samples), s.ms);
    sum.primitives += s.primitives;
    sum.samples += s.samples;
    sum.draws += s.draws;
    sum.ms += s.ms;
  }
  PassStats rest{"rest (frame step, buffer, resolve, swap)"};
  rest.primitives = whole.primitives - std::min(whole.primitives, sum.primitives);
  rest.samples = whole.samples - std::min(whole.samples, sum.samples);
  rest.draws = whole.draws - sum.draws;
  rest.ms = whole.ms - sum.ms;
  const PassStats* totals[] = {&rest, &sum, &whole};
  for (const PassStats* s : totals)
    std::printf("%-40s %10llu %8lld %12llu %9.2f\n", s->name.c_str(),
                static_cast<unsigned long long>(s->primitives), s->draws,
                static_cast<unsigned long long>(s->samples), s->ms);
  std::printf("\n");
  std::fflush(stdout);
}

// ---- The real frame beside its floor

// Each iteration: one real frame, then one floor frame, each timed from the
// end of the one before (a swap waits for the frame's drawing). Reported:
// the medians of both, their ratio and the frames a second they allow; the
// benchmark's own time is the real frame's.
void BM_RealFrameBesideItsFloor(benchmark::State& state) {
  RealFrame* f = RealFrame::get();
  if (!f || !f->program) return state.SkipWithError(f ? f->state.c_str() : "no X display");
  std::vector<double> real, floor;
  glFinish();
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    f->real_frame();
    glFinish();
    real.push_back(ms_since(start));
    start = Clock::now();
    f->floor_frame();
    glFinish();
    floor.push_back(ms_since(start));
    state.SetIterationTime(real.back() / 1000.0);
  }
  const double r = median(real), fl = median(floor);
  state.counters["real_ms"] = r;
  state.counters["floor_ms"] = fl;
  state.counters["ratio"] = fl > 0.0 ? r / fl : 0.0;
  state.counters["real_fps"] = r > 0.0 ? 1000.0 / r : 0.0;
  state.counters["floor_fps"] = fl > 0.0 ? 1000.0 / fl : 0.0;
}
BENCHMARK(BM_RealFrameBesideItsFloor)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (RealFrame* f = RealFrame::get(); f && f->program) print_passes(*f);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
