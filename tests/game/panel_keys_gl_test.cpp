// The panels of a game worked with the keyboard as a player does, on the
// generated data folder: every item of the shot wizard's dialogs and of the
// end-of-shot prompts runs with Down and Enter, the first Enter on a panel
// just shown included; the prompts show alone; and an open menu stays in
// front of the viewer while the view moves.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/gl/gl_test.h"
#include "support/pool_play.h"
#include "ui/dialog.h"

namespace {

constexpr double kFrame = 1.0 / 60.0;
constexpr int kEnter = 13, kEsc = 27, kDelete = 127, kRight = 102, kDown = 103;

// The text of the item under the dialog's cursor ("" for none).
std::string highlighted(const Dialog* d) {
  const int i = d->cursor_data().index;
  if (i < 0 || static_cast<std::size_t>(i) >= d->children().size()) return "";
  const auto* line = dynamic_cast<const TextFrame*>(d->children()[static_cast<std::size_t>(i)]);
  return line ? line->text() : "";
}

class PanelKeys : public datagen_test::DataFolderFixture<testing_support::GLTest> {
 protected:
  PanelKeys() {
    engine.settings().root(root());
    testing_support::ready_for_play(engine, clock);
    engine.bind_keys();
    // A stroke waits a second of game time after the last one.
    run(1.5);
  }
  ~PanelKeys() override { std::cout.rdbuf(old_out_); }

  // A frame: the engine's step, then every dialog shown laid out as its
  // drawing does.
  void frame() {
    testing_support::play_frame(engine, now, kFrame);
    for (Dialog* d : engine.dialogs())
      if (d && d->enabled()) d->arrange_children();
  }
  void run(double seconds) {
    for (double t = 0.0; t < seconds; t += kFrame) frame();
  }
  bool run_until(const std::function<bool()>& done, double seconds) {
    for (double t = 0.0; t < seconds; t += kFrame) {
      frame();
      if (done()) return true;
    }
    return false;
  }
  // Keys as freeglut hands them over.
  void key(int k) {
    engine.keyboard_callback(k, 1, 0, 0, 0);
    engine.keyboard_callback(k, 0, 0, 0, 0);
  }
  void arrow(int k) {
    engine.special_key(k, 1, 0, 0, 0);
    engine.special_key_up(k, 0, 0, 0);
  }
  void down() { arrow(kDown); }

  std::string step() const { return engine.shot_wizard.current_step().name(); }
  Dialog* wizard(const std::string& name) { return engine.menus.wizard_dialogs.at(name); }
  // The open menus, by name.
  std::vector<std::string> open_menus() const {
    std::vector<std::string> open;
    for (const auto& [name, menu] : engine.menus.menus)
      if (menu->enabled()) open.push_back(name);
    return open;
  }

  // A human's break that drops the balls given (the cue ball scratches),
  // come to rest: its verdict is next.
  void break_shot(const std::vector<int>& dropped) {
    GameRules& game = *engine.rules;
    game.turn_count = game.shot_count = 0;
    game.events = {{kBallContact, 1}};
    game.shot_in_progress = true;
    for (const int b : dropped) {
      game.ball_pocketed(b);
      engine.balls[static_cast<std::size_t>(b)].enable_update(false);
    }
    engine.end_shot();
    frame();
  }

  double now = 100.0;
  FrameClock clock{[this] { return now; }};
  PoolEngine engine;

 private:
  std::ostringstream out_;
  std::streambuf* old_out_ = std::cout.rdbuf(out_.rdbuf());
};

TEST_F(PanelKeys, EnterRunsEachStepOfTheShotAndTheFirstEnterOnShootStrikes) {
  engine.new_game(1, 1);
  frame();
  ASSERT_EQ(step(), "Choose ball");
  key(kEnter);
  EXPECT_EQ(step(), "Choose pocket");
  frame();
  key(kEnter);
  EXPECT_EQ(step(), "Shoot");
  frame();
  Dialog* shoot = wizard("shoot");
  EXPECT_TRUE(shoot->enabled());
  EXPECT_EQ(highlighted(shoot), "Shoot");
  // Placed above the cue ball, not carried off by its first turn to the
  // viewer, and drawn over the table.
  run(0.5);
  EXPECT_LT(norm(shoot->frame().coord_sys().position() -
                 (engine.cue_ball->position + Vec3{0.0f, 0.1f, 0.0f})),
            1e-5f);
  EXPECT_FALSE(shoot->depth_test());
  key(kEnter);
  EXPECT_FALSE(shoot->enabled());
  EXPECT_TRUE(run_until([this] { return engine.rules->shot_in_progress; }, 8.0));
}

TEST_F(PanelKeys, EnterWhileTheStrokeIsOnItsWayLeavesTheShootPanelHidden) {
  engine.new_game(1, 1);
  frame();
  key(kEnter);
  frame();
  key(kEnter);
  frame();
  // "Shoot" while the cue still glides into the aim of "Choose pocket": the
  // stroke waits for the glide, and Enter pressed meanwhile shows nothing.
  ASSERT_TRUE(engine.aim_settling());
  Dialog* shoot = wizard("shoot");
  key(kEnter);
  ASSERT_FALSE(shoot->enabled());
  // A key held over a few frames, as a player's is.
  for (int f = 0; f < 600 && !engine.rules->shot_in_progress; ++f) {
    if (f % 10 == 0) engine.keyboard_callback(kEnter, 1, 0, 0, 0);
    frame();
    ASSERT_FALSE(shoot->enabled()) << "frame " << f;
    if (f % 10 == 2) engine.keyboard_callback(kEnter, 0, 0, 0, 0);
  }
  EXPECT_TRUE(engine.rules->shot_in_progress);
}

TEST_F(PanelKeys, AfterDeleteTheStepsPanelIsHighlightedAndTakesTheFirstEnter) {
  engine.new_game(2, 0);
  frame();
  key(kEnter);
  frame();
  key(kEnter);
  run(0.5);
  ASSERT_EQ(step(), "Shoot");
  // Back one step, then two, from "Shoot": the step's panel alone, its
  // button highlighted and taking the arrow keys. Its choice is cleared:
  // Enter confirms nothing until an arrow has chosen, then runs it.
  const struct {
    int deletes;
    const char *step, *panel, *button, *next;
  } cases[] = {{1, "Choose pocket", "pocket", "Choose pocket", "Shoot"},
               {2, "Choose ball", "ball", "Choose ball", "Choose pocket"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    for (int i = 0; i < 4 && step() != "Shoot"; ++i) {
      if (!engine.selected_pocket_object()) arrow(kRight);
      key(kEnter);
      frame();
    }
    ASSERT_EQ(step(), "Shoot");
    for (int i = 0; i < c.deletes; ++i) {
      key(kDelete);
      frame();
    }
    ASSERT_EQ(step(), c.step);
    Dialog* panel = wizard(c.panel);
    for (const auto& [name, d] : engine.menus.wizard_dialogs)
      EXPECT_EQ(d->enabled(), d == panel) << name;
    EXPECT_EQ(highlighted(panel), c.button);
    EXPECT_EQ(engine.selected_dialog(), panel);
    key(kEnter);
    EXPECT_EQ(step(), c.step);
    arrow(kRight);
    frame();
    EXPECT_EQ(highlighted(panel), c.button);
    key(kEnter);
    EXPECT_EQ(step(), c.next);
    frame();
  }
}

TEST_F(PanelKeys, DownAndEnterOnThePowerSliderStrikesToo) {
  engine.new_game(1, 1);
  frame();
  key(kEnter);
  frame();
  key(kEnter);
  run(0.5);
  Dialog* shoot = wizard("shoot");
  down();
  EXPECT_EQ(shoot->cursor_data().index, 1);  // the slider
  EXPECT_EQ(step(), "Shoot");
  key(kEnter);
  EXPECT_FALSE(shoot->enabled());
  EXPECT_TRUE(run_until([this] { return engine.rules->shot_in_progress; }, 8.0));
}

TEST_F(PanelKeys, EnterPlacesTheCueBallAndDownEnterRandomizesIt) {
  engine.new_game(1, 1);
  engine.shot_wizard.set_step("Ball in hand");
  engine.menus.ball_in_hand();
  frame();
  Dialog* in_hand = wizard("ball in hand");
  ASSERT_TRUE(in_hand->enabled());
  EXPECT_EQ(highlighted(in_hand), "Place here");
  down();
  EXPECT_EQ(highlighted(in_hand), "Randomize");
  const Vec3 from = engine.cue_ball->position;
  key(kEnter);
  const Vec3 to = engine.cue_ball->position;
  EXPECT_NE(to, from);
  for (std::size_t j = 1; j < engine.balls.size(); ++j)
    EXPECT_GT(norm(to - engine.balls[j].position), 2.0f * Ball::kRadius) << j;
  EXPECT_EQ(step(), "Ball in hand");
  EXPECT_TRUE(in_hand->enabled());
  // The highlight stays where the keys put it, frame after frame.
  run(0.5);
  EXPECT_EQ(highlighted(in_hand), "Randomize");
  down();  // round to "Place here"
  EXPECT_EQ(highlighted(in_hand), "Place here");
  key(kEnter);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_FALSE(in_hand->enabled());
}

TEST_F(PanelKeys, TheTeamChoiceShowsAloneAndEnterOrDownEnterChoosesTheTeam) {
  for (const int team : {1, 2}) {
    SCOPED_TRACE(team);
    engine.new_game(1, 1);
    frame();
    break_shot({3, 10});
    Dialog* choice = engine.menus.menu("choose_team");
    EXPECT_EQ(open_menus(), std::vector<std::string>{"choose_team"});
    EXPECT_TRUE(engine.paused());
    EXPECT_EQ(engine.selected_dialog(), choice);
    // Esc leaves a question that must be answered open.
    key(kEsc);
    frame();
    EXPECT_EQ(open_menus(), std::vector<std::string>{"choose_team"});
    if (team == 2) down();
    key(kEnter);
    EXPECT_EQ(engine.rules->players[0].team, team);
    EXPECT_TRUE(open_menus().empty());
    EXPECT_FALSE(engine.paused());
  }
  // The main menu is still Esc's.
  frame();
  key(kEsc);
  EXPECT_EQ(open_menus(), std::vector<std::string>{"main_menu"});
}

TEST_F(PanelKeys, TheScratchOnTheBreakShowsAloneAndEnterOrDownEnterAnswersIt) {
  engine.new_game(2, 0);
  frame();
  const std::uint64_t game_number = engine.rules->game_number;
  break_shot({0});
  EXPECT_EQ(open_menus(), std::vector<std::string>{"scratched_on_break"});
  EXPECT_TRUE(engine.paused());
  key(kEnter);  // "Yes": the break again
  run(0.1);
  EXPECT_EQ(engine.rules->game_number, game_number + 1);
  EXPECT_TRUE(open_menus().empty());

  break_shot({0});
  EXPECT_EQ(open_menus(), std::vector<std::string>{"scratched_on_break"});
  down();
  key(kEnter);  // "No": the opponent plays with ball in hand
  EXPECT_TRUE(open_menus().empty());
  EXPECT_FALSE(engine.paused());
  EXPECT_EQ(engine.rules->current, 1);
  EXPECT_EQ(step(), "Ball in hand");
}

TEST_F(PanelKeys, EnterOrDownEnterAnswersThePlayAgainQuestion) {
  engine.new_game(1, 1);
  GameRules& game = *engine.rules;
  game.assign_teams(2);
  game.winner = 0;
  engine.next_turn();
  frame();
  Dialog* question = engine.menus.menu("play_again");
  EXPECT_EQ(open_menus(), std::vector<std::string>{"play_again"});
  down();
  key(kEnter);  // "No"
  EXPECT_FALSE(question->enabled());
  EXPECT_TRUE(game.has_winner());

  const std::uint64_t game_number = game.game_number;
  engine.next_turn();
  frame();
  key(kEnter);  // "Yes"
  run(0.1);
  EXPECT_EQ(game.game_number, game_number + 1);
  EXPECT_FALSE(question->enabled());
}

TEST_F(PanelKeys, TheFirstEnterOnAMenuJustOpenedRunsItsHighlightedItem) {
  engine.new_game(1, 1);
  frame();
  const std::uint64_t game_number = engine.rules->game_number;
  key(kEsc);
  frame();
  down();  // "New game"
  key(kEnter);
  EXPECT_EQ(open_menus(), std::vector<std::string>{"new_game"});
  frame();
  down();  // "Human vs. Human"
  key(kEnter);
  run(0.1);
  EXPECT_TRUE(open_menus().empty());
  EXPECT_EQ(engine.rules->game_number, game_number + 1);
  EXPECT_FALSE(engine.rules->players.at(1).computer);
}

TEST_F(PanelKeys, AnOpenMenuStaysInFrontOfTheViewAndPausedKeysLeaveTheViewAlone) {
  engine.new_game(1, 1);
  frame();
  key(kEsc);
  Dialog* main = engine.menus.menu("main_menu");
  ASSERT_TRUE(main->enabled());
  // The view rests high above the table, as a computer's shot camera may
  // leave it: the keys that work the menu do not stand the walker up.
  Vec3& body = engine.walking().position();
  body[1] = 0.9f;
  run(1.0);
  EXPECT_FLOAT_EQ(body[1], 0.9f);
  // Whatever moves the view, the menu follows it.
  CoordinateSystem& view = engine.mouse_look().coord_sys();
  for (const Vec3& shift : {Vec3{0.0f, -0.6f, 0.0f}, Vec3{0.5f, 0.0f, 0.3f}}) {
    view.position() = view.position() + shift;
    run(0.5);
    const Vec3 to_menu = main->frame().coord_sys().position() - view.position();
    EXPECT_NEAR(norm(to_menu), main->distance, 0.01f);
    EXPECT_GT(dot(normalized(to_menu), view.zhat(true)), 0.99f);
  }
}

TEST_F(PanelKeys, TheBallInHandPanelStaysInSightWhenTheKeysStandTheViewerUp) {
  engine.new_game(1, 1);
  engine.rules->current = 0;
  engine.shot_wizard.set_step("Ball in hand");
  engine.menus.ball_in_hand();
  frame();
  Dialog* in_hand = wizard("ball in hand");
  ASSERT_TRUE(in_hand->enabled());
  // The view a computer's shot camera leaves: the viewer carried high above
  // the table's corner, looking steeply down at the balls. The keys of the
  // human's turn stand the viewer up and keep the tilt, so that the view
  // drops under the table's edge.
  engine.walking().position() = {1.25f, 1.1f, 0.5f};
  engine.mouse_look().coord_sys().look_at(engine.walking().position(), Vec3{0.6f, 0.0f, 0.3f});
  // Whether a point lies well inside the picture of the view as the frame
  // draws it: from the viewer, inside both fields of view.
  const auto in_sight = [this](const Vec3& p) {
    CoordinateSystem view = engine.mouse_look().coord_sys();
    view.position() = engine.walking().position();
    const Vec3 local = view.global2local(p);
    const std::array<float, 2> fov = engine.camera().fov();
    const float ahead = -local[2];
    return ahead > 0.0f &&
           std::abs(local[0]) < 0.9f * ahead * std::tan(fov[0] * kDegToRad / 2.0f) &&
           std::abs(local[1]) < 0.9f * ahead * std::tan(fov[1] * kDegToRad / 2.0f);
  };
  down();
  ASSERT_EQ(highlighted(in_hand), "Randomize");
  for (int press = 0; press < 6; ++press) {
    SCOPED_TRACE(press);
    key(kEnter);
    ASSERT_TRUE(in_hand->enabled());
    for (int f = 0; f < 45; ++f) {
      frame();
      ASSERT_TRUE(in_sight(in_hand->frame().coord_sys().position())) << "frame " << f;
    }
    EXPECT_EQ(highlighted(in_hand), "Randomize");
  }
  // The viewer stood up: the view dropped under the table's edge.
  EXPECT_FLOAT_EQ(engine.walking().position()[1], engine.walking().stand_height);
  EXPECT_EQ(step(), "Ball in hand");
  // Turned back to the ball left on the table, the view finds the panel
  // over it again.
  const Vec3 ball = engine.cue_ball->position;
  engine.mouse_look().coord_sys().look_at(engine.walking().position(), ball);
  frame();
  EXPECT_EQ(engine.cue_ball->position, ball);
  // Over the ball, on the line of sight, no nearer than a menu stands.
  const Vec3 eye = engine.walking().position();
  const Vec3 over = ball + Vec3{0.0f, 0.1f, 0.0f};
  const float distance = norm(over - eye);
  const Vec3 expected = distance >= Dialog::kPlacedDistance
                            ? over
                            : eye + (over - eye) * (Dialog::kPlacedDistance / distance);
  EXPECT_LT(norm(in_hand->frame().coord_sys().position() - expected), 1e-5f);
}

}  // namespace
