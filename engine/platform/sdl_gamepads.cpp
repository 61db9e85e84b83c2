// SDL2 game controllers as XInput pads.
#include "platform/sdl_gamepads.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

struct SdlGamepads::Slot {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  XINPUT_STATE reported;
};

namespace {

// XInput's mask for each SDL button, in SDL's order; 0: no XInput button
// (guide).
constexpr std::array<std::uint16_t, 15> kButtonMasks = {XINPUT_GAMEPAD_A,
                                                        XINPUT_GAMEPAD_B,
                                                        XINPUT_GAMEPAD_X,
                                                        XINPUT_GAMEPAD_Y,
                                                        XINPUT_GAMEPAD_BACK,
                                                        0,
                                                        XINPUT_GAMEPAD_START,
                                                        XINPUT_GAMEPAD_LEFT_THUMB,
                                                        XINPUT_GAMEPAD_RIGHT_THUMB,
                                                        XINPUT_GAMEPAD_LEFT_SHOULDER,
                                                        XINPUT_GAMEPAD_RIGHT_SHOULDER,
                                                        XINPUT_GAMEPAD_DPAD_UP,
                                                        XINPUT_GAMEPAD_DPAD_DOWN,
                                                        XINPUT_GAMEPAD_DPAD_LEFT,
                                                        XINPUT_GAMEPAD_DPAD_RIGHT};
static_assert(SDL_CONTROLLER_BUTTON_A == 0 && SDL_CONTROLLER_BUTTON_DPAD_RIGHT == 14);
static_assert(SDL_CONTROLLER_AXIS_LEFTX == 0 && SDL_CONTROLLER_AXIS_TRIGGERRIGHT == 5);

std::int16_t thumb(int v) {
  return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

std::uint8_t trigger(int v) {
  const int clamped = std::clamp(v, 0, 32767);
  return static_cast<std::uint8_t>((clamped * 255 + 32767 / 2) / 32767);
}

}  // namespace

std::unique_ptr<SdlGamepads> SdlGamepads::open() {
  // SDL would otherwise turn SIGINT and SIGTERM into quit events nobody reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The program's window is freeglut's, never SDL's: pads count without focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return nullptr;
  // Polled, not evented: nothing fills SDL's event queue.
  SDL_GameControllerEventState(SDL_IGNORE);
  SDL_JoystickEventState(SDL_IGNORE);
  return std::unique_ptr<SdlGamepads>(new SdlGamepads());
}

SdlGamepads::SdlGamepads() = default;

SdlGamepads::~SdlGamepads() {
  for (auto& slot : slots_)
    if (slot) SDL_GameControllerClose(slot->controller);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  // The last user of SDL also lets go of what SDL_Init set up besides the
  // subsystems (its D-Bus connection among them).
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

XINPUT_GAMEPAD SdlGamepads::to_xinput(const Inputs& in) {
  XINPUT_GAMEPAD g;
  for (std::size_t b = 0; b < kButtonMasks.size(); ++b)
    if (in.buttons[b]) g.wButtons = static_cast<std::uint16_t>(g.wButtons | kButtonMasks[b]);
  g.sThumbLX = thumb(in.axes[SDL_CONTROLLER_AXIS_LEFTX]);
  g.sThumbLY = thumb(-in.axes[SDL_CONTROLLER_AXIS_LEFTY]);
  g.sThumbRX = thumb(in.axes[SDL_CONTROLLER_AXIS_RIGHTX]);
  g.sThumbRY = thumb(-in.axes[SDL_CONTROLLER_AXIS_RIGHTY]);
  g.bLeftTrigger = trigger(in.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT]);
  g.bRightTrigger = trigger(in.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT]);
  return g;
}

void SdlGamepads::refresh() {
  SDL_GameControllerUpdate();
  for (auto& slot : slots_) {
    if (slot && !SDL_GameControllerGetAttached(slot->controller)) {
      SDL_GameControllerClose(slot->controller);
      slot.reset();
    }
  }
  const int count = SDL_NumJoysticks();
  for (int device = 0; device < count; ++device) {
    if (!SDL_IsGameController(device)) continue;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    const bool known =
        std::any_of(slots_.begin(), slots_.end(), [id](const auto& s) { return s && s->id == id; });
    if (known) continue;
    const auto free_slot =
        std::find_if(slots_.begin(), slots_.end(), [](const auto& s) { return !s; });
    if (free_slot == slots_.end()) break;
    SDL_GameController* controller = SDL_GameControllerOpen(device);
    if (!controller) continue;
    auto slot = std::make_unique<Slot>();
    slot->controller = controller;
    slot->id = id;
    *free_slot = std::move(slot);
  }
}

std::uint32_t SdlGamepads::get_state(std::uint32_t user_index, XINPUT_STATE& state) {
  if (user_index >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
  refresh();
  Slot* slot = slots_[user_index].get();
  if (!slot) return ERROR_DEVICE_NOT_CONNECTED;
  Inputs in;
  for (int b = 0; b < int(in.buttons.size()); ++b)
    in.buttons[b] = SDL_GameControllerGetButton(slot->controller,
                                                static_cast<SDL_GameControllerButton>(b)) != 0;
  for (int a = 0; a < int(in.axes.size()); ++a)
    in.axes[a] =
        SDL_GameControllerGetAxis(slot->controller, static_cast<SDL_GameControllerAxis>(a));
  const XINPUT_GAMEPAD g = to_xinput(in);
  if (g != slot->reported.Gamepad) {
    ++slot->reported.dwPacketNumber;
    slot->reported.Gamepad = g;
  }
  state = slot->reported;
  return ERROR_SUCCESS;
}

std::unique_ptr<GamepadSource> open_default_gamepads() {
  if (auto sdl = SdlGamepads::open()) return sdl;
  return std::make_unique<NoGamepads>();
}

}  // namespace platform
