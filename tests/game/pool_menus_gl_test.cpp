// The game's menus with their images, on the generated data folder: menu
// mode from the main menu and back, the about panel, and the key hint
// images placed beside the items that take input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "support/capture.h"
#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"
#include "ui/tex_frame.h"

namespace {

// The index of the child whose text is `text`; -1 when none.
int index_of(Dialog* d, const std::string& text) {
  for (std::size_t i = 0; i < d->children().size(); ++i) {
    auto* line = dynamic_cast<TextFrame*>(d->children()[i]);
    if (line && line->text() == text) return static_cast<int>(i);
  }
  return -1;
}

void press(Dialog* d, const std::string& text) {
  const int i = index_of(d, text);
  ASSERT_GE(i, 0) << text;
  d->children()[static_cast<std::size_t>(i)]->callback()();
}

// The game's engine object on the generated data folder, its menu hook as
// start-up installs it.
class PoolMenusGLTest : public datagen_test::DataFolderFixture<testing_support::GLTest> {
 protected:
  PoolMenusGLTest() {
    engine.settings().root(root());
    engine.menu_hook() = [this](bool shown) { menus.menu_changed(shown); };
  }

  PoolEngine engine;
  PoolMenus& menus = engine.menus;
};

TEST_F(PoolMenusGLTest, MenuModeOpensTheMainMenuAndBackWalksOutOfIt) {
  EXPECT_EQ(menus.build_menus(), 0);
  Dialog* main = menus.main_menu();
  EXPECT_TRUE(main->disabled());
  EXPECT_TRUE(menus.controls()->disabled());
  auto* logo = dynamic_cast<TexFrame*>(main->children()[0]);
  ASSERT_NE(logo, nullptr);
  EXPECT_NE(logo->tex().id(), 0u);
  EXPECT_FALSE(logo->selectable());
  EXPECT_TRUE(main->children()[1]->is_back);

  engine.set_menu(true);
  EXPECT_EQ(menus.first_open_menu(), main);
  EXPECT_EQ(engine.selected_dialog(), main);
  EXPECT_TRUE(engine.paused());
  EXPECT_FALSE(main->depth_test());
  EXPECT_EQ(main->cursor_data().index, index_of(main, "Resume"));

  press(main, "Options");
  Dialog* options = menus.options();
  press(options, "Video");
  EXPECT_EQ(menus.back_stack, (std::vector<Dialog*>{main, options}));
  press(menus.video_menu(), "Back");
  EXPECT_EQ(menus.first_open_menu(), options);
  press(options, "Back");
  EXPECT_EQ(menus.first_open_menu(), main);
  EXPECT_EQ(menus.back(), nullptr);
  EXPECT_FALSE(menus.menus_active);
  EXPECT_FALSE(engine.menu_enabled());
  EXPECT_FALSE(engine.paused());
  EXPECT_EQ(engine.selected_dialog(), nullptr);
  for (const auto& [name, menu] : menus.menus) EXPECT_TRUE(menu->disabled()) << name;

  engine.set_menu(true);
  press(main, "Resume");
  EXPECT_FALSE(engine.menu_enabled());
  EXPECT_FALSE(menus.menus_active);
}

TEST_F(PoolMenusGLTest, EscThroughTheKeyboardShowsTheMainMenuAndQuitYesEndsTheGame) {
  // The engine as start-up leaves it: the game's hooks and keys.
  engine.install_callbacks();
  engine.bind_keys();
  engine.keyboard_callback(27, 1, 0, 0, 0);
  engine.keyboard_callback(27, 0, 0, 0, 0);
  Dialog* main = menus.menu("main_menu");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->enabled());
  EXPECT_TRUE(engine.menu_enabled());
  EXPECT_TRUE(engine.paused());
  EXPECT_EQ(engine.selected_dialog(), main);
  EXPECT_EQ(engine.menu_dialog, main);
  auto* logo = dynamic_cast<TexFrame*>(main->children()[0]);
  ASSERT_NE(logo, nullptr);
  EXPECT_TRUE(glIsTexture(logo->tex().id()));
  // Laid out as its first drawing does.
  main->arrange_children();

  // Down four times from "Resume" reaches "Quit"; Enter there asks, and
  // Enter on its "Yes" sets the quit code that ends the main loop.
  constexpr int kDownArrow = 103;
  for (int i = 0; i < 4; ++i) engine.special_key(kDownArrow, 1, 0, 0, 0);
  EXPECT_EQ(main->cursor_data().index, index_of(main, "Quit"));
  engine.keyboard_callback(13, 1, 0, 0, 0);
  engine.keyboard_callback(13, 0, 0, 0, 0);
  Dialog* quit = menus.menu("confirm_quit");
  ASSERT_NE(quit, nullptr);
  EXPECT_TRUE(quit->enabled());
  EXPECT_EQ(engine.menu_dialog, quit);
  quit->arrange_children();
  EXPECT_EQ(engine.quit(), 0);
  engine.keyboard_callback(13, 1, 0, 0, 0);
  engine.keyboard_callback(13, 0, 0, 0, 0);
  EXPECT_NE(engine.quit(), 0);
}

TEST_F(PoolMenusGLTest, TheResolutionListOffersOnlySizesThatFitOnTheScreen) {
  // Modes a display may accept beyond its screen's own size (1920 x 1080
  // here): a window of them would not fit.
  engine.window().mode_probe([](const std::string& mode) {
    return mode == "1280x720" || mode == "1920x1080" || mode == "2560x1440" || mode == "3840x2160";
  });
  ASSERT_EQ(engine.window().detect_game_modes(true, "").size(), 4u);
  engine.window().set_game_mode("1920x1080");
  ListSelection* list = nullptr;
  for (Frame* child : menus.video_menu()->children())
    if (auto* l = dynamic_cast<ListSelection*>(child); l && l->text().starts_with("Resolution:"))
      list = l;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->items(), (std::vector<std::string>{"1280x720", "1920x1080"}));
  EXPECT_EQ(list->index(), 1);
}

TEST_F(PoolMenusGLTest, TheAboutButtonOpensTheHomePage) {
  std::vector<std::string> opened;
  menus.open_address = [&](const std::string& address) {
    opened.push_back(address);
    return 0;
  };
  Dialog* about = menus.about();
  EXPECT_NE(dynamic_cast<TexFrame*>(about->children()[0])->tex().id(), 0u);
  press(about, menus.home_page);
  EXPECT_EQ(opened, std::vector<std::string>{menus.home_page});
}

TEST_F(PoolMenusGLTest, HintImagesStandBesideTheSelectedAndTheBackItems) {
  EXPECT_EQ(menus.load_hint_images(), 0);
  for (const char* name : PoolMenus::kHintImages) {
    EXPECT_NE(menus.hint(name).id(), 0u) << name;
    EXPECT_FALSE(menus.hint(name).visible) << name;
  }
  engine.set_menu(true);
  Dialog* main = menus.main_menu();
  main->frame().coord_sys().position() = {0.5f, 1.0f, -2.0f};
  main->arrange_children();
  const int options = index_of(main, "Options");
  main->cursor_data({options, 1.0f}, false);

  menus.place_control_hints();
  Decal& enter = menus.hint("keyboard_Enter");
  Decal& esc = menus.hint("keyboard_Esc");
  const struct {
    Decal* image;
    const char* item;
  } placed[] = {{&enter, "Options"}, {&esc, "Resume"}};
  for (const auto& p : placed) {
    SCOPED_TRACE(p.item);
    const Frame* item = main->children()[static_cast<std::size_t>(index_of(main, p.item))];
    EXPECT_TRUE(p.image->visible);
    EXPECT_FLOAT_EQ(p.image->height, 0.6f * item->vol()[1]);
    EXPECT_FLOAT_EQ(p.image->width, p.image->height *
                                        static_cast<float>(p.image->TextureGL::width) /
                                        static_cast<float>(p.image->TextureGL::height));
    Vec3 local = item->coord_sys().position();
    local[0] += (p.image->width + item->vol()[0]) / 2.0f + 0.005f;
    local[2] += 0.005f;
    const Vec3 expected = main->frame().coord_sys().local2global(local);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(p.image->position()[k], expected[k], 1e-5f);
    EXPECT_EQ(p.image->depth_test, main->depth_test());
  }
  EXPECT_FALSE(menus.hint("gamepad_A").visible);

  // With the Back item selected only the confirm image shows, beside it.
  main->cursor_data({index_of(main, "Resume"), 1.0f}, false);
  menus.place_control_hints();
  EXPECT_TRUE(enter.visible);
  EXPECT_FALSE(esc.visible);

  // Paused with no dialog to take input: every image hidden.
  menus.hide_menus();
  ASSERT_TRUE(engine.paused());
  menus.place_control_hints();
  for (const auto& [name, image] : menus.hint_images) EXPECT_FALSE(image.visible) << name;
}

// Every menu, prompt and wizard dialog the game builds, drawn where it stands
// in its own frame: the strokes of each text (recorded in feedback mode) lie
// inside the panel's background, with a margin, also after a switch or a
// list changed its text.
TEST_F(PoolMenusGLTest, EveryMenusTextLiesInsideItsPanelWithAMargin) {
  ASSERT_EQ(menus.build_menus(), 0);
  for (Dialog* d : {menus.main_menu(), menus.options(), menus.audio(), menus.volume_controls(),
                    menus.controls(), menus.about(), menus.confirm_quit(), menus.new_game_menu(),
                    menus.gameplay_menu(), menus.difficulty_menu(), menus.video_menu(),
                    menus.confirm_restart_menu(), menus.scratched_on_break(), menus.choose_team(),
                    menus.play_again(), menus.ball_in_hand(), menus.choose_ball(),
                    menus.choose_pocket(), menus.shoot()})
    ASSERT_NE(d, nullptr);
  // The switches and lists turned once, as the player turns them: their text
  // changes in place. (Turned back at the end: they save what they show.)
  std::vector<ListSelection*> lists;
  for (auto& [name, dialog] : menus.menus)
    for (Frame* child : dialog->children())
      if (auto* list = dynamic_cast<ListSelection*>(child)) lists.push_back(list);
  for (ListSelection* list : lists) list->index(list->index() + 1);

  std::map<std::string, Dialog*> all = menus.menus;
  all.insert(menus.wizard_dialogs.begin(), menus.wizard_dialogs.end());
  ASSERT_GE(all.size(), 19u);
  constexpr float kMargin = 0.008f;
  for (auto& [name, d] : all) {
    SCOPED_TRACE(name);
    d->enable(true);
    d->frame().coord_sys() = CoordinateSystem();
    d->frame().bg_color()[3] = 0.75f;
    // Drawn as the engine draws it (laid out when due), then each part alone.
    glLoadIdentity();
    testing_support::record_primitives(2.0f, [d] { d->display(); });
    std::array<float, 2> low{1e9f, 1e9f}, high{-1e9f, -1e9f};
    for (const auto& p : testing_support::record_primitives(2.0f, [d] { d->frame().render_bg(); }))
      for (const auto& v : p.vertices)
        for (int a = 0; a < 2; ++a) {
          low[a] = std::min(low[a], v.position[a]);
          high[a] = std::max(high[a], v.position[a]);
        }
    EXPECT_LT(low[0], high[0]);
    for (TextFrame* text : d->text_frames()) {
      SCOPED_TRACE(text->text());
      const auto strokes = testing_support::record_primitives(2.0f, [text] {
        glPushMatrix();
        text->display();
        glPopMatrix();
      });
      std::array<float, 2> from{1e9f, 1e9f}, to{-1e9f, -1e9f};
      for (const auto& v : testing_support::vertices_of(strokes, GL_LINE_TOKEN))
        for (int a = 0; a < 2; ++a) {
          from[a] = std::min(from[a], v.position[a]);
          to[a] = std::max(to[a], v.position[a]);
        }
      if (text->text().empty()) continue;
      for (int a = 0; a < 2; ++a) {
        EXPECT_GE(from[a], low[a] + kMargin) << (a == 0 ? "left" : "bottom");
        EXPECT_LE(to[a], high[a] - kMargin) << (a == 0 ? "right" : "top");
      }
    }
  }
  for (ListSelection* list : lists) list->index(list->index() - 1);
}

TEST_F(PoolMenusGLTest, AnImageThatDoesNotLoadIsReportedAndSkipped) {
  testing_support::TempDataRoot broken;
  broken.write("textures/controls/gamepad_B.png", "not a png");
  PoolEngine other;
  testing_support::OutputCapture capture;
  EXPECT_EQ(other.menus.load_hint_images(), -3);
  EXPECT_NE(capture.err().find("Error -3 in load_png()\n"), std::string::npos);
  EXPECT_TRUE(other.menus.hint_images.empty());
}

}  // namespace
