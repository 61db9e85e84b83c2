// The game's menus without a window: the back stack and menu mode, the
// set-up and option menus' actions, and the settings they write and save.
#include "game/menus/pool_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/controller_button_locations.h"
#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"
#include "ui/slider.h"

namespace {

// The child whose text is `text` or, for a list, begins with it; fails the
// test when there is none.
Frame* item(Dialog* d, const std::string& text) {
  for (Frame* child : d->children()) {
    auto* line = dynamic_cast<TextFrame*>(child);
    if (line && (line->text() == text || line->text().rfind(text + " ", 0) == 0)) return child;
  }
  ADD_FAILURE() << "no item \"" << text << "\" in " << d->name();
  return nullptr;
}

void press(Dialog* d, const std::string& text) {
  Frame* f = item(d, text);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->callback()) << text;
  f->callback()();
}

Slider* slider(Dialog* d, int n) {
  for (Frame* child : d->children())
    if (auto* s = dynamic_cast<Slider*>(child); s && n-- == 0) return s;
  ADD_FAILURE() << "no slider " << n << " in " << d->name();
  return nullptr;
}

std::vector<std::string> texts(Dialog* d) {
  std::vector<std::string> out;
  for (const TextFrame* line : d->text_frames()) out.push_back(line->text());
  return out;
}

// The game's engine object in a fresh data root, without its menu hook
// (which opens the main menu, an image that needs OpenGL).
class PoolMenusTest : public ::testing::Test {
 protected:
  // The value of a key as the section file on disk holds it.
  CfgField saved(const std::string& section, const std::string& key) {
    EngineSettings fresh;
    EXPECT_EQ(fresh.load_section(section), 0) << section;
    return std::as_const(fresh)[section][key];
  }

  testing_support::TempDataRoot root;
  PoolEngine engine;
  PoolMenus& menus = engine.menus;
};

TEST_F(PoolMenusTest, BackWalksTheStackAndClosesTheMenusAtTheBottom) {
  Dialog* options = menus.options();
  EXPECT_TRUE(options->disabled());  // built hidden
  EXPECT_EQ(menus.options(), options);
  menus.show_menu(options, false);
  EXPECT_TRUE(menus.menus_active);
  EXPECT_EQ(engine.selected_dialog(), options);
  EXPECT_FALSE(options->depth_test());  // no hand controller

  press(options, "Video");
  Dialog* video = menus.video_menu();
  EXPECT_EQ(menus.first_open_menu(), video);
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{options}));
  press(video, "Back");
  EXPECT_EQ(menus.first_open_menu(), options);
  EXPECT_TRUE(video->disabled());
  EXPECT_TRUE(menus.back_stack.empty());
  press(options, "Back");
  EXPECT_EQ(menus.first_open_menu(), nullptr);
  EXPECT_FALSE(menus.menus_active);
  EXPECT_EQ(engine.selected_dialog(), nullptr);
  for (const auto& [name, menu] : menus.menus) EXPECT_TRUE(menu->disabled()) << name;
}

TEST_F(PoolMenusTest, BackKeepsAStayOpenMenuWithNothingBelowIt) {
  for (const bool stay_open : {true, false}) {
    SCOPED_TRACE(stay_open);
    Dialog* prompt = menus.new_dialog("play_again");
    prompt->stay_open = stay_open;
    menus.menus["play_again"] = prompt;
    menus.show_menu(prompt, false);
    EXPECT_EQ(menus.back(), stay_open ? prompt : nullptr);
    EXPECT_EQ(prompt->enabled(), stay_open);
    EXPECT_EQ(menus.menus_active, stay_open);
    menus.menus.erase("play_again");
  }
}

TEST_F(PoolMenusTest, PushingAndShowingKeepEachMenuOnceOnTheStack) {
  Dialog* a = menus.options();
  Dialog* b = menus.gameplay_menu();
  Dialog* c = menus.audio();
  menus.push_menu(a);
  menus.push_menu(b);
  menus.push_menu(c);
  menus.push_menu(a);  // lower down: swaps with the top
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{c, b, a}));
  menus.push_menu(a);  // already the top
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{c, b, a}));
  menus.show_menu(b, false);  // taken off the stack
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{c, a}));
  EXPECT_TRUE(a->disabled());
  menus.show_menu(nullptr, true);
  EXPECT_FALSE(menus.menus_active);
  EXPECT_TRUE(b->disabled());
}

TEST_F(PoolMenusTest, ANewGameClosesTheMenusAndStartsThePairing) {
  std::vector<std::pair<int, int>> started;
  engine.start_game_hook() = [&](int humans, int computers) {
    started.emplace_back(humans, computers);
  };
  const struct {
    const char* button;
    std::pair<int, int> players;
  } cases[] = {{"Human vs. Computer", {1, 1}},
               {"Human vs. Human", {2, 0}},
               {"Computer vs. Computer", {0, 2}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    menus.show_menu(menus.options(), false);
    menus.show_menu(menus.new_game_menu(), true);
    EXPECT_EQ(menus.new_game_menu(), menus.new_game_type_menu());
    press(menus.new_game_menu(), c.button);
    EXPECT_EQ(started.back(), c.players);
    EXPECT_TRUE(menus.back_stack.empty());
    EXPECT_EQ(menus.first_open_menu(), nullptr);
    EXPECT_FALSE(menus.menus_active);
  }
}

TEST_F(PoolMenusTest, TheChosenDifficultyCarriesTheOnlyMark) {
  Dialog* d = menus.difficulty_menu();
  EXPECT_TRUE(d->disabled());
  EXPECT_EQ(texts(d),
            (std::vector<std::string>{"Choose difficulty", "Easy", "Medium", "Hard*", "Back"}));
  press(d, "Medium");
  press(d, "Medium*");
  EXPECT_EQ(engine.difficulty.level, 1);
  EXPECT_EQ(texts(d),
            (std::vector<std::string>{"Choose difficulty", "Easy", "Medium*", "Hard", "Back"}));
  press(d, "Easy");
  EXPECT_EQ(engine.difficulty.level, 0);
  EXPECT_EQ(texts(d)[1], "Easy*");
  EXPECT_EQ(texts(d)[2], "Medium");
}

TEST_F(PoolMenusTest, AVideoChangeIsSavedAndTheRestartNoticeShowsOnceOnTheWayBack) {
  engine.window().mode_probe([](const std::string& mode) {
    return mode == "800x600" || mode == "1024x768" || mode == "1280x720";
  });
  engine.window().detect_game_modes(false, "");
  const std::vector<std::string> modes = engine.window().game_modes();
  ASSERT_GE(modes.size(), 3u);
  Dialog* options = menus.options();
  menus.show_menu(options, false);
  press(options, "Video");
  Dialog* video = menus.video_menu();
  // Built on the current mode and state: nothing changed, nothing pushed.
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{options}));

  auto* list = dynamic_cast<ListSelection*>(item(video, "Resolution:"));
  ASSERT_NE(list, nullptr);
  const int first = list->index();
  press(video, "Resolution:");  // a click steps the list
  list->next();                 // so does an arrow push
  const std::string chosen = modes[static_cast<std::size_t>((first + 2) % modes.size())];
  EXPECT_EQ(static_cast<std::string>(*list), chosen);
  EXPECT_EQ(saved("video_settings", "resolution").str(), chosen);
  // No stored choice is full screen: the switch opens ON, a push stores 0.
  auto* fullscreen = dynamic_cast<ListSelection*>(item(video, "Fullscreen:"));
  ASSERT_NE(fullscreen, nullptr);
  EXPECT_EQ(static_cast<std::string>(*fullscreen), "ON");
  fullscreen->next();
  EXPECT_EQ(saved("video_settings", "fullscreen").str(), "0");
  EXPECT_EQ(menus.back_stack.size(), 2u);  // the notice, once

  press(video, "Back");
  Dialog* notice = menus.confirm_restart_menu();
  EXPECT_EQ(menus.first_open_menu(), notice);
  EXPECT_EQ(texts(notice)[0], "Program restart required to apply changes.");
  press(notice, "\nRestart later");
  EXPECT_EQ(menus.first_open_menu(), options);
  press(options, "Back");
  EXPECT_FALSE(menus.menus_active);
}

TEST_F(PoolMenusTest, EverySwitchAndSliderWritesAndSavesItsKeyAtOnce) {
  const struct {
    const char* menu;
    const char* item;  // a switch, or a slider by number
    int slider;
    float value;
    const char* section;
    const char* key;
    const char* text;
  } cases[] = {
      {"audio", "Effects:", -1, 0, "audio_settings", "effects_on", "0"},
      {"audio", "Music:", -1, 0, "audio_settings", "bg_on", "0"},
      {"master_volume", nullptr, 0, 0.25f, "audio_settings", "effects_volume", ""},
      {"master_volume", nullptr, 1, 0.75f, "audio_settings", "music_volume", ""},
      {"controls", nullptr, 1, 4.5f, "controls", "walk_accel", ""},
      {"controls", "Control tips:", -1, 0, "controls", "show_control_hints", "0"},
  };
  menus.audio();
  menus.volume_controls();
  menus.controls();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Dialog* d = menus.menus.at(c.menu);
    if (c.item) {
      item(d, c.item)->next();
      EXPECT_EQ(saved(c.section, c.key).str(), c.text);
    } else {
      slider(d, c.slider)->value_callback()(c.value);
      EXPECT_EQ(static_cast<float>(saved(c.section, c.key)), c.value);
    }
  }
  EXPECT_EQ(engine.audio.effects_volume, 0.25f);
  EXPECT_EQ(engine.audio.bg_source().gain(), 0.75f);
  EXPECT_EQ(engine.walking().walk_accel, 4.5f);
  EXPECT_FALSE(engine.audio.bg_on);
}

TEST_F(PoolMenusTest, EffectsOffMutesTheMenuAndGameSoundsAndOnRestoresThem) {
  Frame* effects = item(menus.audio(), "Effects:");
  for (const bool muted : {true, false}) {
    effects->next();
    EXPECT_EQ(engine.menu_audio().bank().muted(), muted);
    EXPECT_EQ(engine.audio.menu_bank.muted(), muted);
    EXPECT_EQ(engine.audio.game_bank.muted(), muted);
    EXPECT_EQ(static_cast<int>(saved("audio_settings", "effects_on")), muted ? 0 : 1);
  }
}

TEST_F(PoolMenusTest, TheAudioSwitchesStartFromTheStoredSection) {
  {
    testing_support::OutputCapture capture;
    menus.audio();
    EXPECT_EQ(capture.err(), "Error loading section audio_settings\n");
  }
  EXPECT_EQ(static_cast<ListSelection*>(item(menus.audio(), "Effects:"))->index(), 1);
  EXPECT_EQ(static_cast<ListSelection*>(item(menus.audio(), "Music:"))->index(), 1);
  // Building reports no change: nothing was written.
  EXPECT_FALSE(engine.settings()["audio_settings"].contains("effects_on"));

  // Ints as atoi reads them: a word is 0, off.
  const struct {
    const char* file;
    int effects, music;  // the switches' indices: 1 on
  } cases[] = {{"effects_on = 0\nbg_on = 1\n", 0, 1},
               {"effects_on = off\nbg_on = 1\n", 0, 1},
               {"effects_on = 1\nbg_on = yes\n", 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    testing_support::TempDataRoot other;
    other.write("cfg/audio_settings.ini", c.file);
    PoolEngine second;
    EXPECT_EQ(static_cast<ListSelection*>(item(second.menus.audio(), "Effects:"))->index(),
              c.effects);
    EXPECT_EQ(static_cast<ListSelection*>(item(second.menus.audio(), "Music:"))->index(), c.music);
  }
}

TEST_F(PoolMenusTest, InvertingOneAxisKeepsTheOthersAndSavesAllThree) {
  engine.mouse().set_inversion(false, true, true);
  Dialog* controls = menus.controls();
  EXPECT_EQ(static_cast<ListSelection*>(item(controls, "Invert horizontal:"))->index(), 0);
  EXPECT_EQ(static_cast<ListSelection*>(item(controls, "Invert vertical:"))->index(), 1);
  item(controls, "Invert horizontal:")->next();
  EXPECT_EQ(engine.mouse().inverted(), (std::array<bool, 3>{true, true, true}));
  item(controls, "Invert vertical:")->next();
  EXPECT_EQ(engine.mouse().inverted(), (std::array<bool, 3>{true, false, true}));
  EXPECT_EQ((static_cast<std::array<bool, 3>>(saved("controls", "look_inversion"))),
            (std::array<bool, 3>{true, false, true}));
}

TEST_F(PoolMenusTest, TheLookSliderTurnsBothLooksAndSavesWhatStartUpReads) {
  slider(menus.controls(), 0)->value_callback()(0.01f);
  EXPECT_EQ(engine.mouse_look().get_rot_speed(), (std::array<float, 3>{0.01f, 0.01f, 0.01f}));
  EXPECT_EQ(engine.walking().look().get_rot_speed(), (std::array<float, 3>{2.0f, 2.0f, 2.0f}));
  for (const char* key : {"look_speed", "look_sensitivity"}) {
    EXPECT_EQ((static_cast<std::array<float, 3>>(saved("controls", key))),
              (std::array<float, 3>{0.01f, 0.01f, 0.01f}))
        << key;
  }
}

TEST_F(PoolMenusTest, TheLookSliderOpensAtTheStoredSensitivity) {
  root.write("cfg/controls.ini", "look_sensitivity = 0.008 0.008 0.008\n");
  engine.init_controls();
  EXPECT_FLOAT_EQ(slider(menus.controls(), 0)->value(), 0.008f);
}

TEST_F(PoolMenusTest, ControlTipsFollowTheStoredSettingAndStartOnWithoutIt) {
  const struct {
    const char* file;  // nullptr: no "controls" section
    bool on;
  } cases[] = {{nullptr, true},
               {"walk_accel = 3\n", true},
               {"show_control_hints = 0\n", false},
               {"show_control_hints = 1\n", true},
               // An int as atoi reads it: a word is 0.
               {"show_control_hints = yes\n", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no section");
    testing_support::TempDataRoot data;
    if (c.file) data.write("cfg/controls.ini", c.file);
    PoolEngine e;
    e.settings().load_section("controls");
    testing_support::OutputCapture capture;
    Dialog* controls = e.menus.controls();
    EXPECT_EQ(static_cast<ListSelection*>(item(controls, "Control tips:"))->index(), c.on ? 1 : 0);
    // The game's engine makes its controller tutorial, which takes the tips.
    EXPECT_EQ(capture.err().find("Controller tutorial is NULL!"), std::string::npos);
  }
}

TEST_F(PoolMenusTest, TheControlsBackButtonSavesTheSection) {
  Dialog* controls = menus.controls();
  menus.show_menu(controls, false);
  engine.settings()["controls"]["walk_accel"] = 5;
  press(controls, "Back");
  EXPECT_EQ(static_cast<int>(saved("controls", "walk_accel")), 5);
  EXPECT_FALSE(menus.menus_active);
}

TEST_F(PoolMenusTest, QuitConfirmedStopsTheProgramAndNoGoesBack) {
  Dialog* quit = menus.confirm_quit();
  EXPECT_TRUE(quit->disabled());
  EXPECT_FALSE(quit->sounds);
  EXPECT_EQ(texts(quit), (std::vector<std::string>{"Confirm quit?", "Yes", "No"}));
  menus.show_menu(menus.options(), false);
  menus.show_menu(quit, true);
  press(quit, "No");
  EXPECT_EQ(menus.first_open_menu(), menus.options());
  EXPECT_EQ(engine.quit(), 0);
  press(quit, "Yes");
  EXPECT_EQ(engine.quit(), 1);
}

TEST_F(PoolMenusTest, VrLabelsStandAtTheButtonsTheTablesList) {
  ControllerButtonLocations left("test"), right("test");
  left.buttons() = {{"trackpad", {0.0f, 0.01f, 0.02f}},  {"menu", {0.0f, 0.01f, -0.02f}},
                    {"trigger", {0.0f, -0.02f, 0.03f}},  {"left_grip", {-0.02f, 0.0f, 0.0f}},
                    {"right_grip", {0.02f, 0.0f, 0.0f}}, {"system", {0.0f, 0.0f, 0.04f}}};
  right.buttons() = {{"trigger", {0.0f, -0.02f, 0.03f}}};
  engine.button_locations() = {left, right};
  for (int controller : {0, 1, 2, -1}) menus.init_vr_labels(controller);
  std::vector<std::string> names;
  for (const auto& [name, label] : menus.vr_labels) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"help_0_left_grip", "help_0_menu", "help_0_right_grip",
                                             "help_0_system", "help_0_trackpad", "help_0_trigger",
                                             "help_1_trigger"}));
  Dialog* trigger = menus.vr_labels.at("help_0_trigger");
  EXPECT_EQ(menus.add_vr_label(0, "trigger", "Other", {}), trigger);
  EXPECT_EQ(texts(trigger), std::vector<std::string>{"Select"});
  EXPECT_EQ(trigger->frame().text_size(), 0.01f);
  EXPECT_EQ(trigger->frame().bg_color()[3], 0.0f);
  EXPECT_EQ(trigger->follow_player(), 0);
  // One made directly, at a point of its controller's frame.
  Dialog* menu = menus.create_vr_label("help_1_menu", 1, {0.0f, 0.05f, 0.0f}, "Menu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menus.vr_labels.at("help_1_menu"), menu);
  EXPECT_EQ(texts(menu), std::vector<std::string>{"Menu"});
  EXPECT_EQ(menu->frame().text_size(), 0.01f);

  // The labels follow their controllers' models.
  VBO model, other;
  model.coord_sys().position() = {1.0f, 2.0f, 3.0f};
  other.coord_sys().position() = {-1.0f, 0.0f, 0.0f};
  engine.controller_vbos().add(&model);
  engine.controller_vbos().add(&other);
  engine.realtime_queue().update(1.0);
  const auto expect_at = [](const Dialog* label, const Vec3& expected) {
    const Vec3 at = label->frame().coord_sys().position();
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(at[k], expected[k], 1e-6f);
  };
  expect_at(trigger, {1.0f, 2.0f - 0.02f - 0.008f, 3.03f});
  expect_at(menu, {-1.0f, 0.05f, 0.0f});
}

TEST_F(PoolMenusTest, VrLabelTextsFollowTheGameAndOnlyTheTipsSwitchShowsThemAgain) {
  ControllerButtonLocations table("test");
  table.buttons() = {
      {"trackpad", {}}, {"trigger", {}}, {"left_grip", {}}, {"right_grip", {}}, {"system", {}}};
  engine.button_locations() = {table, table};
  menus.init_vr_labels(0);
  menus.init_vr_labels(1);
  ASSERT_EQ(engine.init_shot_wizard(), 0);
  engine.shot_wizard.start();
  ControllerTutorial tutorial(&engine);
  engine.controller_tutorial() = &tutorial;

  auto label = [&](int c, const char* button) {
    return menus.vr_labels.at("help_" + std::to_string(c) + "_" + button);
  };
  auto text = [&](int c, const char* button) { return texts(label(c, button)).back(); };

  menus.menus_active = true;
  menus.update_vr_labels();
  for (int c : {0, 1}) {
    EXPECT_EQ(text(c, "trigger"), "Select");
    EXPECT_EQ(text(c, "trackpad"), "Move");
    EXPECT_EQ(text(c, "system"), "System");
    EXPECT_EQ(text(c, "left_grip"), "");
    EXPECT_TRUE(label(c, "left_grip")->disabled());
    EXPECT_TRUE(label(c, "trigger")->enabled());
  }

  menus.menus_active = false;
  ASSERT_EQ(engine.shot_wizard.set_step("Ball in hand"), 0);
  menus.update_vr_labels();
  EXPECT_EQ(text(1, "trigger"), "");
  EXPECT_TRUE(label(1, "trigger")->disabled());
  EXPECT_EQ(text(1, "right_grip"), "Place\nball");
  EXPECT_TRUE(label(1, "right_grip")->disabled());  // still hidden

  ASSERT_EQ(engine.shot_wizard.set_step("Choose ball"), 0);
  menus.update_vr_labels();
  EXPECT_EQ(text(0, "trigger"), "Hold\nposition");
  EXPECT_TRUE(label(0, "trigger")->disabled());
  menus.show_control_hints(false);
  EXPECT_FALSE(tutorial.enabled());
  menus.show_control_hints(true);
  EXPECT_TRUE(tutorial.enabled());
  for (const auto& [name, l] : menus.vr_labels) EXPECT_TRUE(l->enabled()) << name;
}

TEST_F(PoolMenusTest, ATurnAndANewGameBringTheVrLabelsUpToDate) {
  ControllerButtonLocations table("test");
  table.buttons() = {{"trigger", {}}, {"left_grip", {}}};
  engine.button_locations() = {table};
  menus.init_vr_labels(0);
  ASSERT_EQ(engine.init_shot_wizard(), 0);
  engine.install_callbacks();
  auto text = [&](const char* button) {
    return texts(menus.vr_labels.at(std::string("help_0_") + button)).back();
  };
  ASSERT_EQ(text("trigger"), "Select");

  // A human's turn that begins with the ball in hand.
  menus.menus_active = false;
  engine.rules = &engine.eight_ball;
  engine.eight_ball.init_players(2, 0);
  engine.begin_turn_at("Ball in hand");
  engine.next_turn();
  EXPECT_EQ(text("trigger"), "");
  EXPECT_EQ(text("left_grip"), "Place\nball");

  // The new-game function, as a menu's game start calls it.
  engine.shot_wizard.set_step(std::string("Choose ball"));
  engine.start_game_hook()(1, 1);
  EXPECT_EQ(text("trigger"), "Hold\nposition");
  EXPECT_EQ(text("left_grip"), "");
}

TEST(PoolMenus, WithoutAnEngineTheActionsDoNothing) {
  testing_support::TempDataRoot root;
  PoolMenus menus;
  Dialog* d = menus.difficulty_menu();
  press(d, "Easy");
  EXPECT_EQ(texts(d)[3], "Hard*");
  menus.show_menu(d, false);
  press(d, "Back");
  EXPECT_TRUE(d->enabled());
  item(menus.video_menu(), "Fullscreen:")->next();
  EXPECT_TRUE(root.read("cfg/video_settings.ini").empty());
}

}  // namespace
