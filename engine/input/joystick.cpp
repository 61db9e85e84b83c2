// Gamepad state and polling.
#include "input/joystick.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "core/vector_math.h"

Joystick::Joystick(unsigned int num_axes, Keyboard*) : axes_(num_axes) {}

void Joystick::set_num_axes(int n) {
  axes_.resize(static_cast<std::size_t>(std::max(n, 0)));
}

Joystick::Vec Joystick::scaled_direction(int i, bool verbose) const {
  if (i < 0 || i >= num_axes()) return {0.0f, 0.0f, 0.0f};
  const Vec& v = axis(i).pos();
  if (verbose) std::cout << "v = " << v << ", dead = " << dead_zone_ << std::endl;
  Vec d{};
  for (std::size_t k = 0; k < 3; ++k)
    d[k] = std::fabs(v[k]) < dead_zone_[k] ? 0.0f : v[k] / scale_[k];
  return d;
}

void Joystick::joystick(unsigned int buttons, float x, float y, float z) {
  if (!axes_.empty()) axes_[0].move(x, y, z);
  Keyboard::States& keys = keyboard().keys();
  for (int key : {'d', 'a', 's', 'w', 'c', 'e', ' '}) keys[key] = 0;
  if (std::fabs(x) > dead_zone_[0] || std::fabs(y) > dead_zone_[1]) {
    if (x > dead_zone_[0]) keys['d'] = static_cast<int>(x / scale_[0]);
    if (x < -dead_zone_[0]) keys['a'] = static_cast<int>(-x / scale_[0]);
    if (y > dead_zone_[1]) keys['s'] = static_cast<int>(y / scale_[1]);
    if (y < -dead_zone_[1]) keys['w'] = static_cast<int>(-y / scale_[1]);
  }
  if (buttons & 4u) keys[' '] = 1;
  if (buttons & 16u) keys['e'] = 1;
  if (z > dead_zone_[2]) keys['c'] = 1;
}

int XInputInterface::find_new_controllers() {
  const int before = num_joysticks();
  for (int index = 0; index < int(platform::XUSER_MAX_COUNT); ++index) {
    const auto known = std::find(user_indices_.begin(), user_indices_.end(), index);
    platform::XINPUT_STATE state;
    if (platform::XInputGetState(static_cast<std::uint32_t>(index), &state) ==
        platform::ERROR_SUCCESS) {
      std::size_t slot = static_cast<std::size_t>(known - user_indices_.begin());
      if (known == user_indices_.end()) {
        user_indices_.push_back(index);
        joysticks_.push_back(default_joystick(32767.0f, 0.18f));
        slot = joysticks_.size() - 1;
      }
      copy_state(state, joysticks_[slot], false);
    } else if (known != user_indices_.end()) {
      joysticks_.erase(joysticks_.begin() + (known - user_indices_.begin()));
      user_indices_.erase(known);
    }
  }
  return num_joysticks() - before;
}

void XInputInterface::get_state(bool) {
  for (std::size_t k = 0; k < user_indices_.size(); ++k) {
    platform::XINPUT_STATE state;
    if (platform::XInputGetState(static_cast<std::uint32_t>(user_indices_[k]), &state) ==
        platform::ERROR_SUCCESS)
      copy_state(state, joysticks_[k], false);
  }
}

Joystick& XInputInterface::joystick(int i) {
  if (i < 0 || i >= num_joysticks()) {
    std::cerr << "Error, i = " << i << " but active controllers = " << num_joysticks() << std::endl;
    // A pad asked for may have been plugged in since the last look.
    find_new_controllers();
    return first_joystick();
  }
  if (static_cast<std::size_t>(i) >= joysticks_.size()) {
    std::cerr << "Error, i = " << i << " but joysticks size = " << joysticks_.size() << std::endl;
    return first_joystick();
  }
  return joysticks_[static_cast<std::size_t>(i)];
}

Joystick& XInputInterface::first_joystick() {
  if (!joysticks_.empty()) return joysticks_.front();
  none_ = Joystick(3, nullptr);
  return none_;
}

const Joystick& XInputInterface::joystick(int i) const {
  if (i >= 0 && i < num_joysticks()) return joysticks_[static_cast<std::size_t>(i)];
  static const Joystick empty(3, nullptr);
  return empty;
}

const std::vector<int>& XInputInterface::xinput_gamepad_buttons() {
  using namespace platform;
  static const std::vector<int> masks = {XINPUT_GAMEPAD_DPAD_UP,
                                         XINPUT_GAMEPAD_DPAD_DOWN,
                                         XINPUT_GAMEPAD_DPAD_LEFT,
                                         XINPUT_GAMEPAD_DPAD_RIGHT,
                                         XINPUT_GAMEPAD_START,
                                         XINPUT_GAMEPAD_BACK,
                                         XINPUT_GAMEPAD_LEFT_THUMB,
                                         XINPUT_GAMEPAD_RIGHT_THUMB,
                                         XINPUT_GAMEPAD_LEFT_SHOULDER,
                                         XINPUT_GAMEPAD_RIGHT_SHOULDER,
                                         XINPUT_GAMEPAD_A,
                                         XINPUT_GAMEPAD_B,
                                         XINPUT_GAMEPAD_X,
                                         XINPUT_GAMEPAD_Y};
  return masks;
}

void XInputInterface::xinput_gamepad_map(const platform::XINPUT_STATE& state, Joystick& joystick) {
  for (int mask : xinput_gamepad_buttons())
    joystick.button_callbacks().update(mask, (state.Gamepad.wButtons & mask) != 0);
}

void XInputInterface::copy_state(const platform::XINPUT_STATE& state, Joystick& joystick,
                                 bool verbose) {
  const platform::XINPUT_GAMEPAD& g = state.Gamepad;
  if (verbose) {
    std::cout << "axis 0 x,y = " << g.sThumbLX << "," << g.sThumbLY << std::endl;
    std::cout << "axis 1 x,y = " << g.sThumbRX << "," << g.sThumbRY << std::endl;
  }
  const int axes = joystick.num_axes();
  if (axes > 0) joystick.axis(0).move(float(g.sThumbLX), -float(g.sThumbLY), 0.0f);
  if (axes > 1) joystick.axis(1).move(-float(g.sThumbRX), float(g.sThumbRY), 0.0f);
  xinput_gamepad_map(state, joystick);
  constexpr float kByte = 0.003921569f;  // 1/255
  const float lt = float(g.bLeftTrigger) * kByte;
  const float rt = float(g.bRightTrigger) * kByte;
  joystick.trigger_values() = {lt, rt};
  if (axes > 2) joystick.axis(2).move(lt, rt, 0.0f);
}

Joystick XInputInterface::default_joystick(float scale, float dead_fraction) {
  Joystick j(1, nullptr);
  j.set_num_axes(3);
  j.set_scale(scale, scale, scale);
  const float dead = scale * dead_fraction;
  j.set_dead_zone(dead, dead, dead);
  return j;
}
