// Gamepads: discovery and loss of pads, the state copied into each joystick,
// button functions in mask order, scaling and dead zones, the out-of-range
// joystick and the freeglut joystick handler.
#include "input/joystick.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/capture.h"
#include "support/gamepads.h"

using namespace platform;
using testing_support::OutputCapture;

namespace {

class GamepadTest : public ::testing::Test {
 protected:
  testing_support::ScriptedPads pads_;
  XInputInterface xinput_;
};

}  // namespace

TEST_F(GamepadTest, FindsPadsByUserIndexAndDropsThemWhenUnplugged) {
  EXPECT_EQ(xinput_.find_new_controllers(), 0);
  pads_->connect(2);
  EXPECT_EQ(xinput_.find_new_controllers(), 1);
  EXPECT_EQ(xinput_.find_new_controllers(), 0);
  ASSERT_EQ(xinput_.num_joysticks(), 1);
  EXPECT_EQ(xinput_.user_indices(), std::vector<int>{2});

  const Joystick& pad = xinput_.joystick(0);
  EXPECT_EQ(pad.num_axes(), 3);
  EXPECT_EQ(pad.scale(), (Joystick::Vec{32767.0f, 32767.0f, 32767.0f}));
  EXPECT_FLOAT_EQ(pad.dead_zone()[0], 5898.06f);
  EXPECT_EQ(pad.dead_zone()[0], pad.dead_zone()[2]);
  EXPECT_EQ(pad.min_magnitude(), 0.1f);

  // Found in index order; later ones appended, a lost one removed from the middle.
  pads_->connect(0);
  pads_->connect(3);
  EXPECT_EQ(xinput_.find_new_controllers(), 2);
  EXPECT_EQ(xinput_.user_indices(), (std::vector<int>{2, 0, 3}));
  xinput_.joystick(2).button_callbacks().up_callback(XINPUT_GAMEPAD_A) = [](int) {};
  pads_->connect(2, false);
  pads_->connect(0, false);
  EXPECT_EQ(xinput_.find_new_controllers(), -2);
  EXPECT_EQ(xinput_.user_indices(), std::vector<int>{3});
  EXPECT_TRUE(xinput_.joystick(0).button_callbacks().up_callbacks().count(XINPUT_GAMEPAD_A));
}

TEST_F(GamepadTest, CopiesSticksAndTriggersIntoTheAxes) {
  pads_->connect(1);
  xinput_.find_new_controllers();
  XINPUT_GAMEPAD g;
  g.sThumbLX = 6000;
  g.sThumbLY = 32767;  // left stick fully forward
  g.sThumbRX = 5000;
  g.sThumbRY = -32768;
  g.bLeftTrigger = 255;
  g.bRightTrigger = 0;
  pads_->set(1, g);
  xinput_.get_state(true);
  const Joystick& pad = xinput_.joystick(0);
  EXPECT_EQ(pad.axis(0).pos(), (Joystick::Vec{6000.0f, -32767.0f, 0.0f}));
  EXPECT_EQ(pad.axis(1).pos(), (Joystick::Vec{-5000.0f, -32768.0f, 0.0f}));
  ASSERT_EQ(pad.trigger_values().size(), 2u);
  EXPECT_FLOAT_EQ(pad.trigger_values()[0], 1.0f);
  EXPECT_EQ(pad.trigger_values()[1], 0.0f);
  EXPECT_EQ(pad.axis(2).pos(), (Joystick::Vec{pad.trigger_values()[0], 0.0f, 0.0f}));

  // 18 % of full deflection counts as rest; beyond it, raw over scale.
  const Joystick::Vec left = pad.scaled_direction(0, false);
  EXPECT_NEAR(left[0], 6000.0f / 32767.0f, 1e-6);
  EXPECT_NEAR(left[1], -1.0f, 1e-6);
  EXPECT_EQ(pad.scaled_direction(1, false)[0], 0.0f);  // 5000 is inside the dead zone
  EXPECT_EQ(pad.scaled_direction(5, false), (Joystick::Vec{0, 0, 0}));

  // A pad that stops answering keeps its last state until it is dropped.
  pads_->connect(1, false);
  xinput_.get_state(false);
  EXPECT_EQ(xinput_.joystick(0).axis(0).pos()[0], 6000.0f);
}

TEST_F(GamepadTest, ButtonFunctionsRunOnChangesInMaskOrder) {
  XINPUT_GAMEPAD g;
  g.wButtons = XINPUT_GAMEPAD_A;
  pads_->set(0, g);
  std::vector<int> calls;
  xinput_.find_new_controllers();  // A already down at the first poll
  Joystick& pad = xinput_.joystick(0);
  for (int mask : XInputInterface::xinput_gamepad_buttons()) {
    pad.button_callbacks().down_callback(mask) = [&](int code) { calls.push_back(code); };
    pad.button_callbacks().up_callback(mask) = [&](int code) { calls.push_back(-code); };
  }
  xinput_.get_state();
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(pad.button_callbacks()[XINPUT_GAMEPAD_A], 1);

  pads_->pad(0).gamepad.wButtons = XINPUT_GAMEPAD_Y | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_START;
  xinput_.get_state();
  EXPECT_EQ(calls, (std::vector<int>{XINPUT_GAMEPAD_DPAD_UP, XINPUT_GAMEPAD_START,
                                     -XINPUT_GAMEPAD_A, XINPUT_GAMEPAD_Y}));
  calls.clear();
  pads_->pad(0).gamepad.wButtons = XINPUT_GAMEPAD_A;
  xinput_.get_state();
  EXPECT_EQ(calls, (std::vector<int>{-XINPUT_GAMEPAD_DPAD_UP, -XINPUT_GAMEPAD_START,
                                     XINPUT_GAMEPAD_A, -XINPUT_GAMEPAD_Y}));

  const std::vector<int> masks = XInputInterface::xinput_gamepad_buttons();
  EXPECT_EQ(masks.size(), 14u);
  EXPECT_EQ(masks.front(), 0x0001);
  EXPECT_EQ(masks[9], 0x0200);
  EXPECT_EQ(masks.back(), 0x8000);
}

TEST_F(GamepadTest, OutOfRangeLooksForPadsAgainAndGivesTheFirstJoystick) {
  // No pad at all: an empty joystick that belongs to no pad, made anew each
  // time.
  for (int i : {-1, 0, 7}) {
    OutputCapture cap;
    Joystick& none = xinput_.joystick(i);
    EXPECT_EQ(cap.err(), "Error, i = " + std::to_string(i) + " but active controllers = 0\n");
    EXPECT_EQ(none.num_axes(), 3);
    EXPECT_TRUE(none.button_callbacks().up_callbacks().empty());
    none.button_callbacks().up_callback(XINPUT_GAMEPAD_A) = [](int) {};  // forgotten next time
  }
  EXPECT_EQ(xinput_.num_joysticks(), 0);

  pads_->connect(0);
  xinput_.find_new_controllers();
  Joystick& first = xinput_.joystick(0);
  for (int i : {-1, 1, 7}) {
    OutputCapture cap;
    EXPECT_EQ(&xinput_.joystick(i), &first);
    EXPECT_EQ(cap.err(), "Error, i = " + std::to_string(i) + " but active controllers = 1\n");
  }
  // A pad plugged in since the last look is found by the asking.
  pads_->connect(3);
  {
    OutputCapture cap;
    const Joystick* given = &xinput_.joystick(1);
    EXPECT_EQ(given, &xinput_.joystick(0));
  }
  EXPECT_EQ(xinput_.user_indices(), (std::vector<int>{0, 3}));
  OutputCapture quiet;
  xinput_.joystick(1);
  EXPECT_EQ(quiet.err(), "");

  const XInputInterface& view = xinput_;
  EXPECT_EQ(view.joystick(-3).num_axes(), 3);
}

TEST(Joystick, FreeglutHandlerDrivesItsOwnKeyboard) {
  Joystick j;  // scale 1000, dead zone 255
  EXPECT_EQ(j.num_axes(), 1);
  j.joystick(4u | 16u, 1000.0f, -1000.0f, 300.0f);
  EXPECT_EQ(j.axis(0).pos(), (Joystick::Vec{1000.0f, -1000.0f, 300.0f}));
  const Keyboard::States& keys = j.keyboard().keys();
  EXPECT_EQ(keys.at('d'), 1);
  EXPECT_EQ(keys.at('w'), 1);
  EXPECT_EQ(keys.at('a'), 0);
  EXPECT_EQ(keys.at('s'), 0);
  EXPECT_EQ(keys.at(' '), 1);
  EXPECT_EQ(keys.at('e'), 1);
  EXPECT_EQ(keys.at('c'), 1);
  j.joystick(0u, -200.0f, 500.0f, 0.0f);  // x inside the dead zone, y half way
  EXPECT_EQ(keys.at('d'), 0);
  EXPECT_EQ(keys.at('a'), 0);
  EXPECT_EQ(keys.at('s'), 0);  // 0.5 truncated
  EXPECT_EQ(keys.at(' '), 0);
  EXPECT_EQ(keys.at('c'), 0);

  Joystick copy = j;
  EXPECT_NE(&copy.keyboard(), &j.keyboard());
  EXPECT_EQ(copy.keyboard().keys(), keys);
}

// The default source: SDL's game controllers. A virtual pad plugged in after
// start is found by the next search, its A button reaches the function bound
// to XInput's A, and unplugging it drops the joystick.
TEST(GamepadThroughSdl, AVirtualPadIsFoundPolledAndLost) {
  set_gamepad_source(nullptr);
  XInputInterface xinput;
  EXPECT_EQ(xinput.find_new_controllers(), 0);  // opens SDL
  ASSERT_TRUE(SDL_WasInit(SDL_INIT_GAMECONTROLLER)) << SDL_GetError();
  const int device = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_TRUE(stick);
  EXPECT_EQ(xinput.find_new_controllers(), 1);
  int presses = 0;
  xinput.joystick(0).button_callbacks().down_callback(XINPUT_GAMEPAD_A) = [&](int) { ++presses; };
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  xinput.get_state();
  EXPECT_EQ(presses, 1);
  EXPECT_NEAR(xinput.joystick(0).scaled_direction(0, false)[1], -1.0f, 1e-4);
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(device);
  EXPECT_EQ(xinput.find_new_controllers(), -1);
}
