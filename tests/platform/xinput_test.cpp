// The gamepad layer: XInput's contract through the installed source or the
// default one, and SDL's game controllers read through a virtual pad.
#include "platform/xinput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/sdl_gamepads.h"
#include "support/gamepads.h"

using namespace platform;

namespace {

class XInputTest : public ::testing::Test {
 protected:
  testing_support::ScriptedPads pads_;
};

// A source that records what it is asked and answers what the test set: the
// layer's own logic is what the test sees through it.
class RecordingSource : public GamepadSource {
 public:
  std::uint32_t get_state(std::uint32_t user_index, XINPUT_STATE& state) override {
    asked.push_back(user_index);
    if (answer == ERROR_SUCCESS) state = reported;
    return answer;
  }
  std::vector<std::uint32_t> asked;
  std::uint32_t answer = ERROR_SUCCESS;
  XINPUT_STATE reported;
};

}  // namespace

TEST(XInputGetState, RefusesBadArgumentsWithoutAskingTheSourceAndPassesTheRestThrough) {
  auto source = std::make_shared<RecordingSource>();
  const auto previous = set_gamepad_source(source);
  XINPUT_STATE state;
  state.dwPacketNumber = 77;
  // Only user indices 0 to 3 with a state to fill reach the source.
  for (const std::uint32_t index : {4u, 5u, 255u, 0xFFFFFFFFu})
    EXPECT_EQ(XInputGetState(index, &state), ERROR_BAD_ARGUMENTS) << index;
  EXPECT_EQ(XInputGetState(0, nullptr), ERROR_BAD_ARGUMENTS);
  EXPECT_TRUE(source->asked.empty());
  EXPECT_EQ(state.dwPacketNumber, 77u);

  // Each index is asked as it is, and the source's state and code come back
  // unchanged.
  source->reported.dwPacketNumber = 9;
  source->reported.Gamepad.wButtons = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT;
  source->reported.Gamepad.bLeftTrigger = 255;
  source->reported.Gamepad.sThumbLY = 32767;
  source->reported.Gamepad.sThumbRX = -32768;
  for (std::uint32_t i = 0; i < XUSER_MAX_COUNT; ++i) {
    XINPUT_STATE got;
    ASSERT_EQ(XInputGetState(i, &got), ERROR_SUCCESS) << i;
    EXPECT_EQ(got.dwPacketNumber, 9u);
    EXPECT_EQ(got.Gamepad, source->reported.Gamepad);
  }
  EXPECT_EQ(source->asked, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  // No pad: the code passes through and the state stays as it was.
  source->answer = ERROR_DEVICE_NOT_CONNECTED;
  EXPECT_EQ(XInputGetState(3, &state), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(state.dwPacketNumber, 77u);
  set_gamepad_source(previous);
}

TEST(XInputGetState, WithoutAnInstalledSourceReadsSdlsControllers) {
  const auto previous = set_gamepad_source(nullptr);
  XINPUT_STATE state;
  // The default source opens at the first query: no pad yet.
  for (std::uint32_t i = 0; i < XUSER_MAX_COUNT; ++i)
    EXPECT_EQ(XInputGetState(i, &state), ERROR_DEVICE_NOT_CONNECTED) << i;
  const int device = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_TRUE(stick);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_Y, 1);
  ASSERT_EQ(XInputGetState(0, &state), ERROR_SUCCESS);
  EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_Y);
  SDL_JoystickClose(stick);
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0) << SDL_GetError();
  EXPECT_EQ(XInputGetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
  set_gamepad_source(previous);
}

TEST_F(XInputTest, ReplacingTheSourceReturnsThePreviousOne) {
  auto none = std::make_shared<NoGamepads>();
  pads_->connect(0);
  EXPECT_EQ(set_gamepad_source(none), pads_.source());
  XINPUT_STATE state;
  EXPECT_EQ(XInputGetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(set_gamepad_source(pads_.source()), none);
  EXPECT_EQ(XInputGetState(0, &state), ERROR_SUCCESS);
}

TEST(SdlGamepads, ConvertsSdlInputsToXInputsLayout) {
  SdlGamepads::Inputs in;
  in.buttons[SDL_CONTROLLER_BUTTON_A] = true;
  in.buttons[SDL_CONTROLLER_BUTTON_GUIDE] = true;  // XInput has no such button
  in.buttons[SDL_CONTROLLER_BUTTON_START] = true;
  in.buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] = true;
  in.axes[SDL_CONTROLLER_AXIS_LEFTX] = 1000;
  in.axes[SDL_CONTROLLER_AXIS_LEFTY] = -32768;  // up, all the way
  in.axes[SDL_CONTROLLER_AXIS_RIGHTX] = -32768;
  in.axes[SDL_CONTROLLER_AXIS_RIGHTY] = 500;
  in.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] = 32767;
  in.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = 16384;
  const XINPUT_GAMEPAD g = SdlGamepads::to_xinput(in);
  EXPECT_EQ(g.wButtons, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START | XINPUT_GAMEPAD_DPAD_RIGHT);
  EXPECT_EQ(g.sThumbLX, 1000);
  EXPECT_EQ(g.sThumbLY, 32767);
  EXPECT_EQ(g.sThumbRX, -32768);
  EXPECT_EQ(g.sThumbRY, -500);
  EXPECT_EQ(g.bLeftTrigger, 255);
  EXPECT_EQ(g.bRightTrigger, 128);
}

TEST(SdlGamepads, ReadsAVirtualPadAndLosesItWhenUnplugged) {
  auto pads = SdlGamepads::open();
  ASSERT_TRUE(pads) << SDL_GetError();
  XINPUT_STATE state;
  EXPECT_EQ(pads->get_state(0, state), ERROR_DEVICE_NOT_CONNECTED);

  const int device = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  // The pad opens as a game controller on the first query and takes index 0.
  ASSERT_EQ(pads->get_state(0, state), ERROR_SUCCESS);
  EXPECT_EQ(state.Gamepad, XINPUT_GAMEPAD{});
  EXPECT_EQ(pads->get_state(1, state), ERROR_DEVICE_NOT_CONNECTED);

  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_TRUE(stick);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_B, 1);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_RIGHTX, 12000);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  ASSERT_EQ(pads->get_state(0, state), ERROR_SUCCESS);
  EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_DPAD_UP);
  EXPECT_EQ(state.Gamepad.sThumbLY, 32767);
  EXPECT_EQ(state.Gamepad.sThumbRX, 12000);
  EXPECT_EQ(state.Gamepad.bRightTrigger, 255);
  EXPECT_EQ(state.Gamepad.bLeftTrigger, 0);
  // The packet number changes with the inputs, and only then.
  const std::uint32_t packet = state.dwPacketNumber;
  ASSERT_EQ(pads->get_state(0, state), ERROR_SUCCESS);
  EXPECT_EQ(state.dwPacketNumber, packet);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_B, 0);
  ASSERT_EQ(pads->get_state(0, state), ERROR_SUCCESS);
  EXPECT_NE(state.dwPacketNumber, packet);
  EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_DPAD_UP);
  SDL_JoystickClose(stick);

  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0) << SDL_GetError();
  EXPECT_EQ(pads->get_state(0, state), ERROR_DEVICE_NOT_CONNECTED);
}
