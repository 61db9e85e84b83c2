// Key states and what to do when they change: the Keyboard of ordinary,
// special and modifier keys, KeyCallbacks (a state and a press and a release
// function per code) and the walk-key Bindings. All run on the freeglut thread.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>

// The last state stored for each key: 1 down, 0 up. Codes 0 to 127 and the
// two Alt keys (freeglut special keys 116 left, 117 right) start at 0.
class Keyboard {
 public:
  using States = std::map<int, int>;

  Keyboard();

  // State 0 for codes 0 to n - 1 (nothing for n <= 0).
  void init_ascii(int n);
  // State 0 for the special keys 116 and 117.
  void init_special();

  // Each stores the state, then refreshes the modifiers.
  void keyboard(int key, int state);
  void special(int key, int state);
  void special_down(int key) { special(key, 1); }
  void special_up(int key) { special(key, 0); }
  // The modifier bits 1 (Shift), 2 (Ctrl) and 4 (Alt) from freeglut, each 1
  // or 0. freeglut knows them only inside its input callbacks, where the input
  // base calls this; before glutInit every bit reads 0.
  void update_modifiers_gl();

  States& keys() { return keys_; }
  const States& keys() const { return keys_; }
  States& special_keys() { return special_keys_; }
  const States& special_keys() const { return special_keys_; }
  const States& modifiers() const { return modifiers_; }

 private:
  States keys_;
  States special_keys_;
  States modifiers_;
};

// Per key or button code: a state (1 down, 0 up) and the functions called
// with the code when it goes down and when it goes up. Copies carry copies of
// the functions.
class KeyCallbacks {
 public:
  using Callback = std::function<void(int)>;
  using Callbacks = std::map<int, Callback>;

  KeyCallbacks() = default;

  // A function runs only on a change between two known states: the first
  // press of a code never seen enters it as down and calls nothing. True only
  // for a press of a code that is already down.
  bool update(int code, bool pressed);

  // The function for the code, entered empty when it has none; assign
  // through it.
  Callback& down_callback(int code) { return down_callbacks_[code]; }
  Callback& up_callback(int code) { return up_callbacks_[code]; }
  Callbacks& down_callbacks() { return down_callbacks_; }
  const Callbacks& down_callbacks() const { return down_callbacks_; }
  Callbacks& up_callbacks() { return up_callbacks_; }
  const Callbacks& up_callbacks() const { return up_callbacks_; }
  std::map<int, int>& keys() { return keys_; }
  const std::map<int, int>& keys() const { return keys_; }

  // The state of the code; a code never entered prints "Key <code> not
  // found... returning 0" and gives 0.
  int operator[](int code) const;

 private:
  Callbacks up_callbacks_;
  Callbacks down_callbacks_;
  std::map<int, int> keys_;
};

// The four walk keys, forward, back, left, right ("wsad" by default).
class Bindings {
 public:
  Bindings() = default;

  // A unit step for walk key k (0 forward, 1 back, 2 left, 3 right) with the
  // given up axis: with a and b the two axes after it (cyclically), k = 0
  // gives -1 on a, 1 gives +1 on a, 2 gives -1 on b, 3 gives +1 on b; any
  // other k gives zeros. With up axis 1 (y): -z, +z, -x, +x. A negative up
  // axis counts modulo 3 like any other.
  static std::array<float, 3> walk_direction(int k, int up_axis);

  std::string& walk_chars() { return walk_chars_; }
  const std::string& walk_chars() const { return walk_chars_; }

 private:
  std::string walk_chars_ = "wsad";
};
