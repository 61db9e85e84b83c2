// The freeglut callback base and the frame clock step.
#include "input/glut_interface.h"

#include <GL/freeglut.h>

#include <memory>

#include "core/bezier_fader.h"
#include "platform/glut_guard.h"

GLUTInterface::GLUTInterface(kMouse* mouse, Keyboard* keyboard, Joystick*)
    : Wrapper<kMouse>(mouse), Wrapper<Keyboard>(keyboard) {}

GLUTInterface::~GLUTInterface() = default;

void GLUTInterface::idle() {
  const double now = clock_->now();
  if (paused_) {
    game_step_ = 0.0;
  } else {
    if (!game_clock_started_) start_game_clock(now);
    const double t = now - game_start_;
    // The change of the game clock in this frame, read before it moves on.
    game_step_ = t - game_time_;
    previous_game_time_ = game_time_;
    game_time_ = t;
    if (game_speed_steps_ == 0) game_speed_steps_ = 1;
    // The count is read again after each sub-step: an event may change it.
    for (unsigned int i = 0; i < game_speed_steps_; ++i) gametime_queue_.update(game_time_, -1);
  }
  const double r = clock_->real_time(now);
  real_step_ = r - realtime_queue_.time();
  realtime_queue_.update(r, 0);
  platform::glut_guard::force_joystick();
  idle_impl();
  if (idle_hook_) idle_hook_();
}

void GLUTInterface::start_game_clock(double at) {
  game_start_ = at;
  game_clock_started_ = true;
}

void GLUTInterface::pause(bool p) {
  if (p && !pause_allowed_) return;
  if (p == paused_) return;
  if (p) {
    paused_ = true;
    paused_game_time_ = game_time_;
  } else {
    unpause();
  }
}

void GLUTInterface::unpause() {
  if (!paused_) return;
  paused_ = false;
  start_game_clock(clock_->now() - paused_game_time_);
}

void GLUTInterface::set_menu(bool on) {
  const bool state = on && pause_allowed_;
  const bool changed = state != menu_enabled_;
  menu_enabled_ = state;
  if (!state) menu_closed_time_ = real_time();
  if (changed && menu_hook_) menu_hook_(state);
}

bool GLUTInterface::toggle_menu() {
  set_menu(!menu_enabled_);
  return menu_enabled_;
}

void GLUTInterface::enable_menu(bool on) {
  menu_enabled_ = on;
  if (menu_hook_) menu_hook_(on);
}

void GLUTInterface::disable_menu(bool on) {
  enable_menu(on);
}

bool GLUTInterface::any_alt_key() {
  Keyboard::States& special = keyboard().special_keys();
  return special[116] != 0 || special[117] != 0;
}

std::array<float, 3> GLUTInterface::arrow_key_direction(int key) {
  switch (key) {
    case 100:
      return {-1.0f, 0.0f, 0.0f};
    case 102:
      return {1.0f, 0.0f, 0.0f};
    case 103:
      return {0.0f, -1.0f, 0.0f};
    case 101:
      return {0.0f, 1.0f, 0.0f};
    default:
      return {0.0f, 0.0f, 0.0f};
  }
}

bool GLUTInterface::is_arrow_key(int key) const {
  for (const auto& row : arrow_keys_)
    for (int k : row)
      if (k == key) return true;
  return false;
}

void GLUTInterface::keyboard_callback(int key, int state, float x, float y, float z) {
  last_key_time_ = real_time();
  keyboard().keyboard(key, state);
  keyboard_impl(key, state, x, y, z);
}

void GLUTInterface::record_special_key(int key, int state) {
  last_key_time_ = real_time();
  if (is_arrow_key(key)) last_arrow_key_time_ = real_time();
  keyboard().special(key, state);
}

void GLUTInterface::special_key(int key, int state, float x, float y, float z) {
  record_special_key(key, state);
  if (key_intercept_) {
    key_intercept_(key, state, x, y, z);
  } else if (state == 1) {
    special_key_up_impl(key, x, y, z);
  }
}

void GLUTInterface::special_key_up(int key, float x, float y, float z) {
  record_special_key(key, 0);
  if (key_intercept_) {
    key_intercept_(key, 0, x, y, z);
  } else {
    special_key_up_impl(key, x, y, z);
  }
}

void GLUTInterface::special_key_down(int key, float x, float y, float z) {
  record_special_key(key, 1);
  if (key_intercept_) key_intercept_(key, 1, x, y, z);
}

void GLUTInterface::mouse_button(int button, int state, float x, float y, float z) {
  last_mouse_time_ = real_time();
  if (mouse_button_hook_) mouse_button_hook_(button, state, x, y, z);
}

void GLUTInterface::joystick_callback(unsigned int buttons, float x, float y, float z) {
  last_gamepad_time_ = real_time();
  if (joystick_hook_) joystick_hook_(buttons, x, y, z);
}

void GLUTInterface::shutdown() {
  if (shutdown_hook_) shutdown_hook_();
  if (platform::glut_guard::initialised()) glutLeaveMainLoop();
}

void GLUTInterface::close_gl() {
  if (close_gl_hook_) close_gl_hook_();
}

Event* GLUTInterface::queue_overlay_fade(int count, float* output, const float* from,
                                         const float* to, double duration, double delay,
                                         const char* name) {
  return realtime_queue_.adopt(std::make_unique<BezierFaderBuffered<float>>(
      count, output, from, to, real_time() + delay, duration, name));
}

Event* GLUTInterface::fade_overlay_alpha(double duration, float from, float to, double delay) {
  return queue_overlay_fade(1, &overlay_color_[3], &from, &to, duration, delay,
                            "Fade overlay alpha");
}

Event* GLUTInterface::fade_overlay(double duration, const Color& color, double delay) {
  return queue_overlay_fade(4, overlay_color_.data(), overlay_color_.data(), color.data(), duration,
                            delay, "Fade overlay");
}

Event* GLUTInterface::fade_out(double duration, double delay) {
  return fade_overlay_alpha(duration, 0.0f, 1.0f, delay);
}

Event* GLUTInterface::fade_in(double duration, double delay) {
  return fade_overlay_alpha(duration, 1.0f, 0.0f, delay);
}

std::array<Event*, 2> GLUTInterface::fade_out_in(double out_duration, double in_duration,
                                                 double delay) {
  return {fade_overlay_alpha(out_duration, 0.0f, 1.0f, delay),
          fade_overlay_alpha(in_duration, 1.0f, 0.0f, delay + out_duration)};
}
