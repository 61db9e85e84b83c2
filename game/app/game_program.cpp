// GameProgram: start-up, the frame, the freeglut callbacks and the close.
#include "game/app/game_program.h"

#include <exception>
#include <iostream>
#include <optional>

#include "game/app/data_folder_check.h"
#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "net/update_check.h"
#include "platform/environment.h"
#include "platform/glut_guard.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/vr_runtime.h"
#include "render/frame_buffer.h"
#include "render/gl.h"
#include "render/version_check.h"

// After GLEW's header (render/gl.h).
#include <GL/freeglut.h>

namespace {

// The program freeglut's callbacks act on.
GameProgram* active_program = nullptr;

// A plain OK box whose caption is its text.
void failure_box(const std::string& text) {
  platform::message_box(text, text, platform::MessageIcon::none, platform::MessageButtons::ok);
}

void DisplayF() {
  if (active_program) active_program->display();
}
void ReshapeF(int, int) {}
void KeyboardF(unsigned char key, int x, int y) {
  if (active_program) active_program->keyboard(key, x, y);
}
void KeyboardUpF(unsigned char key, int x, int y) {
  if (active_program) active_program->keyboard_up(key, x, y);
}
void SpecialF(int key, int x, int y) {
  if (active_program) active_program->special(key, x, y);
}
void SpecialUpF(int key, int x, int y) {
  if (active_program) active_program->special_up(key, x, y);
}
void MouseF(int button, int state, int x, int y) {
  if (active_program) active_program->mouse(button, state, x, y);
}
void MotionF(int x, int y) {
  if (active_program) active_program->motion(x, y);
}
void CloseF() {
  if (active_program) active_program->close();
}

}  // namespace

std::string glew_failure_text(int code) {
  const GLubyte* words = glewGetErrorString(static_cast<GLenum>(code));
  return "tlv_main() glewInit() returned " + std::to_string(code) + " (" +
         (words ? reinterpret_cast<const char*>(words) : "") +
         "\nPlease contact technical support.";
}

std::string gl_version_failure_text(const VersionCheckerGL& checker) {
  std::string what;
  if (checker.current_version().empty()) {
    // No version at all: no context was made current, so there is no
    // driver to update; the display is what to look at.
    const std::string required = checker.required_version();
    const std::string major_minor = required.substr(0, required.find('.', required.find('.') + 1));
    const std::optional<std::string> display = platform::environment_variable("DISPLAY");
    what = "Error: no OpenGL " + major_minor + " context could be created on this display (" +
           (display && !display->empty() ? *display : "DISPLAY is not set") + ").";
  } else {
    what = checker.error_string();
  }
  return "OpenGL " + what +
         "\nPlease try updating your graphics drivers, or use another hardware configuration. "
         "Contact technical support if the problem persists.";
}

int run_guarded(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    platform::message_box(e.what(), "Error", platform::MessageIcon::error);
    return -1;
  } catch (...) {
    platform::message_box(
        "Error: incompatible hardware configuration; please check the requirements.\nThe program "
        "will now exit.",
        "Error", platform::MessageIcon::error);
    return -2;
  }
}

bool report_gl_error(const char* where) {
  const GLenum error = glGetError();
  if (error == GL_NO_ERROR) return false;
  std::cerr << where << gl_error_string(error) << std::endl;
  return true;
}

void drain_gl_errors() {
  // A bounded drain: without a context some drivers report an error on
  // every call.
  for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

GameProgram::GameProgram(PoolEngine& engine, VRInterface& vr, FrameBuffer& desktop)
    : second_pass([&engine] { engine.render_overlay_pass(); }),
      engine_(engine),
      vr_(vr),
      desktop_(desktop),
      vr_frame_(engine, vr, [this] { draw_scene(); }) {
  load_vr_models = [this] { vr_frame_.load_models(); };
  update_vr_controllers = [this] { vr_frame_.update_vr_controllers(); };
  draw_vr_frame = [this] { vr_frame_.draw_vr_frame(); };
  vr_menu_button = [this](int device, int button) { vr_frame_.vr_menu_button(device, button); };
}

GameProgram::~GameProgram() {
  if (active_program == this) active_program = nullptr;
}

int GameProgram::tlv_main(bool allow_vr) {
  if (const int r = start_up(allow_vr); r != 0 || upgrade_chosen_) return r;
  main_loop();
  close();
  return 0;
}

int GameProgram::start_up(bool allow_vr) {
  upgrade_chosen_ = check_for_update();
  if (upgrade_chosen_) return 0;

  // Before anything reads the data folder, so that a player who pointed
  // the program at the wrong folder reads one line about it.
  if (const std::string lack = missing_data(engine_.settings()); !lack.empty()) {
    platform::message_box(lack, "Error", platform::MessageIcon::error);
    return kDataMissing;
  }
  // The room is drawn without furniture that is not there.
  for (const std::string& lack : missing_furniture(engine_.settings()))
    std::cerr << lack << std::endl;

  // The sound system's result does not stop the game: it runs silent.
  engine_.init_sounds("");

  // freeglut reads no command line of ours.
  int argc = 1;
  char name[] = "talvorin32";
  char* argv[] = {name, nullptr};
  varnox_init_glut(&argc, argv);

  detect_headset(allow_vr);
  kWindow& window = engine_.window();
  window.set_title(std::string(kProduct) + " " + kVersion);
  window.double_buffer(!hmd_in_use_);

  if (const int r = engine_.auto_game_mode(true, ""); r != 0) {
    failure_box(kNoScreenMode);
    return r;
  }

  render_size_ = hmd_in_use_ ? std::array<float, 2>{static_cast<float>(headset_size_[0]),
                                                    static_cast<float>(headset_size_[1])}
                             : window.get_scaled_resolution();
  engine_.render_size(static_cast<int>(render_size_[0]), static_cast<int>(render_size_[1]));

  if (const int r = engine_.init(); r != 0) {
    failure_box(kEngineInitFailed);
    return r;
  }
  drain_gl_errors();
  engine_.idle_fps(0.0);
  engine_.display_fps(0.0);

  if (!gl_version_ok()) return kOldOpenGL;
  drain_gl_errors();
  if (const int r = init_glew(); r != 0) return r;
  drain_gl_errors();
  if (const int r = init_render_target(); r != 0) return r;
  drain_gl_errors();
  register_callbacks();
  drain_gl_errors();
  if (hmd_in_use_) {
    engine_.monitor_texture(vr_.get_eye_data()[1].resolve_texture());
    vr_.menu_btn([this](int device, int button) {
      if (vr_menu_button) vr_menu_button(device, button);
    });
  }
  drain_gl_errors();
  glutIgnoreKeyRepeat(engine_.get_ignore_repeat_keys() ? 1 : 0);
  drain_gl_errors();
  // From here closing the window ends the process (after close()).
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  window.focus();

  if (const int r = engine_.init_post_glew(); r != 0) {
    failure_box(kPostGlewFailed);
    return r;
  }
  drain_gl_errors();
  return 0;
}

bool GameProgram::check_for_update() {
  VersionChecker checker(kVersion, kUpdateHost, kUpdateFolder, kUpdateFile);
  if (!checker.ask_launch_upgrade(kProductPage)) return false;
  platform::open_in_browser(kProductPage);
  return true;
}

void GameProgram::detect_headset(bool allow_vr) {
  hmd_in_use_ = false;
  headset_size_ = {0, 0};
  if (!allow_vr || !vr::VR_IsHmdPresent()) return;
  hmd_in_use_ = vr_.init_hmd(nullptr) != nullptr;
  headset_size_ = vr_.detect_shape();
}

bool GameProgram::gl_version_ok() {
  VersionCheckerGL checker(kRequiredGL, GL_VERSION, 3);
  checker.get_version();
  if (checker.valid()) return true;
  checker.display_error(gl_version_failure_text(checker));
  engine_.quit(kOldOpenGL);
  if (platform::glut_guard::initialised())
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  engine_.window().close();
  return false;
}

int GameProgram::init_glew() {
  glewExperimental = GL_TRUE;
  const GLenum r = glewInit();
  if (r == GLEW_OK) return 0;
  // The box writes its text to the error stream as well.
  failure_box(glew_failure_text(static_cast<int>(r)));
  return kGlewFailed;
}

int GameProgram::init_render_target() {
  if (hmd_in_use_) {
    const int r = vr_.init();
    hmd_in_use_ = r == 0;
    vr_.enable(hmd_in_use_);
    if (r == 0) {
      vr_.render_models_folder() = engine_.settings().root() + "/openvr_render_models";
      vr_.set_clip(engine_.camera().near(), engine_.camera().far());
      if (load_vr_models) load_vr_models();
      const std::array<float, 3>& offset = engine_.start_position();
      engine_.walking().position() = {-offset[0], -offset[1], -offset[2]};
      engine_.crosshair().disable();
      vr_.mirror(true);
    }
  }
  engine_.hmd_control(hmd_in_use_);
  if (!hmd_in_use_) {
    const int r =
        desktop_.create(static_cast<int>(render_size_[0]), static_cast<int>(render_size_[1]));
    if (r != 0) {
      failure_box(kFrameBufferFailed);
      return r;
    }
  }
  return 0;
}

void GameProgram::main_loop() {
  while (engine_.quit() == 0) glutMainLoopEvent();
}

void GameProgram::register_callbacks() {
  active_program = this;
  glutDisplayFunc(DisplayF);
  glutReshapeFunc(ReshapeF);
  glutKeyboardFunc(KeyboardF);
  glutKeyboardUpFunc(KeyboardUpF);
  glutMouseFunc(MouseF);
  glutMotionFunc(MotionF);
  glutSpecialFunc(SpecialF);
  glutSpecialUpFunc(SpecialUpF);
  glutPassiveMotionFunc(MotionF);
  glutCloseFunc(CloseF);
}

void GameProgram::idle() {
  report_gl_error("IdleF() pre-call error ");
  engine_.idle();
  report_gl_error("IdleF() post-call error ");
  if (vr_.enabled()) {
    vr_.poll_events();
    if (update_vr_controllers) update_vr_controllers();
    CoordinateSystem& view = engine_.mouse_look().coord_sys();
    const auto& head = vr_.hmd_coord_sys().position();
    const auto& walker = engine_.walking().position();
    for (int i = 0; i < 3; ++i) view.position()[i] = head[i] + walker[i];
    glutPostRedisplay();
    if (const GLenum e = glGetError(); e != GL_NO_ERROR)
      std::cerr << "IdleF() glutPostRedisplay error " << e << std::endl;
  }
  report_gl_error("IdleF() post-call error ");
}

void GameProgram::display() {
  idle();
  const bool vr = vr_.enabled();
  engine_.hmd_control(vr);
  report_gl_error("DisplayF() pre-call error ");
  if (vr) {
    if (draw_vr_frame) draw_vr_frame();
  } else {
    engine_.monitor_texture(desktop_.resolve_texture());
    engine_.draw_desktop_mode(&desktop_, [this] { draw_scene(); });
  }
  report_gl_error("DisplayF() post-call error ");
}

void GameProgram::draw_scene() {
  engine_.display_basic([this] { engine_.render_game_scenes(); }, second_pass);
}

void GameProgram::keyboard(unsigned char key, int x, int y) {
  engine_.keyboard_callback(key, 1, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void GameProgram::keyboard_up(unsigned char key, int x, int y) {
  engine_.keyboard_callback(key, 0, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void GameProgram::special(int key, int x, int y) {
  engine_.special_key(key, 1, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void GameProgram::special_up(int key, int x, int y) {
  engine_.special_key_up(key, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void GameProgram::mouse(int button, int state, int x, int y) {
  if (engine_.quit() != 0) return;
  engine_.mouse_button(button, state, static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void GameProgram::motion(int x, int y) {
  engine_.mouse_motion(static_cast<float>(x), static_cast<float>(y));
}

void GameProgram::close() {
  engine_.audio.bg_bank.clear();
  engine_.audio.menu_bank.clear();
  engine_.audio.game_bank.clear();
  engine_.shutdown();
}
