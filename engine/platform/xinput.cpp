// The gamepad layer's entry point and its simple sources.
#include "platform/xinput.h"

#include <mutex>

namespace platform {
namespace {

std::mutex source_mutex;
// The installed source; the default is made on the first query.
std::shared_ptr<GamepadSource>& installed() {
  static std::shared_ptr<GamepadSource> source;
  return source;
}
std::shared_ptr<GamepadSource>& default_source() {
  static std::shared_ptr<GamepadSource> source;
  return source;
}

}  // namespace

std::uint32_t XInputGetState(std::uint32_t user_index, XINPUT_STATE* state) {
  if (user_index >= XUSER_MAX_COUNT || !state) return ERROR_BAD_ARGUMENTS;
  std::shared_ptr<GamepadSource> source;
  {
    std::lock_guard<std::mutex> lock(source_mutex);
    source = installed();
    if (!source) {
      if (!default_source()) default_source() = open_default_gamepads();
      source = default_source();
    }
  }
  return source->get_state(user_index, *state);
}

std::shared_ptr<GamepadSource> set_gamepad_source(std::shared_ptr<GamepadSource> source) {
  std::lock_guard<std::mutex> lock(source_mutex);
  std::shared_ptr<GamepadSource> previous = std::move(installed());
  installed() = std::move(source);
  return previous;
}

std::uint32_t ScriptedGamepads::get_state(std::uint32_t user_index, XINPUT_STATE& state) {
  if (user_index >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
  const Pad& p = pads_[user_index];
  if (!p.connected) return ERROR_DEVICE_NOT_CONNECTED;
  XINPUT_STATE& r = reported_[user_index];
  if (r.Gamepad != p.gamepad) {
    ++r.dwPacketNumber;
    r.Gamepad = p.gamepad;
  }
  state = r;
  return ERROR_SUCCESS;
}

void ScriptedGamepads::connect(std::uint32_t user_index, bool connected) {
  Pad& p = pads_.at(user_index);
  p = Pad{};
  p.connected = connected;
}

void ScriptedGamepads::set(std::uint32_t user_index, const XINPUT_GAMEPAD& gamepad) {
  Pad& p = pads_.at(user_index);
  p.connected = true;
  p.gamepad = gamepad;
}

}  // namespace platform
