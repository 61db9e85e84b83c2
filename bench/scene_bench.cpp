// A drawn frame of the table scene at 1280 x 720 on the machine's OpenGL
// (Mesa's llvmpipe under Xvfb here): the room, the table, sixteen balls, the
// cue and the furniture from the generated data folder, timed whole and pass
// by pass (each followed by glFinish, so the time is the GPU's too), beside
// the CPU time of the game's own work of a frame (the engine's frame step with
// the game's hooks and its simulation step). Needs an X display; without one
// every benchmark is skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "render/gl.h"

// After GLEW, which must come before the GL headers freeglut brings.
#include <GL/freeglut.h>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// The context, a multisample-free target of the frame's size, and the game
// started on the data folder with a rack on the table and four lights.
class Scene {
 public:
  static Scene* get() {
    static std::unique_ptr<Scene> scene = make();
    return scene.get();
  }

  // Draws into the target with the view loaded, then waits for the GPU.
  void draw(const std::function<void()>& what) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glViewport(0, 0, kWidth, kHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    engine.camera().apply_gl();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.3, 2.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    for (int i = 0; i < 4; ++i) glEnable(GL_LIGHT0 + i);
    what();
    glFinish();
  }

  // One frame step of the game without drawing, 1/60 s later.
  void step() {
    now_ += 1.0 / 60.0;
    engine.idle();
  }

  PoolEngine engine;

 private:
  static std::unique_ptr<Scene> make() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return nullptr;
    int argc = 1;
    char name[] = "bench_scene";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitContextVersion(4, 5);
    glutInitContextProfile(GLUT_COMPATIBILITY_PROFILE);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(64, 64);
    glutCreateWindow("bench_scene");
    glutDisplayFunc([] {});
    glutHideWindow();
    if (glewInit() != GLEW_OK) return nullptr;
    return std::unique_ptr<Scene>(new Scene);
  }

  Scene() {
    glGenFramebuffers(1, &fbo_);
    glGenRenderbuffers(2, buffers_);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);

    engine.settings().root(TALVORIN_BENCH_DATA "/");
    engine.frame_clock(&clock_);
    engine.render_size(kWidth, kHeight);
    engine.lights().resize(4);
    engine.install_callbacks();
    engine.init_shot_wizard();
    engine.eight_ball.init_players(2, 2);
    engine.init_post_glew();
    engine.wait_for_loads();
    for (int i = 0; i < 3; ++i) step();

    const float r = Ball().radius;
    engine.balls.assign(16, Ball(&engine.geometry()));
    const std::vector<Vec3> rack = engine.eight_ball.rack_positions(r + 0.003f);
    engine.balls[0].position = {-0.5f, 0.0f, 0.0f};
    for (int k = 1; k <= 15; ++k) engine.balls[k].position = Vec3{0.5f, 0.0f, 0.0f} + rack[k - 1];
    for (std::size_t i = 0; i < engine.balls.size(); ++i) {
      engine.balls[i].init();
      engine.balls[i].texture = engine.ball_textures.balls[i].id();
    }
    engine.cue_ball = &engine.balls[0];
    engine.aim_guide.aim_at(engine.cue_ball);
    engine.shot_wizard.start();
    engine.shot_wizard.set_step(std::string("Shoot"));
    const float butt[3] = {-1.5f, 0.05f, 0.0f};
    const float tip[3] = {-0.55f, 0.0f, 0.0f};
    engine.cue.set_pose(tip, butt, nullptr, false);
    // The first frames compile the driver's shaders and upload the textures.
    for (int i = 0; i < 3; ++i) draw([this] { engine.render_game_scenes(); });
  }

  double now_ = 10.0;
  FrameClock clock_{[this] { return now_; }};
  GLuint fbo_ = 0;
  GLuint buffers_[2] = {0, 0};
};

void BM_DrawnFrame(benchmark::State& state) {
  Scene* scene = Scene::get();
  if (!scene) return state.SkipWithError("no X display");
  for (auto _ : state) scene->draw([scene] { scene->engine.render_game_scenes(); });
  state.counters["frames_per_s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawnFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// One scene, or one layer of it (layer < 0: the whole scene).
void BM_Pass(benchmark::State& state, const char* name, int layer) {
  Scene* scene = Scene::get();
  if (!scene) return state.SkipWithError("no X display");
  RenderScene& s = scene->engine.scenes()[name];
  for (auto _ : state)
    scene->draw([&s, layer] {
      if (layer < 0)
        s.render();
      else
        s.render_layer(static_cast<unsigned int>(layer));
    });
}
BENCHMARK_CAPTURE(BM_Pass, sky, "sky", -1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, balls, "balls", 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, cue_stick, "cue_stick", -1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, room_opaque, "room", 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, room_transparent, "room", 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, table_transparent, "room", 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, aim_guide, "room", 4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, selected_ball, "balls", 1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The passes of the room's opaque layer one by one: the table (walls and
// pockets), the table's model, the room's model, the furniture, the screen.
void BM_RoomPass(benchmark::State& state) {
  Scene* scene = Scene::get();
  if (!scene) return state.SkipWithError("no X display");
  RenderProcess& pass = scene->engine.scenes()["room"].passes[0].at(state.range(0));
  state.SetLabel(pass.name);
  for (auto _ : state) scene->draw([&pass] { pass.render(); });
}
BENCHMARK(BM_RoomPass)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The empty frame: clearing, the view and glFinish, which every timing above
// includes.
void BM_EmptyFrame(benchmark::State& state) {
  Scene* scene = Scene::get();
  if (!scene) return state.SkipWithError("no X display");
  for (auto _ : state) scene->draw([] {});
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The game's CPU work of a frame: the engine's frame step with the game's
// hooks, its periodic events and the simulation step (balls at rest).
void BM_GameFrameStep(benchmark::State& state) {
  Scene* scene = Scene::get();
  if (!scene) return state.SkipWithError("no X display");
  for (auto _ : state) scene->step();
}
BENCHMARK(BM_GameFrameStep)->Unit(benchmark::kMicrosecond);

}  // namespace
