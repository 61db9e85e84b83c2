// The game's scene set-up on the generated data folder with a real context:
// the models loaded in the background, the scenes and the order of their
// passes, what a frame shows, the furniture in the room's four quadrants, and
// a sunk ball's number label.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/strings.h"
#include "datagen/data_folder.h"
#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/capture.h"
#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "ui/dialog.h"

namespace {

using Base = datagen_test::DataFolderFixture<testing_support::GLTest>;

// One game started for the whole suite (the start-up reads every model of
// the data folder); each test sets what it reads.
class PoolSceneGL : public Base {
 protected:
  static void TearDownTestSuite() {
    engine_.reset();
    Base::TearDownTestSuite();
  }

  void SetUp() override {
    Base::SetUp();
    if (!has_context() || engine_) return;
    engine_ = std::make_unique<PoolEngine>();
    engine_->settings().root(root());
    engine_->frame_clock(&clock_);
    // One light, GL's default light 0 (white, from the viewer), as the
    // engine's lights would give; the ball program is made for it.
    engine_->lights().resize(1);
    testing_support::OutputCapture capture;
    ASSERT_EQ(engine_->init_post_glew(), 0);
    // The view as start-up leaves it, before the intro's walk moves it.
    start_eye_ = engine_->camera_position();
    start_body_ = engine_->walking().position();
    start_ahead_ = engine_->mouse_look().coord_sys().zhat_array();
    engine_->wait_for_loads();
    // The completions run at the next frames, and what they queue after them.
    for (int i = 0; i < 3; ++i) {
      now_ += 0.05;
      engine_->idle();
    }
    errors_ = capture.err();
  }

  // The pose the desktop frame loads: the camera's perspective and the view
  // from the walker along the view pose.
  static void load_view() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    engine_->camera().apply_gl();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const std::array<float, 3> eye = engine_->camera_position();
    const Vec3 ahead = engine_->mouse_look().coord_sys().zhat(true);
    gluLookAt(eye[0], eye[1], eye[2], eye[0] + ahead[0], eye[1] + ahead[1], eye[2] + ahead[2], 0, 1,
              0);
  }

  static inline double now_ = 50.0;
  static inline FrameClock clock_{[] { return now_; }};
  static inline std::unique_ptr<PoolEngine> engine_;
  static inline std::string errors_;
  static inline std::array<float, 3> start_eye_{};
  static inline Vec3 start_body_{};
  static inline Vec3 start_ahead_{};
};

std::size_t pass_count(const RenderScene& scene, unsigned int layer) {
  auto it = scene.passes.find(layer);
  return it == scene.passes.end() ? 0 : it->second.size();
}

TEST_F(PoolSceneGL, StartUpLoadsTheRoomTableCueAndFurnitureAndBuildsTheScenes) {
  EXPECT_EQ(errors_.find("Error"), std::string::npos) << errors_;
  EXPECT_EQ(errors_.find("error"), std::string::npos) << errors_;
  EXPECT_TRUE(testing_support::program_linked(engine_->ball_program));

  PoolEngine& e = *engine_;
  EXPECT_FALSE(e.models["room"].opaque_vaos().empty());
  EXPECT_FALSE(e.table.model.opaque_vaos().empty());
  EXPECT_FALSE(e.cue.model.opaque_vaos().empty());
  std::vector<std::string> furniture;
  for (const auto& [key, model] : e.furniture) {
    furniture.push_back(key);
    EXPECT_FALSE(model.opaque_vaos().empty()) << key;
  }
  EXPECT_EQ(furniture, (std::vector<std::string>{"bench", "chair", "stool"}));

  // The room's lamps are the lights, and its walkable boxes the player
  // volumes, one per name its section lists.
  EXPECT_GE(e.lights().size(), 4u);
  EXPECT_EQ(
      e.player_volumes().size(),
      split(std::as_const(e.settings())["room_model"]["player_volume_objects"].str(), "").size());
  EXPECT_GT(e.player_volumes().size(), 4u);

  // The screen is the room's object "Screen_Cube.019", with arrays of its own.
  const OBJRenderer& screen = e.models["screen"];
  ASSERT_FALSE(screen.faces().empty());
  for (const OBJFace& f : screen.faces()) EXPECT_EQ(f.object_name, "Screen_Cube.019");
  EXPECT_FALSE(screen.opaque_vaos().empty());
  EXPECT_TRUE(screen.included_objects().empty());

  ASSERT_EQ(e.ball_textures.balls.size(), 16u);
  for (const Texture& t : e.ball_textures.balls) EXPECT_NE(t.id(), 0u);
  EXPECT_NE(e.table.felt.id(), 0u);
  EXPECT_EQ(e.table.pockets.size(), 12u);

  EXPECT_EQ(pass_count(e.scenes()["sky"], 0), 2u);
  EXPECT_EQ(pass_count(e.scenes()["balls"], 0), 1u);
  EXPECT_EQ(pass_count(e.scenes()["balls"], 1), 1u);
  EXPECT_EQ(pass_count(e.scenes()["cue_stick"], 0), 1u);
  const RenderScene& room = e.scenes()["room"];
  const std::size_t room_passes[] = {5, 2, 1, 0, 1};
  for (unsigned int layer = 0; layer < 5; ++layer)
    EXPECT_EQ(pass_count(room, layer), room_passes[layer]) << layer;

  // The view from (0, 0.3, 2) at the table, 60 m deep.
  EXPECT_EQ(e.camera().far(), 60.0f);
  EXPECT_EQ(start_eye_, (std::array<float, 3>{0.0f, 0.3f, 2.0f}));
  EXPECT_EQ(start_body_, (Vec3{0.0f, 0.3f, 2.0f}));
  EXPECT_NEAR(start_ahead_[2], 1.0f, 0.05f);
  // Then the intro runs: the maker's logo over the view, pausing refused,
  // the viewer carried toward the table.
  EXPECT_TRUE(e.maker_logo_dialog()->enabled());
  EXPECT_FALSE(e.pause_allowed());
  EXPECT_TRUE(e.active_camera_animation());
  // The look settings were read and the section saved.
  EXPECT_EQ(e.mouse_look().base_speed(), (std::array<float, 3>{0.005f, 0.005f, 0.005f}));
  EXPECT_EQ(e.key_up_bindings().at(27).first, "menu_back_or_esc");
  // The cue's name tag is one of the engine's dialogs, hidden.
  Dialog* tag = e.cue.label.get();
  EXPECT_EQ(std::count(e.dialogs().begin(), e.dialogs().end(), tag), 1);
  EXPECT_FALSE(tag->enabled());
  ASSERT_EQ(tag->text_frames().size(), 1u);
  EXPECT_EQ(tag->text_frames()[0]->text(), "Cue stick");
}

TEST_F(PoolSceneGL, TheGameScenesDrawInTheirOrderWithTheSelectedBallLast) {
  const std::map<std::string, RenderScene> kept = engine_->scenes();
  std::vector<std::string> drawn;
  for (auto& [scene_name, scene] : engine_->scenes())
    for (auto& [layer, passes] : scene.passes)
      for (RenderProcess& p : passes) {
        p.draw = [&drawn, name = scene_name + ": " + (scene_name == "sky" ? "" : p.name)] {
          drawn.push_back(name);
        };
      }
  engine_->render_game_scenes();
  const std::vector<std::string> expected{"sky: ",
                                          "sky: ",
                                          "balls: balls",
                                          "cue_stick: cue stick",
                                          "room: table",
                                          "room: table model",
                                          "room: room model",
                                          "room: furniture",
                                          "room: screen",
                                          "room: room model, transparent",
                                          "room: furniture, transparent",
                                          "room: table model, transparent",
                                          "room: aim guide",
                                          "balls: selected ball"};
  EXPECT_EQ(drawn, expected);
  engine_->scenes() = kept;
}

TEST_F(PoolSceneGL, AFrameShowsTheBallOnTheFeltAndLeavesTheStateAsItWas) {
  PoolEngine& e = *engine_;
  const float eye[3] = {0.0f, 0.3f, 2.0f};
  const float origin[3] = {0.0f, 0.0f, 0.0f};
  e.mouse_look().coord_sys().look_at(eye, origin, nullptr, false);
  e.balls.resize(2, Ball(&e.geometry()));
  for (std::size_t i = 0; i < e.balls.size(); ++i) {
    e.balls[i].init();
    e.balls[i].texture = e.ball_textures.balls[i].id();
  }
  e.balls[0].position = {0.0f, 0.0f, 0.0f};
  // The second ball, chosen with a pocket, is drawn as the selection.
  e.balls[1].position = {0.5f, 0.0f, 0.0f};
  e.selected_ball = 1;
  e.selected_pocket = 3;
  e.update_ball_highlights();
  ASSERT_EQ(e.balls[1].selected, 1);

  testing_support::OffscreenTarget target(160, 90);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  load_view();
  glEnable(GL_LIGHT0);
  const GLint program_before = get_int(GL_CURRENT_PROGRAM);
  const GLboolean depth_writes_before = [] {
    GLboolean b = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &b);
    return b;
  }();
  e.render_game_scenes();
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), program_before);
  GLboolean depth_writes = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
  EXPECT_EQ(depth_writes, depth_writes_before);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  glDisable(GL_LIGHT0);

  // The cue ball at the centre is pale; the felt beside it is green.
  const auto ball = target.pixel(80, 45);
  EXPECT_GT(int(ball[0]), 60);
  EXPECT_LT(std::abs(int(ball[0]) - int(ball[2])), 60);
  const auto felt = target.pixel(60, 45);
  EXPECT_GT(int(felt[1]), int(felt[0]) + 10);
  EXPECT_GT(int(felt[1]), int(felt[2]));

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

TEST_F(PoolSceneGL, FurnitureStandsInAllFourQuadrantsAndCopiesOutOfViewAreSkipped) {
  PoolEngine& e = *engine_;
  auto quadrants = [&e] {
    std::array<int, 4> seen{0, 0, 0, 0};
    // The pass sets its state for the passes after it; the test's later
    // tests need it back.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    const auto prims = testing_support::record_primitives(20.0f, [&e] { e.draw_furniture(true); });
    glPopAttrib();
    for (const auto& v : testing_support::vertices_of(prims, GL_POLYGON_TOKEN))
      ++seen[(v.position[0] > 0 ? 1 : 0) + (v.position[2] > 0 ? 2 : 0)];
    return seen;
  };
  // From high above, looking down, the whole room is ahead.
  const float above[3] = {0.0f, 10.0f, 0.0f};
  const float below[3] = {0.0f, 0.0f, 0.0f};
  e.mouse_look().coord_sys().look_at(above, below, nullptr, false);
  for (int n : quadrants()) EXPECT_GT(n, 0);

  // Looking along +x from the middle, the copies on the -x side are behind.
  const float ahead[3] = {5.0f, 0.0f, 0.0f};
  e.mouse_look().coord_sys().look_at(below, ahead, nullptr, false);
  const std::array<int, 4> seen = quadrants();
  EXPECT_EQ(seen[0] + seen[2], 0);
  EXPECT_GT(seen[1], 0);
  EXPECT_GT(seen[3], 0);
}

TEST_F(PoolSceneGL, ControlHintsShowTheSelectionKeysWhileAHumansShotWaits) {
  PoolEngine& e = *engine_;
  ControllerTutorialPool tutorial(&e);
  ASSERT_EQ(tutorial.init(false), 0);
  e.controller_tutorial() = &tutorial;
  e.eight_ball.init_players(1, 0);
  e.shot_wizard.start();
  e.shot_wizard.set_step(std::string("Choose ball"));
  // The mouse moved just now: the keyboard's hints are the ones in charge.
  e.last_mouse_time(e.real_time());
  auto shown = [&tutorial](const char* key) {
    return tutorial.keyboard_hints().at(key)->enabled();
  };

  tutorial.update_hints();
  EXPECT_TRUE(shown("arrows_select"));
  EXPECT_TRUE(shown("enter_choose"));
  e.eight_ball.shot_in_progress = true;
  tutorial.update_hints();
  EXPECT_FALSE(shown("arrows_select"));
  EXPECT_FALSE(shown("enter_choose"));
  // Paused, the selection keys show (for the menus) but not the choice.
  // (The intro refuses pausing until its end.)
  e.pause_allowed(true);
  e.pause(true);
  tutorial.update_hints();
  EXPECT_TRUE(shown("arrows_select"));
  EXPECT_FALSE(shown("enter_choose"));

  e.unpause();
  e.eight_ball.shot_in_progress = false;
  e.update_functions().erase("orient controller tutorial");
  e.ortho_dlgs().clear();
  e.controller_tutorial() = nullptr;
}

TEST_F(PoolSceneGL, ASunkBallsNumberIsDrawnAboveItUntilTheBallIsBackInPlay) {
  PoolEngine& e = *engine_;
  const std::function<void()> listener = e.update_listener;
  e.update_listener = [] {};
  e.eight_ball.init_players(1, 1);
  e.new_rack();
  Ball& ball = e.balls[5];
  ball.position = e.table.pockets[0].position * 0.9f;
  e.eight_ball.shot_in_progress = true;
  e.ball_sunk(5, 0);
  Dialog* label = ball.label;
  ASSERT_TRUE(label->enabled());

  EventQueue& game = e.gametime_queue();
  const double sunk_at = game.time();
  game.update(sunk_at + 0.6, -1);
  game.update(sunk_at + 1.2, -1);
  const Vec3 at = label->frame().coord_sys().position();
  const Vec3 above = ball.position + Vec3{0.0f, PoolEngine::kLabelHeight, 0.0f};
  for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(at[a], above[a]) << a;

  // The intro's walk and look would carry the view away from the label.
  for (const char* intro_event : {"intro look", "BezierFaderBuffered", "disable camera animation"})
    for (int k = 0; k < 2; ++k) e.realtime_queue().erase(intro_event);

  // A close look at the label, drawn as a frame draws the engine's
  // dialogs: sorted in by "Sort dialogs", turned toward the viewer.
  const float eye[3] = {at[0], at[1], at[2] + 0.3f};
  e.mouse_look().coord_sys().look_at(eye, at.data(), nullptr, false);
  double real = e.realtime_queue().time();
  const auto lit_pixels = [&] {
    real += 0.6;
    e.realtime_queue().update(real);
    testing_support::OffscreenTarget target(64, 64);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    load_view();
    e.scenes()["dialogs"].render();
    int lit = 0;
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) {
        const auto p = target.pixel(x, y);
        if (p[0] > 60 || p[1] > 60 || p[2] > 60) ++lit;
      }
    return lit;
  };
  EXPECT_GT(lit_pixels(), 20);
  EXPECT_EQ(label->text_frames()[0]->text(), "5");

  // Put back into play, the ball takes its label away.
  ball.enable_update(true);
  game.update(sunk_at + 1.3, -1);
  EXPECT_FALSE(label->enabled());
  EXPECT_EQ(lit_pixels(), 0);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  e.eight_ball.shot_in_progress = false;
  e.update_listener = listener;
}

}  // namespace
