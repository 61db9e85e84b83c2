// Key states, key callbacks and walk directions.
#include "input/keyboard.h"

#include <iostream>

#include "platform/glut_guard.h"

Keyboard::Keyboard() {
  init_ascii(128);
  init_special();
}

void Keyboard::init_ascii(int n) {
  for (int code = 0; code < n; ++code) keys_[code] = 0;
}

void Keyboard::init_special() {
  special_keys_[116] = 0;
  special_keys_[117] = 0;
}

void Keyboard::keyboard(int key, int state) {
  keys_[key] = state;
  update_modifiers_gl();
}

void Keyboard::special(int key, int state) {
  special_keys_[key] = state;
  update_modifiers_gl();
}

void Keyboard::update_modifiers_gl() {
  const int bits = platform::glut_guard::modifiers();
  for (int bit : {1, 2, 4}) modifiers_[bit] = (bits & bit) ? 1 : 0;
}

bool KeyCallbacks::update(int code, bool pressed) {
  const auto known = keys_.find(code);
  const bool entered = known != keys_.end();
  const bool down = entered && known->second != 0;
  if (pressed && down) {
    known->second = 1;
    return true;
  }
  // The function is copied before it runs: it may install another for its code.
  if (pressed && entered) {
    const Callback f = down_callback(code);
    if (f) f(code);
  } else if (!pressed && down) {
    const Callback f = up_callback(code);
    if (f) f(code);
  }
  keys_[code] = pressed ? 1 : 0;
  return false;
}

int KeyCallbacks::operator[](int code) const {
  const auto it = keys_.find(code);
  if (it != keys_.end()) return it->second;
  std::cout << "Key " << code << " not found... returning 0" << std::endl;
  return 0;
}

std::array<float, 3> Bindings::walk_direction(int k, int up_axis) {
  std::array<float, 3> d{0.0f, 0.0f, 0.0f};
  if (k < 0 || k > 3) return d;
  const int up = ((up_axis % 3) + 3) % 3;
  const int axis = k < 2 ? (up + 1) % 3 : (up + 2) % 3;
  d[static_cast<std::size_t>(axis)] = (k % 2 == 0) ? -1.0f : 1.0f;
  return d;
}
