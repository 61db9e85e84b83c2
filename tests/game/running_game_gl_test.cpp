// The running game on the generated data folder: the program's start-up
// (PoolEngine::init with its own window, then init_post_glew), the real
// frame step on a test clock and keys through the engine's keyboard entry.
// What the start-up schedules, the room's lamps, the key pictures beside the
// item that takes input, Delete at every step of the shot wizard, and the
// back keys on the question that ends a won game.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "running_program.h"
#include "support/pool_play.h"
#include "ui/dialog.h"

namespace {

using running_program::kFrame;
// Between two keys of a player (the engine sorts a dialog just shown into
// its drawing within half a second; it is laid out when first drawn).
constexpr double kKeyPause = 0.6;
// freeglut's special keys.
constexpr int kRightArrow = 102, kDownArrow = 103;
constexpr unsigned char kEnter = 13, kEsc = 27, kDelete = 127;

// The dialog's child whose text is `text`; null when none.
Frame* child_named(Dialog* d, const std::string& text) {
  for (Frame* child : d->children()) {
    auto* line = dynamic_cast<TextFrame*>(child);
    if (line && line->text() == text) return child;
  }
  return nullptr;
}

class RunningGame : public running_program::RunningProgram {
 protected:
  RunningGame() : RunningProgram(320, 180) {}

  // Then frames for a player's pace between two keys.
  void press_and_wait(unsigned char key) {
    press(key);
    frames(kKeyPause);
  }
  void press_special_and_wait(int key) {
    press_special(key);
    frames(kKeyPause);
  }

  // From the main menu, through its keys, a game of that pairing: "New
  // game", then the pairing's place in the "New game type" list (0 the
  // first, "Human vs. Computer"). Frames until the human's turn waits.
  void start_game(int pairing) {
    press_and_wait(kEsc);
    Dialog* main = engine_->menus.main_menu();
    ASSERT_TRUE(main->enabled());
    press_special_and_wait(kDownArrow);
    ASSERT_TRUE(child_named(main, "New game")->selected());
    press_and_wait(kEnter);
    Dialog* pairings = engine_->menus.new_game_menu();
    ASSERT_TRUE(pairings->enabled());
    for (int i = 0; i < pairing; ++i) press_special_and_wait(kDownArrow);
    press_and_wait(kEnter);
    ASSERT_NE(engine_->rules, nullptr);
    ASSERT_TRUE(engine_->awaiting_human_input());
    ASSERT_FALSE(engine_->paused());
  }

  std::string step() const { return engine_->shot_wizard.current_step().name(); }

  // The names of the wizard dialogs shown.
  std::vector<std::string> shown_panels() const {
    std::vector<std::string> shown;
    for (const auto& [name, dialog] : engine_->menus.wizard_dialogs)
      if (dialog->enabled()) shown.push_back(name);
    return shown;
  }

  // Whether the image stands just right of the item, level with it, in the
  // dialog's frame.
  static void expect_beside(const Decal& image, Dialog* d, Frame* item) {
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(image.visible);
    const CoordinateSystem& image_pose = image;
    const Vec3 at = d->frame().coord_sys().global2local(image_pose.position());
    const Vec3 centre = item->coord_sys().position();
    EXPECT_GT(at[0], centre[0] + item->vol()[0] / 2.0f);
    EXPECT_LT(at[0], centre[0] + item->vol()[0] / 2.0f + 2.0f * image.width);
    EXPECT_NEAR(at[1], centre[1], item->vol()[1] / 2.0f);
  }
};

TEST_F(RunningGame, StartUpQueuesEveryPeriodicEventOfTheScenesWithItsPeriod) {
  std::multiset<double> periods;
  for (const Event* e : engine_->realtime_queue().events())
    if (e && e->name() == "enqueue" && e->duration() < 0.0) periods.insert(e->min_update_period());
  // Ball highlights, cue pointer pose, pointer source, key hint placement,
  // control hints and the aim guide's tick.
  for (const double period :
       {0.1, 1.0 / 24.0, 0.5, 1.0 / 36.0, 0.5, engine_->aim_guide.min_interval}) {
    const auto found = periods.find(period);
    ASSERT_NE(found, periods.end()) << "no endless event every " << period << " s";
    periods.erase(found);
  }
}

TEST_F(RunningGame, StartUpBuildsTheEnginesShapesAtTheirDetailRanges) {
  const ParameterizedGeometry& g = engine_->geometry();
  // The walls' quads at one level; the pockets' spheres from 16 down to 3.
  EXPECT_EQ(g.quads().vbos().size(), 1u);
  EXPECT_EQ(g.quads().detail_start(), 1);
  EXPECT_EQ(g.spheres().vbos().size(), 14u);
  EXPECT_EQ(g.spheres().scale(), 0.03f);
  EXPECT_EQ(g.cylinders().vbos().size(), 1u);
}

TEST_F(RunningGame, OnceTheRoomModelIsInTheRoomsLampsLightIt) {
  PoolEngine& e = *engine_;
  // Where the room's lamp objects are.
  OBJRenderer& room = e.models["room"];
  std::vector<OBJRenderer::Bounds> lamps;
  for (const char* name : {"point_lights", "table_lights"}) {
    const OBJRenderer lamp = room.from_faces(room.filter_faces(name, "", "", 0));
    ASSERT_FALSE(lamp.faces().empty()) << name;
    lamps.push_back(lamp.lower_upper_bounds());
  }
  const auto in_a_lamp = [&lamps](const float* p) {
    for (const OBJRenderer::Bounds& b : lamps) {
      bool inside = true;
      for (int a = 0; a < 3; ++a)
        inside = inside && p[a] >= b[0][a] - 1e-3f && p[a] <= b[1][a] + 1e-3f;
      if (inside) return true;
    }
    return false;
  };

  // Every light stands in a lamp (the start-up's rig stood around the
  // table); eight at most.
  const std::size_t n = e.lights().size();
  ASSERT_GT(n, 0u);
  ASSERT_LE(n, 8u);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  e.apply_lighting();
  for (GLenum i = 0; i < n; ++i) {
    SCOPED_TRACE(i);
    const GLenum light = GL_LIGHT0 + i;
    EXPECT_TRUE(glIsEnabled(light));
    float position[4] = {0, 0, 0, 0};
    glGetLightfv(light, GL_POSITION, position);
    EXPECT_EQ(position[3], 1.0f);
    EXPECT_TRUE(in_a_lamp(position)) << position[0] << ", " << position[1] << ", " << position[2];
    // The lamps' own fall-off and ambient share (0.15 of their colour), not
    // the rig's.
    float quadratic = 0.0f;
    glGetLightfv(light, GL_QUADRATIC_ATTENUATION, &quadratic);
    EXPECT_GT(quadratic, 0.0f);
    EXPECT_NE(quadratic, 0.25f / 23.0f);
    float ambient[4] = {0, 0, 0, 0};
    glGetLightfv(light, GL_AMBIENT, ambient);
    float diffuse[4] = {0, 0, 0, 0};
    glGetLightfv(light, GL_DIFFUSE, diffuse);
    EXPECT_NEAR(ambient[0], 0.15f * diffuse[0], 1e-4f);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RunningGame, TheKeyPicturesStandBesideTheItemsThatTakeTheKeys) {
  past_intro();
  PoolEngine& e = *engine_;
  const Decal& enter = e.menus.hint("keyboard_Enter");
  const Decal& esc = e.menus.hint("keyboard_Esc");
  ASSERT_NE(static_cast<const TextureGL&>(enter).id(), 0u);
  ASSERT_NE(static_cast<const TextureGL&>(esc).id(), 0u);

  // The main menu: Enter beside the selected "Resume", which is also its
  // way back, so no Esc picture.
  press_and_wait(kEsc);
  Dialog* main = e.menus.main_menu();
  ASSERT_TRUE(main->enabled());
  expect_beside(enter, main, child_named(main, "Resume"));
  EXPECT_FALSE(esc.visible);

  // Down: Enter follows the selection, Esc stands beside "Resume".
  press_special_and_wait(kDownArrow);
  ASSERT_TRUE(child_named(main, "New game")->selected());
  expect_beside(enter, main, child_named(main, "New game"));
  expect_beside(esc, main, child_named(main, "Resume"));

  // A human's turn: Enter beside the ball panel's button.
  press_and_wait(kEnter);
  press_and_wait(kEnter);
  ASSERT_TRUE(e.awaiting_human_input());
  ASSERT_EQ(step(), "Choose ball");
  Dialog* ball = e.menus.wizard_dialogs.at("ball");
  expect_beside(enter, ball, child_named(ball, "Choose ball"));
  EXPECT_FALSE(esc.visible);
}

TEST_F(RunningGame, DeleteAtEveryStepOfAHumansShotLeavesTheStepsPanelAloneAndWorking) {
  past_intro();
  start_game(0);  // Human vs. Computer
  const struct {
    int enters;         // Enter presses from the turn's first step
    const char* after;  // the step after Delete
    const char* panel;  // its panel
    const char* next;   // the step after an arrow and Enter on that panel
  } cases[] = {
      // The turn began at "Choose ball": Delete goes no lower.
      {0, "Choose ball", "ball", "Choose pocket"},
      {1, "Choose ball", "ball", "Choose pocket"},
      {2, "Choose pocket", "pocket", "Shoot"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.enters);
    PoolEngine& e = *engine_;
    e.begin_turn_at("Choose ball");
    e.choose_computer_shot();
    e.select_ball(0);
    for (int i = 0; i < c.enters; ++i) press_and_wait(kEnter);
    press(kDelete);
    EXPECT_EQ(step(), c.after);
    EXPECT_EQ(shown_panels(), std::vector<std::string>{c.panel});
    // The step's choice is cleared (at the ball, the pocket's too).
    EXPECT_EQ(e.selected_pocket, -1);
    EXPECT_EQ(e.selected_ball >= 0, c.after == std::string("Choose pocket"));
    frames(0.2);
    EXPECT_EQ(shown_panels(), std::vector<std::string>{c.panel});
    // Enter confirms nothing until an arrow has chosen.
    press_and_wait(kEnter);
    EXPECT_EQ(step(), c.after);
    EXPECT_EQ(shown_panels(), std::vector<std::string>{c.panel});
    press_special_and_wait(kRightArrow);
    press_and_wait(kEnter);
    EXPECT_EQ(step(), c.next);
  }
}

TEST_F(RunningGame, TheShootPanelStaysHiddenFromItsButtonThroughTheShot) {
  past_intro();
  start_game(0);  // Human vs. Computer
  PoolEngine& e = *engine_;
  press_and_wait(kEnter);
  press_and_wait(kEnter);
  ASSERT_EQ(step(), "Shoot");
  ASSERT_EQ(shown_panels(), std::vector<std::string>{"shoot"});
  // The Shoot button: the cue glides into its aim, strokes and strikes.
  Dialog* shoot = e.menus.wizard_dialogs.at("shoot");
  child_named(shoot, "Shoot")->callback()();
  for (int i = 0; i < 300 && !e.rules->shot_in_progress; ++i) {
    frames(kFrame);
    ASSERT_EQ(shown_panels(), std::vector<std::string>{}) << i;
  }
  ASSERT_TRUE(e.rules->shot_in_progress);
  frames(0.5);
  EXPECT_EQ(shown_panels(), std::vector<std::string>{});
}

TEST_F(RunningGame, NoKeyPictureStaysWhileAStrokeTheShootButtonAskedForIsOnItsWay) {
  past_intro();
  start_game(0);  // Human vs. Computer
  PoolEngine& e = *engine_;
  const Decal& enter = e.menus.hint("keyboard_Enter");
  const Decal& esc = e.menus.hint("keyboard_Esc");
  press_and_wait(kEnter);
  press_and_wait(kEnter);
  ASSERT_EQ(step(), "Shoot");
  Dialog* shoot = e.menus.wizard_dialogs.at("shoot");
  expect_beside(enter, shoot, child_named(shoot, "Shoot"));
  // Enter on "Shoot": its panel hides, and so do the pictures beside it,
  // from the glide to the strike.
  press(kEnter);
  for (int i = 0; i < 300 && !e.rules->shot_in_progress; ++i) {
    frames(kFrame);
    ASSERT_TRUE(e.stroke_coming() || e.rules->shot_in_progress) << i;
    ASSERT_FALSE(enter.visible) << i;
    ASSERT_FALSE(esc.visible) << i;
  }
  ASSERT_TRUE(e.rules->shot_in_progress);
}

TEST_F(RunningGame, DeleteDuringAComputersGlideLeavesItsTurnAlone) {
  past_intro();
  PoolEngine& e = *engine_;
  // The computers' game behind the intro: a computer's cue gliding into
  // its aim, from the glide's start.
  bool was_running = true;
  for (int i = 0; i < 1800 && !(e.cue_animation_running() && !was_running); ++i) {
    was_running = e.cue_animation_running();
    frames(kFrame);
  }
  ASSERT_TRUE(e.cue_animation_running());
  ASSERT_TRUE(e.rules->current_player().computer);
  ASSERT_FALSE(e.rules->shot_in_progress);
  frames(0.5);
  ASSERT_TRUE(e.cue_animation_running());
  const auto glide = [&e] {
    std::vector<const Event*> events;
    for (const Event* ev : e.gametime_queue().events())
      if (ev && ev->name() == PoolEngine::kGlideEvents[0]) events.push_back(ev);
    return events;
  };
  const std::vector<const Event*> before = glide();
  const Vec3 aim_a = e.target_a, aim_b = e.target_b;
  const int ball = e.selected_ball, pocket = e.selected_pocket;
  const std::string at = step();
  ASSERT_EQ(shown_panels(), std::vector<std::string>{});

  press(kDelete);
  EXPECT_EQ(glide(), before);
  EXPECT_EQ(e.target_a, aim_a);
  EXPECT_EQ(e.target_b, aim_b);
  EXPECT_EQ(e.selected_ball, ball);
  EXPECT_EQ(e.selected_pocket, pocket);
  EXPECT_EQ(step(), at);
  EXPECT_EQ(shown_panels(), std::vector<std::string>{});
  frames(kKeyPause);
  EXPECT_EQ(shown_panels(), std::vector<std::string>{});
}

TEST_F(RunningGame, DeleteInBallInHandKeepsTheBallInHandPanelAndChooseBallStepsBackToIt) {
  past_intro();
  start_game(1);  // Human vs. Human
  PoolEngine& e = *engine_;
  // The first player's cue ball, struck (in play, the shot running), drops:
  // a scratch, as the game sees one.
  testing_support::scratch_cue_ball(e);
  frames(0.2);
  ASSERT_EQ(e.rules->current, 1);
  ASSERT_EQ(step(), "Ball in hand");

  press(kDelete);
  EXPECT_EQ(step(), "Ball in hand");
  EXPECT_EQ(shown_panels(), std::vector<std::string>{"ball in hand"});
  frames(0.2);
  // The panel left works: its "Place here" takes the ball into play.
  Dialog* panel = e.menus.wizard_dialogs.at("ball in hand");
  child_named(panel, "Place here")->callback()();
  ASSERT_EQ(step(), "Choose ball");
  EXPECT_EQ(shown_panels(), std::vector<std::string>{"ball"});

  // The turn began with the ball in hand: Delete gives it back.
  press(kDelete);
  EXPECT_EQ(step(), "Ball in hand");
  EXPECT_EQ(shown_panels(), std::vector<std::string>{"ball in hand"});
}

TEST_F(RunningGame, AWonGamesPlayAgainQuestionTakesEscAndDeleteAsItsNo) {
  past_intro();
  start_game(0);  // Human vs. Computer
  PoolEngine& e = *engine_;
  // Keys that answer the question, each after the human has won again:
  // the back keys (Esc, and Delete, the gamepad's back button) as "No",
  // Enter as "Yes".
  const struct {
    unsigned char key;
    bool again;  // "Yes": a new game
  } cases[] = {{kEsc, false}, {kDelete, false}, {kEnter, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.key));
    // As the winning stroke leaves the shot: its panels hidden, nothing
    // chosen.
    e.menus.hide_wizard_dialogs();
    e.selected_ball = e.selected_pocket = -1;
    e.eight_ball.winner = 0;
    e.next_turn();
    frames(kKeyPause);
    Dialog* question = e.menus.menu("play_again");
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(question->enabled());
    EXPECT_TRUE(child_named(question, "Yes")->selected());
    const std::uint64_t game_number = e.rules->game_number;
    quiet_.reset();
    // No panel of the shot stands behind the question.
    EXPECT_EQ(shown_panels(), std::vector<std::string>{});
    press_and_wait(c.key);
    frames(0.5);
    EXPECT_FALSE(question->enabled());
    EXPECT_FALSE(e.paused());
    EXPECT_EQ(e.rules->game_number, game_number + (c.again ? 1 : 0));
    if (c.again) {
      EXPECT_TRUE(e.awaiting_human_input());
      EXPECT_GE(e.selected_ball, 1);
    }
    EXPECT_EQ(quiet_.out().find("Ball index"), std::string::npos) << quiet_.out();
  }

  // A question without a way back keeps Delete to itself: no step of the
  // shot is taken back behind it.
  e.eight_ball.winner = -1;
  e.menus.hide_wizard_dialogs();
  e.show_prompt(e.menus.choose_team());
  frames(kKeyPause);
  press_and_wait(kDelete);
  EXPECT_TRUE(e.menus.choose_team()->enabled());
  EXPECT_EQ(shown_panels(), std::vector<std::string>{});
}

TEST_F(RunningGame, AComputersWinAnsweredNoLeavesTheTableStill) {
  past_intro();
  start_game(0);  // Human vs. Computer
  PoolEngine& e = *engine_;
  // The human's cue has glided into the suggested aim.
  for (int i = 0; i < 300 && e.cue_animation_running(); ++i) frames(kFrame);
  ASSERT_FALSE(e.cue_animation_running());
  // The computer has just won: its winning stroke left the shot's panels
  // hidden and nothing chosen.
  e.menus.hide_wizard_dialogs();
  e.selected_ball = e.selected_pocket = -1;
  e.eight_ball.current = 1;
  e.eight_ball.winner = 1;
  e.next_turn();
  frames(kKeyPause);
  Dialog* question = e.menus.menu("play_again");
  ASSERT_TRUE(question->enabled());
  press_and_wait(kEsc);  // "No"
  ASSERT_FALSE(question->enabled());
  ASSERT_FALSE(e.paused());
  // The won game stays as it ended: the computer aims and strikes no more.
  for (int i = 0; i < 10; ++i) {
    frames(0.5);
    ASSERT_FALSE(e.cue_animation_running()) << i;
    ASSERT_FALSE(e.stroke_pending()) << i;
    ASSERT_FALSE(e.rules->shot_in_progress) << i;
  }
  EXPECT_FALSE(question->enabled());
}

}  // namespace
