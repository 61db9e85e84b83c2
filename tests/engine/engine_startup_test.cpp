// The engine's start-up steps without a window: settings, the walker, the
// cursor-shape function, the render size, the default view, the periodic
// engine events and the commands.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "engine/controller_tutorial.h"
#include "support/data_root.h"
#include "support/engine_frame.h"
#include "support/gamepads.h"

using testing_support::EngineFrame;
using testing_support::TempDataRoot;

namespace {

// Lines of an ini text that hold a key, as "key = value" without blanks.
std::string compact(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += c;
  return out;
}

}  // namespace

TEST(EngineStartupSettings, InitCfgWritesTheThreeDefaultsIntoAnEmptyRoot) {
  TempDataRoot root;
  BasicEngine e;
  e.init_cfg();
  const std::string file = compact(root.read("cfg/basic_engine.ini"));
  EXPECT_NE(file.find("autostart_newgame=1"), std::string::npos) << file;
  EXPECT_NE(file.find("autostart_human_players=0"), std::string::npos) << file;
  EXPECT_NE(file.find("autostart_ai_players=2"), std::string::npos) << file;
  EXPECT_EQ(e.settings().settings().size(), 1u);
  EXPECT_EQ(static_cast<int>(e.settings()["basic_engine"]["autostart_ai_players"]), 2);
}

TEST(EngineStartupSettings, TheFileWinsOverTheDefaultsAndKeepsItsOwnKeys) {
  TempDataRoot root;
  root.write("cfg/basic_engine.ini", "autostart_ai_players = 0\nmy_key = 7\n");
  BasicEngine e;
  e.init_cfg();
  const ProgramCfg& cfg = std::as_const(e.settings())["basic_engine"];
  EXPECT_EQ(static_cast<int>(cfg["autostart_ai_players"]), 0);
  EXPECT_EQ(static_cast<int>(cfg["autostart_newgame"]), 1);
  EXPECT_EQ(static_cast<int>(cfg["my_key"]), 7);
  const std::string file = compact(root.read("cfg/basic_engine.ini"));
  EXPECT_NE(file.find("autostart_ai_players=0"), std::string::npos) << file;
  EXPECT_NE(file.find("autostart_newgame=1"), std::string::npos) << file;
  EXPECT_NE(file.find("my_key=7"), std::string::npos) << file;
}

TEST(EngineStartupSettings, InitWalkTakesWalkAccelAndInitCfgDropsEarlierSections) {
  TempDataRoot root;
  root.write("cfg/controls.ini", "walk_accel = 3.5\n");
  BasicEngine e;
  e.init_walk();
  EXPECT_FLOAT_EQ(e.walking().walk_accel, 3.5f);
  ASSERT_EQ(e.realtime_objects().size(), 1u);
  EXPECT_EQ(e.realtime_objects()[0], &e.walking());
  EXPECT_TRUE(e.settings().has_section("controls"));

  e.init_cfg();
  EXPECT_FALSE(e.settings().has_section("controls"));
  EXPECT_TRUE(e.settings().has_section("basic_engine"));
  EXPECT_FLOAT_EQ(e.walking().walk_accel, 3.5f);
  EXPECT_EQ(root.read("cfg/controls.ini"), "walk_accel = 3.5\n");  // nothing written back
}

TEST(EngineStartupSettings, WithoutControlsOrItsKeyTheWalkerKeepsItsDefault) {
  TempDataRoot root;
  const float walk_accel = BasicEngine().walking().walk_accel;
  {
    BasicEngine e;
    e.init_walk();
    EXPECT_EQ(e.walking().walk_accel, walk_accel);
  }
  root.write("cfg/controls.ini", "other = 1\n");
  BasicEngine e;
  e.init_walk();
  EXPECT_EQ(e.walking().walk_accel, walk_accel);
  EXPECT_FALSE(std::as_const(e.settings())["controls"].contains("walk_accel"));
}

// A walk speed that is no number would leave the walker standing still.
TEST(EngineStartupSettings, AWalkSpeedThatIsNoNumberKeepsTheDefault) {
  TempDataRoot root;
  const float walk_accel = BasicEngine().walking().walk_accel;
  root.write("cfg/controls.ini", "walk_accel = fast\n");
  BasicEngine e;
  e.init_walk();
  EXPECT_EQ(e.walking().walk_accel, walk_accel);
  EXPECT_EQ(root.read("cfg/controls.ini"), "walk_accel = fast\n");
}

TEST(EngineStartupSettings, DefaultCfgKeepsTheRootTheApplicationGaveTheStore) {
  TempDataRoot root;
  root.write("elsewhere/cfg/basic_engine.ini", "autostart_newgame = 0\n");
  BasicEngine e(nullptr, "SOME_UNSET_ROOT_VARIABLE");
  e.settings().root((root.path() / "elsewhere").string());
  EXPECT_EQ(e.default_cfg().env_var(), "SOME_UNSET_ROOT_VARIABLE");
  e.init_cfg();
  EXPECT_EQ(static_cast<int>(e.settings()["basic_engine"]["autostart_newgame"]), 0);
  EXPECT_NE(compact(root.read("elsewhere/cfg/basic_engine.ini")).find("autostart_ai_players=2"),
            std::string::npos);
  EXPECT_EQ(root.read("cfg/basic_engine.ini"), "");
}

TEST(EngineStartupWindow, RenderSizeIsTheWindowOverItsScaleUnlessSet) {
  struct Case {
    std::array<int, 2> preset;
    std::array<int, 2> resolution;
    std::array<float, 2> scale;
    std::array<int, 2> expected;
  };
  const Case cases[] = {
      {{0, 0}, {1920, 1080}, {1.5f, 1.5f}, {1280, 720}},
      {{0, 0}, {1001, 999}, {2.0f, 2.0f}, {500, 499}},  // truncated
      {{1200, 1080}, {1920, 1080}, {1.5f, 1.5f}, {1200, 1080}},
      {{800, 0}, {1920, 1080}, {1.0f, 1.0f}, {1920, 1080}},  // half set counts as unset
      {{0, 0}, {1920, 1080}, {0.0f, NAN}, {0, 0}},           // no usable factor
  };
  for (const Case& c : cases) {
    BasicEngine e;
    e.window().fullscreen_flag(false);
    e.render_size(c.preset);
    e.window().set_resolution(c.resolution[0], c.resolution[1], false);
    e.window().scale_factor() = c.scale;
    EXPECT_EQ(e.init_win(), 0);
    EXPECT_EQ(e.render_size(), c.expected) << c.resolution[0] << "/" << c.scale[0];
    EXPECT_EQ(e.buffer_count(), 1);  // a window, not game mode
  }
  BasicEngine e;
  e.window().fullscreen_flag(true);
  e.init_win();
  EXPECT_EQ(e.buffer_count(), 2);
}

TEST(EngineStartupView, InitCameraLooksAtTheOriginFromTheStartPoint) {
  BasicEngine e;
  e.init_camera();
  const CoordinateSystem& view = e.mouse_look().coord_sys();
  EXPECT_EQ(view.position(), (Vec3{0.0f, 0.3f, 2.0f}));
  // The view looks along its -z: toward the origin.
  const float n = std::sqrt(0.09f + 4.0f);
  EXPECT_NEAR(view.zhat()[0], 0.0f, 1e-6f);
  EXPECT_NEAR(view.zhat()[1], 0.3f / n, 1e-6f);
  EXPECT_NEAR(view.zhat()[2], 2.0f / n, 1e-6f);
  EXPECT_GT(view.yhat()[1], 0.9f);
  EXPECT_EQ(e.mouse_look().up_axis(), 1);
  EXPECT_EQ(e.walking().position(), (Vec3{0.0f, 0.3f, 2.0f}));
}

TEST(EngineStartupView, InitCameraLeavesAHeadsetViewAlone) {
  BasicEngine e;
  e.hmd_control(true);
  e.walking().position() = {1, 2, 3};
  e.init_camera();
  EXPECT_EQ(e.mouse_look().coord_sys().position(), (Vec3{0, 0, 0}));
  EXPECT_EQ(e.walking().position(), (Vec3{1, 2, 3}));
  EXPECT_NE(e.mouse_look().up_axis(), 1);
}

TEST(EngineStartupView, InitCursorScalesThePointerTargetAndEnablesTheCursorStyle) {
  BasicEngine e;
  e.cursor().style().enable(false);
  e.init_cursor();
  EXPECT_EQ(e.pointer_target().volume(), (Vec3{0.002f, 0.002f, 0.002f}));
  EXPECT_TRUE(e.cursor().style().enabled());
}

class EngineStartupBasic : public EngineFrame {
 protected:
  TempDataRoot root_;
};

TEST_F(EngineStartupBasic, InitBasicSetsTheMaterialAndQueuesTheCursorShape) {
  engine_.material().disable();
  EXPECT_EQ(engine_.init_basic(), 0);
  EXPECT_TRUE(engine_.material().enabled());
  EXPECT_EQ(engine_.material().specular(), (Color4{1, 1, 1, 1}));
  EXPECT_EQ(engine_.material().shininess(), 20.0f);
  // One endless event with a 0.05 s period.
  ASSERT_EQ(engine_.realtime_queue().events().size(), 1u);
  const Event* shape = engine_.realtime_queue().events().front();
  EXPECT_EQ(shape->min_update_period(), 0.05);
  EXPECT_LT(shape->duration(), 0.0);
}

TEST_F(EngineStartupBasic, ThePointerShowsOnlyWhileTheMouseDrivesTheOpenMenu) {
  engine_.init_basic();
  frame_at(100.0);
  EXPECT_TRUE(engine_.mouse().hidden());  // menu closed

  engine_.set_menu(true);
  engine_.last_mouse_time(100.05);
  frame_at(100.1);
  EXPECT_FALSE(engine_.mouse().hidden());

  // The keyboard takes the menu over: the pointer goes.
  engine_.special_key(101, 1, 0, 0, 0);
  frame_at(100.2);
  EXPECT_TRUE(engine_.mouse().hidden());

  // Mouse again, then the menu closes.
  engine_.last_arrow_key_time(0.0);
  engine_.last_mouse_time(100.25);
  frame_at(100.3);
  EXPECT_FALSE(engine_.mouse().hidden());
  engine_.set_menu(false);
  frame_at(100.4);
  EXPECT_TRUE(engine_.mouse().hidden());
}

namespace {

// The names of the events the real-time queue lists, in order.
std::vector<std::string> event_names(const EventQueue& q) {
  std::vector<std::string> names;
  for (const Event* e : q.events())
    if (e) names.push_back(e->name());
  return names;
}

}  // namespace

TEST_F(EngineStartupBasic, AfterThePostGlStepTheFourEngineEventsRunWithoutEnd) {
  engine_.init_basic();
  EXPECT_EQ(engine_.init_post_glew(), 0);
  EXPECT_EQ(
      event_names(engine_.realtime_queue()),
      (std::vector<std::string>{"enqueue", "find controllers", "Update dialogs", "Sort dialogs"}));
  for (const Event* e : engine_.realtime_queue().events()) EXPECT_LT(e->duration(), 0.0);
  EXPECT_EQ(engine_.realtime_queue().events().back()->min_update_period(), 0.5);
  EXPECT_EQ(engine_.cmds().count("quit"), 1u);
  EXPECT_EQ(engine_.cmds().count("start_game"), 1u);
  EXPECT_EQ(engine_.pointer_target().volume(), (Vec3{0.002f, 0.002f, 0.002f}));
  EXPECT_TRUE(engine_.cursor().style().enabled());
  for (double t = 100.0; t < 103.0; t += 0.1) frame_at(t);
  EXPECT_EQ(engine_.realtime_queue().events().size(), 4u);
}

class EngineStartupGamepads : public EngineFrame {
 protected:
  testing_support::ScriptedPads pads_;
};

TEST_F(EngineStartupGamepads, AStartedAgainSearchLeavesOneRunning) {
  engine_.find_controllers_daemon();
  frame_at(100.0);
  engine_.find_controllers_daemon();
  engine_.find_controllers_daemon();
  for (double t = 100.1; t < 102.0; t += 0.1) frame_at(t);
  EXPECT_EQ(event_names(engine_.realtime_queue()), std::vector<std::string>{"find controllers"});
}

TEST_F(EngineStartupGamepads, APadPluggedInLaterIsBoundWithinASecondAndShowsTheGamepadModel) {
  ControllerTutorial tutorial(&engine_);
  engine_.controller_tutorial() = &tutorial;
  tutorial.gamepad().enable(true);
  engine_.find_controllers_daemon();
  frame_at(100.0);
  EXPECT_FALSE(tutorial.gamepad().enabled());  // no gamepad in use

  pads_->connect(0);
  frame_at(100.5);
  // Read through the const view: asking the interface for a pad it does not
  // know yet would look for pads itself.
  EXPECT_TRUE(
      std::as_const(engine_.xinput()).joystick(0).button_callbacks().up_callbacks().empty());
  frame_at(101.05);
  EXPECT_FALSE(engine_.xinput().joystick(0).button_callbacks().up_callbacks().empty());
  EXPECT_FALSE(tutorial.gamepad().enabled());  // bound, not yet used

  // A button press makes the gamepad the menu device.
  pads_->pad(0).gamepad.wButtons = platform::XINPUT_GAMEPAD_A;
  frame_at(101.1);
  frame_at(102.1);
  EXPECT_TRUE(engine_.gamepad_active());
  EXPECT_TRUE(tutorial.gamepad().enabled());
}
