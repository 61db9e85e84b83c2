// Pointing-device state.
#include "input/mouse.h"

#include <cmath>

#include "platform/glut_guard.h"
#include "render/gl.h"

bool kMouse::move(float x, float y, float z) {
  const Vec to{x, y, z};
  Vec d{};
  for (std::size_t i = 0; i < 3; ++i) d[i] = to[i] - pos_[i];
  pos_ = to;
  const bool limited = max_delta_[0] != 0.0f || max_delta_[1] != 0.0f || max_delta_[2] != 0.0f;
  bool moved = false;
  for (std::size_t i = 0; i < 3; ++i) {
    float step = d[i];
    if (limited && std::fabs(step) > max_delta_[i]) step = std::copysign(max_delta_[i], step);
    delta_[i] = step;
    moved = moved || step != 0.0f;
  }
  return moved;
}

void kMouse::mouse_event(int button, int state, float x, float y, float z) {
  const auto it = buttons_.find(button);
  last_buttons_[button] = it == buttons_.end() ? 1 : it->second;
  buttons_[button] = state;
  pos_ = {x, y, z};
}

int kMouse::get_button(int b, const Buttons& states) {
  const auto it = states.find(b);
  return it == states.end() ? 1 : it->second;
}

void kMouse::warp(float x, float y, float z) {
  platform::glut_guard::warp_pointer(static_cast<int>(std::lround(x)),
                                     static_cast<int>(std::lround(y)));
  pos_ = {x, y, z};
  warped_ = true;
}

void kMouse::set_inversion(bool x, bool y, bool z) {
  const bool flags[3] = {x, y, z};
  for (std::size_t i = 0; i < 3; ++i)
    speed_[i] = flags[i] ? -std::fabs(speed_[i]) : std::fabs(speed_[i]);
}

void kMouse::set_inversion(const std::array<bool, 3>& inverted) {
  set_inversion(inverted[0], inverted[1], inverted[2]);
}

std::array<bool, 3> kMouse::inverted() const {
  return {speed_[0] < 0.0f, speed_[1] < 0.0f, speed_[2] < 0.0f};
}

void kMouse::hide() {
  if (!hidden_) platform::glut_guard::set_cursor(kCursorNone);
  hidden_ = true;
}

void kMouse::show(int cursor) {
  platform::glut_guard::set_cursor(cursor);
  hidden_ = false;
}

std::array<double, 3> kMouse::unproject() const {
  // Shared by every kMouse; only the freeglut thread unprojects.
  static std::array<double, 3> last{0.0, 0.0, 0.0};
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  std::array<double, 3> p{};
  if (gluUnProject(pos_[0], pos_[1], pos_[2], modelview, projection, viewport, &p[0], &p[1],
                   &p[2]) == GL_TRUE)
    last = p;
  return last;
}

MouseButtonEvent::MouseButtonEvent(const std::vector<int>& values) {
  if (values.size() > 0) button = values[0];
  if (values.size() > 1) state = values[1];
  if (values.size() > 2) handled = values[2];
}
