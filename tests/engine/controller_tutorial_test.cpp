// The controller tutorial without OpenGL: which family of hints the device in
// charge activates, the hint sets, the row layout, and the 3-D gamepad from a
// small model written by the test (its parts, placement and flashing).
#include "engine/controller_tutorial.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "engine/basic_engine.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/engine_frame.h"
#include "support/gamepads.h"
#include "ui/dialog.h"
#include "ui/test_frame.h"

using testing_support::EngineFrame;
using testing_support::OutputCapture;

namespace {

using Vec3 = std::array<float, 3>;

// The tutorial with its inner operations in reach.
class Tutorial : public ControllerTutorial {
 public:
  using ControllerTutorial::add_hint_dlgs;
  using ControllerTutorial::controller_button_hint;
  using ControllerTutorial::ControllerTutorial;
  using ControllerTutorial::gamepad_emission;
  using ControllerTutorial::gamepad_key2object;
  using ControllerTutorial::load_gamepad;
  using ControllerTutorial::new_controller_hint;
};

// A hint stand-in: a dialog of one panel `width` wide, freeing it.
class HintDialog : public Dialog {
 public:
  HintDialog(float width, Vec3 position) {
    auto* panel = new testing_support::TestFrame();
    panel->vol() = {width, 0.02f, 0.0f};
    add_button(panel);
    frame().coord_sys().position() = position;
  }
  ~HintDialog() override { delete_children(); }
};

const char* const kKeyboardKeys[] = {"esc_pause", "wsad_walk", "enter_choose", "arrows_select",
                                     "mouse_look"};
const char* const kGamepadKeys[] = {"L_thumb_walk",    "D_pad_select",  "Start_button_menu",
                                    "A_button_choose", "B_button_back", "R_thumb_look"};

// An engine at real time 10 with a tutorial whose eleven hints are stand-ins
// 0.1 wide, registered as init registers them (hidden, in the overlay).
class TutorialHints : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    frame_at(100.0);
    frame_at(110.0);
    for (const char* key : kKeyboardKeys) add(tutorial_.keyboard_hints(), key);
    for (const char* key : kGamepadKeys) add(tutorial_.gamepad_hints(), key);
    tutorial_.keyboard_hint_names().assign(std::begin(kKeyboardKeys), std::end(kKeyboardKeys));
    tutorial_.gamepad_hint_names().assign(std::begin(kGamepadKeys), std::end(kGamepadKeys));
    tutorial_.add_hint_dlgs(tutorial_.keyboard_hints(), 0.0f, 0.0f);
    tutorial_.add_hint_dlgs(tutorial_.gamepad_hints(), 0.0f, 0.0f);
  }

  void add(ControllerTutorial::Hints& hints, const char* key) {
    owned_.push_back(std::make_unique<HintDialog>(0.1f, Vec3{0.0f, -0.195f, 0.0f}));
    hints[key] = owned_.back().get();
  }

  // The keys of the shown hints, keyboard family first.
  std::vector<std::string> shown() const {
    std::vector<std::string> keys;
    for (const auto* hints : {&tutorial_.keyboard_hints(), &tutorial_.gamepad_hints()})
      for (const auto& [key, d] : *hints)
        if (d->enabled()) keys.push_back(key);
    return keys;
  }

  Dialog& keyboard(const char* key) { return *tutorial_.keyboard_hints().at(key); }
  Dialog& gamepad(const char* key) { return *tutorial_.gamepad_hints().at(key); }
  void press_gamepad_button() { engine_.last_gamepad_input() = std::chrono::steady_clock::now(); }

  Tutorial tutorial_{&engine_};
  std::vector<std::unique_ptr<HintDialog>> owned_;
};

Vec3 position(const Dialog& d) {
  return d.frame().coord_sys().position();
}

void expect_near(const Vec3& got, const Vec3& want) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-6f) << "component " << i;
}

}  // namespace

// ---- The device in charge

TEST_F(TutorialHints, TheMenuDeviceCountsInTheMenuAndTheLookDeviceOutside) {
  // No input yet: the menus answer the mouse, the look nothing.
  EXPECT_FALSE(tutorial_.keyboard_active() || tutorial_.gamepad_active());
  engine_.set_menu(true);
  EXPECT_TRUE(tutorial_.keyboard_active());

  engine_.last_arrow_key_time(9.5);
  EXPECT_TRUE(tutorial_.keyboard_active());
  EXPECT_FALSE(tutorial_.gamepad_active());
  engine_.last_arrow_key_time(7.0);
  press_gamepad_button();
  EXPECT_TRUE(tutorial_.gamepad_active());
  EXPECT_FALSE(tutorial_.keyboard_active());

  // Outside the menu: a right-stick turn, then the mouse, then the headset.
  engine_.set_menu(false);
  engine_.last_gamepad_look(9.8);
  EXPECT_TRUE(tutorial_.gamepad_active());
  engine_.last_mouse_time(9.9);
  EXPECT_TRUE(tutorial_.keyboard_active());
  engine_.last_mouse_time(1.0);
  engine_.last_gamepad_look(1.0);
  engine_.hmd_control(true);
  EXPECT_FALSE(tutorial_.keyboard_active() || tutorial_.gamepad_active());

  // A hand controller takes the menus.
  engine_.set_menu(true);
  CoordinateSystem hand;
  engine_.update_controller_poses({hand});
  EXPECT_FALSE(tutorial_.keyboard_active() || tutorial_.gamepad_active());
}

// ---- Hint sets

TEST_F(TutorialHints, TheDeviceInChargeShowsItsFamilyOnly) {
  engine_.set_menu(true);
  engine_.last_arrow_key_time(9.5);
  tutorial_.update_control_hints(false);
  EXPECT_EQ(shown(), (std::vector<std::string>{"arrows_select", "enter_choose", "esc_pause",
                                               "mouse_look", "wsad_walk"}));

  // While paused only selecting and choosing remain.
  engine_.pause(true);
  tutorial_.update_control_hints(false);
  EXPECT_EQ(shown(), (std::vector<std::string>{"arrows_select", "enter_choose"}));
  engine_.pause(false);

  engine_.last_arrow_key_time(7.0);
  press_gamepad_button();
  tutorial_.update_control_hints(false);
  EXPECT_EQ(shown(),
            (std::vector<std::string>{"A_button_choose", "B_button_back", "D_pad_select",
                                      "L_thumb_walk", "R_thumb_look", "Start_button_menu"}));

  // During a camera look the walk set goes.
  Event look;
  engine_.look_events().push_back(&look);
  tutorial_.update_control_hints(false);
  EXPECT_EQ(shown(),
            (std::vector<std::string>{"A_button_choose", "B_button_back", "D_pad_select"}));
  engine_.look_events().clear();
}

TEST_F(TutorialHints, ADisabledTutorialHidesEveryHintAndLaysOutNothing) {
  engine_.set_menu(true);
  engine_.last_arrow_key_time(9.5);
  tutorial_.update_control_hints(true);
  EXPECT_EQ(shown().size(), 5u);
  const Vec3 before = position(keyboard("esc_pause"));

  tutorial_.enable(false);
  keyboard("esc_pause").frame().coord_sys().position() = {0.3f, 0.0f, 0.0f};
  tutorial_.update_control_hints(true);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(position(keyboard("esc_pause")), (Vec3{0.3f, 0.0f, 0.0f}));
  EXPECT_NE(before, position(keyboard("esc_pause")));
}

TEST_F(TutorialHints, SetOperationsShowTheirKeysAndReportMissingGamepadKeys) {
  tutorial_.gamepad_menu_hints(true);
  EXPECT_EQ(shown(),
            (std::vector<std::string>{"A_button_choose", "B_button_back", "D_pad_select"}));
  tutorial_.keyboard_turn_hints(true);
  EXPECT_TRUE(keyboard("arrows_select").enabled() && keyboard("enter_choose").enabled());

  tutorial_.gamepad_hints().erase("B_button_back");
  tutorial_.keyboard_hints().erase("enter_choose");
  OutputCapture capture;
  // Asked every frame, a missing key is named once.
  for (int frame = 0; frame < 3; ++frame) {
    tutorial_.gamepad_menu_hints(false);
    tutorial_.keyboard_menu_hints(false);
  }
  EXPECT_EQ(capture.err(), "Error: have_gamepad_hint(B_button_back) = 0\n");
  EXPECT_FALSE(tutorial_.have_keyboard_hint("enter_choose"));
  EXPECT_EQ(shown(), (std::vector<std::string>{}));
  EXPECT_TRUE(tutorial_.have_gamepad_hint("A_button_choose"));
}

// ---- The row

TEST_F(TutorialHints, ShownHintsSpreadWithEqualGapsAroundTheRowsCentre) {
  engine_.set_menu(true);
  engine_.last_arrow_key_time(9.5);
  // Three shown hints 0.1, 0.2 and 0.1 wide wherever they stood: gaps of
  // (0.75 - 0.4) / 4 = 0.0875.
  owned_.push_back(std::make_unique<HintDialog>(0.2f, Vec3{0.4f, 0.3f, 0.1f}));
  tutorial_.keyboard_hints()["wsad_walk"] = owned_.back().get();
  keyboard("esc_pause").frame().coord_sys().position() = {-0.5f, -0.195f, 0.0f};
  keyboard("mouse_look").frame().coord_sys().position() = {0.0f, -0.3f, -0.1f};
  for (const char* key : {"esc_pause", "wsad_walk", "mouse_look"}) keyboard(key).enable(true);
  // A hint listed twice in the row is laid out once.
  tutorial_.keyboard_hint_names().push_back("mouse_look");
  tutorial_.distribute_hints(0.75f);
  EXPECT_NEAR(position(keyboard("esc_pause"))[0], -0.2375f, 1e-6f);
  EXPECT_NEAR(position(keyboard("wsad_walk"))[0], 0.0f, 1e-6f);
  EXPECT_NEAR(position(keyboard("mouse_look"))[0], 0.2375f, 1e-6f);
  float mean_y = 0.0f, mean_z = 0.0f;
  for (const char* key : {"esc_pause", "wsad_walk", "mouse_look"}) {
    mean_y += position(keyboard(key))[1] / 3.0f;
    mean_z += position(keyboard(key))[2] / 3.0f;
  }
  EXPECT_NEAR(mean_y, -0.195f, 1e-6f);
  EXPECT_NEAR(mean_z, 0.0f, 1e-6f);
  // The gamepad family is not in charge and stays where it is.
  gamepad("R_thumb_look").enable(true);
  gamepad("R_thumb_look").frame().coord_sys().position() = {0.3f, 0.0f, 0.0f};
  tutorial_.distribute_hints(0.75f);
  EXPECT_EQ(position(gamepad("R_thumb_look")), (Vec3{0.3f, 0.0f, 0.0f}));

  // One shown hint goes to the row's centre.
  for (const char* key : {"wsad_walk", "mouse_look"}) keyboard(key).enable(false);
  keyboard("esc_pause").frame().coord_sys().position() = {0.4f, 0.1f, 0.2f};
  tutorial_.distribute_hints(0.75f);
  expect_near(position(keyboard("esc_pause")), {0.0f, -0.195f, 0.0f});
}

// ---- The 3-D gamepad

namespace {

// A gamepad of five triangles, one object each: a face button with its
// label, the D-pad, the body and a button whose part list the settings hold.
const char* const kPadObj =
    "mtllib pad.mtl\n"
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 -2\nv 1 0 -2\nv 0 1 -2\n"
    "o A_button\nusemtl red\nf 1 2 3\n"
    "o A_label\nusemtl white\nf 1 2 3\n"
    "o D_pad\nusemtl dark\nf 1 2 3\n"
    "o Body\nusemtl grey\nf 4 5 6\n"
    "o B_button\nusemtl blue\nf 1 2 3\n";
const char* const kPadMtl =
    "newmtl red\nKd 1 0 0\nnewmtl white\nKd 1 1 1\nnewmtl dark\nKd 0.2 0.2 0.2\n"
    "newmtl grey\nKd 0.5 0.5 0.5\nnewmtl blue\nKd 0 0 1\nd 0.5\n";

class TutorialGamepad : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    root_.write("cfg/controls.ini", "gamepad_model = pad.ini\ngamepad_B_button = B_button\n");
    root_.write("cfg/pad.ini", "obj_file = pad.obj\n");
    root_.write("models/pad.obj", kPadObj);
    root_.write("models/pad.mtl", kPadMtl);
    frame_at(100.0);
  }

  const Material& material(const char* name) {
    return tutorial_.gamepad().material(name).material();
  }
  ProgramCfg& controls() { return engine_.settings()["controls"]; }

  testing_support::TempDataRoot root_;
  Tutorial tutorial_{&engine_};
};

}  // namespace

TEST_F(TutorialGamepad, PartsFollowTheSettingsAndAStoredListDoesNotGrow) {
  OutputCapture quiet;
  ASSERT_EQ(tutorial_.load_gamepad(), 0);
  EXPECT_EQ(controls()["gamepad_A_button"].str(), "A_button A_label");
  EXPECT_EQ(controls()["gamepad_Y_button"].str(), "Y_button Y_label");
  EXPECT_EQ(controls()["gamepad_Start_button"].str(), "Start_button");
  EXPECT_EQ(controls()["gamepad_D_pad"].str(), "D_pad");
  EXPECT_EQ(controls()["gamepad_Body"].str(), "Body");
  EXPECT_EQ(tutorial_.part_objects().at("A_button"),
            (std::vector<std::string>{"A_button", "A_label"}));
  EXPECT_EQ(tutorial_.part_materials().at("A_button"), (std::vector<std::string>{"red", "white"}));
  EXPECT_EQ(tutorial_.part_materials().at("Body"), (std::vector<std::string>{"grey"}));
  EXPECT_EQ(tutorial_.part_materials().at("D_pad"), (std::vector<std::string>{"dark"}));
  // Other keys of the section make parts of no object.
  EXPECT_EQ(tutorial_.part_objects().at("model"), (std::vector<std::string>{"pad.ini"}));
  EXPECT_TRUE(tutorial_.part_materials().at("model").empty());
  // The stored list keeps its one object, load after load.
  ASSERT_EQ(tutorial_.load_gamepad(), 0);
  EXPECT_EQ(controls()["gamepad_B_button"].str(), "B_button");
  EXPECT_EQ(controls()["gamepad_A_button"].str(), "A_button A_label");
  EXPECT_EQ(tutorial_.part_materials().at("B_button"), (std::vector<std::string>{"blue"}));
  // The vertex data is freed; the faces are sorted far to near from +z.
  EXPECT_TRUE(tutorial_.gamepad().vertices().empty());
  EXPECT_EQ(tutorial_.gamepad().faces().front().material_name, "grey");
}

TEST_F(TutorialGamepad, AModelThatDoesNotLoadWritesNoParts) {
  root_.write("cfg/controls.ini", "gamepad_model = missing.ini\n");
  OutputCapture quiet;
  EXPECT_NE(tutorial_.load_gamepad(), 0);
  EXPECT_FALSE(controls().contains("gamepad_A_button"));
  EXPECT_TRUE(tutorial_.part_objects().empty());
}

TEST_F(TutorialGamepad, AFlashingButtonGlowsFadesAndIsLeftDarkWhenStopped) {
  OutputCapture quiet;
  ASSERT_EQ(tutorial_.load_gamepad(), 0);
  std::function<void()> stop = tutorial_.flash_gamepad_button(0x1000, 1.0);
  frame_at(100.0);
  EXPECT_EQ(material("red").emission(), (Color4{1.0f, 0.0f, 0.0f, 1.0f}));
  EXPECT_EQ(material("white").emission(), (Color4{1.0f, 1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(material("grey").emission(), (Color4{}));  // other parts stay dark
  frame_at(100.5);
  EXPECT_NEAR(material("red").emission()[0], 0.0f, 1e-6f);
  frame_at(100.75);
  EXPECT_NEAR(material("red").emission()[0], 0.5f, 1e-6f);
  frame_at(101.0);
  EXPECT_NEAR(material("red").emission()[0], 1.0f, 1e-6f);
  ASSERT_TRUE(engine_.realtime_queue().contains("Flash gamepad A_button"));

  stop();
  EXPECT_EQ(material("red").emission(), (Color4{}));
  // The stopped event's last step leaves the part dark too.
  frame_at(101.25);
  frame_at(101.5);
  EXPECT_EQ(material("red").emission(), (Color4{}));
  EXPECT_EQ(material("white").emission(), (Color4{}));
  EXPECT_FALSE(engine_.realtime_queue().contains("Flash gamepad A_button"));
}

TEST_F(TutorialGamepad, TheDPadFlashesAsOnePart) {
  OutputCapture quiet;
  ASSERT_EQ(tutorial_.load_gamepad(), 0);
  const auto count = [this](const std::string& name) {
    int n = 0;
    for (const Event* e : engine_.realtime_queue().events())
      if (e && e->name() == name && !e->stop_called()) ++n;
    return n;
  };
  EXPECT_EQ(tutorial_.gamepad_key2object(0x0008), "D_pad");
  EXPECT_EQ(tutorial_.gamepad_key2object(0x0400), "");

  tutorial_.in_menu_hints(true);
  frame_at(100.1);
  EXPECT_EQ(count("Flash gamepad D_pad"), 1);
  EXPECT_EQ(count("Flash gamepad A_button"), 1);
  EXPECT_GT(material("dark").emission()[0], 0.0f);

  // Left stops what up and down started.
  tutorial_.stop_flashing_gamepad_key(0x0004);
  frame_at(100.2);
  EXPECT_EQ(count("Flash gamepad D_pad"), 0);
  EXPECT_EQ(material("dark").emission(), (Color4{}));
  EXPECT_EQ(count("Flash gamepad A_button"), 1);

  tutorial_.in_menu_hints(false);
  frame_at(100.3);
  EXPECT_EQ(count("Flash gamepad A_button"), 0);
  EXPECT_EQ(material("red").emission(), (Color4{}));
}

TEST_F(TutorialGamepad, FlashingUntilTheButtonIsDownHidesTheModelAfterwards) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine_.xinput().find_new_controllers();
  OutputCapture quiet;
  ASSERT_EQ(tutorial_.load_gamepad(), 0);
  tutorial_.gamepad().enable(false);
  const std::string watcher = "Flash gamepad button " + std::to_string(0x2000);

  tutorial_.flash_gamepad_button_until_up(0x2000, 0, true);
  EXPECT_TRUE(tutorial_.gamepad().enabled());
  frame_at(100.5);
  frame_at(101.0);
  EXPECT_NEAR(material("blue").emission()[2], 1.0f, 1e-6f);  // every 0.5 s
  EXPECT_TRUE(engine_.realtime_queue().contains(watcher));

  platform::XINPUT_GAMEPAD pad;
  pad.wButtons = 0x2000;
  pads->set(0, pad);
  frame_at(101.1);  // polls the pad
  frame_at(101.2);  // the watcher sees B down
  EXPECT_FALSE(tutorial_.gamepad().enabled());
  EXPECT_EQ(material("blue").emission(), (Color4{}));
  frame_at(101.3);
  EXPECT_FALSE(engine_.realtime_queue().contains(watcher));
  EXPECT_FALSE(engine_.realtime_queue().contains("Flash gamepad B_button"));
  EXPECT_EQ(material("blue").emission(), (Color4{}));

  // A pad that does not exist is never read: the watcher waits.
  tutorial_.flash_gamepad_button_until_up(0x2000, 3, false);
  frame_at(101.4);
  EXPECT_TRUE(engine_.realtime_queue().contains(watcher));
  tutorial_.stop_flashing_all_gamepad_keys();
  engine_.realtime_queue().clear(watcher);
}

TEST_F(TutorialGamepad, WorkLeftOnTheEngineDoesNothingOnceTheTutorialIsGone) {
  OutputCapture quiet;
  {
    Tutorial gone(&engine_);
    ASSERT_EQ(gone.load_gamepad(), 0);
    gone.flash_gamepad_button(0x1000, 1.0);
    gone.flash_gamepad_button_until_up(0x2000, 0, true);
  }
  frame_at(100.5);
  frame_at(101.0);
  SUCCEED();
}

TEST_F(TutorialGamepad, TheModelSitsAtTheOffsetInTheCameraFrameFacingTheWalker) {
  engine_.mouse_look().coord_sys() = CoordinateSystem();
  engine_.walking().position() = {0.0f, 0.0f, 0.5f};
  tutorial_.orient_gamepad();
  const CoordinateSystem& pose = tutorial_.gamepad().coord_sys();
  expect_near(pose.position(), {0.0f, -0.1f, -0.4f});
  // Its -z axis points at the walker, its y axis up.
  const Vec3 toward = normalized(Vec3{0.0f, 0.1f, 0.9f});
  expect_near(pose.zhat(false), {-toward[0], -toward[1], -toward[2]});
  EXPECT_GT(pose.yhat()[1], 0.9f);

  // A disabled model stays where it is; the camera turned about carries the
  // offset with it.
  engine_.mouse_look().coord_sys().look_at(Vec3{1.0f, 2.0f, 3.0f}, Vec3{1.0f, 2.0f, 4.0f});
  tutorial_.gamepad().enable(false);
  tutorial_.orient_gamepad();
  expect_near(pose.position(), {0.0f, -0.1f, -0.4f});
  tutorial_.gamepad().enable(true);
  tutorial_.orient_gamepad();
  expect_near(pose.position(), {1.0f, 1.9f, 3.4f});
}

// ---- Text hints on the gamepad model

TEST_F(EngineFrame, TextHintsStandAtTheirPointOfThePadWhileAHandControllerIsThere) {
  frame_at(100.0);
  EXPECT_EQ(Tutorial().new_controller_hint("a", "A", {0, 0, 0}, 0, 0.01f, 0.0f), nullptr);
  auto tutorial = std::make_unique<Tutorial>(&engine_);
  Dialog* a =
      tutorial->new_controller_hint("hint_A", "Choose", {0.1f, 0.0f, 0.0f}, 1, 0.01f, 0.02f);
  Dialog* b = tutorial->new_controller_hint("hint_B", "Back", {-0.1f, 0.0f, 0.0f}, 0, 0.0f, 0.0f);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tutorial->button_hints(), (std::vector<Dialog*>{a, b}));
  EXPECT_EQ(engine_.dialogs(), (std::list<Dialog*>{a, b}));
  EXPECT_EQ(a->name(), "hint_A");
  EXPECT_EQ(a->layout_dimension(), 1);
  EXPECT_EQ(a->gap, 0.02f);
  ASSERT_EQ(a->text_frames().size(), 1u);
  EXPECT_EQ(a->text_frames()[0]->text(), "Choose");
  EXPECT_FLOAT_EQ(a->text_frames()[0]->text_size(), 0.01f);
  EXPECT_EQ(a->follow_player(), 0);
  EXPECT_TRUE(engine_.realtime_queue().contains("orient hint_A"));

  // The pad turned half round about y and moved: the hints follow only
  // with a hand controller listed, and only while shown.
  CoordinateSystem& pad = tutorial->gamepad().coord_sys();
  pad.look_at(Vec3{1.0f, 2.0f, 3.0f}, Vec3{1.0f, 2.0f, 4.0f});
  const Vec3 at_a = pad.local2global(Vec3{0.1f, 0.0f, 0.0f});
  a->frame().coord_sys().position() = {9, 9, 9};
  b->enable(false);
  b->frame().coord_sys().position() = {9, 9, 9};
  frame_at(100.1);
  EXPECT_EQ(a->frame().coord_sys().position(), (Vec3{9, 9, 9}));
  engine_.update_controller_poses(std::vector<CoordinateSystem>(1));
  frame_at(100.2);
  expect_near(a->frame().coord_sys().position(), at_a);
  EXPECT_EQ(b->frame().coord_sys().position(), (Vec3{9, 9, 9}));

  tutorial->controller_button_hint("hint_B", "Cancel");
  tutorial->controller_button_hint("hint_C", "nobody");
  EXPECT_EQ(b->text_frames()[0]->text(), "Cancel");
  EXPECT_EQ(a->text_frames()[0]->text(), "Choose");

  // A copy shares the hints; the last one to go takes them off the engine
  // and frees them, and the work left on the engine reads nothing freed.
  auto copy = std::make_unique<Tutorial>(*tutorial);
  tutorial.reset();
  EXPECT_EQ(engine_.dialogs().size(), 2u);
  copy->controller_button_hint("hint_A", "Select");
  EXPECT_EQ(a->text_frames()[0]->text(), "Select");
  copy.reset();
  EXPECT_TRUE(engine_.dialogs().empty());
  frame_at(100.3);
  frame_at(100.8);
}
