// The gamepad layer: XInputGetState with XInput's contract (user indices 0
// to 3, the state and gamepad records, the button masks, a success code and
// ERROR_DEVICE_NOT_CONNECTED for no pad) over exchangeable sources of pad
// states. The default source reads SDL2's game controllers and falls back to
// no pads when SDL cannot start; tests install a scripted source.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace platform {

// One pad's inputs: the button word (the masks below), the two triggers
// 0..255 and the four thumb-stick values, -32768..32767, positive to the
// right and up.
struct XINPUT_GAMEPAD {
  std::uint16_t wButtons = 0;
  std::uint8_t bLeftTrigger = 0;
  std::uint8_t bRightTrigger = 0;
  std::int16_t sThumbLX = 0;
  std::int16_t sThumbLY = 0;
  std::int16_t sThumbRX = 0;
  std::int16_t sThumbRY = 0;

  bool operator==(const XINPUT_GAMEPAD&) const = default;
};

// The gamepad and a packet number that changes whenever the inputs do.
struct XINPUT_STATE {
  std::uint32_t dwPacketNumber = 0;
  XINPUT_GAMEPAD Gamepad;
};

inline constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_UP = 0x0001;
inline constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
inline constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
inline constexpr std::uint16_t XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
inline constexpr std::uint16_t XINPUT_GAMEPAD_START = 0x0010;
inline constexpr std::uint16_t XINPUT_GAMEPAD_BACK = 0x0020;
inline constexpr std::uint16_t XINPUT_GAMEPAD_LEFT_THUMB = 0x0040;
inline constexpr std::uint16_t XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080;
inline constexpr std::uint16_t XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100;
inline constexpr std::uint16_t XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200;
inline constexpr std::uint16_t XINPUT_GAMEPAD_A = 0x1000;
inline constexpr std::uint16_t XINPUT_GAMEPAD_B = 0x2000;
inline constexpr std::uint16_t XINPUT_GAMEPAD_X = 0x4000;
inline constexpr std::uint16_t XINPUT_GAMEPAD_Y = 0x8000;

// Number of user indices.
inline constexpr std::uint32_t XUSER_MAX_COUNT = 4;

inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_BAD_ARGUMENTS = 160;
inline constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;

// A source of pad states, asked on the thread that polls the pads.
class GamepadSource {
 public:
  virtual ~GamepadSource() = default;
  // Fills the state of the pad at a user index below XUSER_MAX_COUNT and
  // answers ERROR_SUCCESS, or ERROR_DEVICE_NOT_CONNECTED when no pad is
  // there (the state is then left as it was).
  virtual std::uint32_t get_state(std::uint32_t user_index, XINPUT_STATE& state) = 0;
};

// The state of the pad at a user index from the current source.
// ERROR_BAD_ARGUMENTS for an index of 4 or more or a null state.
std::uint32_t XInputGetState(std::uint32_t user_index, XINPUT_STATE* state);

// Replaces the source (null restores the default, which is opened at its
// first use); returns the previous one, null when the default was in use.
std::shared_ptr<GamepadSource> set_gamepad_source(std::shared_ptr<GamepadSource> source);

// The source used when none is installed: SDL's game controllers, or no pads
// when SDL cannot start.
std::unique_ptr<GamepadSource> open_default_gamepads();

// No pad at any index.
class NoGamepads : public GamepadSource {
 public:
  std::uint32_t get_state(std::uint32_t, XINPUT_STATE&) override {
    return ERROR_DEVICE_NOT_CONNECTED;
  }
};

// Pads whose inputs a test sets: per user index connected or not, buttons,
// triggers and thumbs. The packet number counts the queries that found a
// change.
class ScriptedGamepads : public GamepadSource {
 public:
  struct Pad {
    bool connected = false;
    XINPUT_GAMEPAD gamepad;
  };

  std::uint32_t get_state(std::uint32_t user_index, XINPUT_STATE& state) override;

  // The pad at a user index below XUSER_MAX_COUNT (others are refused with
  // std::out_of_range); assign through it.
  Pad& pad(std::uint32_t user_index) { return pads_.at(user_index); }
  // Connects the pad with all inputs at rest, or disconnects it.
  void connect(std::uint32_t user_index, bool connected = true);
  // Sets the inputs of a pad; it is connected by this.
  void set(std::uint32_t user_index, const XINPUT_GAMEPAD& gamepad);

 private:
  std::array<Pad, XUSER_MAX_COUNT> pads_{};
  std::array<XINPUT_STATE, XUSER_MAX_COUNT> reported_{};
};

}  // namespace platform
