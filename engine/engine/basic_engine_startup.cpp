// BasicEngine: the start-up steps, from the settings to the render scenes.
#include <cmath>
#include <limits>
#include <memory>

#include "engine/basic_engine.h"
#include "engine/controller_tutorial.h"
#include "platform/glut_guard.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace {

// A window size over a scale factor, truncated toward zero; 0 when the
// quotient is no size (a factor of 0 or NaN).
int scaled_size(int size, float factor) {
  const float q = static_cast<float>(size) / factor;
  if (!(q >= 0.0f) || q >= static_cast<float>(std::numeric_limits<int>::max())) return 0;
  return static_cast<int>(q);
}

}  // namespace

int BasicEngine::init_basic() {
  menu_audio_.init(settings_);
  material_.set_spec(1.0f, 1.0f, 1.0f, 1.0f, 20.0f);
  material_.enable();
  // The system pointer shows only while the mouse works the open menu;
  // otherwise the mouse looks around (or the 3-D pointer shows).
  enqueue_periodic(
      [this] {
        kMouse& m = mouse();
        if (menu_controller() == ControllerType::mouse && menu_enabled()) {
          if (m.hidden()) m.show(GLUT_CURSOR_LEFT_ARROW);
        } else {
          m.hide();
        }
      },
      0.05, 0.0, -1.0);
  return 0;
}

void BasicEngine::init_walk() {
  realtime_objects_.push_back(&walking_);
  if (settings_.load_section("controls") != 0) return;
  const EngineSettings& settings = settings_;
  const ProgramCfg& controls = settings["controls"];
  controls.read("walk_accel", &walking_.walk_accel);
}

EngineSettings BasicEngine::default_cfg() const {
  EngineSettings fresh(settings_.env_var());
  // A root the application gave the store stays: without it the file would
  // be read from and written to the working directory instead.
  fresh.root(settings_.root());
  ProgramCfg& engine = fresh["basic_engine"];
  engine["autostart_newgame"] = 1;
  engine["autostart_human_players"] = 0;
  engine["autostart_ai_players"] = 2;
  return fresh;
}

void BasicEngine::init_cfg() {
  settings_ = default_cfg();
  settings_.load_section("basic_engine");
  settings_.save_section("basic_engine", true);
}

int BasicEngine::init_win() {
  if (render_size_[0] == 0 || render_size_[1] == 0) {
    // A size of 0 is the screen's, which create() will take.
    const std::array<int, 2> screen = platform::glut_guard::screen_size();
    std::array<int, 2> size = window_.get_resolution();
    for (int i = 0; i < 2; ++i)
      if (size[i] == 0) size[i] = screen[i];
    render_size_ = {scaled_size(size[0], window_.scale_factor()[0]),
                    scaled_size(size[1], window_.scale_factor()[1])};
  }
  window_.create();
  buffer_count(window_.get_fullscreen() ? 2 : 1);
  return 0;
}

void BasicEngine::construct() {
  ParameterizedGeometry::Spheres& spheres = geometry_.spheres();
  spheres.scale() = 0.03f;
  spheres.max_detail() = 16.0f;
  spheres.min_detail() = 3.0f;
  ParameterizedGeometry::Quads& quads = geometry_.quads();
  quads.scale() = 2.0f;
  quads.max_detail() = 1.0f;
  quads.min_detail() = 1.0f;
  ParameterizedGeometry::Cylinders& cylinders = geometry_.cylinders();
  cylinders.scale() = 0.005f;
  cylinders.max_detail() = 1.0f;
  cylinders.min_detail() = 1.0f;
  geometry_.init(true);
}

int BasicEngine::init_post_glew() {
  find_controllers_daemon();
  init_cursor();
  update_dialogs_periodically(1.0 / 60.0);
  sort_dialogs_periodically(0.5);
  return init_basic_cmds();
}

void BasicEngine::find_controllers_daemon() {
  static const std::string kName = "find controllers";
  EventQueue& q = realtime_queue();
  q.clear(kName);
  q.flush(0, false);
  auto e = std::make_unique<Event>(
      kName, q.time(), -1.0, nullptr, nullptr,
      [this](double) {
        find_gamepads();
        const bool in_use = gamepad_active();
        if (controller_tutorial_) controller_tutorial_->gamepad().enable(in_use);
      },
      nullptr);
  e->min_update_period(1.0);
  q.adopt(std::move(e));
}

int BasicEngine::init_scenes() {
  if (const int r = init_dialogs_scene(); r != 0) return r;
  RenderProcess pass;
  pass.name = "vbos";
  pass.draw = [this] {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    material_.colorGL();
    draw_all_vbos();
    glPopAttrib();
  };
  scenes_["vbos"] += std::move(pass);
  return 0;
}

int BasicEngine::init_audio() {
  menu_audio_.init(settings_);
  return 0;
}

void BasicEngine::init_cursor() {
  // The extents of the frame's box are its scale.
  pointer_target_.volume() = {0.002f, 0.002f, 0.002f};
  cursor_.style().enable(true);
}

void BasicEngine::init_camera() {
  if (hmd_control_) return;
  const float eye[3] = {0.0f, 0.3f, 2.0f};
  const float origin[3] = {0.0f, 0.0f, 0.0f};
  mouse_look_.coord_sys().look_at(eye, origin);
  mouse_look_.up_axis(1);
  walking_.position() = {eye[0], eye[1], eye[2]};
}
