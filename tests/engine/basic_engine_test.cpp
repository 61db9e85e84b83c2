// The engine object without a window: construction, accessors and copies,
// the event operations, the frame step (walking from keys and sticks, the
// physics lists, the player volumes, the update functions) and the
// controller update of a headset frame.
#include "engine/basic_engine.h"

#include <AL/alc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "core/program_cfg.h"
#include "models/model_text.h"
#include "platform/glut_guard.h"
#include "support/engine_frame.h"
#include "support/gamepads.h"

using testing_support::EngineFrame;

namespace {

// A body that accepts every point.
struct Body : PhysObj {
  bool ValidPoint(const float*) const override { return true; }
};

// The view looks along -x: forward is -x, right is -z.
void look_along_minus_x(BasicEngine& engine) {
  engine.mouse_look().coord_sys().look_at(Vec3{0, 0, 0}, Vec3{-1, 0, 0});
}

}  // namespace

TEST(BasicEngineObject, ConstructionOpensNothingAndStartsFromTheDefaults) {
  BasicEngine e;
  EXPECT_FALSE(platform::glut_guard::initialised());
  EXPECT_EQ(alcGetCurrentContext(), nullptr);
  EXPECT_EQ(e.window()(), -1);

  EXPECT_EQ(e.controller_tutorial(), nullptr);
  EXPECT_EQ(e.settings().env_var(), "TALVORIN_ROOT");
  EXPECT_EQ(e.render_size(), (std::array<int, 2>{0, 0}));
  EXPECT_EQ(e.quit(), 0);
  EXPECT_EQ(e.start_position(), (std::array<float, 3>{0.0f, 1.2f, 0.0f}));
  EXPECT_EQ(e.monitor_texture(), 0u);
  EXPECT_EQ(e.frame_buffer().width(), 683u);
  EXPECT_EQ(e.frame_buffer().height(), 384u);
  EXPECT_TRUE(e.Wrapper<FrameBuffer>::owned());

  EXPECT_EQ(e.camera().fov()[1], 45.0f);
  EXPECT_EQ(e.camera().near(), 0.1f);
  EXPECT_EQ(e.camera().far(), 50.0f);
  EXPECT_FLOAT_EQ(e.camera().aspect(), 1.7777778f);
  const double half = 22.5 * M_PI / 180.0;
  EXPECT_NEAR(e.camera().fov()[0], 2.0 * std::atan(16.0 / 9.0 * std::tan(half)) * 180.0 / M_PI,
              1e-4);

  EXPECT_EQ(e.walking().name(), "walking");
  EXPECT_EQ(e.walk_keys().walk_chars(), "wsad");
  EXPECT_EQ(e.geometry().quads().name(), "Quads");
  EXPECT_EQ(e.geometry().spheres().name(), "Spheres");
  EXPECT_EQ(e.geometry().cylinders().name(), "Cylinders");
  EXPECT_EQ(e.window().get_title(), "kWindow");
  EXPECT_EQ(e.window().get_position(), (std::array<int, 2>{5, 5}));
  EXPECT_TRUE(e.window().get_fullscreen());
  EXPECT_EQ(e.mouse_look().get_rot_speed(), (MouseLook::Vec{0.005f, 0.005f, 0.005f}));
  EXPECT_EQ(e.mouse_look().steady_factor(), (MouseLook::Vec{4.0f, 4.0f, 4.0f}));
  EXPECT_EQ(e.listener().gain(), 1.0f);
  EXPECT_EQ(e.up_axis(), 1);
  EXPECT_TRUE(e.gamepad_turn());
  EXPECT_FALSE(e.hmd_control());
  EXPECT_FALSE(e.mouse_control());
  EXPECT_EQ(e.last_gamepad_look(), 0.0);
  EXPECT_EQ(e.gamepad_look_timeout(), 1.0);
  EXPECT_LE(std::chrono::steady_clock::now() - e.last_gamepad_input(), std::chrono::seconds(5));
  EXPECT_EQ(e.selected_dialog(), nullptr);
  EXPECT_EQ(e.named_dialogs(), nullptr);

  EXPECT_TRUE(e.sim_objects().empty() && e.realtime_objects().empty() && e.lights().empty());
  EXPECT_TRUE(e.controllers().empty() && e.draw_objects().empty() && e.draw_vbos().empty());
  EXPECT_TRUE(e.controller_vbos().empty() && e.draw_functions().empty());
  EXPECT_TRUE(e.update_functions().empty() && e.mouse_button_events().empty());
  EXPECT_TRUE(e.dialogs().empty() && e.pointer_coordsys().empty() && e.cmds().empty());
  EXPECT_TRUE(e.key_down_bindings().empty() && e.key_up_bindings().empty());
  EXPECT_TRUE(e.mouse_down_bindings().empty() && e.mouse_up_bindings().empty());
  EXPECT_TRUE(e.sorted_dialogs().empty() && e.ortho_dlgs().empty() && e.look_events().empty());
  EXPECT_TRUE(e.scenes().empty() && e.player_volumes().empty() && e.base_stations().empty());
  EXPECT_FALSE(e.walking_hook() || e.controller_pose_hook() || e.pre_idle_hook());
  EXPECT_FALSE(e.start_game_hook() || e.arrow_key_hook());
  EXPECT_TRUE(e.realtime_queue().events().empty() && e.gametime_queue().events().empty());

  EXPECT_TRUE(e.positional_control(0));
  EXPECT_FALSE(e.positional_control(1));
  EXPECT_FALSE(e.awaiting_player_input());
  EXPECT_EQ(e.native_bits(), 32);
  EXPECT_EQ(e.native_bits_str(), "32");
}

TEST(BasicEngineObject, KeepsItsArgumentsAndSettersAndCopiesItsMembers) {
  int stand_in = 0;
  auto* tutorial = reinterpret_cast<ControllerTutorial*>(&stand_in);
  BasicEngine e(tutorial, "OTHER_ROOT");
  EXPECT_EQ(e.controller_tutorial(), tutorial);
  EXPECT_EQ(e.settings().env_var(), "OTHER_ROOT");

  e.render_size(1280, 720);
  EXPECT_EQ(e.render_size(), (std::array<int, 2>{1280, 720}));
  e.render_size({640, 360});
  EXPECT_EQ(e.render_size(), (std::array<int, 2>{640, 360}));
  e.quit(3);
  e.hmd_control(true);
  e.up_axis(2);
  EXPECT_EQ(e.walking().up_axis, 2);
  EXPECT_EQ(e.mouse_look().up_axis(), 2);
  e.pause(true);
  EXPECT_TRUE(e.awaiting_player_input());

  int calls = 0;
  e.update_functions()["count"] = [&](double) { ++calls; };
  e.walking().position() = {1.0f, 2.0f, 3.0f};
  const BasicEngine copy(e);
  EXPECT_EQ(copy.quit(), 3);
  EXPECT_TRUE(copy.hmd_control());
  EXPECT_EQ(copy.controller_tutorial(), tutorial);
  EXPECT_EQ(copy.walking().position(), (Vec3{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(copy.render_size(), (std::array<int, 2>{640, 360}));
  ASSERT_EQ(copy.update_functions().count("count"), 1u);
  copy.update_functions().at("count")(0.1);
  EXPECT_EQ(calls, 1);
  // The copy's frame buffer is its own.
  EXPECT_NE(&copy.frame_buffer(), &e.frame_buffer());
  EXPECT_TRUE(copy.Wrapper<FrameBuffer>::owned());
}

// ---- Event operations

TEST_F(EngineFrame, EnqueueRunsOnceAtTheNextAdvanceAndEmptyFunctionsQueueNothing) {
  frame_at(100.0);
  engine_.enqueue(nullptr, 0.0, nullptr);
  engine_.enqueue_periodic(nullptr, 0.1, 0.0, -1.0, nullptr);
  EXPECT_TRUE(engine_.realtime_queue().events().empty());

  int runs = 0;
  std::thread::id ran_on;
  engine_.enqueue([&] {
    ++runs;
    ran_on = std::this_thread::get_id();
  });
  ASSERT_NE(engine_.realtime_queue().find("enqueue"), nullptr);
  EXPECT_EQ(runs, 0);
  frame_at(100.1);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(engine_.realtime_queue().find("enqueue"), nullptr);
  frame_at(100.2);
  EXPECT_EQ(runs, 1);

  // A delay, on the game-time queue.
  engine_.enqueue([&] { ++runs; }, 0.5, &engine_.gametime_queue());
  frame_at(100.4);
  EXPECT_EQ(runs, 1);
  frame_at(100.8);
  EXPECT_EQ(runs, 2);
}

TEST_F(EngineFrame, PeriodicWorkRunsEveryPeriodEndlesslyOrForItsDuration) {
  frame_at(100.0);
  int endless = 0;
  int bounded = 0;
  engine_.enqueue_periodic([&] { ++endless; }, 0.5, 0.0, -1.0, nullptr);
  engine_.enqueue_periodic([&] { ++bounded; }, 0.5, 0.0, 1.0, nullptr);
  for (int i = 1; i <= 12; ++i) frame_at(100.0 + 0.25 * i);  // 3 s of frames
  EXPECT_EQ(endless, 6);  // at 0.25, 0.75, ... 2.75 after the start
  EXPECT_EQ(bounded, 2);  // at 0.25 and 0.75; ended at 1.0
  EXPECT_EQ(engine_.realtime_queue().events().size(), 1u);
}

TEST_F(EngineFrame, StartAfterRealtimeRunsOnceAfterItsDelay) {
  frame_at(100.0);
  int runs = 0;
  Event* e = engine_.start_after_realtime([&] { ++runs; }, 1.0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->name(), "start_after_realtime");
  engine_.pause(true);  // real time goes on
  frame_at(100.6);
  EXPECT_EQ(runs, 0);
  frame_at(101.1);
  EXPECT_EQ(runs, 1);
  frame_at(102.0);
  EXPECT_EQ(runs, 1);

  // An empty function ends quietly; a negative delay runs at the next advance.
  engine_.start_after_realtime(nullptr, 0.0);
  engine_.start_after_realtime([&] { ++runs; }, -5.0);
  frame_at(102.1);
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(engine_.realtime_queue().events().empty());
}

TEST_F(EngineFrame, DelayedEventsLiveOnGameTimeAndWaitWhilePaused) {
  frame_at(100.0);
  engine_.pause(true);
  std::vector<double> during;
  int ended = 0;
  engine_.start_delayed_event(
      1.0, [&](double) { ++ended; }, [&](double s) { during.push_back(s); }, "sink");
  ASSERT_NE(engine_.gametime_queue().find("sink"), nullptr);
  for (double t = 100.5; t < 104.0; t += 0.5) frame_at(t);
  EXPECT_TRUE(during.empty());
  EXPECT_EQ(ended, 0);

  engine_.unpause();  // game time goes on from where it stood
  frame_at(103.5);
  frame_at(104.0);
  frame_at(104.5);
  EXPECT_EQ(ended, 1);
  ASSERT_EQ(during.size(), 3u);
  EXPECT_NEAR(during[0], 0.0, 1e-9);
  EXPECT_NEAR(during[1], 0.5, 1e-9);
  EXPECT_NEAR(during[2], 1.0, 1e-9);
  EXPECT_EQ(engine_.gametime_queue().find("sink"), nullptr);
}

// ---- The frame step

TEST_F(EngineFrame, StepPollsHooksWalksIntegratesHoldsAndUpdatesInOrder) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine_.xinput().find_new_controllers();
  Body body;
  body.velocity = {1.0f, 0.0f, 0.0f};
  engine_.sim_objects().push_back(&body);
  engine_.walking().position() = {0.0f, 0.3f, 0.0f};
  engine_.walking().velocity() = {1.0f, 0.0f, 0.0f};
  engine_.walking().friction = 0.0f;
  engine_.player_volumes().push_back(BasicEngine::PlayerVolume({0, 0.3f, 0}, {1, 1, 1}));

  std::vector<std::string> log;
  engine_.pre_idle_hook() = [&] {
    const auto& triggers = engine_.xinput().joystick(0).trigger_values();
    log.push_back("pre-idle, trigger " + std::to_string(triggers.empty() ? 0 : triggers[0]) +
                  ", body " + std::to_string(body.position[0]));
  };
  engine_.walking_hook() = [&] {
    log.push_back("walking, body " + std::to_string(body.position[0]));
  };
  engine_.update_functions()["z"] = [&](double) {
    log.push_back("update, body " + std::to_string(body.position[0]) + ", walker " +
                  std::to_string(engine_.walking().position()[0]));
  };
  frame_at(100.0);  // game step 0: no update functions
  pads->pad(0).gamepad.bLeftTrigger = 255;
  frame_at(100.75);
  const std::vector<std::string> expected{
      "pre-idle, trigger 0.000000, body 0.000000", "walking, body 0.000000",
      "pre-idle, trigger 1.000000, body 0.000000", "walking, body 0.000000",
      "update, body 0.750000, walker 0.000000"};
  EXPECT_EQ(log, expected);
  // The walker's step out of the box was undone whole.
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{0, 0, 0}));
  EXPECT_EQ(engine_.walking().force, (Vec3{0, 0, 0}));
}

TEST_F(EngineFrame, SimulationObjectsFollowTheGameClockAndTheWalkerRealTime) {
  Body body;
  body.velocity = {1.0f, 0.0f, 0.0f};
  Body frozen;
  frozen.velocity = {1.0f, 0.0f, 0.0f};
  frozen.enable_update(false);
  frozen.force = {1.0f, 0.0f, 0.0f};
  engine_.sim_objects() = {&body, nullptr, &frozen};
  engine_.walking().position() = {0.0f, 0.3f, 0.0f};
  engine_.walking().velocity() = {1.0f, 0.0f, 0.0f};
  engine_.walking().friction = 0.0f;
  int updates = 0;
  engine_.update_functions()["count"] = [&](double) { ++updates; };

  engine_.game_speed_steps(3);
  frame_at(100.0);
  frame_at(100.5);
  EXPECT_FLOAT_EQ(body.position[0], 1.5f);  // three sub-steps of the game step
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 0.5f);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(frozen.position[0], 0.0f);
  EXPECT_EQ(frozen.force[0], 1.0f);  // an object not updated keeps its forces

  // Paused: the game step is 0, the walker still moves, no update function runs.
  engine_.pause(true);
  frame_at(101.0);
  EXPECT_FLOAT_EQ(body.position[0], 1.5f);
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 1.0f);
  EXPECT_EQ(updates, 1);
}

TEST_F(EngineFrame, LongFramesSplitTheUpdateStepIntoSecondsOrLess) {
  std::vector<double> steps;
  engine_.update_functions()["a"] = [&](double dt) { steps.push_back(dt); };
  frame_at(100.0);
  frame_at(100.5);
  ASSERT_EQ(steps, std::vector<double>{0.5});
  frame_at(101.5);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_DOUBLE_EQ(steps[1], 1.0);
  steps.clear();
  frame_at(104.0);  // 2.5 s: three calls that add up to the frame
  ASSERT_EQ(steps.size(), 3u);
  for (double dt : steps) EXPECT_DOUBLE_EQ(dt, 2.5 / 3.0);
}

TEST_F(EngineFrame, UpdateFunctionsRunInKeyOrderAndMayEraseEntries) {
  std::vector<std::string> order;
  auto& functions = engine_.update_functions();
  functions["b"] = [&](double) {
    order.push_back("b");
    functions.erase("b");  // itself
    functions.erase("c");
  };
  functions["a"] = [&](double) { order.push_back("a"); };
  functions["c"] = [&](double) { order.push_back("c"); };
  functions["d"] = nullptr;
  frame_at(100.0);
  frame_at(100.1);
  frame_at(100.2);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "a"}));
}

TEST_F(EngineFrame, WalkKeysPushAlongTheViewAndTheMenuStopsInputButNotTheRestRule) {
  look_along_minus_x(engine_);
  Vec3 force_at_hook{};
  int hook_calls = 0;
  engine_.walking_hook() = [&] {
    force_at_hook = engine_.walking().force;
    ++hook_calls;
  };
  // Held keys as the key map records them; a press also pushes at once
  // (the key tests), which is left out here.
  engine_.keyboard().keyboard('w', 1);
  engine_.keyboard().keyboard('d', 1);
  frame_at(100.0);
  const float f = static_cast<float>(8.0 * 86.6361427);
  EXPECT_NEAR(force_at_hook[0], -f, 1e-2);  // forward: -x
  EXPECT_NEAR(force_at_hook[1], 0.0f, 1e-4);
  EXPECT_NEAR(force_at_hook[2], -f, 1e-2);  // right: -z
  EXPECT_TRUE(engine_.walking().get_thrusting());

  engine_.keyboard_callback('w', 0, 0, 0, 0);
  engine_.keyboard_callback('d', 0, 0, 0, 0);
  engine_.set_menu(true);
  engine_.keyboard_callback('s', 1, 0, 0, 0);
  engine_.walking().set_thrusting(false);
  engine_.walking().velocity() = {0.01f, 0.0f, 0.0f};  // below the moving speed
  frame_at(100.1);
  EXPECT_EQ(hook_calls, 1);
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{0, 0, 0}));
}

// Shift or Caps Lock change a letter's case between its press and its
// release: a walk key walks in either case, and its release in either case
// ends the walk.
TEST_F(EngineFrame, AWalkKeyHeldInEitherCaseWalksUntilItsReleaseInEitherCase) {
  look_along_minus_x(engine_);
  const float f = static_cast<float>(8.0 * 86.6361427);
  Vec3 force_at_hook{};
  engine_.walking_hook() = [&] { force_at_hook = engine_.walking().force; };
  struct Case {
    int press, release;
  };
  double t = 100.0;
  for (const Case c : {Case{'w', 'w'}, Case{'W', 'W'}, Case{'w', 'W'}, Case{'W', 'w'}}) {
    SCOPED_TRACE(std::string(1, char(c.press)) + " released as " + char(c.release));
    engine_.keyboard_callback(c.press, 1, 0, 0, 0);
    engine_.walking().force = {0, 0, 0};  // the press's own push left out
    frame_at(t += 0.1);
    EXPECT_NEAR(force_at_hook[0], -f, 1e-2);  // held: forward, -x
    EXPECT_TRUE(engine_.walking().get_thrusting());

    engine_.keyboard_callback(c.release, 0, 0, 0, 0);
    frame_at(t += 0.1);
    EXPECT_NEAR(force_at_hook[0], 0.0f, 1e-2);  // released: no push
    EXPECT_FALSE(engine_.walking().get_thrusting());
    EXPECT_EQ(engine_.keyboard().keys()['w'], 0);
    EXPECT_EQ(engine_.keyboard().keys()['W'], 0);
  }
}

TEST_F(EngineFrame, ACameraAnimationOrLookEventTakesTheWalkerOffInputAndDrag) {
  Event animation("Camera animation", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr);
  engine_.gametime_queue().add(&animation);
  int hook_calls = 0;
  engine_.walking_hook() = [&] { ++hook_calls; };
  engine_.keyboard_callback('w', 1, 0, 0, 0);
  engine_.walking().velocity() = {1.0f, 0.0f, 0.0f};
  frame_at(100.0);
  frame_at(100.5);
  EXPECT_TRUE(engine_.active_camera_animation());
  EXPECT_EQ(hook_calls, 0);
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{1.0f, 0.0f, 0.0f}));  // no drag either

  engine_.gametime_queue().erase(&animation);
  Event look("move camera", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr);
  engine_.look_events().push_back(&look);
  frame_at(101.0);
  EXPECT_EQ(hook_calls, 0);
  engine_.look_events().clear();
  EXPECT_FALSE(engine_.active_camera_animation());
  frame_at(101.5);
  EXPECT_EQ(hook_calls, 1);
}

TEST_F(EngineFrame, TheLeftStickWalksBeyondItsDeadZoneAndReplacesTheKeysThrust) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine_.xinput().find_new_controllers();
  look_along_minus_x(engine_);
  Vec3 force_at_hook{};
  bool thrusting_at_hook = false;
  engine_.walking_hook() = [&] {
    force_at_hook = engine_.walking().force;
    thrusting_at_hook = engine_.walking().get_thrusting();
  };

  platform::XINPUT_GAMEPAD pad;
  pad.sThumbLY = 32767;  // pushed up: forward
  pads->set(0, pad);
  frame_at(100.0);
  const float f = static_cast<float>(8.0 * 86.6361427);
  EXPECT_NEAR(force_at_hook[0], -f, 1e-2);
  EXPECT_NEAR(force_at_hook[2], 0.0f, 1e-2);
  EXPECT_TRUE(thrusting_at_hook);
  EXPECT_EQ(engine_.last_gamepad_time(), engine_.real_time());

  // Within the dead zone, with a walk key held: the key still pushes, but the
  // stick clears the thrust.
  pad.sThumbLY = 3000;
  pads->set(0, pad);
  engine_.keyboard().keyboard('w', 1);  // held, without the press's own push
  frame_at(100.1);
  EXPECT_NEAR(force_at_hook[0], -f, 1e-2);
  EXPECT_FALSE(thrusting_at_hook);
}

TEST_F(EngineFrame, TheRightStickTurnsTheViewLevelOutsideHeadsetMode) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine_.xinput().find_new_controllers();
  engine_.walking().look().set_rot_speed(1.0f, 1.0f, 1.0f);
  platform::XINPUT_GAMEPAD pad;
  pad.sThumbRX = 32767;
  pads->set(0, pad);

  engine_.hmd_control(true);
  frame_at(100.05);
  EXPECT_EQ(engine_.mouse_look().coord_sys().rotation(), CoordinateSystem().rotation());
  EXPECT_EQ(engine_.last_gamepad_look(), 0.0);

  // A tenth of a second at full deflection and speed 1: a tenth of a radian.
  engine_.hmd_control(false);
  frame_at(100.1);
  const CoordinateSystem& view = engine_.mouse_look().coord_sys();
  EXPECT_NEAR(std::fabs(std::atan2(view.zhat()[0], view.zhat()[2])), 0.1f, 1e-3);
  EXPECT_NEAR(view.yhat()[1], 1.0f, 1e-5);  // still upright
  EXPECT_EQ(engine_.last_gamepad_look(), engine_.real_time());
  EXPECT_EQ(engine_.walking().look().coord_sys().rotation(), CoordinateSystem().rotation());

  engine_.gamepad_turn(false);
  const auto turned = view.rotation();
  frame_at(100.15);
  EXPECT_EQ(view.rotation(), turned);
}

// The stick's turn is cleared from the walker's look after every frame; the
// pitch still stops at the mouse's limits, measured on the view.
TEST_F(EngineFrame, HoldingTheRightStickPitchesTheViewNoFurtherThanSixtyDegrees) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine_.xinput().find_new_controllers();
  engine_.walking().look().set_rot_speed(1.0f, 1.0f, 1.0f);
  const CoordinateSystem& view = engine_.mouse_look().coord_sys();
  const auto elevation = [&view] {
    return std::acos(std::clamp(view.zhat()[1], -1.0f, 1.0f)) * 57.29578f - 90.0f;
  };
  double t = 100.0;
  for (const short push : {short(32767), short(-32768)}) {
    SCOPED_TRACE(push);
    platform::XINPUT_GAMEPAD pad;
    pad.sThumbRY = push;
    pads->set(0, pad);
    float highest = 0.0f;
    // Four seconds at a tenth of a radian a frame: far past the limit.
    for (int frame = 0; frame < 40; ++frame) {
      frame_at(t += 0.1);
      highest = std::max(highest, std::fabs(elevation()));
    }
    EXPECT_LE(highest, 60.01f);
    EXPECT_GE(std::fabs(elevation()), 59.9f);
    EXPECT_NEAR(view.xhat()[1], 0.0f, 1e-5);  // no roll
  }
}

// ---- Player volumes

TEST_F(EngineFrame, AStepLeavingEveryVolumeIsUndoneUnlessThereAreNoneOrAHeadset) {
  engine_.player_volumes() = {BasicEngine::PlayerVolume({0, 0.3f, 0}, {2, 2, 2}),
                              BasicEngine::PlayerVolume({2, 0.3f, 0}, {2, 2, 2})};
  engine_.walking().position() = {0.0f, 0.3f, 0.0f};
  engine_.walking().velocity() = {2.0f, 0.0f, 0.0f};
  engine_.walking().friction = 0.0f;
  frame_at(100.0);
  frame_at(100.5);  // to x = 1: on the faces of both boxes, so outside
  EXPECT_EQ(engine_.walking().position(), (Vec3{0.0f, 0.3f, 0.0f}));
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{0, 0, 0}));

  engine_.walking().velocity() = {2.0f, 0.0f, 0.0f};
  frame_at(100.75);  // to x = 0.5: inside the first box
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 0.5f);

  engine_.hmd_control(true);
  engine_.walking().velocity() = {20.0f, 0.0f, 0.0f};
  frame_at(101.0);
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 5.5f);
  engine_.hmd_control(false);
  engine_.player_volumes().clear();
  engine_.walking().velocity() = {20.0f, 0.0f, 0.0f};
  frame_at(101.25);
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 10.5f);
}

// A camera move may leave the walker outside every volume (above the table);
// it is not held there, and once back inside it stays inside.
TEST_F(EngineFrame, AWalkerLeftOutsideTheVolumesWalksBackIntoThem) {
  engine_.player_volumes() = {BasicEngine::PlayerVolume({0, 0.3f, 0}, {2, 2, 2})};
  engine_.walking().position() = {3.0f, 0.3f, 0.0f};
  engine_.walking().velocity() = {-2.0f, 0.0f, 0.0f};
  engine_.walking().friction = 0.0f;
  frame_at(100.0);
  frame_at(100.5);  // to x = 2: still outside
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 2.0f);
  frame_at(101.0);   // to x = 1: on the face, still outside
  frame_at(101.25);  // to x = 0.5: inside
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 0.5f);

  engine_.walking().velocity() = {2.0f, 0.0f, 0.0f};
  frame_at(101.75);  // to x = 1.5: out again, undone
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 0.5f);
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{0, 0, 0}));
}

TEST(BasicEngineVolumes, BoxesComeFromTheNamedObjectsOfAModel) {
  OBJRenderer room = testing_support::model_of(
      "o player_volume_a\nv -1 0 -1\nv 1 2 -1\nv 1 0 1\nf 1 2 3\n"
      "o player_volume_b\nv 1 0 -0.5\nv 3 2 -0.5\nv 3 0 0.5\nf 4 5 6\n"
      "o floor\nv -10 0 -10\nv 10 0 -10\nv 10 0 10\nf 7 8 9\n");
  BasicEngine e;
  ProgramCfg cfg;
  EXPECT_EQ(e.load_player_volume(room, cfg), -1);
  EXPECT_FALSE(cfg.contains("player_volume_objects"));
  cfg["player_volume_objects"] = "  ";
  EXPECT_EQ(e.load_player_volume(room, cfg), -1);
  EXPECT_FALSE(e.in_player_volume({0, 1, 0}));

  cfg["player_volume_objects"] = "a b missing";
  {
    testing_support::OutputCapture quiet;
    ASSERT_EQ(e.load_player_volume(room, cfg), 0);
  }
  ASSERT_EQ(e.player_volumes().size(), 3u);
  EXPECT_EQ(e.player_volumes()[0].position(), (std::array<float, 3>{0, 1, 0}));
  EXPECT_EQ(e.player_volumes()[0].volume(), (std::array<float, 3>{2, 2, 2}));
  EXPECT_EQ(e.player_volumes()[1].position(), (std::array<float, 3>{2, 1, 0}));
  EXPECT_EQ(e.player_volumes()[1].volume(), (std::array<float, 3>{2, 2, 1}));
  // A missing object: an empty box, which holds no point, not even its centre.
  EXPECT_EQ(e.player_volumes()[2].volume(), (std::array<float, 3>{0, 0, 0}));
  EXPECT_FALSE(e.in_player_volume(e.player_volumes()[2].position()));

  struct Case {
    std::array<float, 3> point;
    bool inside;
  };
  const Case cases[] = {
      {{0, 1, 0}, true},  {{2, 1, 0.4f}, true}, {{1, 1, 0}, false},           {{2, 1, 0.5f}, false},
      {{5, 1, 0}, false}, {{0, 2, 0}, false},   {{0.99f, 0.01f, 0.99f}, true}};
  for (const Case& c : cases) EXPECT_EQ(e.in_player_volume(c.point), c.inside) << c.point[0];

  // Loading again doubles the list; the union stays.
  {
    testing_support::OutputCapture quiet;
    ASSERT_EQ(e.load_player_volume(room, cfg), 0);
  }
  EXPECT_EQ(e.player_volumes().size(), 6u);
  for (const Case& c : cases) EXPECT_EQ(e.in_player_volume(c.point), c.inside) << c.point[0];
}

// ---- Controllers

TEST_F(EngineFrame, ControllerPosesFeedOneRecordPerValidPose) {
  engine_.walking().position() = {10.0f, 0.0f, 0.0f};
  std::vector<CoordinateSystem> poses(3);
  poses[0].position() = {1.0f, 2.0f, 3.0f};
  poses[1].disable();
  poses[2].position() = {-1.0f, 0.0f, 0.0f};
  poses[2].look_at(Vec3{-1, 0, 0}, Vec3{-1, 0, -5});
  VBO model;
  engine_.controller_vbos().add(nullptr);
  engine_.controller_vbos().add(&model);
  std::vector<std::size_t> seen_by_hook;
  engine_.controller_pose_hook() = [&] { seen_by_hook.push_back(engine_.controllers().size()); };

  engine_.update_controller_poses(poses);
  EXPECT_EQ(seen_by_hook, std::vector<std::size_t>{2});
  ASSERT_EQ(engine_.controllers().size(), 2u);
  EXPECT_TRUE(engine_.positional_control(2));
  EXPECT_FALSE(engine_.positional_control(3));
  // One smoothed sample on a new record: half-way from zero, taken once.
  const float* first = engine_.controllers()[0].pos().x_data();
  EXPECT_EQ((Vec3{first[0], first[1], first[2]}), (Vec3{5.5f, 1.0f, 1.5f}));
  const float* second = engine_.controllers()[1].pos().x_data();
  EXPECT_EQ((Vec3{second[0], second[1], second[2]}), (Vec3{4.5f, 0.0f, 0.0f}));
  const float* last = engine_.controllers()[1].pos().last_x_data();
  EXPECT_EQ((Vec3{last[0], last[1], last[2]}), (Vec3{0, 0, 0}));
  // Model 1 takes the pose of the second valid pose, at its world position.
  EXPECT_EQ(model.coord_sys().position(), (Vec3{9.0f, 0.0f, 0.0f}));
  EXPECT_EQ(model.coord_sys().rotation(), poses[2].rotation());

  engine_.update_controller_poses({poses[1]});
  EXPECT_TRUE(engine_.controllers().empty());
  EXPECT_EQ(seen_by_hook, (std::vector<std::size_t>{2, 0}));
}
