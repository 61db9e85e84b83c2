// Gamepads read through SDL2's game-controller API, which maps most pads to
// XInput's layout. Only SDL's game-controller subsystem is started: no
// window, no signal handlers, no event queue.
#pragma once

#include <array>
#include <memory>

#include "platform/xinput.h"

namespace platform {

// Each pad SDL recognises as a game controller takes the lowest free user
// index when a query first sees it and keeps it until it is unplugged. Every
// query refreshes SDL's view of the pads. Use on one thread.
class SdlGamepads : public GamepadSource {
 public:
  // Null when SDL's game-controller subsystem cannot start.
  static std::unique_ptr<SdlGamepads> open();
  ~SdlGamepads() override;
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  std::uint32_t get_state(std::uint32_t user_index, XINPUT_STATE& state) override;

  // SDL's inputs of one controller in XInput's terms: thumbs negated on the
  // y axes (SDL counts down as positive), triggers 0..32767 scaled to 0..255.
  // Separate from SDL so the conversion can be checked exactly.
  struct Inputs {
    std::array<bool, 15> buttons{};  // by SDL_GameControllerButton, A to D-pad right
    std::array<int, 6> axes{};       // by SDL_GameControllerAxis
  };
  static XINPUT_GAMEPAD to_xinput(const Inputs& in);

 private:
  struct Slot;
  SdlGamepads();
  // Drops pads that are gone, gives new ones a free slot.
  void refresh();

  std::array<std::unique_ptr<Slot>, XUSER_MAX_COUNT> slots_;
};

}  // namespace platform
