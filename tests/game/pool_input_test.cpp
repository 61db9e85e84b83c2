// The game's keys, commands, mouse and input hooks without a window, and the
// scene's periodic rules (highlights, pointer source, aim guide, cue
// visibility) and the choice of models, which need no OpenGL.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/button_dialog.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "ui/dialog.h"

namespace {

// freeglut's left arrow special key.
constexpr int kLeftArrow = 100;

class PoolInput : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.frame_clock(&clock_);
    engine_.walking().frame_clock(&clock_);
    engine_.init_shot_wizard();
    engine_.install_callbacks();
    engine_.bind_keys();
    frame_at(100.0);
    frame_at(110.0);
  }

  void frame_at(double t) {
    now_ = t;
    engine_.idle();
  }

  // A rack in play with the wizard at `step` of a turn that began at
  // `turn_began`, long after the last strike.
  void at_step(const char* step, const char* turn_began = "Choose ball") {
    engine_.balls.resize(16);
    engine_.shot_start_time = -10.0;
    engine_.begin_turn_at(turn_began);
    ASSERT_EQ(engine_.shot_wizard.set_step(std::string(step)), 0);
  }

  std::string step() const { return engine_.shot_wizard.current_step().name(); }

  // The wizard dialog of that name, made when missing.
  Dialog* wizard_dialog(const std::string& name) {
    PoolMenus& m = engine_.menus;
    if (name == "ball in hand") return m.ball_in_hand();
    if (name == "ball") return m.choose_ball();
    if (name == "pocket") return m.choose_pocket();
    return m.shoot();
  }

  // The names of the wizard dialogs shown, in name order.
  std::vector<std::string> shown_wizard_dialogs() const {
    std::vector<std::string> shown;
    for (const auto& [name, dialog] : engine_.menus.wizard_dialogs)
      if (dialog->enabled()) shown.push_back(name);
    return shown;
  }

  testing_support::TempDataRoot root_;
  double now_ = 100.0;
  FrameClock clock_{[this] { return now_; }};
  PoolEngine engine_;
};

TEST_F(PoolInput, TheFiveCommandsAreBoundToEnterEscAndDelete) {
  for (const char* name :
       {"enter_key_down", "enter_key_up", "toggle_menu", "backspace_key_up", "menu_back_or_esc"})
    EXPECT_TRUE(engine_.cmds().count(name) && engine_.cmds().at(name)) << name;
  auto& down = engine_.key_down_bindings();
  auto& up = engine_.key_up_bindings();
  for (unsigned char enter : {13, 10}) {
    EXPECT_EQ(down.at(enter), (BasicEngine::Binding{"enter_key_down", 0}));
    EXPECT_EQ(up.at(enter), (BasicEngine::Binding{"enter_key_up", 0}));
  }
  EXPECT_EQ(up.at(27), (BasicEngine::Binding{"menu_back_or_esc", 0}));
  EXPECT_EQ(up.at(127), (BasicEngine::Binding{"backspace_key_up", 0}));
  EXPECT_EQ(down.count(27) + down.count(127), 0u);
}

TEST_F(PoolInput, EnterClicksTheMenuDialogAndDoesNothingWithoutOne) {
  EXPECT_EQ(engine_.key_down(13), 0);
  EXPECT_EQ(engine_.key_up(13), 0);

  testing_support::ButtonColumn dialog(3, 1);
  std::vector<int> chosen;
  dialog.set_child_callbacks([&chosen](int i) { chosen.push_back(i); }, false);
  engine_.menu_dialog = &dialog;
  for (int enter : {13, 10}) {
    engine_.key_down(enter);
    EXPECT_EQ(engine_.key_up(enter), 0);
  }
  EXPECT_EQ(chosen, (std::vector<int>{1, 1}));

  dialog.enable(false);
  engine_.key_down(13);
  engine_.key_up(13);
  EXPECT_EQ(chosen.size(), 2u);
}

TEST_F(PoolInput, EscOpensTheMenuAndClosesItWhenMenusAreAllowed) {
  EXPECT_EQ(engine_.key_up(27), 0);
  EXPECT_TRUE(engine_.menu_enabled());
  EXPECT_TRUE(engine_.paused());
  engine_.key_up(27);
  EXPECT_FALSE(engine_.menu_enabled());
  EXPECT_FALSE(engine_.paused());

  engine_.pause_allowed(false);
  engine_.key_up(27);
  EXPECT_FALSE(engine_.menu_enabled());
  EXPECT_EQ(engine_.cmds()["toggle_menu"](0), 0);
  EXPECT_FALSE(engine_.menu_enabled());
}

TEST_F(PoolInput, EscBuildsAndShowsTheMainMenuWithoutOpenGLAndTheKeysWorkIt) {
  // No context and no GLEW here: the menus' images and quads are built
  // without any OpenGL call.
  EXPECT_EQ(engine_.key_up(27), 0);
  Dialog* main = engine_.menus.menu("main_menu");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->enabled());
  EXPECT_TRUE(engine_.menus.menus_active);
  EXPECT_TRUE(engine_.paused());
  EXPECT_EQ(engine_.selected_dialog(), main);
  EXPECT_EQ(engine_.menu_dialog, main);
  EXPECT_EQ(engine_.menus_current_dialog(), main);

  // Esc once more leaves the menus and resumes the game.
  engine_.key_up(27);
  EXPECT_FALSE(engine_.menu_enabled());
  EXPECT_FALSE(engine_.paused());
  EXPECT_TRUE(main->disabled());
  EXPECT_EQ(engine_.selected_dialog(), nullptr);
  EXPECT_EQ(engine_.menu_dialog, nullptr);

  // The first Enter after opening clicks the item selected by default,
  // "Resume", once the menu is laid out as its first drawing does. (Arrow
  // keys move by the items' places, which need freeglut's font metrics: the
  // GL tests drive them.)
  engine_.key_up(27);
  EXPECT_TRUE(main->enabled());
  main->arrange_children();
  engine_.key_down(13);
  engine_.key_up(13);
  EXPECT_FALSE(engine_.menu_enabled());
  EXPECT_FALSE(engine_.paused());
  EXPECT_TRUE(main->disabled());
}

TEST_F(PoolInput, DeleteStepsTheShotWizardBackAndClearsTheChoicesBeforeIt) {
  const struct {
    const char* turn_began;  // the step the turn began at
    const char* from;
    bool turn_passed;
    const char* to;
    int ball, pocket;    // the choices afterwards, from (5, 7)
    const char* dialog;  // the one wizard dialog shown afterwards
  } cases[] = {
      // Back at the pocket, the pocket is cleared; back at the ball, both.
      {"Choose ball", "Shoot", false, "Choose pocket", 5, -1, "pocket"},
      {"Choose ball", "Choose pocket", false, "Choose ball", -1, -1, "ball"},
      // Never below the step the turn began at: no ball in hand without a
      // foul, however the rules report the turn.
      {"Choose ball", "Choose ball", false, "Choose ball", -1, -1, "ball"},
      {"Choose ball", "Choose ball", true, "Choose ball", -1, -1, "ball"},
      {"Ball in hand", "Choose ball", false, "Ball in hand", -1, -1, "ball in hand"},
      {"Ball in hand", "Ball in hand", false, "Ball in hand", -1, -1, "ball in hand"},
      {"Ball in hand", "Ball in hand", true, "Ball in hand", -1, -1, "ball in hand"},
  };
  engine_.rules = &engine_.eight_ball;
  engine_.eight_ball.init_players(2, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.turn_began) + ", " + c.from);
    at_step(c.from, c.turn_began);
    engine_.eight_ball.turn_passed = c.turn_passed;
    engine_.selected_ball = 5;
    engine_.selected_pocket = 7;
    // Every dialog up, as a fault would leave them.
    for (const char* name : {"ball in hand", "ball", "pocket", "shoot"}) wizard_dialog(name);
    for (auto& [name, dialog] : engine_.menus.wizard_dialogs) dialog->enable(true);
    testing_support::OutputCapture quiet;
    EXPECT_EQ(engine_.key_up(127), -1);
    EXPECT_EQ(step(), c.to);
    EXPECT_EQ(engine_.selected_ball, c.ball);
    EXPECT_EQ(engine_.selected_pocket, c.pocket);
    EXPECT_EQ(shown_wizard_dialogs(), std::vector<std::string>{c.dialog});
  }
}

TEST_F(PoolInput, DeleteInShootCallsOffTheStrokeTheShootButtonAskedFor) {
  at_step("Shoot");
  engine_.shoot_after_cue_animation();
  const EventQueue& game = engine_.gametime_queue();
  ASSERT_TRUE(game.contains(PoolEngine::kShootRequestEvent));
  testing_support::OutputCapture quiet;
  engine_.key_up(127);
  EXPECT_FALSE(game.contains(PoolEngine::kShootRequestEvent));
  frame_at(111.0);
  EXPECT_EQ(step(), "Choose pocket");
  EXPECT_FALSE(engine_.stroke_pending());
}

TEST_F(PoolInput, DeleteDoesNothingWhileAShotRunsOrRightAfterTheStrike) {
  at_step("Shoot");
  engine_.selected_pocket = 7;
  engine_.eight_ball.shot_in_progress = true;
  engine_.key_up(127);
  EXPECT_EQ(step(), "Shoot");
  engine_.eight_ball.shot_in_progress = false;
  engine_.shot_start_time = engine_.gametime_queue().time() - 0.5;
  engine_.key_up(127);
  EXPECT_EQ(step(), "Shoot");
  EXPECT_EQ(engine_.selected_pocket, 7);
}

TEST_F(PoolInput, AShotMayBeMadeInShootOnlyWithBallsNoBlockingShotAndAfterASecond) {
  at_step("Shoot");
  EXPECT_TRUE(engine_.can_shoot());
  engine_.shot_start_time = engine_.gametime_queue().time() - 1.0;
  EXPECT_FALSE(engine_.can_shoot());
  engine_.shot_start_time = -10.0;
  engine_.eight_ball.shot_in_progress = true;
  EXPECT_FALSE(engine_.can_shoot());
  engine_.eight_ball.block_strike_while_running = false;
  EXPECT_TRUE(engine_.can_shoot());
  for (const char* other : {"Ball in hand", "Choose ball", "Choose pocket"}) {
    engine_.shot_wizard.set_step(std::string(other));
    EXPECT_FALSE(engine_.can_shoot()) << other;
  }
  engine_.shot_wizard.set_step(std::string("Shoot"));
  engine_.balls.clear();
  EXPECT_FALSE(engine_.can_shoot());
}

TEST_F(PoolInput, AnArrowKeyStopsTheFlashingOfItsHintOnTheGamepad) {
  ControllerTutorial* tutorial = engine_.controller_tutorial();
  ASSERT_NE(tutorial, nullptr);
  // The flashing events of the D-pad and of the A button.
  const std::string dpad = "Flash gamepad D_pad";
  const std::string a_button = "Flash gamepad A_button";
  const EventQueue& queue = engine_.realtime_queue();
  // Each arrow key stops the D-pad (the menus are up: the key does nothing
  // more); other buttons flash on.
  for (const int key : {100, 101, 102, 103}) {
    SCOPED_TRACE(key);
    tutorial->flash_gamepad_button(0x0004, 0.5);
    tutorial->flash_gamepad_button(0x1000, 0.5);
    frame_at(now_ + 0.1);
    ASSERT_TRUE(queue.active(dpad));
    engine_.special_key(key, 1, 0, 0, 0);
    frame_at(now_ + 0.1);
    EXPECT_FALSE(queue.contains(dpad));
    EXPECT_TRUE(queue.active(a_button));
  }
}

TEST_F(PoolInput, ArrowPressesReachTheArrowFallbackAndReleasesDoNot) {
  std::vector<int> keys;
  engine_.arrow_key_hook() = [&keys](int key) { keys.push_back(key); };
  engine_.special_key(kLeftArrow, 1, 0, 0, 0);
  engine_.special_key_up(kLeftArrow, 0, 0, 0);
  EXPECT_EQ(keys, (std::vector<int>{kLeftArrow}));
}

TEST_F(PoolInput, RecentInputStopsTheCameraAlignmentAndStandsTheWalkerUp) {
  for (const std::string& name : engine_.camera_event_names)
    engine_.gametime_queue().run_once([] {}, 5.0, name);
  engine_.walking_hook()();
  EXPECT_TRUE(engine_.gametime_queue().contains("Align camera position"));
  EXPECT_EQ(engine_.walking().stand_event(), nullptr);

  // A crouching walker, then a key: the alignment stops at the next frame.
  engine_.walking().position()[1] = 0.1f;
  engine_.keyboard_callback('x', 1, 0, 0, 0);
  engine_.walking_hook()();
  EXPECT_NE(engine_.walking().stand_event(), nullptr);
  frame_at(110.1);
  for (const std::string& name : engine_.camera_event_names)
    EXPECT_FALSE(engine_.gametime_queue().contains(name)) << name;
}

TEST_F(PoolInput, TheMenuHookPausesTheGameAndResumesIt) {
  engine_.walking().velocity() = {1.0f, 0.0f, 0.0f};
  engine_.menu_hook()(true);
  EXPECT_TRUE(engine_.paused());
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{0, 0, 0}));
  engine_.menu_hook()(false);
  EXPECT_FALSE(engine_.paused());

  engine_.pause_allowed(false);
  engine_.walking().velocity() = {1.0f, 0.0f, 0.0f};
  engine_.menu_hook()(true);
  EXPECT_FALSE(engine_.paused());
  EXPECT_EQ(engine_.walking().velocity(), (Vec3{1.0f, 0.0f, 0.0f}));
}

TEST_F(PoolInput, MouseMotionDrivesTheEnginesOwnPointerThreadOnce) {
  engine_.window().set_resolution(1280, 720, false);
  engine_.mouse().hidden(false);
  engine_.mouse_motion(100.0f, 100.0f);
  EXPECT_TRUE(engine_.pointer_thread().started());
  EXPECT_TRUE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  // Mouse look takes the pointer out of the list; showing it again brings
  // it back on the same thread.
  engine_.mouse().hidden(true);
  engine_.mouse_motion(640.0f, 360.0f);
  EXPECT_FALSE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  engine_.mouse().hidden(false);
  engine_.mouse_motion(200.0f, 100.0f);
  EXPECT_TRUE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  EXPECT_TRUE(engine_.pointer_thread().started());
  // The engine stops and joins the thread when it goes (shutdown or
  // destruction); nothing outlives it.
  engine_.shutdown();
  EXPECT_TRUE(engine_.pointer_thread().stopping());
}

// ---- The scenes' periodic rules

TEST_F(PoolInput, OnlyTheChosenBallIsHighlightedAndOnlyWhileNoBlockingShotRuns) {
  engine_.balls.resize(16);
  engine_.selected_ball = 3;
  engine_.selected_pocket = -1;
  engine_.update_ball_highlights();
  for (const Ball& b : engine_.balls) EXPECT_EQ(b.selected, 0);

  engine_.selected_pocket = 4;
  engine_.update_ball_highlights();
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(engine_.balls[i].selected, i == 3 ? 1 : 0) << i;

  engine_.eight_ball.shot_in_progress = true;
  engine_.update_ball_highlights();
  EXPECT_EQ(engine_.balls[3].selected, 0);
}

TEST_F(PoolInput, TheMousePointerPointsAtDialogsWhileItIsShown) {
  engine_.pointer_coordsys().push_back(&engine_.cue_pointer);
  engine_.mouse().hidden(false);
  engine_.update_pointer_source();
  EXPECT_EQ(engine_.pointer_coordsys(), (std::vector<CoordinateSystem*>{&engine_.mouse_pointer()}));
  engine_.mouse().hidden(true);
  engine_.update_pointer_source();
  EXPECT_EQ(engine_.pointer_coordsys().size(), 1u);
}

TEST_F(PoolInput, TheCuePointerIsTheCuesPoseLookingBack) {
  engine_.cue.coord_sys().look_at(Vec3{0, 0, 1}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
  engine_.update_cue_pointer();
  EXPECT_EQ(engine_.cue_pointer.zhat(false), engine_.cue.coord_sys().zhat(true));
  EXPECT_EQ(engine_.cue_pointer.position(), engine_.cue.coord_sys().position());
}

TEST_F(PoolInput, TheAimGuideIsOffDuringTheComputersShot) {
  engine_.eight_ball.players.resize(2);
  engine_.eight_ball.players[0].computer = true;
  engine_.eight_ball.shot_in_progress = true;
  engine_.aim_guide.hit = true;
  engine_.update_aim_guide();
  EXPECT_FALSE(engine_.aim_guide.hit);
}

TEST_F(PoolInput, TheCueIsHiddenInBallInHandAndLateInALongShot) {
  at_step("Choose ball");
  EXPECT_TRUE(engine_.cue_stick_visible());
  engine_.shot_wizard.set_step(std::string("Ball in hand"));
  EXPECT_FALSE(engine_.cue_stick_visible());

  // A strike finishes the wizard; the cue shows for the first 2 s.
  at_step("Shoot");
  engine_.shot_wizard.finish();
  engine_.eight_ball.shot_in_progress = true;
  engine_.shot_start_time = engine_.gametime_queue().time() - 1.0;
  EXPECT_TRUE(engine_.cue_stick_visible());
}

// ---- The models the set-up picks

TEST(PoolScene, FurnitureIsEveryPoolObjectNamedBenchChairOrStool) {
  testing_support::TempDataRoot root;
  root.write("cfg/pool_objects.ini",
             "chair_2 = seat.ini\ntable_model = seat.ini\nstool_or_bench = seat.ini\n"
             "lamp = seat.ini\n");
  root.write("cfg/seat.ini", "obj_file = seat.obj\n");
  root.write("models/seat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  std::vector<std::string> keys;
  {
    PoolEngine engine;
    engine.load_furniture();
    for (const auto& [key, model] : engine.furniture) keys.push_back(key);
    // The engine goes with its loads in flight: it waits for them.
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"chair_2", "stool_or_bench"}));
}

TEST(PoolScene, BallModelsAreNamedByLevelWithTwoDigits) {
  testing_support::TempDataRoot root;
  root.write("models/icosphere/icosphere-03.obj", "v 0 0 0\n");
  root.write("models/icosphere/icosphere-12.obj", "v 0 0 0\n");
  PoolEngine engine;
  EXPECT_EQ(engine.ball_model_name(3), "models/icosphere/icosphere-03.obj");
  EXPECT_EQ(engine.ball_model_name(12), "models/icosphere/icosphere-12.obj");
  EXPECT_EQ(engine.ball_model_name(4), "");
}

TEST(PoolScene, TheLookSettingsAreReadAndMissingOnesWrittenBack) {
  testing_support::TempDataRoot root;
  root.write("cfg/controls.ini", "look_sensitivity = 0.01 0.02 0.03\nwalk_accel = 8\n");
  PoolEngine engine;
  engine.mouse().set_inversion(false, true, false);
  engine.init_controls();
  EXPECT_EQ(engine.mouse_look().get_rot_speed(), (std::array<float, 3>{0.01f, 0.02f, 0.03f}));
  // The missing keys are written from the state as it is, and the rest kept.
  ProgramCfg saved;
  ASSERT_EQ(saved.load((root.path() / "cfg/controls.ini").string()), 0);
  const std::array<bool, 3> inversion = saved["look_inversion"];
  EXPECT_EQ(inversion, (std::array<bool, 3>{false, true, false}));
  EXPECT_EQ(saved["show_control_hints"].str(), "1");
  EXPECT_EQ(int(saved["walk_accel"]), 8);

  // An inversion on file is applied.
  root.write("cfg/controls.ini", "look_inversion = 1 0 1\n");
  PoolEngine second;
  second.init_controls();
  EXPECT_EQ(second.mouse().inverted(), (std::array<bool, 3>{true, false, true}));
}

// Values that do not read leave the look as it is; the tips' switch reads
// as an int, so a word turns them off. What the player wrote is saved back
// as it stands.
TEST(PoolScene, LookSettingsThatDoNotReadKeepTheDefaults) {
  testing_support::TempDataRoot root;
  root.write("cfg/controls.ini",
             "look_sensitivity = abc\nlook_inversion = x y\nshow_control_hints = yes\n");
  PoolEngine engine;
  engine.mouse().set_inversion(false, true, false);
  const std::array<float, 3> speed = engine.mouse_look().get_rot_speed();
  engine.controller_tutorial()->enable(true);
  engine.init_controls();
  EXPECT_EQ(engine.mouse_look().get_rot_speed(), speed);
  EXPECT_EQ(engine.mouse().inverted(), (std::array<bool, 3>{false, true, false}));
  EXPECT_FALSE(engine.controller_tutorial()->enabled());
  ProgramCfg saved;
  ASSERT_EQ(saved.load((root.path() / "cfg/controls.ini").string()), 0);
  EXPECT_EQ(saved["look_sensitivity"].str(), "abc");
  EXPECT_EQ(saved["look_inversion"].str(), "x y");
  EXPECT_EQ(saved["show_control_hints"].str(), "yes");
}

TEST(PoolScene, AMissingControlsFileLeavesTheLookAndGetsTheDefaultsLikeAnEmptyOne) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  const std::array<float, 3> speed = engine.mouse_look().get_rot_speed();
  engine.controller_tutorial()->enable(false);
  engine.init_controls();
  EXPECT_EQ(engine.mouse_look().get_rot_speed(), speed);
  EXPECT_TRUE(engine.controller_tutorial()->enabled());
  ProgramCfg saved;
  ASSERT_EQ(saved.load((root.path() / "cfg/controls.ini").string()), 0);
  EXPECT_EQ(saved["show_control_hints"].str(), "1");
  EXPECT_TRUE(saved.contains("look_sensitivity") && saved.contains("look_inversion"));
}

}  // namespace
