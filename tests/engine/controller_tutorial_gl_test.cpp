// The controller tutorial with OpenGL: init reads and completes the
// "controls" settings and builds the hint dialogs (pictures found or not),
// and the gamepad model of the generated data folder loads in parts and
// draws.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "datagen/data_folder.h"
#include "engine/basic_engine.h"
#include "engine/controller_tutorial.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/dialog.h"
#include "ui/tex_frame.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

using testing_support::OutputCapture;

namespace {

using Vec3 = std::array<float, 3>;

class TutorialInitGL : public testing_support::GLTest {
 protected:
  testing_support::TempDataRoot root_;
  BasicEngine engine_;
  ControllerTutorial tutorial_{&engine_};
};

const std::vector<std::string> kKeyboardKeys{"esc_pause", "wsad_walk", "enter_choose",
                                             "arrows_select", "mouse_look"};
const std::vector<std::string> kGamepadKeys{"L_thumb_walk",    "D_pad_select",  "Start_button_menu",
                                            "A_button_choose", "B_button_back", "R_thumb_look"};

// The count of the text's occurrences.
int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

// A player who deletes the file resets the controls: it counts as empty.
TEST_F(TutorialInitGL, WithoutAControlsFileTheDefaultsAreWrittenAndTheHintsBuilt) {
  OutputCapture capture;
  EXPECT_EQ(tutorial_.init(false), 0);
  EXPECT_EQ(tutorial_.keyboard_hints().size(), kKeyboardKeys.size());
  EXPECT_EQ(tutorial_.gamepad_hints().size(), kGamepadKeys.size());
  EXPECT_EQ(engine_.ortho_dlgs().size(), kKeyboardKeys.size() + kGamepadKeys.size());
  EXPECT_EQ(engine_.update_functions().count("orient controller tutorial"), 1u);
  ProgramCfg saved;
  ASSERT_EQ(saved.load(root_.path().string() + "/cfg/controls.ini"), 0);
  EXPECT_EQ(saved["gamepad_model"].str(), "gamepad.ini");
  EXPECT_EQ(static_cast<Vec3>(saved["gamepad_offset"]), (Vec3{0.0f, -0.1f, -0.4f}));
}

TEST_F(TutorialInitGL, MissingKeysAreWrittenAndHintsWithoutPicturesKeepTheirLabels) {
  root_.write("cfg/controls.ini", "walk_accel = 8\n");
  OutputCapture capture;
  ASSERT_EQ(tutorial_.init(false), 0);

  const ProgramCfg& controls = engine_.settings()["controls"];
  EXPECT_EQ(controls["gamepad_model"].str(), "gamepad.ini");
  EXPECT_EQ(static_cast<Vec3>(controls["gamepad_offset"]), (Vec3{0.0f, -0.1f, -0.4f}));
  ProgramCfg saved;
  ASSERT_EQ(saved.load(root_.path().string() + "/cfg/controls.ini"), 0);
  EXPECT_EQ(saved["gamepad_model"].str(), "gamepad.ini");
  EXPECT_EQ(static_cast<Vec3>(saved["gamepad_offset"]), (Vec3{0.0f, -0.1f, -0.4f}));
  EXPECT_EQ(saved["walk_accel"].str(), "8");
  EXPECT_EQ(tutorial_.gamepad_locations().name(), "gamepad_v1");
  EXPECT_EQ(engine_.update_functions().count("orient controller tutorial"), 1u);

  EXPECT_EQ(tutorial_.keyboard_hint_names(), kKeyboardKeys);
  EXPECT_EQ(tutorial_.gamepad_hint_names(), kGamepadKeys);
  ASSERT_EQ(engine_.ortho_dlgs().size(), 11u);
  // No picture is found: each hint reports the path it looked for once and
  // shows a square beside its label.
  const std::string path = engine_.settings().root() + "textures/controls/";
  EXPECT_EQ(count(capture.err(), "TexFrame(" + path), 11) << capture.err();
  EXPECT_EQ(count(capture.err(), path + "gamepad_Start.png"), 2) << "cannot open, then TexFrame";
  const struct {
    const ControllerTutorial::Hints* hints;
    const char* key;
    const char* label;
    Vec3 position;
  } rows[] = {
      {&tutorial_.keyboard_hints(), "esc_pause", "Menu", {0.0f, -0.195f, 0.0f}},
      {&tutorial_.keyboard_hints(), "mouse_look", "Look around", {0.0f, -0.195f, 0.0f}},
      {&tutorial_.gamepad_hints(), "L_thumb_walk", "Walk", {-0.3f, -0.195f, 0.0f}},
      {&tutorial_.gamepad_hints(), "D_pad_select", "Select", {-0.15f, -0.195f, 0.0f}},
      {&tutorial_.gamepad_hints(), "B_button_back", "Back", {0.2f, -0.195f, 0.0f}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    const Dialog* d = row.hints->at(row.key);
    EXPECT_FALSE(d->enabled());
    EXPECT_FALSE(d->depth_test());
    EXPECT_EQ(d->frame().coord_sys().position(), row.position);
    ASSERT_EQ(d->text_frames().size(), 1u);
    ASSERT_EQ(d->tex_frames().size(), 1u);
    const TextFrame* label = d->text_frames()[0];
    const TexFrame* picture = d->tex_frames()[0];
    EXPECT_EQ(label->text(), row.label);
    EXPECT_FLOAT_EQ(label->text_size(), 0.0125f);
    EXPECT_EQ(picture->tex().id(), 0u);
    EXPECT_FLOAT_EQ(picture->vol()[0], 0.02f);
    EXPECT_FLOAT_EQ(picture->vol()[1], 0.02f);
    // The label on the left, the picture on the right, label_gap apart.
    const float label_right = label->coord_sys().position()[0] + label->vol()[0] / 2;
    const float picture_left = picture->coord_sys().position()[0] - picture->vol()[0] / 2;
    EXPECT_NEAR(picture_left - label_right, 0.0125f, 1e-6f);
  }
}

TEST_F(TutorialInitGL, TheOffsetAndTheButtonTableComeFromTheSettings) {
  root_.write("cfg/controls.ini", "gamepad_model = pad.ini\ngamepad_offset = 0.1 0.2 -0.3\n");
  root_.write("cfg/pad.ini", "obj_file = oculus_left.v2.obj\n");
  OutputCapture quiet;
  ASSERT_EQ(tutorial_.init(false), 0);
  EXPECT_EQ(tutorial_.gamepad_offset(), (Vec3{0.1f, 0.2f, -0.3f}));
  EXPECT_EQ(tutorial_.gamepad_locations().name(), "oculus_left.v2");
  EXPECT_EQ(engine_.settings()["controls"]["gamepad_offset"].str(), "0.1 0.2 -0.3");
  // A second init replaces the placement and adds eleven more hints.
  ASSERT_EQ(tutorial_.init(false), 0);
  EXPECT_EQ(engine_.update_functions().size(), 1u);
  EXPECT_EQ(engine_.ortho_dlgs().size(), 22u);
}

TEST_F(TutorialInitGL, TheLastCopyTakesTheHintsOffTheOverlayAndFreesThem) {
  root_.write("cfg/controls.ini", "walk_accel = 8\n");
  OutputCapture quiet;
  std::vector<Dialog*> hints;
  {
    ControllerTutorial made(&engine_);
    ASSERT_EQ(made.init(false), 0);
    hints = engine_.ortho_dlgs();
    ASSERT_EQ(hints.size(), 11u);
    // A copy that ends leaves them to the others, and a move takes them
    // along.
    { const ControllerTutorial copy = made; }
    EXPECT_EQ(engine_.ortho_dlgs(), hints);
    const ControllerTutorial moved = std::move(made);
    EXPECT_EQ(moved.keyboard_hints().size(), 5u);
    EXPECT_EQ(engine_.ortho_dlgs(), hints);
  }
  EXPECT_TRUE(engine_.ortho_dlgs().empty());
#if defined(__SANITIZE_ADDRESS__)
  for (const Dialog* d : hints) EXPECT_TRUE(__asan_address_is_poisoned(d)) << "not freed";
#endif
}

// ---- On the generated data folder

namespace {

using TutorialDataGL = datagen_test::DataFolderFixture<testing_support::GLTest>;

// Pixels of a 64 x 64 target that are not black.
int lit_pixels(const testing_support::OffscreenTarget& target) {
  int n = 0;
  for (int y = 0; y < target.height(); ++y)
    for (int x = 0; x < target.width(); ++x) {
      const auto p = target.pixel(x, y);
      if (p[0] || p[1] || p[2]) ++n;
    }
  return n;
}

}  // namespace

TEST_F(TutorialDataGL, HintPicturesAndTheGamepadModelLoad) {
  BasicEngine engine;
  engine.settings().root(root());
  ControllerTutorial tutorial(&engine);
  OutputCapture capture;
  ASSERT_EQ(tutorial.init(true), 0);
  EXPECT_EQ(count(capture.err(), "TexFrame("), 0) << capture.err();
  for (const auto* hints : {&tutorial.keyboard_hints(), &tutorial.gamepad_hints()})
    for (const auto& [key, d] : *hints) {
      ASSERT_EQ(d->tex_frames().size(), 1u) << key;
      EXPECT_NE(d->tex_frames()[0]->tex().id(), 0u) << key;
    }

  EXPECT_EQ(tutorial.part_objects().at("A_button"),
            (std::vector<std::string>{"A_button", "A_label"}));
  EXPECT_EQ(tutorial.part_materials().at("A_button"),
            (std::vector<std::string>{"gamepad_A", "gamepad_label"}));
  EXPECT_EQ(tutorial.part_materials().at("Body"), (std::vector<std::string>{"gamepad_body"}));
  const Oriented<OBJRenderer>& pad = tutorial.gamepad();
  EXPECT_FALSE(pad.opaque_vaos().empty());
  EXPECT_TRUE(pad.vertices().empty());

  // Drawn twenty times its size, face on, in the current colour (no
  // lighting); the state is as before.
  tutorial.gamepad().coord_sys() = CoordinateSystem();
  testing_support::OffscreenTarget target(64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glScalef(20.0f, 20.0f, 20.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  const auto before = testing_support::GLStateSnapshot::take();
  tutorial.render(true, 0);
  EXPECT_EQ(testing_support::GLStateSnapshot::take().changes_since(before), "");
  const int lit = lit_pixels(target);
  // The body is 0.1 x 0.048: about 32 x 15 pixels here.
  EXPECT_GT(lit, 300);
  EXPECT_LT(lit, 900);

  // A hidden model draws nothing.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  tutorial.gamepad().enable(false);
  tutorial.render(true, 0);
  tutorial.render(false, 2);
  EXPECT_EQ(lit_pixels(target), 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}
