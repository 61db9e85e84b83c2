// The gamepad layer: XInput's contract through the installed source, the
// scripted pads, and SDL's game controllers read through a virtual pad.
#include "platform/xinput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl_gamepads.h"
#include "support/gamepads.h"

using namespace platform;

namespace {

class XInputTest : public ::testing::Test {
 protected:
  testing_support::ScriptedPads pads_;
};

}  // namespace

TEST_F(XInputTest, AnswersEachUserIndexFromTheSource) {
  XINPUT_STATE state;
  for (std::uint32_t i = 0; i < XUSER_MAX_COUNT; ++i)
    EXPECT_EQ(XInputGetState(i, &state), ERROR_DEVICE_NOT_CONNECTED) << i;
  EXPECT_EQ(XInputGetState(4, &state), ERROR_BAD_ARGUMENTS);
  EXPECT_EQ(XInputGetState(0, nullptr), ERROR_BAD_ARGUMENTS);

  XINPUT_GAMEPAD g;
  g.wButtons = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT;
  g.bLeftTrigger = 255;
  g.sThumbLY = 32767;
  g.sThumbRX = -32768;
  pads_->set(2, g);
  ASSERT_EQ(XInputGetState(2, &state), ERROR_SUCCESS);
  EXPECT_EQ(state.Gamepad, g);
  const std::uint32_t packet = state.dwPacketNumber;
  XInputGetState(2, &state);
  EXPECT_EQ(state.dwPacketNumber, packet);  // nothing changed
  pads_->pad(2).gamepad.wButtons = 0;
  XInputGetState(2, &state);
  EXPECT_NE(state.dwPacketNumber, packet);
  EXPECT_EQ(state.Gamepad.wButtons, 0);

  pads_->connect(2, false);
  EXPECT_EQ(XInputGetState(2, &state), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_THROW(pads_->pad(4), std::out_of_range);
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
  SDL_JoystickClose(stick);

  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0) << SDL_GetError();
  EXPECT_EQ(pads->get_state(0, state), ERROR_DEVICE_NOT_CONNECTED);
}
