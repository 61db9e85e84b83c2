// The panels of a human's shot in the running program on the generated data
// folder (the program's start-up, its real frame step on a test clock, keys
// through the engine's keyboard entry), seen from the viewer: a step's panel
// stands where the step puts it while the viewer can see that place, else in
// front of the view, and never so near that it reads larger than the menus.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "running_program.h"
#include "support/pool_play.h"
#include "ui/dialog.h"

namespace {

using running_program::kFrame;
constexpr unsigned char kEnter = 13, kEsc = 27;

class ShotPanels : public running_program::RunningProgram {
 protected:
  ShotPanels() : RunningProgram(320, 180) {}

  void SetUp() override {
    RunningProgram::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // Until the intro has handed the game over.
    past_intro();
  }

  // A key as freeglut hands it over, then a player's pause.
  void press(unsigned char key) {
    RunningProgram::press(key);
    frames(0.6);
  }

  // The viewer at `eye`, looking toward `target`, as the mouse turns the
  // view.
  void look_from(const Vec3& eye, const Vec3& target) {
    engine_->walking().position() = eye;
    engine_->walking().stand_still();
    engine_->mouse_look().coord_sys().look_at(eye, target);
  }

  // The viewer's eye and the panel's place in the view's coordinates, as
  // the frame draws it.
  Vec3 eye() const { return engine_->walking().position(); }
  Vec3 in_view(const Dialog* d) const {
    CoordinateSystem view = engine_->mouse_look().coord_sys();
    view.position() = eye();
    return view.global2local(d->frame().coord_sys().position());
  }
  // Whether the panel's centre lies well inside the picture: ahead of the
  // viewer and within nine tenths of both half fields of view.
  bool seen(const Dialog* d) const {
    const Vec3 local = in_view(d);
    const std::array<float, 2> fov = engine_->camera().fov();
    const float ahead = -local[2];
    const float deg = 3.14159265f / 180.0f;
    return ahead > 0.0f && std::abs(local[0]) < 0.9f * ahead * std::tan(fov[0] * deg / 2.0f) &&
           std::abs(local[1]) < 0.9f * ahead * std::tan(fov[1] * deg / 2.0f);
  }

  // How far a menu stands in front of the viewer: the main menu opened and
  // closed again with Esc.
  float menu_distance() {
    press(kEsc);
    Dialog* main = engine_->menus.main_menu();
    EXPECT_TRUE(main->enabled());
    const float d = norm(main->frame().coord_sys().position() - eye());
    press(kEsc);
    EXPECT_FALSE(main->enabled());
    return d;
  }

  std::string step() const { return engine_->shot_wizard.current_step().name(); }
  Dialog* panel(const std::string& name) { return engine_->menus.wizard_dialogs.at(name); }
};

TEST_F(ShotPanels, ATurnBegunWithTheCueBallBehindTheViewerShowsEachStepsPanelInSight) {
  PoolEngine& e = *engine_;
  e.new_game(1, 1);
  frames(0.5);
  ASSERT_EQ(step(), "Choose ball");
  // The viewer beyond the table's +x end, the table and every ball behind.
  look_from({3.0f, 0.3f, 0.0f}, {6.0f, 0.3f, 0.0f});
  const struct {
    const char* panel;
    const char* next;
  } steps[] = {{"ball", "Choose pocket"}, {"pocket", "Shoot"}, {"shoot", nullptr}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.panel);
    Dialog* d = panel(s.panel);
    for (int f = 0; f < 20; ++f) {
      frames(kFrame);
      ASSERT_TRUE(d->enabled()) << f;
      ASSERT_TRUE(seen(d)) << "frame " << f;
    }
    if (s.next) {
      press(kEnter);
      ASSERT_EQ(step(), s.next);
    }
  }
  // Turned round to the table, the viewer finds the Shoot panel over the
  // cue ball.
  Dialog* shoot = panel("shoot");
  look_from({3.0f, 0.3f, 0.0f}, {0.0f, 0.3f, 0.0f});
  frames(0.5);
  EXPECT_TRUE(seen(shoot));
  EXPECT_LT(
      norm(shoot->frame().coord_sys().position() - (e.cue_ball->position + Vec3{0.0f, 0.1f, 0.0f})),
      1e-5f);
}

TEST_F(ShotPanels, TheBallInHandPanelAfterTheComputersFoulReadsAtAMenusDistance) {
  PoolEngine& e = *engine_;
  e.new_game(1, 1);
  frames(0.5);
  look_from({0.0f, 0.3f, 2.0f}, {0.0f, 0.3f, 0.0f});
  const float menu = menu_distance();
  ASSERT_GT(menu, 0.3f);
  // The computer's stroke, well after the break, sinks the cue ball: a
  // foul, and the human's turn begins with the ball in hand.
  GameRules& game = *e.rules;
  game.turn_count = game.shot_count = 6;
  game.current = 1;
  testing_support::scratch_cue_ball(e);
  ASSERT_EQ(game.current, 0);
  ASSERT_EQ(step(), "Ball in hand");
  Dialog* in_hand = panel("ball in hand");
  const struct {
    const char* view;
    Vec3 eye, target;
    bool held;  // the cue ball follows the spot in front of the view
  } views[] = {
      {"looking down at the table, the ball held", {0.0f, 0.3f, 0.6f}, {0.0f, -0.2f, 0.1f}, true},
      {"looking level, the ball left on the table", {0.0f, 0.3f, 2.0f}, {0.0f, 0.3f, 0.0f}, false},
      {"turned off the table", {0.0f, 0.3f, 2.0f}, {3.0f, 0.3f, 2.0f}, false},
  };
  for (const auto& v : views) {
    SCOPED_TRACE(v.view);
    look_from(v.eye, v.target);
    for (int f = 0; f < 15; ++f) {
      frames(kFrame);
      ASSERT_TRUE(in_hand->enabled()) << f;
      ASSERT_TRUE(seen(in_hand)) << f;
      ASSERT_GE(norm(in_hand->frame().coord_sys().position() - eye()), 0.95f * menu) << f;
    }
    EXPECT_EQ(norm(e.cue_ball->position - eye()) < 0.5f, v.held)
        << e.cue_ball->position[0] << " " << e.cue_ball->position[1] << " "
        << e.cue_ball->position[2] << " spot "
        << e.mouse_look().coord_sys().local2global(e.placement_offset)[0] << " "
        << e.mouse_look().coord_sys().local2global(e.placement_offset)[1] << " "
        << e.mouse_look().coord_sys().local2global(e.placement_offset)[2];
  }
}

}  // namespace
