// Sliders: value arithmetic, the click and arrow actions and the triangle.
#include "ui/slider.h"

#include <algorithm>
#include <cmath>

#include "platform/glut_guard.h"
#include "render/gl.h"
#include "render/state_guards.h"

namespace {

// A window's context is current and GLEW has loaded the vertex-array calls.
bool gl_ready() {
  return platform::glut_guard::window_current() && gl_entry_points_loaded();
}

}  // namespace

Slider::Slider(ValueCallback callback, float value, Limits limits, Vec3 size)
    : value_callback_(std::move(callback)) {
  set_limits(limits);
  vol() = size;
  set_value(value);
  init();
  selectable(1);
}

Slider::Slider(float lower, float upper, float value) : Slider(Limits{lower, upper}, value) {}

Slider::Slider(Limits limits, float value) : limits_(limits), value_(value) {
  selectable(0);
}

Slider::Slider(const Slider& other)
    : Frame(other),
      limits_hook(other.limits_hook),
      value_hook(other.value_hook),
      style(other.style),
      selected_color(other.selected_color),
      limits_(other.limits_),
      value_(other.value_),
      shape_(other.shape_),
      value_callback_(other.value_callback_),
      actions_installed_(other.actions_installed_) {
  if (actions_installed_) install_actions();
}

Slider::Slider(Slider&& other) noexcept
    : Frame(std::move(other)),
      limits_hook(std::move(other.limits_hook)),
      value_hook(std::move(other.value_hook)),
      style(std::move(other.style)),
      selected_color(other.selected_color),
      limits_(other.limits_),
      value_(other.value_),
      shape_(std::move(other.shape_)),
      value_callback_(std::move(other.value_callback_)),
      actions_installed_(other.actions_installed_) {
  if (actions_installed_) install_actions();
}

Slider& Slider::operator=(const Slider& other) {
  if (this == &other) return *this;
  Frame::operator=(other);
  limits_hook = other.limits_hook;
  value_hook = other.value_hook;
  style = other.style;
  selected_color = other.selected_color;
  limits_ = other.limits_;
  value_ = other.value_;
  shape_ = other.shape_;
  value_callback_ = other.value_callback_;
  actions_installed_ = other.actions_installed_;
  if (actions_installed_) install_actions();
  return *this;
}

Slider& Slider::operator=(Slider&& other) noexcept {
  if (this == &other) return *this;
  Frame::operator=(std::move(other));
  limits_hook = std::move(other.limits_hook);
  value_hook = std::move(other.value_hook);
  style = std::move(other.style);
  selected_color = other.selected_color;
  limits_ = other.limits_;
  value_ = other.value_;
  shape_ = std::move(other.shape_);
  value_callback_ = std::move(other.value_callback_);
  actions_installed_ = other.actions_installed_;
  if (actions_installed_) install_actions();
  return *this;
}

Slider::~Slider() = default;

int Slider::init() {
  if (gl_ready()) build_shape();
  install_actions();
  return 0;
}

void Slider::build_shape() {
  if (shape_.id() != 0) return;
  const BindingsGuard bindings;
  shape_.construct({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1},
                   {0, 0, 1, 0, 1, 1, 0, 0}, 0, 1, 2, 3, 3, 2);
}

void Slider::install_actions() {
  callback() = basic_slider_callback();
  next([this] { step(1.0f); });
  back([this] { step(-1.0f); });
  actions_installed_ = true;
}

float Slider::clamped(float v) const {
  const auto [lo, hi] = std::minmax(limits_[0], limits_[1]);
  return std::clamp(v, lo, hi);
}

void Slider::step(float tenths) {
  value_ = clamped(value_ + range() * 0.1f * tenths);
  if (value_callback_) value_callback_(value_);
}

void Slider::set_limits(Limits limits) {
  limits_ = limits;
  if (limits_hook) limits_hook();
}

void Slider::set_value(float v) {
  if (v == value_) return;
  value_ = v;
  if (value_hook) value_hook();
}

float Slider::pos2value(const Vec3& pos, int axis) const {
  if (axis < 0 || axis > 2) return limits_[0];
  const float extent = vol()[axis];
  const float v = ((extent * 0.5f + pos[axis]) / extent) * range() + limits_[0];
  return std::isfinite(v) ? v : limits_[0];
}

Frame::Action Slider::basic_slider_callback() {
  return [this] {
    value_ = clamped(pos2value(last_inside(), 0));
    if (value_callback_) value_callback_(value_);
  };
}

void Slider::default_styles() {
  style.fill_color(0.0f, 1.0f, 0.0f, 0.9f);
  style.line_color(1.0f, 1.0f, 1.0f, 0.9f);
  style.enable(true);
  style.line_width(12.0f);
}

float Slider::fill_fraction() const {
  const float f = (value_ - limits_[0]) / range();
  return std::isfinite(f) ? f : 0.0f;
}

void Slider::render() {
  if (!gl_ready()) return;
  build_shape();
  const BindingsGuard bindings;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glPushMatrix();
  glScalef(vol()[0], vol()[1], 1.0f);
  glTranslatef(-0.5f, -0.5f, 0.0f);

  const bool highlighted = selected() != 0;
  glColor4fv((highlighted ? selected_color : style.line_color()).data());
  glLineWidth(style.line_width());
  shape_.mode().mode = GL_LINE_LOOP;
  shape_.draw_arrays();

  const float f = fill_fraction();
  glScalef(f, f, 1.0f);
  glColor4fv((highlighted ? selected_color : style.fill_color()).data());
  shape_.mode().mode = GL_TRIANGLES;
  shape_.draw_arrays();

  glPopMatrix();
  glPopAttrib();
}
