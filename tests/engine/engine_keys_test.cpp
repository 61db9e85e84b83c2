// The engine's keys without a window: walk keys and bound keys, key_cmd, the
// two engine commands, the arrow keys on the selected dialog, the functions on
// the gamepad buttons, the gamepad search and the VR triggers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "support/button_dialog.h"
#include "support/engine_frame.h"
#include "support/gamepads.h"

using testing_support::EngineFrame;
using ThreeButtons = testing_support::ButtonColumn;

namespace {

// Mass times walking acceleration: the size of one walk push.
const float kPush = static_cast<float>(8.0 * 86.6361427);

class EngineKeys : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    // The view looks along -x: forward is -x, right is -z.
    engine_.mouse_look().coord_sys().look_at(Vec3{0, 0, 0}, Vec3{-1, 0, 0});
  }
  // A command that logs its name and argument and answers the argument + 1.
  void add_logged(const std::string& name) {
    engine_.cmds()[name] = [this, name](int argument) {
      log_.push_back(name + " " + std::to_string(argument));
      return argument + 1;
    };
  }
  void press(int key) { engine_.keyboard_callback(key, 1, 0, 0, 0); }
  void release(int key) { engine_.keyboard_callback(key, 0, 0, 0, 0); }

  std::vector<std::string> log_;
};

}  // namespace

// ---- Walk keys and bindings

TEST_F(EngineKeys, WalkKeysOfEitherCasePushAlongTheViewAndNeverReachTheBindings) {
  add_logged("bound");
  engine_.bind_key_down('W', "bound", 0);
  engine_.bind_key_down('w', "bound", 0);
  for (int key : {'w', 'W'}) {
    engine_.walking().force = {0, 0, 0};
    press(key);
    EXPECT_NEAR(engine_.walking().force[0], -kPush, 1e-2) << char(key);
    EXPECT_NEAR(engine_.walking().force[2], 0.0f, 1e-3) << char(key);
    EXPECT_EQ(engine_.walking().input_local, (Vec3{0, 0, -1}));
    EXPECT_NEAR(engine_.walking().input_global[0], -1.0f, 1e-6);
  }
  engine_.walking().force = {0, 0, 0};
  press('D');
  EXPECT_NEAR(engine_.walking().force[2], -kPush, 1e-2);  // right
  EXPECT_TRUE(log_.empty());

  // An upper-case binding is found only by its own code.
  add_logged("quit_game");
  engine_.bind_key_down('Q', "quit_game", 5);
  press('q');
  EXPECT_TRUE(log_.empty());
  press('Q');
  EXPECT_EQ(log_, std::vector<std::string>{"quit_game 5"});
}

TEST_F(EngineKeys, CameraMovesAndTheMenuTakeKeysAway) {
  add_logged("enter");
  engine_.bind_key_up(13, "enter", 0);
  Event look("move camera", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr);
  engine_.look_events().push_back(&look);
  press('w');
  release(13);
  EXPECT_EQ(engine_.walking().force, (Vec3{0, 0, 0}));
  engine_.look_events().clear();

  Event animation("Camera animation", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr);
  engine_.gametime_queue().add(&animation);
  frame_at(100.0);
  release(13);
  EXPECT_TRUE(log_.empty());
  engine_.gametime_queue().erase(&animation);

  // The menu stops walking, not the bound keys.
  engine_.set_menu(true);
  press('w');
  release(13);
  EXPECT_EQ(engine_.walking().force, (Vec3{0, 0, 0}));
  EXPECT_EQ(log_, std::vector<std::string>{"enter 0"});
}

TEST_F(EngineKeys, KeyCmdRunsTheBindingOfAnEdgeByTheKeysLowByte) {
  add_logged("enter_down");
  add_logged("enter_up");
  engine_.bind_key_down(13, "first", 1);
  engine_.bind_key_down(13, "enter_down", 7);  // replaces the first
  engine_.bind_key_up(13, "enter_up", 8);
  EXPECT_EQ(engine_.key_cmd(13, BasicEngine::kPressEdge), 8);
  EXPECT_EQ(engine_.key_cmd(13 + 256, 103), 8);
  EXPECT_EQ(engine_.key_cmd(13, 101), 9);
  EXPECT_EQ(engine_.key_cmd(13, 5), 9);  // any other edge is a release
  EXPECT_EQ(engine_.key_down(13), 8);
  EXPECT_EQ(engine_.key_up(13), 9);
  EXPECT_EQ(engine_.key_cmd(14, 103), 0);
  EXPECT_EQ(engine_.cmds().count("first"), 0u);

  // A name without a function answers 0 and is entered empty.
  engine_.bind_key_up(27, "nothing", 3);
  EXPECT_EQ(engine_.key_up(27), 0);
  ASSERT_EQ(engine_.cmds().count("nothing"), 1u);
  EXPECT_FALSE(engine_.cmds().at("nothing"));

  // Through the keyboard: press and release reach their own table.
  press(13);
  release(13);
  release(13 + 512);
  EXPECT_EQ(log_.size(), 9u);
  EXPECT_EQ(log_.back(), "enter_up 8");
  EXPECT_EQ(log_[log_.size() - 3], "enter_down 7");

  // A command may replace itself while it runs.
  engine_.cmds()["self"] = [this](int) {
    engine_.cmds()["self"] = nullptr;
    return 4;
  };
  engine_.bind_key_down('x', "self", 0);
  EXPECT_EQ(engine_.key_down('x'), 4);
  EXPECT_EQ(engine_.key_down('x'), 0);

  engine_.bind_mouse_down(0, "click", 1);
  engine_.bind_mouse_up(2, "menu", 2);
  EXPECT_EQ(engine_.mouse_down_bindings().at(0), (BasicEngine::Binding{"click", 1}));
  EXPECT_EQ(engine_.mouse_up_bindings().at(2), (BasicEngine::Binding{"menu", 2}));
}

// ---- The engine's commands

TEST_F(EngineKeys, QuitAnswersTheQuitCode) {
  EXPECT_EQ(engine_.init_basic_cmds(), 0);
  engine_.bind_key_up(27, "quit", 0);
  EXPECT_EQ(engine_.key_up(27), 0);
  engine_.quit(4);
  EXPECT_EQ(engine_.key_up(27), 4);
}

TEST_F(EngineKeys, StartGameReadsThePlayerCountsAndCallsTheHook) {
  struct Case {
    const char* basic_settings;  // null: no such section
    const char* basic_engine;
    int humans, computers;
  };
  const Case cases[] = {
      {nullptr, nullptr, 0, 0},
      {nullptr, "autostart_human_players = 1\nautostart_ai_players = 2\n", 1, 2},
      // The section the command is documented with wins when it holds a count.
      {"autostart_human_players = 2\nautostart_ai_player = 1\n",
       "autostart_human_players = 1\nautostart_ai_players = 2\n", 2, 1},
      {"autostart_ai_player = 3.9\n", nullptr, 0, 3},
      {nullptr, "autostart_human_players = 1e30\nautostart_ai_players = nan\n", 0, 0},
  };
  engine_.init_basic_cmds();
  for (const Case& c : cases) {
    BasicEngine engine;
    engine.init_basic_cmds();
    if (c.basic_settings) engine.settings()["basic_settings"] += std::string(c.basic_settings);
    if (c.basic_engine) engine.settings()["basic_engine"] += std::string(c.basic_engine);
    std::vector<int> started;
    engine.start_game_hook() = [&](int humans, int computers) { started = {humans, computers}; };
    EXPECT_EQ(engine.cmds().at("start_game")(6), 6);
    EXPECT_EQ(started, (std::vector<int>{c.humans, c.computers}));
  }
  // Without a hook the command does nothing and answers its argument.
  EXPECT_EQ(engine_.cmds().at("start_game")(2), 2);
  EXPECT_FALSE(engine_.settings().has_section("basic_settings"));
}

// ---- Arrow keys

TEST_F(EngineKeys, AnArrowPressMovesTheSelectionOnceAndTheReleaseNothing) {
  ThreeButtons dialog;
  engine_.selected_dialog() = &dialog;
  engine_.special_key(101, 1, 0, 0, 0);  // up
  EXPECT_EQ(dialog.cursor(), 0);
  engine_.special_key_up(101, 0, 0, 0);
  EXPECT_EQ(dialog.cursor(), 0);
  engine_.special_key(103, 1, 0, 0, 0);  // down
  engine_.special_key_up(103, 0, 0, 0);
  EXPECT_EQ(dialog.cursor(), 1);

  // A key intercept takes the special keys; other special keys do nothing.
  std::vector<int> intercepted;
  engine_.key_intercept() = [&](int key, int state, float, float, float) {
    intercepted.push_back(key * 10 + state);
  };
  engine_.special_key(101, 1, 0, 0, 0);
  engine_.special_key_up(101, 0, 0, 0);
  EXPECT_EQ(dialog.cursor(), 1);
  EXPECT_EQ(intercepted, (std::vector<int>{1011, 1010}));
  engine_.key_intercept() = nullptr;
  engine_.special_key(1, 1, 0, 0, 0);  // F1
  EXPECT_EQ(dialog.cursor(), 1);
}

TEST_F(EngineKeys, ArrowKeysThatNoDialogTakesGoToTheHook) {
  std::vector<int> hooked;
  EXPECT_EQ(engine_.arrow_key_up(100), 0);  // no dialog, no hook
  engine_.arrow_key_hook() = [&](int key) { hooked.push_back(key); };
  EXPECT_EQ(engine_.arrow_key_up(102), 0);
  EXPECT_EQ(engine_.arrow_key_up(13), -1);

  ThreeButtons dialog;
  engine_.selected_dialog() = &dialog;
  EXPECT_EQ(engine_.arrow_key_up(102), 0);  // nothing to the right
  dialog.enable(false);
  EXPECT_EQ(engine_.arrow_key_up(101), 0);
  dialog.enable(true);
  EXPECT_EQ(engine_.arrow_key_up(101), 0);  // moved: not handed on
  EXPECT_EQ(dialog.cursor(), 0);
  EXPECT_EQ(hooked, (std::vector<int>{102, 102, 101}));

  // With hand controllers connected the controllers select.
  CoordinateSystem pose;
  engine_.update_controller_poses({pose});
  EXPECT_EQ(engine_.arrow_key_up(103), -1);
  EXPECT_EQ(dialog.cursor(), 0);
  EXPECT_EQ(hooked.size(), 3u);
}

TEST_F(EngineKeys, ArrowsFollowTheDialogsTurnedFrame) {
  struct Probe : BasicEngine {
    using BasicEngine::arrow_key_to_look_dir;
    using BasicEngine::is_arrow_key;
  } engine;
  EXPECT_EQ(engine.arrow_key_to_look_dir(100), (std::array<float, 3>{0, 0, 0}));
  ThreeButtons dialog;
  // Turned a quarter about y: its x axis points along -z in the scene.
  dialog.frame().coord_sys().look_at(Vec3{0, 0, 0}, Vec3{-1, 0, 0});
  engine.selected_dialog() = &dialog;
  const auto right = engine.arrow_key_to_look_dir(102);
  const Vec3 x = dialog.frame().coord_sys().xhat_array();
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(right[i], x[i], 1e-6);
  const auto down = engine.arrow_key_to_look_dir(103);
  EXPECT_NEAR(down[1], -1.0f, 1e-6);
  EXPECT_EQ(engine.arrow_key_to_look_dir(13), (std::array<float, 3>{0, 0, 0}));
  EXPECT_TRUE(engine.is_arrow_key(103));
  EXPECT_FALSE(engine.is_arrow_key(104));
  // Selection still moves up and down in the turned dialog.
  engine.special_key(103, 1, 0, 0, 0);
  EXPECT_EQ(dialog.cursor(), 2);
}

// ---- Gamepad buttons

namespace {

class EngineGamepad : public EngineKeys {
 protected:
  void SetUp() override {
    EngineKeys::SetUp();
    frame_at(100.0);
    frame_at(101.0);
    for (const char* name : {"escape_up", "delete_up", "delete_down", "enter_up", "enter_down"})
      add_logged(name);
    engine_.bind_key_up(27, "escape_up", 0);
    engine_.bind_key_up(127, "delete_up", 0);
    engine_.bind_key_down(127, "delete_down", 0);
    engine_.bind_key_up(10, "enter_up", 0);
    engine_.bind_key_down(10, "enter_down", 0);
    engine_.arrow_key_hook() = [this](int key) { log_.push_back("arrow " + std::to_string(key)); };
    pads_->connect(0);
  }
  // Holds the buttons of pad 0 down for one poll.
  void hold(std::uint16_t buttons) {
    pads_->pad(0).gamepad.wButtons = buttons;
    engine_.xinput().get_state();
  }

  testing_support::ScriptedPads pads_;
};

}  // namespace

TEST_F(EngineGamepad, EachButtonActsAsItsKeyOnItsEdges) {
  ASSERT_TRUE(engine_.find_gamepads());
  struct Row {
    std::uint16_t mask;
    std::vector<std::string> on_press, on_release;
  };
  using namespace platform;
  const std::vector<Row> table = {
      {XINPUT_GAMEPAD_DPAD_UP, {}, {"arrow 101"}},
      {XINPUT_GAMEPAD_DPAD_DOWN, {}, {"arrow 103"}},
      {XINPUT_GAMEPAD_DPAD_LEFT, {}, {"arrow 100"}},
      {XINPUT_GAMEPAD_DPAD_RIGHT, {}, {"arrow 102"}},
      {XINPUT_GAMEPAD_START, {}, {"escape_up 0"}},
      {XINPUT_GAMEPAD_BACK, {"delete_down 0"}, {"delete_up 0"}},
      {XINPUT_GAMEPAD_A, {"enter_down 0"}, {"enter_up 0"}},
      {XINPUT_GAMEPAD_B, {}, {"delete_up 0"}},
      {XINPUT_GAMEPAD_X, {"enter_down 0"}, {"enter_up 0"}},
      {XINPUT_GAMEPAD_Y, {}, {"delete_up 0"}},
      {XINPUT_GAMEPAD_LEFT_THUMB, {}, {}},
      {XINPUT_GAMEPAD_RIGHT_THUMB, {}, {}},
      {XINPUT_GAMEPAD_LEFT_SHOULDER, {}, {}},
      {XINPUT_GAMEPAD_RIGHT_SHOULDER, {}, {}},
  };
  hold(0);
  double real = engine_.real_time();
  for (const Row& row : table) {
    SCOPED_TRACE(row.mask);
    log_.clear();
    engine_.last_gamepad_input() = {};
    engine_.last_gamepad_time(0.0);
    hold(row.mask);
    EXPECT_EQ(log_, row.on_press);
    // Every function stamps the gamepad input; only releases the gamepad time.
    const bool pressed_function = !row.on_press.empty();
    EXPECT_EQ(engine_.last_gamepad_input() != std::chrono::steady_clock::time_point{},
              pressed_function);
    EXPECT_EQ(engine_.last_gamepad_time(), 0.0);
    log_.clear();
    hold(0);
    EXPECT_EQ(log_, row.on_release);
    EXPECT_NE(engine_.last_gamepad_input(), std::chrono::steady_clock::time_point{});
    EXPECT_EQ(engine_.last_gamepad_time(), real);
  }
  // The shoulders turned the view 45 degrees each way, each as a turn of
  // its own (the second replacing the first).
  int turns = 0;
  for (const Event* e : engine_.realtime_queue().events())
    if (e && e->name() == "Comfort rotate") ++turns;
  EXPECT_EQ(turns, 2);
}

TEST_F(EngineGamepad, YPressCopiesWhatBPressHadWhenBound) {
  engine_.xinput().find_new_controllers();
  engine_.bind_gamepad_callbacks(0);
  hold(platform::XINPUT_GAMEPAD_Y);
  hold(0);
  EXPECT_EQ(log_, std::vector<std::string>{"delete_up 0"});
  EXPECT_EQ(engine_.xinput().joystick(0).button_callbacks().down_callbacks().count(
                platform::XINPUT_GAMEPAD_B),
            0u);

  log_.clear();
  engine_.xinput().joystick(0).button_callbacks().down_callback(platform::XINPUT_GAMEPAD_B) =
      [this](int) { log_.push_back("b press"); };
  engine_.bind_gamepad_callbacks(-1);
  hold(platform::XINPUT_GAMEPAD_Y);
  EXPECT_EQ(log_, std::vector<std::string>{"b press"});
}

TEST_F(EngineGamepad, TheSearchBindsAnewWhenTheSetOfPadsChanges) {
  EXPECT_TRUE(engine_.find_gamepads());
  EXPECT_FALSE(engine_.find_gamepads());
  // Pad 0 goes and pad 1 comes within one search: as many pads as before.
  pads_->connect(0, false);
  pads_->connect(1);
  EXPECT_TRUE(engine_.find_gamepads());
  ASSERT_EQ(engine_.xinput().num_joysticks(), 1);
  pads_->pad(1).gamepad.wButtons = platform::XINPUT_GAMEPAD_START;
  engine_.xinput().get_state();
  pads_->pad(1).gamepad.wButtons = 0;
  engine_.xinput().get_state();
  EXPECT_EQ(log_, std::vector<std::string>{"escape_up 0"});
  pads_->connect(1, false);
  EXPECT_TRUE(engine_.find_gamepads());  // the last pad went
}

// ---- VR triggers

TEST_F(EngineKeys, TriggerValuesGoToTheControllersThatThereAre) {
  engine_.input_triggers({0.5f}, {0.25f, 1.0f});  // no controllers: nothing
  CoordinateSystem pose;
  engine_.update_controller_poses({pose, pose});
  engine_.input_triggers({0.8f}, {0.4f, 0.6f, 1.0f});
  const auto& c = engine_.controllers();
  // The axes smooth: the first sample meets the start value 0 halfway.
  EXPECT_FLOAT_EQ(c[0].trigger().x_data()[0], 0.4f);
  EXPECT_FLOAT_EQ(c[1].trigger().x_data()[0], 0.0f);
  EXPECT_FLOAT_EQ(c[0].secondary_trigger().x_data()[0], 0.2f);
  EXPECT_FLOAT_EQ(c[1].secondary_trigger().x_data()[0], 0.3f);
  EXPECT_EQ(c[0].trigger().x_data()[1], 0.0f);
  EXPECT_TRUE(c[0].trigger_active(0.3f));
}
