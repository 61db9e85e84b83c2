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
// primitives-generated count), vertex shader runs and primitives left after
// clipping, samples that passed the depth test and fragment shader runs (GL's
// pipeline statistics), the draw calls the program makes (glBegin,
// glDrawArrays, glDrawElements, glCallList(s), counted on their way to GL),
// and the milliseconds of each pass with the GPU's work (glFinish around it;
// the sum runs above the frame time, which overlaps the CPU and the
// rasteriser), with the CPU time of the program's thread and of the whole
// process. Needs an X display; without one nothing runs.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <array>
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

// CPU milliseconds of the calling thread, or of the whole process (the
// renderer's threads with it): the work done, which the machine's load
// hardly changes.
double cpu_ms(clockid_t which) {
  timespec t{};
  clock_gettime(which, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
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

// What GL counts of a pass: primitives generated, vertex shader runs and
// primitives left after clipping (pipeline statistics, when the driver has
// them), samples that passed the depth test, fragment shader runs.
constexpr GLenum kCounted[] = {GL_PRIMITIVES_GENERATED, GL_VERTEX_SHADER_INVOCATIONS_ARB,
                               GL_CLIPPING_OUTPUT_PRIMITIVES_ARB, GL_SAMPLES_PASSED,
                               GL_FRAGMENT_SHADER_INVOCATIONS_ARB};
constexpr std::size_t kCounts = std::size(kCounted);
constexpr const char* kCountNames[kCounts] = {"primitives", "vertices", "clipped", "samples",
                                              "fragments"};

bool counted(std::size_t i) {
  const bool statistics = i == 1 || i == 2 || i == 4;
  return !statistics || GLEW_ARB_pipeline_statistics_query;
}

struct PassStats {
  std::string name;
  std::array<GLuint, kCounts> queries{};
  std::array<GLuint64, kCounts> counts{};
  long long draws = 0;
  double ms = 0.0;
  double main_ms = 0.0;  // CPU time of the program's thread
  double all_ms = 0.0;   // CPU time of the process, the renderer's threads with it

  void begin() {
    if (!queries[0]) glGenQueries(GLsizei(kCounts), queries.data());
    for (std::size_t i = 0; i < kCounts; ++i)
      if (counted(i)) glBeginQuery(kCounted[i], queries[i]);
  }
  void end() {
    for (std::size_t i = kCounts; i-- > 0;)
      if (counted(i)) glEndQuery(kCounted[i]);
  }
  void read() {
    if (!queries[0]) return;
    for (std::size_t i = 0; i < kCounts; ++i)
      if (counted(i)) glGetQueryObjectui64v(queries[i], GL_QUERY_RESULT, &counts[i]);
  }
  void forget() {
    if (queries[0]) glDeleteQueries(GLsizei(kCounts), queries.data());
    queries = {};
  }
  void add(const PassStats& o, double sign = 1.0) {
    for (std::size_t i = 0; i < kCounts; ++i)
      counts[i] = sign > 0 ? counts[i] + o.counts[i] : counts[i] - std::min(counts[i], o.counts[i]);
    draws += sign > 0 ? o.draws : -o.draws;
    ms += sign * o.ms;
    main_ms += sign * o.main_ms;
    all_ms += sign * o.all_ms;
  }
  void print() const {
    std::printf("%-38s", name.c_str());
    for (GLuint64 c : counts) std::printf(" %10llu", static_cast<unsigned long long>(c));
    std::printf(" %6lld %8.2f %8.2f %8.2f\n", draws, ms, main_ms, all_ms);
  }
};

// Times and CPU times of one timed stretch, added into the stats.
class Stopwatch {
 public:
  Stopwatch()
      : start_(Clock::now()),
        main_(cpu_ms(CLOCK_THREAD_CPUTIME_ID)),
        all_(cpu_ms(CLOCK_PROCESS_CPUTIME_ID)) {}
  void add_to(PassStats& s) const {
    s.ms += ms_since(start_);
    s.main_ms += cpu_ms(CLOCK_THREAD_CPUTIME_ID) - main_;
    s.all_ms += cpu_ms(CLOCK_PROCESS_CPUTIME_ID) - all_;
  }

 private:
  Clock::time_point start_;
  double main_, all_;
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
    for (PassStats& s : stats_) s.forget();
  }
  PassCounter(const PassCounter&) = delete;
  PassCounter& operator=(const PassCounter&) = delete;

  // One frame counted: queries and draw calls, or (timed) milliseconds.
  void frame(bool timed) {
    timed_ = timed;
    frame_.real_frame();
    glFinish();
    if (!timed)
      for (PassStats& s : stats_) s.read();
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
        const Stopwatch watch;
        draw();
        glFinish();
        watch.add_to(s);
      } else {
        s.begin();
        draw();
        s.end();
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

// Frames whose times are averaged.
constexpr int kTimedFrames = 5;

// The whole frame's counts, and its times over kTimedFrames frames, without
// the wrappers.
PassStats whole_frame(RealFrame& f) {
  PassStats s{"whole frame"};
  glFinish();
  const long long calls = draw_calls;
  s.begin();
  f.real_frame();
  s.end();
  s.draws = draw_calls - calls;
  glFinish();
  s.read();
  s.forget();
  for (int i = 0; i < kTimedFrames; ++i) {
    const Stopwatch watch;
    f.real_frame();
    glFinish();
    watch.add_to(s);
  }
  s.ms /= kTimedFrames;
  s.main_ms /= kTimedFrames;
  s.all_ms /= kTimedFrames;
  return s;
}

void print_passes(RealFrame& f) {
  std::vector<PassStats> stats;
  {
    PassCounter counter(f);
    counter.frame(false);
    stats = counter.stats();
    for (int i = 0; i < kTimedFrames; ++i) counter.frame(true);
    for (std::size_t i = 0; i < stats.size() && i < counter.stats().size(); ++i) {
      stats[i].ms = counter.stats()[i].ms / kTimedFrames;
      stats[i].main_ms = counter.stats()[i].main_ms / kTimedFrames;
      stats[i].all_ms = counter.stats()[i].all_ms / kTimedFrames;
    }
  }
  const PassStats whole = whole_frame(f);
  std::printf("The real frame at %d x %d during a computer's shot (%s), pass by pass", kWidth,
              kHeight, f.state.c_str());
  std::printf(
      " (ms with the GPU's work, main: CPU ms of the program's thread, all: of the"
      " process):\n%-38s",
      "pass");
  for (const char* n : kCountNames) std::printf(" %10s", n);
  std::printf(" %6s %8s %8s %8s\n", "draws", "ms", "main ms", "all ms");
  PassStats sum{"sum of the passes"};
  for (const PassStats& s : stats) {
    s.print();
    sum.add(s);
  }
  PassStats rest{"rest (frame step, buffer, resolve, swap)"};
  rest.add(whole);
  rest.add(sum, -1.0);
  rest.print();
  sum.print();
  whole.print();
  std::printf("\n");
  std::fflush(stdout);
}

// ---- The real frame beside its floor

// Each iteration: one real frame, then one floor frame, each timed from the
// end of the one before (a swap waits for the frame's drawing). Reported:
// the medians of both, their ratio and the frames a second they allow, and
// the CPU time of each on the program's thread (where the driver processes
// vertices and sorts primitives into tiles) and in the whole process (with
// the renderer's threads, which colour the tiles); the benchmark's own time
// is the real frame's.
void BM_RealFrameBesideItsFloor(benchmark::State& state) {
  RealFrame* f = RealFrame::get();
  if (!f || !f->program) return state.SkipWithError(f ? f->state.c_str() : "no X display");
  // Wall time, CPU time of the program's thread and of the whole process.
  std::vector<double> real[3], floor[3];
  const auto timed = [](std::vector<double>* into, const std::function<void()>& frame) {
    const Clock::time_point start = Clock::now();
    const double thread = cpu_ms(CLOCK_THREAD_CPUTIME_ID);
    const double process = cpu_ms(CLOCK_PROCESS_CPUTIME_ID);
    frame();
    glFinish();
    into[0].push_back(ms_since(start));
    into[1].push_back(cpu_ms(CLOCK_THREAD_CPUTIME_ID) - thread);
    into[2].push_back(cpu_ms(CLOCK_PROCESS_CPUTIME_ID) - process);
  };
  glFinish();
  for (auto _ : state) {
    timed(real, [f] { f->real_frame(); });
    timed(floor, [f] { f->floor_frame(); });
    state.SetIterationTime(real[0].back() / 1000.0);
  }
  const auto ratio = [](double a, double b) { return b > 0.0 ? a / b : 0.0; };
  const double r = median(real[0]), fl = median(floor[0]);
  state.counters["real_ms"] = r;
  state.counters["floor_ms"] = fl;
  state.counters["ratio"] = ratio(r, fl);
  state.counters["real_fps"] = ratio(1000.0, r);
  state.counters["floor_fps"] = ratio(1000.0, fl);
  state.counters["real_main_cpu_ms"] = median(real[1]);
  state.counters["floor_main_cpu_ms"] = median(floor[1]);
  state.counters["real_all_cpu_ms"] = median(real[2]);
  state.counters["floor_all_cpu_ms"] = median(floor[2]);
  state.counters["all_cpu_ratio"] = ratio(median(real[2]), median(floor[2]));
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
