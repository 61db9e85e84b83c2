// Drawing a desktop frame of ten dialogs of ten text buttons into the
// engine's frame buffer (under a virtual X server), with the text shadow off
// and on: milliseconds per frame, and per frame the stroke glyphs drawn, the
// glyph measurements (a text measured again every frame shows here) and the
// attribute pushes.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "render/gl.h"
#include "ui/dialog.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace {

long long glyphs = 0, measures = 0, pushes = 0;

template <typename Fn>
Fn next_symbol(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The library's calls land here first (the program's definitions come first
// in the dynamic lookup); each is counted and passed on.
extern "C" {
void glutStrokeCharacter(void* font, int character) {
  static const auto real = next_symbol<void (*)(void*, int)>("glutStrokeCharacter");
  ++glyphs;
  real(font, character);
}
float glutStrokeWidthf(void* font, int character) {
  static const auto real = next_symbol<float (*)(void*, int)>("glutStrokeWidthf");
  ++measures;
  return real(font, character);
}
void glPushAttrib(GLbitfield mask) {
  static const auto real = next_symbol<void (*)(GLbitfield)>("glPushAttrib");
  ++pushes;
  real(mask);
}
}

namespace {

void display_nothing() {}

// A GL 4.5 compatibility context in a hidden window; false without a display.
bool ensure_context() {
  static const bool ok = [] {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitContextVersion(4, 5);
    glutInitContextProfile(GLUT_COMPATIBILITY_PROFILE);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(683, 384);
    if (glutCreateWindow("dialog drawing") <= 0) return false;
    glutDisplayFunc(display_nothing);
    glutHideWindow();
    glewExperimental = GL_TRUE;
    glewInit();
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
  }();
  return ok;
}

// Ten dialogs of ten buttons of 15 characters, in a row in front of the
// camera, on an engine ready to draw a desktop frame.
struct Scene {
  explicit Scene(bool shadow) {
    engine.render_size(683, 384);
    engine.window().set_resolution(683, 384, false);
    engine.frame_buffer().create(683, 384);
    engine.init_dialogs_scene();
    {
      // The shapes announce their levels as they are built.
      std::ostringstream quiet;
      std::streambuf* out = std::cout.rdbuf(quiet.rdbuf());
      engine.geometry().init(true);
      std::cout.rdbuf(out);
    }
    engine.walking().position() = {0.0f, 0.0f, 0.0f};
    for (int d = 0; d < 10; ++d) {
      auto dialog = std::make_unique<Dialog>();
      for (int b = 0; b < 10; ++b) {
        TextFrame* button = dialog->add_button(
            "Button " + std::to_string(d) + " / item " + std::to_string(b), [] {});
        button->shadow_text_style().enable(shadow);
      }
      dialog->arrange_children();
      dialog->frame().coord_sys().position() = {static_cast<float>(d - 5) * 0.4f, 0.0f, -3.0f};
      engine.sorted_dialogs().push_back(dialog.get());
      dialogs.push_back(std::move(dialog));
    }
  }
  ~Scene() {
    for (auto& d : dialogs) d->delete_children();
    engine.frame_buffer().clear();
  }

  BasicEngine engine;
  std::vector<std::unique_ptr<Dialog>> dialogs;
};

void BM_DesktopFrameOfTenDialogs(benchmark::State& state) {
  if (!ensure_context()) {
    state.SkipWithError("no display (run under scripts/with-xvfb.sh)");
    return;
  }
  Scene scene(state.range(0) != 0);
  scene.engine.draw_desktop_mode(&scene.engine.frame_buffer(), {});  // texts measured once
  glFinish();
  glyphs = measures = pushes = 0;
  for (auto _ : state) {
    scene.engine.draw_desktop_mode(&scene.engine.frame_buffer(), {});
    glFinish();
  }
  const auto frames = static_cast<double>(state.iterations());
  state.counters["glyphs/frame"] = static_cast<double>(glyphs) / frames;
  state.counters["measures/frame"] = static_cast<double>(measures) / frames;
  state.counters["attrib_pushes/frame"] = static_cast<double>(pushes) / frames;
}
BENCHMARK(BM_DesktopFrameOfTenDialogs)
    ->ArgName("shadow")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
