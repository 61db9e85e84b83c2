// The window: creation, closing, freeglut window state and the viewport.
#include "input/window.h"

#include <cmath>
#include <iostream>

#include "platform/glut_guard.h"
#include "render/gl.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace glut_guard = platform::glut_guard;

namespace {

// A scale factor usable as a divisor: finite and positive, else 1.
float usable(float factor) {
  return std::isfinite(factor) && factor > 0.0f ? factor : 1.0f;
}

}  // namespace

kWindow::kWindow(std::string title, int width, int height, int x, int y, bool fullscreen,
                 bool visible, int parent)
    : resolution_{width, height},
      position_{x, y},
      fullscreen_(fullscreen),
      title_(std::move(title)),
      visible_(visible),
      parent_(parent) {}

bool kWindow::on_window(const std::function<void()>& f) const {
  if (!exists() || fullscreen_ || !glut_guard::initialised()) return false;
  const int previous = glutGetWindow();
  if (previous != id_) glutSetWindow(id_);
  // A window destroyed behind our back is not made current: skip the call.
  const bool current = glutGetWindow() == id_;
  if (current) f();
  if (previous != id_ && previous > 0) glutSetWindow(previous);
  return current;
}

int kWindow::create() {
  if (!glut_guard::initialised()) {
    std::cerr << "kWindow::create() error: freeglut is not initialised" << std::endl;
    return id_;
  }
  const std::array<int, 2> screen = glut_guard::screen_size();
  if (resolution_[0] == 0) resolution_[0] = screen[0];
  if (resolution_[1] == 0) resolution_[1] = screen[1];
  if (parent_ >= 0) {
    if (!exists())
      id_ =
          glutCreateSubWindow(parent_, position_[0], position_[1], resolution_[0], resolution_[1]);
  } else {
    unsigned int mode = GLUT_RGBA;
    if (double_buffer_) mode |= GLUT_DOUBLE;
    if (depth_) mode |= GLUT_DEPTH;
    if (multisample_) mode |= GLUT_MULTISAMPLE;
    if (alpha_) std::cout << "kWindow::create() ALPHA ENABLED" << std::endl;
    glutInitDisplayMode(mode);
    if (fullscreen_) {
      if (game_modes_.empty()) init_game_modes(false);
      // A display that cannot give full screen gets a window instead, so
      // that a stored full-screen choice never keeps the program from
      // starting. Only the window's flag changes; the setting stays.
      if (!enter_game_mode()) fullscreen_ = false;
    }
    if (!fullscreen_) {
      glutInitWindowSize(resolution_[0], resolution_[1]);
      glutInitWindowPosition(position_[0], position_[1]);
      id_ = glutCreateWindow(title_.c_str());
    }
  }
  // The stored visibility applies to the new window as every stored setting does.
  if (exists() && !fullscreen_ && !visible_) on_window(glutHideWindow);
  std::cout << "Window::create() id = " << id_ << std::endl;
  refresh_scale_factor();
  return id_;
}

bool kWindow::enter_game_mode() {
  const std::string mode = game_mode_string();
  const char* why = nullptr;
  if (!mode_probe_(mode)) {
    why = "the display offers no such full-screen mode";
  } else {
    glutGameModeString(mode.c_str());
    if (glutEnterGameMode() == 0 || glutGameModeGet(GLUT_GAME_MODE_ACTIVE) == 0)
      why = "the display did not switch to it";
  }
  if (!why) return true;
  std::cerr << "Full screen at " << mode << " is not available (" << why << "): a " << mode
            << " window opens instead" << std::endl;
  return false;
}

void kWindow::close() {
  if (!fullscreen_) {
    if (id_ > 0 && glut_guard::initialised()) glutDestroyWindow(id_);
    id_ = -1;
    return;
  }
  std::cout << "Leaving game mode" << std::endl;
  if (glut_guard::initialised()) glutLeaveGameMode();
  std::cout << "Current window: " << glutGetWindow() << std::endl;
}

void kWindow::set_title(std::string title) {
  title_ = std::move(title);
  on_window([this] { glutSetWindowTitle(title_.c_str()); });
}

void kWindow::set_position(int x, int y) {
  position_ = {x, y};
  on_window([x, y] { glutPositionWindow(x, y); });
}

void kWindow::set_resolution(int w, int h, bool reshape) {
  resolution_ = {w, h};
  if (!reshape) return;
  const int width = static_cast<int>(std::lround(w / usable(scale_factor_[0])));
  const int height = static_cast<int>(std::lround(h / usable(scale_factor_[1])));
  on_window([width, height] { glutReshapeWindow(width, height); });
}

void kWindow::set_visible(bool visible) {
  visible_ = visible;
  on_window(visible ? glutShowWindow : glutHideWindow);
}

void kWindow::set_display_callback(void (*f)()) {
  on_window([f] { glutDisplayFunc(f); });
}

void kWindow::set_display_callback(const std::function<void()>& f) {
  if (const auto* plain = f.target<void (*)()>()) set_display_callback(*plain);
}

std::function<void()> kWindow::register_callback_function(std::function<void()> f) {
  callback_ = std::move(f);
  return callback_;
}

int kWindow::in_focus() const {
  return id_ != 0 && id_ == glutGetWindow() ? 1 : 0;
}

void kWindow::focus() const {
  if (exists() && !fullscreen_ && glut_guard::initialised()) glutSetWindow(id_);
}

int kWindow::current() {
  return glutGetWindow();
}

void kWindow::set_fullscreen(bool on) {
  if (on && !fullscreen_) {
    init_game_modes(false);
    if (glut_guard::initialised()) glutEnterGameMode();
  } else if (!on && fullscreen_) {
    if (glut_guard::initialised()) glutLeaveGameMode();
  }
  fullscreen_ = on;
}

void kWindow::toggle_fullscreen() {
  set_fullscreen(!fullscreen_);
}

void kWindow::refresh_scale_factor() {
  std::array<float, 2> size{0.0f, 0.0f};
  if (fullscreen_) {
    const std::array<int, 2> screen = glut_guard::screen_size();
    size = {float(screen[0]), float(screen[1])};
  } else {
    on_window([&size] {
      size = {float(glutGet(GLUT_WINDOW_WIDTH)), float(glutGet(GLUT_WINDOW_HEIGHT))};
    });
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const float factor = float(resolution_[i]) / size[i];
    scale_factor_[i] = std::isfinite(factor) ? factor : 1.0f;
  }
}

std::array<float, 2> kWindow::get_scaled_resolution() const {
  return {float(resolution_[0]) / usable(scale_factor_[0]),
          float(resolution_[1]) / usable(scale_factor_[1])};
}

void kWindow::reset_viewport(int w, int h, int x, int y, bool scaled) {
  refresh_scale_factor();
  if (w == 0) w = resolution_[0];
  if (h == 0) h = resolution_[1];
  if (!scaled) {
    resolution_ = {w, h};
  } else {
    const int wanted[2] = {w, h};
    for (std::size_t i = 0; i < 2; ++i) {
      const long scaled_value = std::lround(float(wanted[i]) * scale_factor_[i]);
      if (scaled_value != resolution_[i]) resolution_[i] = wanted[i];
    }
  }
  if (const GLenum e = glGetError(); e != GL_NO_ERROR)
    std::cerr << "kWindow::reset_viewport() pre error " << e << std::endl;
  std::cout << "reset_viewport(): calling set_resolution(" << w << "," << h << ")" << std::endl;
  glViewport(x, y, resolution_[0], resolution_[1]);
  if (const GLenum e = glGetError(); e != GL_NO_ERROR)
    std::cerr << "kWindow::reset_viewport() glViewportcd error " << e << std::endl;
}

void varnox_init_glut(int* argc, char** argv) {
  if (!glut_guard::initialised()) glutInit(argc, argv);
}

void varnox_null_func() {}
