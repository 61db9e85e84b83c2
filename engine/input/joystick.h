// Gamepads: Joystick, one pad's sticks and triggers as kMouse objects and its
// buttons as KeyCallbacks keyed by XInput button mask, and XInputInterface,
// which finds up to four pads through the platform's XInputGetState and
// copies each pad's state into its Joystick when polled. Everything runs on
// the freeglut thread.
#pragma once

#include <array>
#include <vector>

#include "core/wrapper.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "platform/xinput.h"

// Axis 0 is the left stick, axis 1 the right stick, axis 2 the two triggers.
// Copies are member-wise; the keyboard is always the joystick's own.
class Joystick {
 public:
  using Vec = std::array<float, 3>;

  // num_axes default kMouse objects and a keyboard of its own; the keyboard
  // pointer is not used.
  explicit Joystick(unsigned int num_axes = 1, Keyboard* keyboard = nullptr);

  // Axis i (std::out_of_range beyond the list); all three names are one.
  kMouse& axis(int i) { return axes_.at(static_cast<std::size_t>(i)); }
  const kMouse& axis(int i) const { return axes_.at(static_cast<std::size_t>(i)); }
  kMouse& stick(int i) { return axis(i); }
  const kMouse& stick(int i) const { return axis(i); }
  kMouse& mouse(int i) { return axis(i); }
  const kMouse& mouse(int i) const { return axis(i); }
  int num_axes() const { return static_cast<int>(axes_.size()); }
  // Resizes the axis list (a negative n empties it).
  void set_num_axes(int n);

  // Axis i's position with each component 0 below its dead zone and divided
  // by its scale otherwise: with XInput's settings a full deflection gives
  // about 1 and the first 18 % give 0. Zeros for an axis that does not exist.
  // verbose prints "v = " the position ", dead = " the dead zone.
  Vec scaled_direction(int i, bool verbose) const;

  // A freeglut joystick handler (nothing registers it): axis 0 moves to
  // (x, y, z); the keyboard's "d", "a", "s", "w", "c", "e" and space go to 0,
  // then a deflection beyond the dead zone sets "d" (right), "a" (left), "s"
  // (down) or "w" (up) to its size in scale units (truncated), the button
  // mask 4 sets space, the mask 16 sets "e" and z beyond its dead zone "c".
  void joystick(unsigned int buttons, float x, float y, float z);

  // Filled only by joystick().
  Keyboard& keyboard() { return keyboard_.get(); }
  const Keyboard& keyboard() const { return keyboard_.get(); }
  // Button states and the functions bound to them, keyed by button mask.
  KeyCallbacks& button_callbacks() { return button_callbacks_; }
  const KeyCallbacks& button_callbacks() const { return button_callbacks_; }
  // Left and right trigger in 0..1 after a poll; empty before.
  std::vector<float>& trigger_values() { return trigger_values_; }
  const std::vector<float>& trigger_values() const { return trigger_values_; }
  // The engine walks with stick 0 only while the length of its scaled (x, y)
  // is above this.
  float min_magnitude() const { return min_magnitude_; }
  void min_magnitude(float m) { min_magnitude_ = m; }
  // The raw value of full deflection and the raw magnitude below which a
  // component counts as 0, per component.
  void set_scale(float x, float y, float z) { scale_ = {x, y, z}; }
  void set_dead_zone(float x, float y, float z) { dead_zone_ = {x, y, z}; }
  const Vec& scale() const { return scale_; }
  const Vec& dead_zone() const { return dead_zone_; }

 private:
  Wrapper<Keyboard> keyboard_;
  KeyCallbacks button_callbacks_;
  float min_magnitude_ = 0.1f;
  std::vector<kMouse> axes_;
  std::vector<float> trigger_values_;
  Vec scale_{1000.0f, 1000.0f, 1000.0f};
  Vec dead_zone_{255.0f, 255.0f, 255.0f};
};

// The known pads: the XInput user index (0 to 3) of each and its Joystick, in
// the order they were found. Copies and moves copy or move both lists.
class XInputInterface {
 public:
  XInputInterface() = default;

  // Asks user indices 0 to 3: a pad that answers for the first time gets a
  // joystick with 3 axes, scale 32767 and dead zone 5898.06 (18 %) on all
  // components, and every answering pad's state is copied; a known pad that
  // no longer answers is dropped with its joystick and bound functions.
  // Returns the change in the number of known pads.
  int find_new_controllers();
  // Copies the state of every known pad that answers; one that does not
  // keeps its last state until find_new_controllers drops it. The argument
  // has no effect.
  void get_state(bool verbose = false);

  int num_joysticks() const { return static_cast<int>(user_indices_.size()); }
  // Joystick i. Out of range (negative, or not below the number of known
  // pads) prints "Error, i = " i " but active controllers = " and the count,
  // looks for pads again (find_new_controllers) and gives the first
  // joystick; with no pad at all, a joystick with 3 axes and nothing bound,
  // which belongs to no pad and is reset on every such call.
  Joystick& joystick(int i);
  // Joystick i; out of range, an empty joystick with 3 axes, silently.
  const Joystick& joystick(int i) const;

  const std::vector<int>& user_indices() const { return user_indices_; }
  std::vector<Joystick>& joysticks() { return joysticks_; }
  const std::vector<Joystick>& joysticks() const { return joysticks_; }

  // The 14 button masks in XInput's order: D-pad up, down, left, right,
  // Start, Back, left and right thumb, left and right shoulder, A, B, X, Y.
  static const std::vector<int>& xinput_gamepad_buttons();
  // Updates the joystick's button callbacks with each mask's pressed state,
  // in the order above.
  static void xinput_gamepad_map(const platform::XINPUT_STATE& state, Joystick& joystick);

 protected:
  // Axis 0 to (left x, -left y, 0) and axis 1 to (-right x, right y, 0) in
  // raw values, the buttons, and the triggers in 0..1 into trigger_values
  // and axis 2 (lt, rt, 0). Axes the joystick lacks are skipped. verbose
  // prints both sticks.
  static void copy_state(const platform::XINPUT_STATE& state, Joystick& joystick, bool verbose);
  // Joystick(1, nullptr) widened to 3 axes with the scale on all components
  // and scale * dead_fraction as dead zone.
  static Joystick default_joystick(float scale, float dead_fraction);

 private:
  // The first known pad's joystick, else none_ made empty again.
  Joystick& first_joystick();

  std::vector<int> user_indices_;
  std::vector<Joystick> joysticks_;
  Joystick none_{3, nullptr};
};

// A gamepad interface; nothing is added.
class Gamepad : public XInputInterface {
 public:
  using XInputInterface::XInputInterface;
};
