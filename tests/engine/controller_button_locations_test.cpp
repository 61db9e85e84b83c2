// Button tables of the controller models: the choice by name, the values the
// hints are placed at, the aliases, and the engine's registration of the
// hand controllers' models.
#include "engine/controller_button_locations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "render/vbo.h"

using Buttons = ControllerButtonLocations::Buttons;

namespace {

std::vector<std::string> names_of(const Buttons& buttons) {
  std::vector<std::string> names;
  for (const auto& [name, location] : buttons) names.push_back(name);
  return names;
}

}  // namespace

TEST(ControllerButtonLocations, TheTableIsChosenByTheFirstNamePartThatMatches) {
  const std::vector<std::string> vive{"left_grip", "menu",     "right_grip",
                                      "system",    "trackpad", "trigger"};
  const std::vector<std::string> left{"L1_button", "L2_button", "L_thumb",   "Start_button",
                                      "X_button",  "Y_button",  "left_grip", "menu",
                                      "trackpad",  "trigger"};
  const std::vector<std::string> right{"A_button", "B_button",      "R1_button", "R2_button",
                                       "R_thumb",  "System_button", "menu",      "right_grip",
                                       "trackpad", "trigger"};
  const struct {
    const char* name;
    std::vector<std::string> buttons;
  } cases[] = {
      {"vr_controller_vive_1_5", vive},
      {"oculus_left_vr_controller_vive", vive},  // the Vive rule comes first
      {"gamepad_v1",
       {"A_button", "B_button", "Back_button", "D_pad", "L1_button", "L2_button", "L_thumb",
        "Power_button", "R1_button", "R2_button", "R_thumb", "Start_button", "X_button",
        "Y_button"}},
      {"oculus_cv1_controller_left", left},
      {"oculus_rifts_controller_right", right},
      {"oculus_cv1", {}},
      {"vive_controller", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    const ControllerButtonLocations table(c.name);
    EXPECT_EQ(table.name(), c.name);
    EXPECT_EQ(names_of(table.buttons()), c.buttons) << c.name;
  }
  EXPECT_EQ(ControllerButtonLocations().name(), "vive_controller");
  EXPECT_TRUE(ControllerButtonLocations().buttons().empty());
}

TEST(ControllerButtonLocations, ValuesAreTheTablesFloats) {
  using L = ControllerButtonLocations::Location;
  const Buttons vive = ControllerButtonLocations("vr_controller_vive").buttons();
  EXPECT_EQ(vive.at("trigger"), (L{0.0f, -0.038586f, 0.051942f}));
  // The middle of the grip's two ends, in floats; the left one mirrors it.
  EXPECT_EQ(vive.at("right_grip"), (L{0.0197995f, -0.015612001f, 0.087212995f}));
  EXPECT_EQ(vive.at("left_grip"), (L{-0.0197995f, -0.015612001f, 0.087212995f}));

  const Buttons pad = ControllerButtonLocations("gamepad_v1").buttons();
  EXPECT_EQ(pad.at("A_button"), (L{0.0214813f, 0.008976f, 0.00557898f}));
  EXPECT_EQ(pad.at("Power_button"), (L{0.000529995f, 0.013221f, 0.00661797f}));

  // The right hand is the left mirrored in x.
  const Buttons left = ControllerButtonLocations("oculus_left").buttons();
  const Buttons right = ControllerButtonLocations("oculus_right").buttons();
  EXPECT_EQ(left.at("Start_button"), (L{-0.003706f, 0.004141f, 0.06291f}));
  EXPECT_EQ(right.at("System_button"), (L{0.003706f, 0.004141f, 0.06291f}));
  EXPECT_EQ(left.at("X_button"), (L{0.00857f, -0.01678f, 0.07988f}));
  EXPECT_EQ(right.at("A_button"), (L{-0.00857f, -0.01678f, 0.07988f}));
  EXPECT_EQ(right.at("R1_button"), (L{-0.011452f, 0.0f, 0.097866f}));
}

TEST(ControllerButtonLocations, AliasesAreCopiesOfTheirButtons) {
  ControllerButtonLocations left("oculus_left");
  Buttons& b = left.buttons();
  EXPECT_EQ(b.at("trackpad"), b.at("L_thumb"));
  EXPECT_EQ(b.at("menu"), b.at("Y_button"));
  EXPECT_EQ(b.at("trigger"), b.at("L2_button"));
  EXPECT_EQ(b.at("left_grip"), b.at("L1_button"));
  const auto stick = b.at("L_thumb");
  b.at("trackpad")[0] = 1.0f;
  EXPECT_EQ(b.at("L_thumb"), stick);

  const Buttons right = ControllerButtonLocations("oculus_right").buttons();
  EXPECT_EQ(right.at("right_grip"), right.at("R1_button"));
  EXPECT_EQ(right.at("menu"), right.at("B_button"));
}

TEST(BasicEngineControllers, EachRegisteredModelGetsItsTableInControllerOrder) {
  BasicEngine engine;
  VBO left, right, other;
  engine.draw_vbos().add(&other);
  engine.add_controller_vbo(&left, "oculus_cv1_controller_left");
  engine.add_controller_vbo(&right, "oculus_cv1_controller_right");

  EXPECT_EQ(left.name(), "oculus_cv1_controller_left");
  EXPECT_EQ(right.name(), "oculus_cv1_controller_right");
  ASSERT_EQ(engine.controller_vbos().size(), 2u);
  EXPECT_EQ(engine.controller_vbos()[0], &left);
  EXPECT_EQ(engine.controller_vbos()[1], &right);
  ASSERT_EQ(engine.draw_vbos().size(), 3u);
  EXPECT_EQ(engine.draw_vbos()[1], &left);
  EXPECT_EQ(engine.draw_vbos()[2], &right);
  ASSERT_EQ(engine.button_locations().size(), 2u);
  EXPECT_EQ(engine.button_locations()[0].name(), "oculus_cv1_controller_left");
  EXPECT_EQ(engine.button_locations()[1].name(), "oculus_cv1_controller_right");
  EXPECT_EQ(engine.button_locations()[1].buttons().count("right_grip"), 1u);

  // Copies take the tables with them.
  const BasicEngine copy(engine);
  EXPECT_EQ(copy.button_locations().size(), 2u);
}

TEST(BasicEngineControllers, ClearingTheModelsTakesTheirTablesAlong) {
  BasicEngine engine;
  VBO left, right, vive;
  engine.add_controller_vbo(&left, "oculus_cv1_controller_left");
  engine.draw_vbos().add(&left);  // listed twice
  engine.add_controller_vbo(&right, "oculus_cv1_controller_right");
  engine.clear_controller_vbos();
  EXPECT_TRUE(engine.controller_vbos().empty());
  EXPECT_TRUE(engine.button_locations().empty());
  // Only the first listing of a model leaves the drawn VBOs.
  ASSERT_EQ(engine.draw_vbos().size(), 1u);
  EXPECT_EQ(engine.draw_vbos()[0], &left);

  // A model registered afterwards gets its own table at index 0.
  engine.add_controller_vbo(&vive, "vive_controller");
  ASSERT_EQ(engine.button_locations().size(), 1u);
  EXPECT_EQ(engine.button_locations()[0].name(), "vive_controller");
}
