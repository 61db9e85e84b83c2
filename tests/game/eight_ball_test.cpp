// The eight-ball rules: one table of shots through ball_pocketed and
// evaluate_shot, then players, teams, turns, texts and the rack.
#include "game/rules/eight_ball.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"

namespace {

// A shot's events; {kPocketed, b} stands for a call of ball_pocketed(b).
using Shot = std::vector<ShotEvent>;

std::vector<int> range(int from, int to) {
  std::vector<int> balls;
  for (int b = from; b <= to; ++b) balls.push_back(b);
  return balls;
}

struct ShotCase {
  const char* name;
  int team;                          // the shooter's (seat 0) team, 0 for none
  std::vector<int> pocketed_before;  // by the shooter
  std::vector<int> opponent_before;  // by seat 1
  bool on_break;
  Shot shot;
  // Expected afterwards:
  bool ball_in_hand;
  bool foul;
  int winner;
  int current;
};

// Seat 0 shoots: a stroke starts as the shot flow starts it, the events
// arrive, the shot is evaluated.
void play(EightBall& rules, const ShotCase& c) {
  rules.init_players(2, 0);
  if (c.team) rules.assign_teams(c.team);
  rules.players[0].pocketed = c.pocketed_before;
  rules.players[1].pocketed = c.opponent_before;
  rules.shot_count = c.on_break ? 0 : 4;
  rules.turn_count = 0;
  rules.events.clear();
  rules.ball_in_hand = false;
  rules.shot_in_progress = true;
  for (const ShotEvent& e : c.shot) {
    if (e.first == kPocketed)
      rules.ball_pocketed(e.second);
    else
      rules.events.push_back(e);
  }
  rules.evaluate_shot();
}

TEST(EightBall, ShotVerdicts) {
  const ShotEvent rail0{kRailContact, 0}, rail1{kRailContact, 1}, rail2{kRailContact, 2};
  auto hit = [](int b) { return ShotEvent{kBallContact, b}; };
  auto drop = [](int b) { return ShotEvent{kPocketed, b}; };
  const ShotCase cases[] = {
      {"break touching nothing", 0, {}, {}, true, {}, false, false, -1, 1},
      {"break hitting a stripe first", 0, {}, {}, true, {hit(9)}, false, false, -1, 1},
      {"break scratch", 0, {}, {}, true, {hit(1), drop(0)}, true, false, -1, 1},
      {"two rails after the break", 0, {}, {}, false, {rail0, rail1}, true, true, -1, 1},
      {"three rails after the break", 0, {}, {}, false, {rail0, rail1, rail2}, false, false, -1, 1},
      {"the eight before teams, on the break",
       0,
       {},
       {},
       true,
       {hit(3), drop(8)},
       false,
       false,
       1,
       1},
      {"the eight before teams, later", 0, {}, {}, false, {drop(8)}, false, false, 1, 1},
      {"last own ball, then the eight",
       1,
       range(1, 6),
       {},
       false,
       {hit(7), drop(7), drop(8)},
       false,
       false,
       1,
       0},
      {"the eight first after the group",
       1,
       range(1, 7),
       {},
       false,
       {hit(8), drop(8)},
       false,
       false,
       0,
       0},
      {"scratch with the group cleared",
       1,
       range(1, 7),
       {},
       false,
       {hit(8), drop(0)},
       true,
       false,
       1,
       1},
      {"scratch pocketing the last own ball",
       1,
       range(1, 6),
       {},
       false,
       {hit(7), drop(7), drop(0)},
       true,
       false,
       -1,
       1},
      {"scratch with the eight",
       1,
       range(1, 3),
       {},
       false,
       {hit(3), drop(8), drop(0)},
       true,
       false,
       1,
       1},
      {"scratch before teams", 0, {}, {}, false, {hit(2), drop(0)}, true, false, -1, 1},
      {"team hits an opponent's ball first", 1, {}, {}, false, {hit(9)}, true, true, -1, 1},
      {"no team hits any ball first", 0, {}, {}, false, {hit(9)}, false, false, -1, 1},
      {"own group down, eight first", 1, range(1, 7), {}, false, {hit(8)}, false, false, -1, 1},
      {"own ball pocketed by the opponent, eight first",
       1,
       range(1, 6),
       {7},
       false,
       {hit(8)},
       true,
       true,
       -1,
       1},
      {"own and opponent's ball",
       1,
       {},
       {},
       false,
       {hit(3), drop(3), drop(12)},
       false,
       false,
       -1,
       0},
      {"only the opponent's ball", 1, {}, {}, false, {hit(3), drop(12)}, false, false, -1, 1},
      {"a ball before teams", 0, {}, {}, false, {hit(3), drop(3)}, false, false, -1, 1},
  };
  for (const ShotCase& c : cases) {
    SCOPED_TRACE(c.name);
    EightBall rules;
    play(rules, c);
    EXPECT_EQ(rules.ball_in_hand, c.ball_in_hand);
    EXPECT_EQ(rules.foul, c.foul);
    EXPECT_EQ(rules.winner, c.winner);
    EXPECT_EQ(rules.current, c.current);
    EXPECT_FALSE(rules.shot_in_progress);
    if (c.winner < 0) {
      EXPECT_EQ(rules.turn_passed, c.current != 0);
    }
  }
}

TEST(EightBall, PocketingRecordsEventsAndTheShootersBalls) {
  EightBall rules;
  rules.init_players(2, 0);
  rules.ball_pocketed(5);
  rules.ball_pocketed(0);
  const std::deque<ShotEvent> expected{{kPocketed, 5}, {kPocketed, 0}, {kScratch, -1}};
  EXPECT_EQ(rules.events, expected);
  EXPECT_TRUE(rules.ball_in_hand);
  EXPECT_EQ(rules.players[0].pocketed, std::vector<int>{5});
  EXPECT_EQ(rules.pocketed_this_shot(), std::vector<int>{5});
  EXPECT_TRUE(rules.cue_ball_pocketed());
}

TEST(EightBall, AnInconsistentScratchFlagIsReportedAndMended) {
  EightBall rules;
  rules.init_players(2, 0);
  rules.shot_count = 3;
  rules.ball_in_hand = true;  // but no cue ball dropped
  rules.events = {{kBallContact, 2}};
  testing_support::OutputCapture capture;
  rules.evaluate_shot();
  EXPECT_EQ(capture.err(), "Error\n");
  EXPECT_FALSE(rules.ball_in_hand);
  EXPECT_EQ(rules.shot_count, 4u);
}

TEST(EightBall, TeamAssignment) {
  EightBall rules;
  rules.init_players(2, 0);
  rules.current = 1;
  rules.assign_teams(2);
  EXPECT_EQ(rules.players[1].team, 2);
  EXPECT_EQ(rules.players[1].targets, range(9, 15));
  EXPECT_EQ(rules.players[0].team, 1);
  EXPECT_EQ(rules.players[0].targets, range(1, 7));
  EXPECT_EQ(rules.display_name(), "Player 2 (stripes)");
  EXPECT_EQ(rules.legal_targets(), range(9, 15));
  EXPECT_EQ(rules.legal_targets(0), range(9, 15));  // always the current player's
  EXPECT_TRUE(rules.legal_targets(2).empty());

  rules.assign_teams(0);
  rules.assign_teams(3);
  EXPECT_EQ(rules.players[1].team, 2);
}

TEST(EightBall, OnTheEightOnlyTheEightIsLegal) {
  EightBall rules;
  rules.init_players(2, 0);
  rules.assign_teams(1);
  rules.players[0].pocketed = range(1, 7);
  rules.players[1].pocketed = range(9, 15);
  EXPECT_TRUE(rules.on_eight_ball());
  EXPECT_EQ(rules.balls_on_table(), std::vector<int>{8});
  EXPECT_EQ(rules.legal_targets(), std::vector<int>{8});
  EXPECT_TRUE(rules.legal_target(8, true));
  EXPECT_FALSE(rules.legal_target(3, true));
}

TEST(EightBall, TurnsPassAndWrap) {
  EightBall rules;
  rules.init_players(2, 0);
  rules.turn_count = 0;
  rules.pass_turn();
  EXPECT_EQ(rules.current, 1);
  EXPECT_EQ(&rules.previous_player(), &rules.players[0]);
  rules.pass_turn();
  EXPECT_EQ(rules.current, 0);
  EXPECT_EQ(&rules.previous_player(), &rules.players[1]);
  EXPECT_EQ(rules.turn_count, 2u);
  EXPECT_TRUE(rules.turn_passed);
}

TEST(EightBall, WithoutPlayersNothingChangesAndNothingBreaks) {
  EightBall rules;
  testing_support::OutputCapture capture;
  rules.init_players(0, 0);
  EXPECT_EQ(capture.out(), "GameRules::init_players(): warning current player = -1\n");
  EXPECT_EQ(rules.current, -1);
  rules.pass_turn();
  EXPECT_EQ(rules.current, -1);
  EXPECT_EQ(rules.turn_count, ~std::uint64_t(0));
  EXPECT_FALSE(rules.turn_passed);
  EXPECT_EQ(rules.previous_player().name, "Player 1");
  // A drop without a shooter is an event only; the default record stays clean.
  rules.ball_pocketed(8);
  rules.ball_pocketed(3);
  EXPECT_TRUE(rules.current_player().pocketed.empty());
  EXPECT_EQ(rules.winner, -1);
  rules.shot_count = 3;
  rules.evaluate_shot();
  EXPECT_EQ(rules.winner, -1);
  EXPECT_EQ(rules.display_name(), "Player 1 (no teams)");
  EXPECT_EQ(rules.winner_text(), "");
}

TEST(EightBall, NewGamesNameTheSeatsAndTheWinnerBreaks) {
  EightBall rules;
  const struct {
    int players, computers;
    std::vector<std::string> names;
  } cases[] = {
      {2, 0, {"Player 1", "Player 2"}},
      {2, 1, {"Player", "Computer"}},
      {2, 2, {"Computer 1", "Computer 2"}},
      {1, 0, {"Player"}},
      {2, 5, {"Computer 1", "Computer 2"}},
      {3, 1, {"Player 1", "Player 2", "Player 3"}},  // the excess seat takes a computer's place
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.players << " " << c.computers);
    rules.init_players(c.players, c.computers);
    std::vector<std::string> names;
    for (const Player& p : rules.players) names.push_back(p.name);
    EXPECT_EQ(names, c.names);
  }

  rules.init_players(2, 2);
  const std::uint64_t game = rules.game_number;
  EXPECT_TRUE(rules.players[0].computer && rules.players[1].computer);
  EXPECT_EQ(rules.num_computer_players(), 2);
  rules.winner = 1;
  rules.events = {{kRailContact, 0}};
  rules.ball_in_hand = rules.shot_in_progress = true;
  EXPECT_EQ(rules.winner_text(), "Computer 2 (no teams) wins!");
  rules.init_players(2, 2);
  EXPECT_EQ(rules.current, 1);
  EXPECT_EQ(rules.winner, -1);
  EXPECT_EQ(rules.game_number, game + 1);
  EXPECT_TRUE(rules.events.empty());
  EXPECT_FALSE(rules.ball_in_hand || rules.shot_in_progress);
  EXPECT_EQ(rules.shot_count, ~std::uint64_t(0));
}

TEST(EightBall, TeamNamesAndBallTeams) {
  const EightBall rules;
  EXPECT_EQ(rules.team_name(1, false), "solids");
  EXPECT_EQ(rules.team_name(2, true), "Stripes");
  EXPECT_EQ(rules.team_name(3, true), "No teams");
  EXPECT_EQ(rules.team_name(-1, false), "no teams");
  EXPECT_EQ(rules.ball_team(0), 0);
  EXPECT_EQ(rules.ball_team(7), 1);
  EXPECT_EQ(rules.ball_team(8), 0);
  EXPECT_EQ(rules.ball_team(9), 2);
  EXPECT_EQ(rules.num_object_balls(), 15);
}

TEST(EightBall, TheRackIsATightTriangleInsideTheBox) {
  const EightBall rules;
  const float r = 0.028575f;
  const float d = r + 0.001f;
  const std::vector<Vec3> offsets = rules.rack_positions(d);
  ASSERT_EQ(offsets.size(), 15u);
  EXPECT_NEAR(offsets[0][0], -3.0f * std::sqrt(3.0f) * d, 1e-6f);  // ball 1, the apex
  EXPECT_EQ(offsets[0][2], 0.0f);
  EXPECT_NEAR(offsets[7][0], -std::sqrt(3.0f) * d, 1e-6f);  // the eight, third row
  EXPECT_EQ(offsets[7][2], 0.0f);
  EXPECT_NEAR(offsets[5][0], std::sqrt(3.0f) * d, 1e-6f);  // balls 6 and 11 at the back corners
  EXPECT_EQ(offsets[5][2], 4.0f * d);
  EXPECT_EQ(offsets[10][0], offsets[5][0]);
  EXPECT_EQ(offsets[10][2], -4.0f * d);
  // Placed as a new game places it: at the +x end, near the bottom face.
  const Vec3 h{0.9f, 0.225f, 0.45f};
  const Vec3 base{0.6f * h[0], r - h[1] + 0.001f, 0.0f};
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const Vec3 p = base + offsets[i];
    for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(p[c]) + r, h[c]) << "ball " << i + 1;
    for (std::size_t j = i + 1; j < offsets.size(); ++j)
      EXPECT_GE(norm(offsets[i] - offsets[j]), 2.0f * r) << i + 1 << " and " << j + 1;
  }
}

}  // namespace
