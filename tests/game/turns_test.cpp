// Games and turns without a window: new games and racks, the end of a shot
// with the team choice and the scratch on the break, the next turn, the end
// of a game, the score board's lines, the end-of-shot prompts and free spots
// for the cue ball.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "support/capture.h"
#include "support/pool_play.h"
#include "ui/dialog.h"

namespace {

constexpr float kR = Ball::kRadius;

// The text of a dialog's child, or "" when it is no text frame.
std::string child_text(Dialog* d, std::size_t i) {
  if (!d || i >= d->children().size()) return "";
  auto* t = dynamic_cast<TextFrame*>(d->children()[i]);
  return t ? t->text() : "";
}

// Runs the action of the dialog's child with that text.
void press(Dialog* d, const std::string& text) {
  ASSERT_NE(d, nullptr);
  for (Frame* f : d->children()) {
    auto* t = dynamic_cast<TextFrame*>(f);
    if (t && t->text() == text) {
      ASSERT_TRUE(t->callback());
      t->callback()();
      return;
    }
  }
  ADD_FAILURE() << "no button " << text;
}

class Turns : public ::testing::Test {
 protected:
  Turns() {
    testing_support::start_up_view(engine);
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.install_callbacks();
    engine.spot_random.engine().seed(7);
    engine.rack_random.engine().seed(11);
  }

  // A new game, then the state of a shot that has just come to rest: the
  // stroke counted (the break when it is the first), the balls given
  // dropped in order (the cue ball scratches), the shot's events cleared
  // before.
  void new_game(int humans, int computers) {
    engine.new_game(humans, computers);
    ASSERT_EQ(engine.balls.size(), 16u);
  }
  void shot(const std::vector<int>& dropped, bool touched_a_ball = true) {
    GameRules& game = *engine.rules;
    if (game.turn_count == ~std::uint64_t(0)) game.turn_count = 0;
    if (game.shot_count == ~std::uint64_t(0)) game.shot_count = 0;
    game.events.clear();
    game.ball_in_hand = false;
    game.shot_in_progress = true;
    if (touched_a_ball) game.events.push_back({kBallContact, 1});
    for (int b : dropped) {
      game.ball_pocketed(b);
      engine.balls[b].enable_update(false);
      engine.balls[b].position = engine.table.pockets[5].position;
    }
  }
  // Advances the real-time queue, where the start-game hook queues.
  void realtime_frame() {
    now += 1.0 / 60.0;
    engine.realtime_queue().update(now);
  }
  std::string step() const { return engine.shot_wizard.current_step().name(); }
  // A score line as the next real-time step, which writes the lines, leaves
  // it.
  std::string shown(const TextFrame* line) {
    realtime_frame();
    return line->text();
  }

  PoolEngine engine;
  double now = 0.0;
};

// ---- New games and racks

TEST_F(Turns, ANewGameRacksSixteenBallsAtRestInsideTheBox) {
  // Before any rack the holder keeps a ball of its own.
  EXPECT_TRUE(engine.cue_ball_holder.owned());
  engine.table.pockets[3].balls = {4, 9};
  new_game(1, 1);
  const Vec3& h = engine.table.half_extents;
  EXPECT_EQ(engine.cue_ball, &engine.balls[0]);
  EXPECT_EQ(engine.cue_ball_holder.data(), &engine.balls[0]);
  EXPECT_FALSE(engine.cue_ball_holder.owned());
  EXPECT_EQ(engine.aim_guide.ball, engine.cue_ball);
  const Vec3 cue = engine.cue_ball->position;
  EXPECT_EQ(cue, engine.cue_start);
  EXPECT_FLOAT_EQ(cue[0], -0.6f * h[0]);
  // Near the bottom face: one gap and one lift above it.
  EXPECT_GE(cue[1] - (kR - h[1]), 0.001f - 1e-6f);
  EXPECT_LT(cue[1] - (kR - h[1]), 0.008f);
  EXPECT_LT(std::abs(cue[2]), 0.003f + 1e-6f);
  for (std::size_t i = 0; i < engine.balls.size(); ++i) {
    const Ball& b = engine.balls[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(b.number, int(i));
    // The cue ball waits while the cue aligns for the suggested shot.
    if (i > 0) {
      EXPECT_TRUE(b.enable_update());
    }
    EXPECT_EQ(b.velocity, (Vec3{0, 0, 0}));
    for (int a = 0; a < 3; ++a) EXPECT_LE(std::abs(b.position[a]), h[a] - kR);
    if (i > 0) {
      EXPECT_GT(b.position[0], 0.0f);
    }
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_GE(norm(b.position - engine.balls[j].position), 2 * kR);
    // A random orientation, orthonormal.
    const CoordinateSystem& cs = engine.balls[i].coord_sys();
    EXPECT_NEAR(norm(cs.yhat(false)), 1.0f, 1e-5f);
    EXPECT_NEAR(norm(cs.zhat(false)), 1.0f, 1e-5f);
    EXPECT_NEAR(dot(cs.yhat(false), cs.zhat(false)), 0.0f, 1e-5f);
  }
  for (const Pocket& p : engine.table.pockets) EXPECT_TRUE(p.balls.empty());
  // The human breaks with the computer's suggestion selected.
  EXPECT_TRUE(engine.shot_wizard.active());
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_GE(engine.selected_ball, 1);
  EXPECT_GE(engine.selected_pocket, 0);
  EXPECT_EQ(engine.shot_powers, (std::vector<float>{0.6f, 0.6f}));
  EXPECT_FALSE(engine.paused());
  ASSERT_NE(engine.info_dialogs.count("new_score_board"), 0u);
  EXPECT_TRUE(engine.new_score_board()->enabled());
  EXPECT_EQ(shown(engine.turn_text_frame), "Player's turn (no teams).");
  EXPECT_EQ(shown(engine.aim_text_frame),
            " Aiming for the " + std::to_string(engine.selected_ball) + " ball.");
  EXPECT_EQ(shown(engine.sunk_text_frame), " ");
}

TEST_F(Turns, ANewGameCallsOffTheCueAnimationsAndHidesTheWizardDialogs) {
  new_game(1, 1);
  Dialog* pocket = engine.menus.choose_pocket();
  EXPECT_TRUE(pocket->enabled());
  EventQueue& game_queue = engine.gametime_queue();
  for (const char* name :
       {"delayed shot", "move_cue_0", "move_cue_1", "shoot_cue", "shoot_after_cue_animation2"})
    game_queue.run_periodically([] {}, 0.0, nullptr, name);
  game_queue.update(1.0);
  // Computers only: nothing aligns the cue anew before their turn begins.
  new_game(0, 2);
  EXPECT_FALSE(pocket->enabled());
  // Stopped at the next advance and flushed.
  game_queue.update(2.0);
  for (const char* name :
       {"delayed shot", "move_cue_0", "move_cue_1", "shoot_cue", "shoot_after_cue_animation2"})
    EXPECT_FALSE(game_queue.contains(name)) << name;
}

TEST_F(Turns, TheStartGameHookRunsANewGameFromInsideARealTimeEvent) {
  new_game(1, 1);
  const std::uint64_t first = engine.rules->game_number;
  // A menu action starts the game from inside the real-time queue's walk,
  // next to a pending stroke request that the new game calls off.
  engine.realtime_queue().run_periodically([] {}, 0.0, nullptr, "shoot_after_cue_animation2");
  engine.realtime_queue().run_once([this] { engine.start_game_hook()(0, 2); }, 0.0, "menu");
  realtime_frame();  // runs the menu action, which queues the game
  realtime_frame();  // starts it
  EXPECT_EQ(engine.rules->game_number, first + 1);
  EXPECT_EQ(engine.rules->num_computer_players(), 2);
  realtime_frame();
  EXPECT_FALSE(engine.realtime_queue().contains("shoot_after_cue_animation2"));
}

// ---- The end of a shot

TEST_F(Turns, AHumanBreakThatDropsBothTeamsAsksForATeamBeforeTheVerdict) {
  new_game(1, 1);
  shot({3, 10});
  engine.end_shot();
  GameRules& game = *engine.rules;
  Dialog* choice = engine.menus.menu("choose_team");
  ASSERT_NE(choice, nullptr);
  EXPECT_TRUE(choice->enabled());
  EXPECT_EQ(engine.selected_dialog(), choice);
  EXPECT_TRUE(choice->stay_open);
  EXPECT_TRUE(engine.menu_enabled());
  // Not evaluated yet.
  EXPECT_TRUE(game.shot_in_progress);
  EXPECT_EQ(game.shot_count, 0u);
  EXPECT_EQ(child_text(choice, 0), "Choose your team:");
  EXPECT_EQ(child_text(choice, 1), "Solids (sunk 1 ball)");
  EXPECT_EQ(child_text(choice, 2), "Stripes (sunk 1 ball)");

  press(choice, "Stripes (sunk 1 ball)");
  EXPECT_FALSE(choice->enabled());
  EXPECT_FALSE(engine.menu_enabled());
  EXPECT_EQ(game.players[0].team, 2);
  EXPECT_EQ(game.players[1].team, 1);
  // The verdict followed: a stripe dropped, so the breaker stays.
  EXPECT_FALSE(game.shot_in_progress);
  EXPECT_EQ(game.shot_count, 1u);
  EXPECT_EQ(game.current, 0);
  EXPECT_EQ(step(), "Choose ball");
  EXPECT_EQ(shown(engine.turn_text_frame), "Player's turn (stripes).");
  EXPECT_EQ(shown(engine.sunk_text_frame), "Sunk balls 3 and 10.");
}

TEST_F(Turns, TeamChoiceTextsCountTheSunkBallsOfEachTeam) {
  new_game(1, 1);
  shot({1, 2, 9});
  engine.end_shot();
  Dialog* choice = engine.menus.menu("choose_team");
  EXPECT_EQ(child_text(choice, 1), "Solids (sunk 2 balls)");
  EXPECT_EQ(child_text(choice, 2), "Stripes (sunk 1 ball)");
}

TEST_F(Turns, AComputerBreakTakesTheTeamWithMoreBallsAndSolidsOnATie) {
  const struct {
    std::vector<int> dropped;
    int team;
  } cases[] = {{{9, 2, 12}, 2}, {{9, 2}, 1}, {{3, 1, 14}, 1}, {{4}, 1}, {{11}, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.team);
    new_game(0, 2);
    shot(c.dropped);
    engine.end_shot();
    EXPECT_EQ(engine.rules->players[0].team, c.team);
    EXPECT_EQ(engine.menus.menu("choose_team"), nullptr);
    // A ball of its own dropped: the breaker stays.
    EXPECT_EQ(engine.rules->current, 0);
  }
}

TEST_F(Turns, AHumanWhoScratchesOnTheBreakIsAskedToBreakAgain) {
  new_game(2, 0);
  shot({0});
  engine.end_shot();
  Dialog* prompt = engine.menus.menu("scratched_on_break");
  ASSERT_NE(prompt, nullptr);
  EXPECT_TRUE(prompt->enabled());
  EXPECT_EQ(engine.selected_dialog(), prompt);
  EXPECT_EQ(child_text(prompt, 0), "Scratched on break. Try again?");
  EXPECT_TRUE(prompt->children()[2]->is_back);
  EXPECT_FALSE(prompt->stay_open);

  // "No": the opponent plays on with ball in hand.
  press(prompt, "No");
  EXPECT_FALSE(prompt->enabled());
  EXPECT_FALSE(engine.menu_enabled());
  EXPECT_EQ(engine.rules->current, 1);
  EXPECT_EQ(step(), "Ball in hand");
  EXPECT_EQ(shown(engine.turn_text_frame), "Player 1 scratched!");

  // "Yes": a new game with the same seats.
  new_game(2, 0);
  const std::uint64_t game_number = engine.rules->game_number;
  shot({0});
  engine.end_shot();
  press(prompt, "Yes");
  EXPECT_FALSE(prompt->enabled());
  realtime_frame();
  EXPECT_EQ(engine.rules->game_number, game_number + 1);
  EXPECT_EQ(engine.rules->players.size(), 2u);
  EXPECT_EQ(engine.rules->num_computer_players(), 0);
}

TEST_F(Turns, AComputerThatScratchesOnTheBreakStartsTheGameOver) {
  new_game(1, 1);
  engine.rules->current = 1;  // the computer breaks
  const std::uint64_t game_number = engine.rules->game_number;
  shot({0, 5});
  engine.end_shot();
  EXPECT_EQ(engine.menus.menu("scratched_on_break"), nullptr);
  EXPECT_EQ(engine.rules->game_number, game_number + 1);
  EXPECT_EQ(engine.rules->num_computer_players(), 1);
  EXPECT_EQ(engine.rules->players.size(), 2u);
  EXPECT_EQ(step(), "Choose ball");
}

// ---- Status lines

TEST_F(Turns, StatusLinesAfterAFoulAScratchAndAGoodShot) {
  new_game(2, 0);
  GameRules& game = *engine.rules;
  game.assign_teams(1);
  game.shot_count = 3;
  testing_support::OutputCapture capture;

  // A foul: no ball touched, too few cushions; the turn passes. The lines
  // change with the next real-time step.
  const std::string before = engine.turn_text_frame->text();
  shot({}, false);
  engine.end_shot();
  EXPECT_TRUE(game.foul);
  EXPECT_EQ(engine.turn_text_frame->text(), before);
  EXPECT_EQ(shown(engine.turn_text_frame), "Player 1 table scratched!");
  EXPECT_EQ(shown(engine.aim_text_frame), "Ball-in-hand for Player 2 (stripes).");
  EXPECT_EQ(shown(engine.sunk_text_frame), " ");
  EXPECT_NE(capture.out().find("Table scratched\n"), std::string::npos);
  EXPECT_EQ(step(), "Ball in hand");

  // A scratch by player 2 gives player 1 the ball.
  capture.reset();
  shot({0});
  engine.end_shot();
  EXPECT_FALSE(game.foul);
  EXPECT_EQ(shown(engine.turn_text_frame), "Player 2 scratched!");
  EXPECT_EQ(shown(engine.aim_text_frame), "Ball-in-hand for Player 1 (solids).");
  EXPECT_EQ(shown(engine.sunk_text_frame), " ");
  EXPECT_NE(capture.out().find("Scratched\n"), std::string::npos);

  // Own balls dropped: the shooter stays, the line lists them in order.
  shot({5, 2});
  engine.end_shot();
  EXPECT_EQ(shown(engine.turn_text_frame), "Player 1's turn (solids).");
  EXPECT_EQ(shown(engine.sunk_text_frame), "Sunk balls 5 and 2.");
  shot({7});
  engine.end_shot();
  EXPECT_EQ(shown(engine.sunk_text_frame), "Sunk the 7 ball.");
  shot({1, 9, 3});
  engine.update_sunk_text();
  EXPECT_EQ(shown(engine.sunk_text_frame), "Sunk balls 1, 9, and 3.");
}

TEST_F(Turns, DuringAShotAfterAFoulTheSunkLineStillListsTheDrops) {
  new_game(2, 0);
  GameRules& game = *engine.rules;
  game.foul = true;  // the last verdict's
  testing_support::OutputCapture capture;
  shot({4});
  engine.update_sunk_text();
  EXPECT_EQ(shown(engine.sunk_text_frame), "Sunk the 4 ball.");
  EXPECT_EQ(capture.out(), "");
}

// ---- The next turn and the end of a game

TEST_F(Turns, AHumanWhoseTurnStartsWithTheCueBallInAPocketGetsItOnAFreeSpot) {
  new_game(2, 0);
  Ball& cue = *engine.cue_ball;
  cue.position = engine.table.pockets[2].position;
  cue.velocity = {1, 2, 3};
  cue.angular_velocity = {4, 5, 6};
  engine.shot_wizard.set_step("Ball in hand");
  engine.realtime_queue().update(42.0);
  engine.next_turn();
  for (const Pocket& p : engine.table.pockets) EXPECT_GE(norm(cue.position - p.position), p.radius);
  EXPECT_EQ(cue.velocity, (Vec3{0, 0, 0}));
  EXPECT_EQ(cue.angular_velocity, (Vec3{0, 0, 0}));
  Dialog* hand = engine.menus.wizard_dialogs["ball in hand"];
  ASSERT_NE(hand, nullptr);
  EXPECT_TRUE(hand->enabled());
  EXPECT_EQ(engine.turn_start_time, 42.0);
}

TEST_F(Turns, AGamepadPlayersTurnFlashesTheChoosingButtons) {
  ControllerTutorial tutorial(&engine);
  engine.controller_tutorial() = &tutorial;
  new_game(2, 0);
  EventQueue& queue = engine.realtime_queue();
  EXPECT_FALSE(queue.contains("Flash gamepad D_pad"));
  engine.any_gamepad_callback();  // the gamepad drives the menus now
  engine.next_turn();
  EXPECT_TRUE(queue.contains("Flash gamepad D_pad"));
  EXPECT_TRUE(queue.contains("Flash gamepad A_button"));
  engine.controller_tutorial() = nullptr;
}

TEST_F(Turns, TheScoreBoardWelcomesWithTheKeyThatOpensTheMenu) {
  Dialog* board = engine.new_score_board();
  EXPECT_EQ(board->name(), "new_score_board");
  EXPECT_EQ(board->frame().selectable(), 0);
  EXPECT_EQ(board->follow_player(), 0);
  EXPECT_EQ(board->frame().bg_color()[3], 0.0f);
  EXPECT_EQ(shown(engine.turn_text_frame), "Welcome to Talvorin.");
  EXPECT_EQ(shown(engine.aim_text_frame), "Select New Game from the");
  EXPECT_EQ(shown(engine.sunk_text_frame), "main menu [Esc] to start.");
  EXPECT_EQ(std::count(engine.dialogs().begin(), engine.dialogs().end(), board), 1);
}

TEST_F(Turns, TwoComputersStartANewGameWhenOneWins) {
  new_game(0, 2);
  GameRules& game = *engine.rules;
  const std::uint64_t game_number = game.game_number;
  game.winner = 1;
  engine.next_turn();
  EXPECT_EQ(engine.menus.menu("play_again"), nullptr);
  realtime_frame();
  EXPECT_EQ(game.game_number, game_number + 1);
  EXPECT_FALSE(game.has_winner());
  EXPECT_EQ(game.num_computer_players(), 2);
}

TEST_F(Turns, AHumansGameEndsWithThePlayAgainQuestion) {
  new_game(1, 1);
  GameRules& game = *engine.rules;
  game.assign_teams(2);
  game.winner = 0;
  engine.next_turn();
  Dialog* question = engine.menus.menu("play_again");
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(question->enabled());
  EXPECT_TRUE(question->stay_open);
  EXPECT_EQ(engine.selected_dialog(), question);
  EXPECT_EQ(child_text(question, 0), "Player (stripes) wins!\nPlay again?");
  EXPECT_EQ(child_text(question, 1), "Yes");
  EXPECT_TRUE(question->children()[2]->is_back);

  press(question, "No");
  EXPECT_FALSE(question->enabled());
  EXPECT_TRUE(game.has_winner());

  const std::uint64_t game_number = game.game_number;
  engine.next_turn();
  EXPECT_TRUE(question->enabled());
  press(question, "Yes");
  EXPECT_FALSE(question->enabled());
  realtime_frame();
  EXPECT_EQ(game.game_number, game_number + 1);
  EXPECT_EQ(game.num_computer_players(), 1);
}

TEST_F(Turns, EachPromptIsBuiltOnceAndHandedToTheEngineOnce) {
  for (auto build :
       {&PoolMenus::scratched_on_break, &PoolMenus::choose_team, &PoolMenus::play_again}) {
    Dialog* d = (engine.menus.*build)();
    EXPECT_EQ((engine.menus.*build)(), d);
    EXPECT_EQ(std::count(engine.dialogs().begin(), engine.dialogs().end(), d), 1);
    EXPECT_EQ(engine.menus.menu(d->name()), d);
    ASSERT_EQ(d->children().size(), 3u);
    // The first answer is selected.
    EXPECT_TRUE(d->children()[1]->selected());
  }
  EXPECT_EQ(engine.new_score_board(), engine.new_score_board());
}

// ---- The wizard's dialogs around the chosen balls

TEST_F(Turns, TheWizardDialogsStandByTheBallAndPocketTheyConcern) {
  new_game(2, 0);
  const Vec3 ball = engine.balls[std::size_t(engine.selected_ball)].position;
  const Vec3 pocket = engine.table.pockets[std::size_t(engine.selected_pocket)].position;
  Dialog* choose = engine.menus.wizard_dialogs["ball"];
  ASSERT_NE(choose, nullptr);
  EXPECT_TRUE(choose->enabled());
  EXPECT_EQ(choose->frame().coord_sys().position(), (ball + Vec3{0, 0.05f, 0}));
  Dialog* into = engine.menus.choose_pocket();
  EXPECT_EQ(into->frame().coord_sys().position(), pocket * 0.8f);
  EXPECT_FALSE(into->depth_test());
  Dialog* shoot = engine.menus.shoot();
  EXPECT_EQ(shoot->frame().coord_sys().position(), (engine.cue_ball->position + Vec3{0, 0.1f, 0}));
  for (Dialog* d : {choose, into, shoot}) EXPECT_FALSE(d->sounds);
}

TEST_F(Turns, RandomizeMovesTheCueBallAndItsDialogTogether) {
  new_game(2, 0);
  engine.shot_wizard.set_step("Ball in hand");
  Dialog* hand = engine.menus.ball_in_hand();
  ASSERT_TRUE(hand->enabled());
  Ball& cue = *engine.cue_ball;
  const Vec3& h = engine.table.half_extents;
  Vec3 last = cue.position;
  for (int k = 0; k < 3; ++k) {
    press(hand, "Randomize");
    EXPECT_NE(cue.position, last);
    last = cue.position;
    const Vec3 offset = hand->frame().coord_sys().position() - cue.position;
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(offset[a], a == 1 ? 0.1f : 0.0f, 1e-5f);
    EXPECT_TRUE(hand->enabled());
    for (int a = 0; a < 3; ++a) EXPECT_LE(std::abs(cue.position[a]), h[a] - kR);
    for (std::size_t j = 1; j < engine.balls.size(); ++j)
      EXPECT_GT(norm(cue.position - engine.balls[j].position), kR);
  }
  EXPECT_EQ(step(), "Ball in hand");
}

// ---- Free spots

TEST_F(Turns, FreeSpotsKeepLookingPastTheFirstSevenDraws) {
  new_game(2, 0);
  for (Ball& b : engine.balls) b.position = {5, 5, 5};
  engine.balls[1].position = {0, 0, 0};
  // About one draw in fifty lies this far from ball 1.
  const double clearance = 0.9 - kR;
  const Vec3& h = engine.table.half_extents;
  for (int k = 0; k < 30; ++k) {
    const Vec3 p = engine.random_ball_position(clearance);
    EXPECT_GT(norm(p), 0.9f) << k;
    for (const Pocket& pocket : engine.table.pockets)
      EXPECT_GE(norm(p - pocket.position), pocket.radius);
    for (int a = 0; a < 3; ++a) EXPECT_LE(std::abs(p[a]), h[a] - kR);
  }
  // No clearance: the ball still stays off the walls.
  for (int k = 0; k < 200; ++k) {
    const Vec3 p = engine.random_ball_position(0.0);
    for (int a = 0; a < 3; ++a) EXPECT_LE(std::abs(p[a]), h[a] - kR);
  }
}

}  // namespace
