// The state of a pointing device (kMouse: position, last step, per-axis speed
// and inversion, step limits, buttons, pointer visibility) and the record of
// one button event. A kMouse serves the mouse and every gamepad stick or
// trigger pair alike: anything that reports up to three axes.
#pragma once

#include <array>
#include <map>
#include <vector>

// Button states follow freeglut: 0 down, 1 up. Runs on the freeglut thread;
// copies and moves are member-wise.
class kMouse {
 public:
  using Vec = std::array<float, 3>;
  using Buttons = std::map<int, int>;

  // freeglut's cursor that shows nothing (GLUT_CURSOR_NONE).
  static constexpr int kCursorNone = 101;

  kMouse() = default;

  // Moves to (x, y, z) and stores the step from the old position, each
  // component limited in magnitude by max_delta() unless all three limits are
  // 0. True when any component of the step is not 0.
  bool move(float x, float y, float z);
  // Records the button's new state (the old one, or 1 for a button never
  // seen, becomes its last state) and the position; the step stays.
  void mouse_event(int button, int state, float x, float y, float z);

  // The current and the previous state of a button; a button never seen is
  // up (1).
  int button(int b) const { return get_button(b, buttons_); }
  int last_button(int b) const { return get_button(b, last_buttons_); }
  static int get_button(int b, const Buttons& states);
  const Buttons& buttons() const { return buttons_; }
  const Buttons& last_buttons() const { return last_buttons_; }

  float x() const { return pos_[0]; }
  float y() const { return pos_[1]; }
  float z() const { return pos_[2]; }
  Vec& pos() { return pos_; }
  const Vec& pos() const { return pos_; }
  Vec& delta() { return delta_; }
  const Vec& delta() const { return delta_; }
  Vec& max_delta() { return max_delta_; }
  const Vec& max_delta() const { return max_delta_; }

  // Puts the system pointer at (x, y) rounded to pixels (when freeglut has a
  // current window) and the position at (x, y, z); marks it warped.
  void warp(float x, float y, float z);
  bool warped() const { return warped_; }
  void clear_warped() { warped_ = false; }

  // Speed factors per axis; the sign of each is that axis's inversion.
  void set_speed(float x, float y, float z) { speed_ = {x, y, z}; }
  void set_speed(const Vec& speed) { speed_ = speed; }
  const Vec& speed() const { return speed_; }
  // Each factor keeps its magnitude and turns negative where the flag is set.
  void set_inversion(bool x, bool y, bool z);
  void set_inversion(const std::array<bool, 3>& inverted);
  std::array<bool, 3> inverted() const;

  // Hides the system pointer: the cursor call is made only when it is not
  // hidden yet. show() always sets the cursor (a freeglut GLUT_CURSOR_* value).
  // Both go through the freeglut guard: without a current window only the
  // flag changes.
  void hide();
  void show(int cursor);
  bool hidden() const { return hidden_; }
  bool visible() const { return !hidden_; }
  // Marks the pointer hidden or shown without a cursor call, for code that
  // sets the cursor itself.
  void hidden(bool h) { hidden_ = h; }

  // The scene point under the position, taken as window coordinates (y not
  // flipped), through the current OpenGL matrices and viewport. When
  // gluUnProject fails, the last point it gave (for any kMouse; zeros before
  // the first) is returned.
  std::array<double, 3> unproject() const;

 private:
  bool hidden_ = false;
  Buttons buttons_;
  Buttons last_buttons_;
  Vec pos_{0.0f, 0.0f, 0.0f};
  Vec delta_{0.0f, 0.0f, 0.0f};
  Vec speed_{1.0f, 1.0f, 1.0f};
  bool warped_ = true;
  Vec max_delta_{50.0f, 50.0f, 50.0f};
};

// One button event as the engine queues it: the button, a state value and a
// flag (0 when built from two values; the engine marks handled events with it).
struct MouseButtonEvent {
  MouseButtonEvent() = default;
  MouseButtonEvent(int b, int s) : button(b), state(s) {}
  // The first three values of the list; missing ones are 0.
  explicit MouseButtonEvent(const std::vector<int>& values);

  int button = 0;
  int state = 0;
  int handled = 0;
};
