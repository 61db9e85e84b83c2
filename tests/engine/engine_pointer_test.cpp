// The engine's mouse without a window: passive motion (scaling, the menu look
// delay, the warp back to the centre, mouse look), the projection of the
// mouse into the scene, the pointer poses, the mouse-button queue and the
// choice of the device that drives the menus, the look and the walk.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/basic_engine.h"
#include "support/engine_frame.h"

using testing_support::EngineFrame;

namespace {

void expect_near(const std::array<float, 3>& got, const std::array<float, 3>& want,
                 float tolerance = 1e-5f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "component " << i;
}

// A 1920 x 1080 window with the pointer hidden (mouse look), the menu closed
// long ago (real time 10).
class EngineMouse : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    engine_.window().set_resolution(1920, 1080, false);
    engine_.mouse().hidden(true);
    frame_at(100.0);
    frame_at(110.0);
    engine_.mouse().pos() = {960.0f, 540.0f, 0.0f};
  }
  const CoordinateSystem& view() const { return engine_.mouse_look().coord_sys(); }
  // The view's heading about y, radians: positive to the left.
  float heading() const { return std::atan2(view().zhat()[0], view().zhat()[2]); }
};

}  // namespace

// ---- Passive motion

TEST_F(EngineMouse, MotionIsScaledAndRoundedAndNoMovementChangesNothing) {
  engine_.window().scale_factor() = {1.5f, 2.0f};
  engine_.mouse_passive(640.2f, 270.4f, 0.0f);
  EXPECT_EQ(engine_.mouse().pos(), (std::array<float, 3>{960.0f, 541.0f, 0.0f}));
  EXPECT_EQ(engine_.last_mouse_time(), 10.0);
  EXPECT_TRUE(engine_.mouse_control());

  engine_.mouse_control(false);
  engine_.last_mouse_time(3.0);
  const auto turned = view().rotation();
  engine_.mouse_passive(640.1f, 270.6f, 0.0f);  // the same pixels
  EXPECT_EQ(engine_.last_mouse_time(), 3.0);
  EXPECT_FALSE(engine_.mouse_control());
  EXPECT_EQ(view().rotation(), turned);
}

TEST_F(EngineMouse, MouseLookTurnsTheViewOnlyOnceTheMenuHasBeenClosedAMoment) {
  engine_.set_menu(true);
  engine_.set_menu(false);  // closed at real time 10
  frame_at(110.3);
  engine_.mouse_passive(1200.0f, 540.0f, 0.0f);  // far from the centre, yet no warp
  EXPECT_EQ(engine_.mouse().pos()[0], 1200.0f);
  EXPECT_EQ(heading(), 0.0f);

  frame_at(110.4);
  engine_.mouse_passive(1300.0f, 540.0f, 0.0f);
  EXPECT_EQ(engine_.mouse().pos()[0], 960.0f);  // warped back to the centre
  engine_.mouse_passive(1010.0f, 540.0f, 0.0f);
  // 50 pixels to the right at 0.005 radians each: a quarter radian rightwards.
  EXPECT_NEAR(heading(), -0.25f, 1e-5);
  EXPECT_NEAR(view().yhat()[1], 1.0f, 1e-6);
}

TEST_F(EngineMouse, APointerBeyondAQuarterOfTheCentresDistanceIsWarpedUnlessAltIsDown) {
  // |c| = |(959.5, 539.5)| is about 1101: a quarter is about 275 pixels.
  engine_.mouse().max_delta() = {0.0f, 0.0f, 0.0f};
  engine_.mouse_passive(1060.0f, 540.0f, 0.0f);  // 100 pixels: turns
  const float after_near = heading();
  EXPECT_NEAR(after_near, -0.5f, 1e-5);
  engine_.mouse_passive(1260.0f, 540.0f, 0.0f);  // 300 pixels: warped, no turn
  EXPECT_EQ(engine_.mouse().pos(), (std::array<float, 3>{960.0f, 540.0f, 0.0f}));
  EXPECT_EQ(heading(), after_near);

  // Centre in window coordinates, then scaled back to pixels.
  engine_.window().scale_factor() = {2.0f, 2.0f};
  engine_.mouse_passive(700.0f, 270.0f, 0.0f);
  EXPECT_EQ(engine_.mouse().pos(), (std::array<float, 3>{960.0f, 540.0f, 0.0f}));
  engine_.window().scale_factor() = {1.0f, 1.0f};

  engine_.special_key(116, 1, 0, 0, 0);  // left Alt held
  engine_.mouse_passive(1300.0f, 540.0f, 0.0f);
  EXPECT_EQ(engine_.mouse().pos()[0], 1300.0f);
  EXPECT_LT(heading(), after_near - 1.0f);
  engine_.special_key_up(116, 0, 0, 0);

  engine_.warp_pointer(false);
  engine_.mouse_passive(100.0f, 540.0f, 0.0f);
  EXPECT_EQ(engine_.mouse().pos()[0], 100.0f);
}

TEST_F(EngineMouse, MouseLookTakesTheMousePointerOutOfThePointerList) {
  engine_.pointer_coordsys().push_back(&engine_.mouse_pointer());
  EXPECT_TRUE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  EXPECT_FALSE(engine_.have_pointer_coordsys(nullptr));
  engine_.mouse_passive(980.0f, 540.0f, 0.0f);
  EXPECT_FALSE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  EXPECT_FALSE(engine_.pointer_thread().started());
}

// ---- The mouse in the scene

TEST_F(EngineMouse, UnprojectingTheCentreGivesThePointStraightAhead) {
  CoordinateSystem& v = engine_.mouse_look().coord_sys();
  v.look_at(Vec3{1.0f, 2.0f, 3.0f}, Vec3{-4.0f, 2.0f, 3.0f});  // along -x
  engine_.mouse().pos() = {959.5f, 539.5f, 0.0f};
  expect_near(engine_.unproject_mouse(1.0f), {0.0f, 2.0f, 3.0f});
  expect_near(engine_.unproject_mouse(2.5f), {-1.5f, 2.0f, 3.0f});

  // The last column and the first row lie half a pixel short of the view's
  // edges: right is -z, up is +y.
  engine_.mouse().pos() = {1919.0f, 0.0f, 0.0f};
  const float fx = engine_.camera().fov()[0];
  const float fy = engine_.camera().fov()[1];
  const float tx = std::tan(fx * 0.008726646f) * 959.5f / 960.0f;
  const float ty = std::tan(fy * 0.008726646f) * 539.5f / 540.0f;
  expect_near(engine_.unproject_mouse(1.0f), {0.0f, 2.0f + ty, 3.0f - tx});

  // A window without a size looks straight ahead instead of dividing by 0.
  engine_.window().set_resolution(0, 0, false);
  expect_near(engine_.unproject_mouse(1.0f), {0.0f, 2.0f, 3.0f});
}

TEST_F(EngineMouse, ThePointerLooksAtTheMousePointAndTheTargetBack) {
  CoordinateSystem& v = engine_.mouse_look().coord_sys();
  v.look_at(Vec3{0.0f, 1.0f, 0.0f}, Vec3{0.0f, 1.0f, -1.0f});
  engine_.pointer_target().volume() = {0.002f, 0.002f, 0.002f};
  engine_.mouse().pos() = {1919.0f, 539.5f, 0.0f};
  engine_.update_mouse_screen_pointer();
  const auto p = engine_.unproject_mouse(1.0f);
  const CoordinateSystem& pointer = engine_.mouse_pointer();
  const CoordinateSystem& target = engine_.pointer_target();
  expect_near(pointer.position(), {0.0f, 1.0f, 0.0f});
  const Vec3 ray = normalized(Vec3{p[0], p[1] - 1.0f, p[2]});
  expect_near(pointer.zhat(true), ray);
  expect_near(target.position(), p);
  expect_near(to_vec3(target.zhat()), ray);
  EXPECT_NEAR(pointer.yhat()[1], std::sqrt(1.0f - ray[1] * ray[1]), 1e-5);  // upright
  EXPECT_EQ(target.volume()[0], 0.002f);                                    // its scaling stays
}

// ---- Mouse buttons

TEST_F(EngineMouse, ButtonEventsQueueAndAreHandedOutPerButton) {
  std::vector<int> hooked;
  engine_.mouse_button_hook() = [&](int button, int state, float, float, float) {
    hooked.push_back(button * 10 + state);
  };
  frame_at(111.0);
  engine_.mouse_button(0, 0, 5.0f, 6.0f, 0.0f);
  engine_.mouse_button(0, 1, 5.0f, 6.0f, 0.0f);
  EXPECT_EQ(hooked, (std::vector<int>{0, 1}));
  EXPECT_EQ(engine_.last_mouse_time(), 11.0);
  ASSERT_EQ(engine_.mouse_button_events().size(), 2u);
  EXPECT_EQ(engine_.mouse_button_events().front().state, 1);
  EXPECT_EQ(engine_.mouse_button_events().back().state, -1);
  EXPECT_EQ(engine_.mouse_button_events().back().handled, 0);

  std::vector<int> handed;
  engine_.process_mouse_button_events(nullptr, 0);  // no handler: they stay
  EXPECT_EQ(engine_.mouse_button_events().size(), 2u);
  engine_.process_mouse_button_events([&](int v) { handed.push_back(v); }, 2);
  EXPECT_TRUE(handed.empty());
  EXPECT_TRUE(engine_.mouse_button_events().empty());

  engine_.mouse_button(2, 0, 0, 0, 0);
  engine_.mouse_button(0, 0, 0, 0, 0);
  engine_.mouse_button_events().emplace_back(0, -1);  // appended by the application
  engine_.process_mouse_button_events([&](int v) { handed.push_back(v); }, 0);
  EXPECT_EQ(handed, (std::vector<int>{1, -1}));
  EXPECT_TRUE(engine_.mouse_button_events().empty());
}

TEST_F(EngineMouse, AHandlerMayQueueButtonsButNotHandThemOutAgain) {
  engine_.mouse_button(0, 0, 0, 0, 0);
  std::vector<int> handed;
  std::vector<int> nested;
  engine_.process_mouse_button_events(
      [&](int v) {
        handed.push_back(v);
        EXPECT_TRUE(engine_.mouse_events_busy());
        engine_.mouse_button(0, 1, 0, 0, 0);  // no waiting on itself
        engine_.process_mouse_button_events([&](int w) { nested.push_back(w); }, 0);
      },
      0);
  EXPECT_EQ(handed, std::vector<int>{1});
  EXPECT_TRUE(nested.empty());
  EXPECT_FALSE(engine_.mouse_events_busy());
  ASSERT_EQ(engine_.mouse_button_events().size(), 1u);
  EXPECT_EQ(engine_.mouse_button_events().front().state, -1);
}

// ---- The device choice

TEST(EngineDeviceChoice, BeforeAnyInputTheLookIsNoneTheMenusMouseAndTheWalkKeyboard) {
  BasicEngine engine;  // no frame yet: real time 0, every stamp 0
  EXPECT_EQ(engine.look_controller(), ControllerType::none);
  EXPECT_EQ(engine.menu_controller(), ControllerType::mouse);
  EXPECT_EQ(engine.walk_controller(), ControllerType::keyboard);
  EXPECT_FALSE(engine.gamepad_active());
}

TEST_F(EngineMouse, EachKindOfInputTakesItsDevicesAndTheLastAnswerStays) {
  // The mouse moved: it drives the look and the menus.
  engine_.mouse_passive(970.0f, 540.0f, 0.0f);
  EXPECT_EQ(engine_.look_controller(), ControllerType::mouse);
  EXPECT_EQ(engine_.menu_controller(), ControllerType::mouse);
  frame_at(111.0);  // the mouse went quiet: the answers stay
  EXPECT_EQ(engine_.look_controller(), ControllerType::mouse);

  // An arrow key drives the menus for 2 s, any key the walk for 5 s.
  engine_.special_key(103, 1, 0, 0, 0);
  engine_.special_key_up(103, 0, 0, 0);
  EXPECT_EQ(engine_.menu_controller(), ControllerType::keyboard);
  EXPECT_EQ(engine_.walk_controller(), ControllerType::keyboard);
  frame_at(113.5);

  // A gamepad button drives the menus for a second; stick walking the walk;
  // a right-stick turn the look.
  engine_.any_gamepad_callback();
  EXPECT_EQ(engine_.menu_controller(), ControllerType::gamepad);
  EXPECT_TRUE(engine_.gamepad_active());
  engine_.last_gamepad_input() -= std::chrono::seconds(2);
  EXPECT_EQ(engine_.menu_controller(), ControllerType::gamepad);  // kept
  EXPECT_EQ(engine_.walk_controller(), ControllerType::keyboard);
  engine_.last_gamepad_time(13.0);
  frame_at(117.0);
  engine_.last_gamepad_time(17.0);
  EXPECT_EQ(engine_.walk_controller(), ControllerType::gamepad);
  EXPECT_EQ(engine_.look_controller(), ControllerType::mouse);
  engine_.last_gamepad_look(16.5);
  EXPECT_EQ(engine_.look_controller(), ControllerType::gamepad);
  frame_at(120.0);
  EXPECT_EQ(engine_.walk_controller(), ControllerType::gamepad);
  EXPECT_EQ(engine_.look_controller(), ControllerType::gamepad);

  // A headset takes the look and the walk from there; the gamepad's turn
  // counts only outside it.
  engine_.hmd_control(true);
  engine_.last_gamepad_look(20.0);
  EXPECT_EQ(engine_.look_controller(), ControllerType::hmd);
  EXPECT_EQ(engine_.walk_controller(), ControllerType::hmd);
  EXPECT_EQ(engine_.menu_controller(), ControllerType::gamepad);

  // Hand controllers take the menus whatever else was used.
  engine_.mouse_passive(900.0f, 540.0f, 0.0f);
  CoordinateSystem pose;
  engine_.update_controller_poses({pose});
  EXPECT_EQ(engine_.menu_controller(), ControllerType::vr_controller);
  EXPECT_EQ(engine_.look_controller(), ControllerType::mouse);
}
