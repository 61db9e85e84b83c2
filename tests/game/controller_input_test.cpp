// The VR hand controllers' input of a frame, driven as the headset frame
// drives it: triggers into the engine's controller records, then the poses,
// whose update runs the game's hook. Clicks for the dialogs, the cue held
// by one or two hands, the hand that holds the front, and the menu button.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/app/pool_engine.h"
#include "game/app/vr_frame.h"
#include "input/vr_interface.h"
#include "support/button_dialog.h"
#include "support/pool_balls.h"

namespace {

using Clicks = std::vector<std::array<int, 3>>;

CoordinateSystem pose_at(const Vec3& p) {
  CoordinateSystem cs;
  cs.position() = p;
  cs.enable_translation(true);
  return cs;
}

void expect_near(const Vec3& a, const Vec3& b) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-5f) << "component " << i;
}

// Two seats, the first a human's, with the game's hooks; the walker at the
// origin, so a hand's position is its pose's (smoothed by the engine).
class ControllerInput : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.install_callbacks();
    engine.eight_ball.init_players(2, 1);
    engine.walking().position() = {0.0f, 0.0f, 0.0f};
    ASSERT_FALSE(engine.rules->current_player().computer);
  }

  // One headset frame: triggers first (into the records of the last
  // frame), then the poses.
  void frame(const std::vector<Vec3>& hands, const std::vector<float>& triggers = {}) {
    engine.input_triggers(triggers);
    std::vector<CoordinateSystem> poses;
    for (const Vec3& p : hands) poses.push_back(pose_at(p));
    engine.update_controller_poses(poses);
  }
  Vec3 hand(std::size_t i) const { return to_vec3(engine.controllers()[i].pos().x_data()); }
  Clicks clicks() const {
    Clicks out;
    for (const MouseButtonEvent& e : engine.mouse_button_events())
      out.push_back({e.button, e.state, e.handled});
    return out;
  }
  // The triggers of the hands of the last frame held (or not) until their
  // smoothed values are past the threshold (clicks are queued on the way).
  void hold(const std::vector<float>& triggers) {
    for (int i = 0; i < 3; ++i) engine.input_triggers(triggers);
  }
  // The cue ball at the origin and an object ball far away.
  void balls_at_origin() {
    testing_support::place_balls(engine, {{0, {0.0f, 0.0f, 0.0f}}, {1, {0.5f, 0.0f, 0.0f}}});
  }

  // Where a test puts the cue's front end before a frame that keeps it.
  static constexpr Vec3 kKept{0.0f, 0.05f, 0.0f};
  PoolEngine engine;
};

TEST_F(ControllerInput, ATriggerCrossingTheThresholdClicksOnceEachWay) {
  frame({{0.2f, 0.0f, 0.0f}, {0.4f, 0.0f, 0.0f}});
  // The engine smooths the trigger: 0.5, then 0.75 (held), then 0.375.
  frame({{0.2f, 0.0f, 0.0f}, {0.4f, 0.0f, 0.0f}}, {1.0f, 0.0f});
  EXPECT_EQ(clicks(), Clicks{});
  frame({{0.2f, 0.0f, 0.0f}, {0.4f, 0.0f, 0.0f}}, {1.0f, 0.0f});
  EXPECT_EQ(clicks(), (Clicks{{0, 1, 0}}));
  frame({{0.2f, 0.0f, 0.0f}, {0.4f, 0.0f, 0.0f}}, {0.0f, 0.0f});
  EXPECT_EQ(clicks(), (Clicks{{0, 1, 0}, {0, 0, 0}}));

  // The second hand's trigger held for many frames and the first left
  // alone: one click.
  engine.mouse_button_events().clear();
  for (int i = 0; i < 30; ++i) frame({{0.2f, 0.0f, 0.0f}, {0.4f, 0.0f, 0.0f}}, {0.0f, 1.0f});
  EXPECT_EQ(clicks(), (Clicks{{0, 1, 0}}));
}

TEST_F(ControllerInput, OneHandHoldsTheCueFromTheHandThroughTheCueBall) {
  testing_support::place_balls(engine, {{0, {0.1f, 0.2f, 0.3f}}});
  frame({{0.5f, 0.4f, 0.3f}});
  expect_near(engine.cue.end_a, {0.1f, 0.2f, 0.3f});
  expect_near(engine.cue.end_b, hand(0));
}

TEST_F(ControllerInput, PausedOneHandHoldsTheCueAlongItsModelsZAxis) {
  balls_at_origin();
  VBO model;
  engine.add_controller_vbo(&model, "ctl");
  engine.pause(true);
  ASSERT_TRUE(engine.paused());
  // The model's z axis along the world's x.
  CoordinateSystem turned = pose_at({0.0f, 0.6f, 0.0f});
  const float r[9] = {0, 0, 1, 0, 1, 0, -1, 0, 0};
  turned.set_rotation(r);
  engine.update_controller_poses({turned});
  const Vec3 z = model.coord_sys().zhat_array(false);
  EXPECT_NEAR(std::fabs(z[0]), 1.0f, 1e-6f);
  expect_near(engine.cue.end_a, hand(0));
  expect_near(engine.cue.end_b, hand(0) + z * 0.5f);

  // Without a model the cue stays.
  const Vec3 before = engine.cue.end_b;
  engine.clear_controller_vbos();
  frame({{0.0f, 0.9f, 0.0f}});
  EXPECT_EQ(engine.cue.end_b, before);
}

TEST_F(ControllerInput, OnAComputersTurnTheClicksReachTheDialogsAndTheCueStays) {
  balls_at_origin();
  engine.eight_ball.current = 1;
  ASSERT_TRUE(engine.rules->current_player().computer);
  testing_support::ButtonColumn dialog;
  int runs = 0;
  dialog.children()[1]->callback() = [&runs] { ++runs; };
  engine.dialogs().push_back(&dialog);
  engine.cue.end_a = {1.0f, 1.0f, 1.0f};
  engine.cue.end_b = {2.0f, 2.0f, 2.0f};

  frame({{0.2f, 0.0f, 0.0f}});
  for (float trigger : {1.0f, 1.0f, 0.0f}) frame({{0.2f, 0.0f, 0.0f}}, {trigger});
  EXPECT_EQ(clicks(), (Clicks{{0, 1, 0}, {0, 0, 0}}));
  engine.update_dialogs();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(engine.cue.end_a, (Vec3{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(engine.cue.end_b, (Vec3{2.0f, 2.0f, 2.0f}));
  engine.dialogs().clear();
}

// The front hand's held trigger keeps the front end where the cue's end_a
// is, so the cue shows which hand holds the front; the other hand is the
// back end.
TEST_F(ControllerInput, TheFrontHandIsTheOneNearerTheTargetOrTheFirst) {
  struct Case {
    const char* what;
    bool balls;
    std::vector<Vec3> hands;
    std::size_t front;
  };
  const Case cases[] = {
      {"the nearer", true, {{0.6f, 0.0f, 0.0f}, {0.2f, 0.0f, 0.0f}}, 1},
      {"equally near", true, {{0.0f, 0.0f, 0.4f}, {0.0f, 0.0f, -0.4f}}, 0},
      {"no balls", false, {{3.0f, 0.0f, 0.0f}, {0.1f, 0.0f, 0.0f}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PoolEngine engine;
    engine.install_callbacks();
    engine.eight_ball.init_players(2, 1);
    engine.walking().position() = {0.0f, 0.0f, 0.0f};
    if (c.balls) testing_support::place_balls(engine, {{0, {0.0f, 0.0f, 0.0f}}});
    std::vector<CoordinateSystem> poses;
    for (const Vec3& p : c.hands) poses.push_back(pose_at(p));
    engine.update_controller_poses(poses);
    std::vector<float> triggers{0.0f, 0.0f};
    triggers[c.front] = 1.0f;
    for (int i = 0; i < 3; ++i) engine.input_triggers(triggers);
    engine.cue.end_a = kKept;
    engine.update_controller_poses(poses);
    expect_near(engine.cue.end_a, kKept);
    expect_near(engine.cue.end_b, to_vec3(engine.controllers()[1 - c.front].pos().x_data()));
  }
}

TEST_F(ControllerInput, AHeldBackTriggerSlidesTheBackEndAlongTheCue) {
  balls_at_origin();
  frame({{0.1f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}});
  hold({1.0f, 1.0f});
  engine.cue.end_a = {0.0f, 0.0f, 0.0f};
  engine.cue.end_b = {2.0f, 0.0f, 0.0f};

  // The back hand (smoothed to (1.75, 0.5, 0)) lies 0.25 m toward the
  // front along the 2 m long cue, and aside: the back end moves 0.25 m
  // along the cue, whatever the cue's length.
  const std::vector<Vec3> hands{{0.1f, 0.0f, 0.0f}, {3.0f, 1.0f, 0.0f}};
  frame(hands);
  expect_near(hand(1), {1.75f, 0.5f, 0.0f});
  expect_near(engine.cue.end_a, {0.0f, 0.0f, 0.0f});
  expect_near(engine.cue.end_b, {1.75f, 0.0f, 0.0f});

  // Both ends at one point: no line to slide along, the back end stays.
  engine.cue.end_a = {0.5f, 0.0f, 0.0f};
  engine.cue.end_b = {0.5f, 0.0f, 0.0f};
  frame(hands);
  expect_near(engine.cue.end_a, {0.5f, 0.0f, 0.0f});
  expect_near(engine.cue.end_b, {0.5f, 0.0f, 0.0f});
}

TEST_F(ControllerInput, ADialogToChooseFromOrAPausedMenuIsTheTarget) {
  balls_at_origin();
  testing_support::ButtonColumn shot;
  shot.frame().coord_sys().position() = {1.0f, 0.0f, 0.0f};
  engine.dialogs().push_back(&shot);
  EXPECT_EQ(engine.controller_target(), (Vec3{1.0f, 0.0f, 0.0f}));
  // The cue's end nearer the dialog comes first.
  frame({{-0.4f, 0.0f, 0.0f}, {0.8f, 0.0f, 0.0f}});
  expect_near(engine.cue.end_a, hand(1));

  shot.enable(false);
  EXPECT_EQ(engine.controller_target(), (Vec3{0.0f, 0.0f, 0.0f}));

  testing_support::ButtonColumn menu;
  menu.frame().coord_sys().position() = {0.0f, 2.0f, 0.0f};
  engine.menu_dialog = &menu;
  shot.enable(true);
  // A menu that does not pause the game keeps the cue ball.
  EXPECT_EQ(engine.controller_target(), (Vec3{0.0f, 0.0f, 0.0f}));
  engine.pause(true);
  EXPECT_EQ(engine.controller_target(), (Vec3{0.0f, 2.0f, 0.0f}));
  engine.menu_dialog = nullptr;
  engine.dialogs().clear();
}

TEST(VRMenuButton, ButtonZeroTogglesTheMenuOthersDoNothing) {
  PoolEngine engine;
  VRInterface vr;
  VRFrame frame(engine, vr, {});
  ASSERT_TRUE(engine.pause_allowed());
  frame.vr_menu_button(3, 1);
  frame.vr_menu_button(3, 2);
  EXPECT_FALSE(engine.menu_enabled());
  frame.vr_menu_button(3, 0);
  EXPECT_TRUE(engine.menu_enabled());
  frame.vr_menu_button(4, 0);
  EXPECT_FALSE(engine.menu_enabled());
}

}  // namespace
