// BasicEngine: the mouse as pointer into the scene (with its thread) and as
// mouse look, the queue of mouse-button events, and the choice of the device
// that drives the menus, the look and the walk.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "engine/basic_engine.h"
#include "platform/glut_guard.h"

namespace {

// A pass every 1/30 s, until stopped.
constexpr double kPointerPeriod = 1.0 / 30.0;

// A scale factor that can divide: 1 for zero, negative or not a number.
float usable_scale(float s) {
  return std::isfinite(s) && s > 0.0f ? s : 1.0f;
}

}  // namespace

void BasicEngine::mouse_passive(float x, float y, float z, bool) {
  const float sx = usable_scale(window_.scale_factor()[0]);
  const float sy = usable_scale(window_.scale_factor()[1]);
  const float px = std::round(x * sx);
  const float py = std::round(y * sy);
  if (!mouse().move(px, py, z)) return;
  last_mouse_time(real_time());
  mouse_control_ = true;

  if (!mouse().hidden()) {
    if (!pointer_thread_.started()) {
      pointer_thread_.publish(pointer_inputs());
      pointer_thread_.start(kPointerPeriod);
    } else {
      // The pointer follows the mouse at the thread's next pass.
      pointer_thread_.publish(pointer_inputs());
    }
    if (!have_pointer_coordsys(&mouse_pointer_)) pointer_coordsys_.push_back(&mouse_pointer_);
    return;
  }

  // Mouse look, once the menu has been closed for a moment.
  if (!(real_time() - menu_closed_time() > menu_look_delay())) return;
  const auto listed =
      std::find(pointer_coordsys_.begin(), pointer_coordsys_.end(), &mouse_pointer_);
  if (listed != pointer_coordsys_.end()) pointer_coordsys_.erase(listed);
  if (warp_pointer() && !any_alt_key() && mouse().hidden()) {
    const float width = static_cast<float>(window_.width());
    const float height = static_cast<float>(window_.height());
    const float cx = (width - 1.0f) / 2.0f;
    const float cy = (height - 1.0f) / 2.0f;
    const float dx = px - cx;
    const float dy = py - cy;
    if (std::sqrt(dx * dx + dy * dy) > 0.25f * std::sqrt(cx * cx + cy * cy)) {
      // Back to the centre, in window coordinates; this motion does not turn.
      const float wx = std::round((width / sx - 1.0f) / 2.0f);
      const float wy = std::round((height / sy - 1.0f) / 2.0f);
      platform::glut_guard::warp_pointer(static_cast<int>(wx), static_cast<int>(wy));
      mouse().pos() = {std::round(sx * wx), std::round(sy * wy), z};
      return;
    }
  }
  mouse_look_.apply_mouse_motion(&mouse(), nullptr, nullptr, nullptr, -1, false);
}

PointerInputs BasicEngine::pointer_inputs() const {
  PointerInputs in;
  in.mouse = mouse().pos();
  in.width = window_.width();
  in.height = window_.height();
  in.fov = camera_.fov();
  in.view = mouse_look_.coord_sys();
  in.up_axis = walking_.up_axis;
  return in;
}

std::array<float, 3> BasicEngine::unproject_mouse(float depth) const {
  return ::unproject_mouse(pointer_inputs(), depth);
}

void BasicEngine::update_mouse_screen_pointer() {
  const PointerInputs inputs = pointer_inputs();
  const PointerPoses poses = mouse_screen_pointer(inputs);
  poses.pointer.apply(mouse_pointer_);
  poses.target.apply(pointer_target_);
  if (pointer_thread_.started()) pointer_thread_.computed_here(inputs);
}

void BasicEngine::sync_mouse_pointer() {
  if (!pointer_thread_.started()) return;
  if (const std::optional<PointerPoses> poses = pointer_thread_.take()) {
    poses->pointer.apply(mouse_pointer_);
    poses->target.apply(pointer_target_);
  }
  pointer_thread_.publish(pointer_inputs());
}

void BasicEngine::mouse_button(int button, int state, float x, float y, float z) {
  GLUTInterface::mouse_button(button, state, x, y, z);
  const std::lock_guard<std::mutex> lock(mouse_events_lock_.mutex);
  mouse_button_events_.emplace_back(button, state == 0 ? 1 : -1);
}

void BasicEngine::process_mouse_button_events(std::function<void(int)> handler, int button) {
  if (!handler) return;
  std::list<MouseButtonEvent> taken;
  {
    const std::lock_guard<std::mutex> lock(mouse_events_lock_.mutex);
    if (mouse_events_busy_) return;
    mouse_events_busy_ = true;
    taken.swap(mouse_button_events_);
  }
  // Cleared also when a handler throws.
  struct Done {
    BasicEngine* engine;
    ~Done() {
      const std::lock_guard<std::mutex> lock(engine->mouse_events_lock_.mutex);
      engine->mouse_events_busy_ = false;
    }
  } done{this};
  for (const MouseButtonEvent& e : taken)
    if (e.button == button) handler(e.state);
}

bool BasicEngine::mouse_events_busy() const {
  const std::lock_guard<std::mutex> lock(mouse_events_lock_.mutex);
  return mouse_events_busy_;
}

bool BasicEngine::have_pointer_coordsys(const CoordinateSystem* cs) const {
  if (!cs) return false;
  return std::find(pointer_coordsys_.begin(), pointer_coordsys_.end(), cs) !=
         pointer_coordsys_.end();
}

bool BasicEngine::recent(double stamp, double span) const {
  return stamp != 0.0 && real_time() - stamp < span;
}

ControllerType BasicEngine::menu_controller() const {
  ControllerType answer = menu_choice_;
  const auto since_pad = std::chrono::steady_clock::now() - last_gamepad_input_;
  if (!controllers_.empty()) {
    answer = ControllerType::vr_controller;
  } else if (recent(last_arrow_key_time(), 2.0)) {
    answer = ControllerType::keyboard;
  } else if (last_gamepad_input_ > constructed_ && since_pad < std::chrono::seconds(1)) {
    answer = ControllerType::gamepad;
  } else if (recent(last_mouse_time(), mouse_timeout())) {
    answer = ControllerType::mouse;
  } else if (answer == ControllerType::none) {
    answer = ControllerType::mouse;
  }
  menu_choice_ = answer;
  return answer;
}

ControllerType BasicEngine::look_controller() const {
  ControllerType answer = look_choice_;
  if (recent(last_mouse_time(), mouse_timeout())) {
    answer = ControllerType::mouse;
  } else if (joystick_look_active()) {
    answer = ControllerType::gamepad;
  } else if (hmd_control_) {
    answer = ControllerType::hmd;
  }
  look_choice_ = answer;
  return answer;
}

ControllerType BasicEngine::walk_controller() const {
  ControllerType answer = walk_choice_;
  if (recent(last_key_time(), keyboard_timeout())) {
    answer = ControllerType::keyboard;
  } else if (recent(last_gamepad_time(), 1.0)) {
    answer = ControllerType::gamepad;
  } else if (hmd_control_) {
    answer = ControllerType::hmd;
  } else if (answer == ControllerType::none) {
    answer = ControllerType::keyboard;
  }
  walk_choice_ = answer;
  return answer;
}
