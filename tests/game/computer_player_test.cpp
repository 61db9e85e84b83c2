// The computer player on ball layouts: path tests, the choice of ball and
// pocket with its retries, the suitable pocket, and the aim error.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>

#include "game/rules/difficulty.h"
#include "game/rules/eight_ball.h"
#include "game/rules/path_tests.h"
#include "game/rules/random.h"
#include "game/table/angle.h"
#include "game/table/ball.h"
#include "game/table/table.h"
#include "support/capture.h"

namespace {

// Sixteen balls; those not placed are off the table (sunk), parked far away.
std::vector<Ball> layout(const std::map<int, Vec3>& placed) {
  std::vector<Ball> balls(16);
  for (int i = 0; i < 16; ++i) {
    balls[i].number = i;
    balls[i].position = {5.0f, 5.0f, 5.0f + 0.2f * float(i)};
    balls[i].enable_update(false);
  }
  for (const auto& [i, p] : placed) {
    balls[i].position = p;
    balls[i].enable_update(true);
  }
  return balls;
}

class ComputerPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    table.build_geometry();
    rules.init_players(2, 1);
    rules.shot_count = 5;
  }
  // Seat 0 plays solids and has pocketed every solid but `left`.
  void solids_left(const std::vector<int>& left) {
    rules.assign_teams(1);
    rules.players[0].pocketed.clear();
    for (int b = 1; b <= 7; ++b)
      if (std::find(left.begin(), left.end(), b) == left.end())
        rules.players[0].pocketed.push_back(b);
  }
  ShotChoice choose(const std::vector<Ball>& balls, bool path_test = true, float limit = 45.0f) {
    return rules.choose_shot(0, balls, table.pockets, 0, path_test, limit);
  }
  float cut(const std::vector<Ball>& balls, ShotChoice c) const {
    return angle_between(balls[c.first].position - balls[0].position,
                         table.pockets[c.second].position - balls[c.first].position, 7.0f);
  }

  Table table;
  EightBall rules;
};

TEST(PathTests, OnlyTheFirstSphereMetIsFlagged) {
  const Vec3 start{0, 0, 0}, end{1, 0, 0};
  const std::vector<Sphere> spheres{
      {{0.8f, 0.0f, 0.0f}, 0.05f},   // on the way, met second
      {{0.5f, 0.09f, 0.0f}, 0.05f},  // met only by a moving radius over 0.04
      {{0.3f, 0.0f, 0.0f}, 0.05f},   // on the way, met first along the segment? listed third
      {{1.2f, 0.0f, 0.0f}, 0.05f},   // beyond the end
  };
  // The scan runs in list order and stops at the first hit.
  EXPECT_EQ(swept_sphere_hits(start, end, spheres, 0.0f),
            (std::vector<bool>{true, false, false, false}));
  const std::vector<Sphere> miss_first{spheres[1], spheres[3], spheres[0]};
  EXPECT_EQ(swept_sphere_hits(start, end, miss_first, 0.0f),
            (std::vector<bool>{false, false, true}));
  EXPECT_EQ(swept_sphere_hits(start, end, miss_first, 0.05f),
            (std::vector<bool>{true, false, false}));
  EXPECT_FALSE(swept_sphere_blocked(start, start, spheres, 1.0f));  // no segment, no hit
}

TEST(PathTests, AnObstacleStraddlingTheEndOrBehindTheStart) {
  const Vec3 start{0, 0, 0}, end{1, 0, 0};
  // Crossing the end: the near crossing lies on the segment.
  EXPECT_TRUE(swept_sphere_blocked(start, end, {{{1.02f, 0, 0}, 0.05f}}, 0.0f));
  // Behind the start and clear of it: not on the way.
  EXPECT_FALSE(swept_sphere_blocked(start, end, {{{-0.2f, 0, 0}, 0.05f}}, 0.0f));
  // Overlapping the start: the way out crosses it.
  EXPECT_TRUE(swept_sphere_blocked(start, end, {{{-0.02f, 0, 0}, 0.05f}}, 0.0f));
}

TEST_F(ComputerPlayer, BallPathsSkipTheMoverAndTheTarget) {
  const std::vector<Ball> balls =
      layout({{0, {-0.5f, 0, 0}}, {3, {0.5f, 0, 0}}, {9, {0.0f, 0.05f, 0}}});
  EXPECT_TRUE(path_blocked(balls, 0, 3));
  EXPECT_FALSE(path_blocked(balls, 0, 9));
  EXPECT_TRUE(path_to_point_blocked(balls, 3, {-0.8f, 0, 0}));  // the cue ball is in the way
  EXPECT_FALSE(path_to_point_blocked(balls, 3, {0.8f, 0, 0}));
  EXPECT_FALSE(path_blocked(balls, 0, 16));
  EXPECT_TRUE(pocket_on_path(table.pockets, {-0.3f, 0.196f, 0.421f}, {0.3f, 0.196f, 0.421f}));
  EXPECT_FALSE(pocket_on_path(table.pockets, {-0.3f, 0, 0}, {0.3f, 0, 0}));
  const std::vector<bool> flags =
      pocket_hits(table.pockets, {-0.3f, 0.196f, 0.421f}, {0.3f, 0.196f, 0.421f});
  EXPECT_TRUE(flags[11]);
}

TEST_F(ComputerPlayer, WithEveryPocketPathBlockedTheFirstRetryFindsACut) {
  solids_left({3});
  std::map<int, Vec3> placed{{0, {-0.5f, 0, 0}}, {3, {0, 0, -0.05f}}};
  // A stripe halfway along each of the four cuts below 45 degrees.
  for (int k = 0; k < 4; ++k) {
    const Vec3 pocket = table.pockets[k].position;
    placed[9 + k] = (pocket + placed[3]) * 0.5f;
  }
  const std::vector<Ball> balls = layout(placed);
  for (int k = 0; k < 4; ++k)
    EXPECT_TRUE(path_to_point_blocked(balls, 3, table.pockets[k].position)) << k;
  const ShotChoice c = choose(balls);
  // Pockets 1 and 2 tie (mirror images in y): the first one found wins.
  EXPECT_EQ(c, ShotChoice(3, 1));
  EXPECT_LT(cut(balls, c), 45.0f * 0.017453292f);
}

TEST_F(ComputerPlayer, ALineThroughAPocketIsNeverChosen) {
  solids_left({2, 4});
  // Ball 2 lies straight before a corner, but the cue ball's way to it passes
  // the edge pocket between them.
  const std::vector<Ball> balls = layout(
      {{0, {-0.3f, 0.196f, 0.421f}}, {2, {0.3f, 0.196f, 0.421f}}, {4, {-0.3f, -0.1f, 0.0f}}});
  EXPECT_EQ(choose(balls).first, 4);
  EXPECT_EQ(choose(balls, false, 90.0f).first, 4);
}

TEST_F(ComputerPlayer, EqualScoresGoToTheFirstPairFound) {
  const std::vector<Ball> mirrored =
      layout({{0, {-0.5f, 0, 0}}, {3, {0, 0.05f, 0}}, {5, {0, -0.05f, 0}}});
  solids_left({3, 5});
  EXPECT_EQ(choose(mirrored), ShotChoice(3, 0));
  const std::vector<Ball> swapped =
      layout({{0, {-0.5f, 0, 0}}, {3, {0, -0.05f, 0}}, {5, {0, 0.05f, 0}}});
  EXPECT_EQ(choose(swapped), ShotChoice(3, 2));
}

TEST_F(ComputerPlayer, ALimitOfZeroAcceptsAnyCut) {
  solids_left({3});
  const std::vector<Ball> balls = layout({{0, {0, 0, 0}}, {3, {0.3f, 0, 0}}});
  // Both pockets lie behind the ball: the near one is the better cut.
  std::vector<Pocket> pockets(2);
  pockets[0].position = {-0.5f, -0.3f, 0.0f};
  pockets[1].position = {0.1f, 0.1f, 0.0f};
  ASSERT_FALSE(pocket_on_path(pockets, balls[0].position, balls[3].position));
  EXPECT_EQ(rules.choose_shot(0, balls, pockets, 0, false, 0.0f), ShotChoice(3, 1));
  // With any positive limit every cut is refused and the search gives up.
  EXPECT_EQ(rules.choose_shot(0, balls, pockets, 0, true, 45.0f), ShotChoice(3, 0));
}

TEST_F(ComputerPlayer, CandidatesWithoutTeamsOrWithAClearedGroup) {
  // Before teams every ball but the eight is a candidate, however well the
  // eight lies.
  const std::vector<Ball> balls = layout(
      {{0, {-0.5f, 0, 0}}, {8, {0.7f, 0.17f, 0.35f}}, {9, {0, 0, 0}}, {12, {0, 0.1f, 0.3f}}});
  const ShotChoice before = choose(balls);
  EXPECT_NE(before.first, 8);
  EXPECT_TRUE(before.first == 9 || before.first == 12);
  // A player whose group is cleared aims at the eight.
  solids_left({});
  EXPECT_TRUE(rules.legal_targets().empty());
  EXPECT_EQ(choose(balls).first, 8);
}

TEST_F(ComputerPlayer, TheBreakIsARandomPairAndBadInputGivesOneZero) {
  const std::vector<Ball> balls = layout({{0, {-0.5f, 0, 0}}, {1, {0.5f, 0, 0}}});
  rules.shot_count = 0;
  std::set<int> seen_balls, seen_pockets;
  for (int i = 0; i < 200; ++i) {
    const ShotChoice c = choose(balls);
    ASSERT_GE(c.first, 1);
    ASSERT_LE(c.first, 15);
    ASSERT_GE(c.second, 0);
    ASSERT_LE(c.second, 11);
    seen_balls.insert(c.first);
    seen_pockets.insert(c.second);
  }
  EXPECT_GT(seen_balls.size(), 5u);
  EXPECT_GT(seen_pockets.size(), 5u);

  rules.shot_count = 5;
  EXPECT_EQ(rules.choose_shot(0, balls, {}, 0, true, 45), ShotChoice(1, 0));
  EXPECT_EQ(rules.choose_shot(2, balls, table.pockets, 0, true, 45), ShotChoice(1, 0));
  EXPECT_EQ(rules.choose_shot(-1, balls, table.pockets, 0, true, 45), ShotChoice(1, 0));
  EXPECT_EQ(rules.choose_shot(0, {Ball()}, table.pockets, 0, true, 45), ShotChoice(1, 0));
  rules.winner = 1;
  EXPECT_EQ(choose(balls), ShotChoice(1, 0));
}

TEST_F(ComputerPlayer, SuitablePocketsPreferClearShortStraightOnes) {
  std::map<int, Vec3> placed{{0, {-0.5f, 0, 0}}, {3, {0, 0, -0.05f}}};
  EXPECT_EQ(rules.suitable_pockets(layout(placed), table.pockets, 3), 1);
  // Blocked ways to the two best pockets: the best clear one.
  placed[9] = (table.pockets[1].position + placed[3]) * 0.5f;
  placed[10] = (table.pockets[2].position + placed[3]) * 0.5f;
  EXPECT_EQ(rules.suitable_pockets(layout(placed), table.pockets, 3), 0);
  // All four corners ahead blocked: the clear edge pocket, at 85 degrees.
  placed[11] = (table.pockets[0].position + placed[3]) * 0.5f;
  placed[12] = (table.pockets[3].position + placed[3]) * 0.5f;
  EXPECT_EQ(rules.suitable_pockets(layout(placed), table.pockets, 3), 5);
  // Every way below 90 degrees blocked: the best pocket regardless.
  placed[13] = (table.pockets[5].position + placed[3]) * 0.5f;
  placed[14] = (table.pockets[10].position + placed[3]) * 0.5f;
  EXPECT_EQ(rules.suitable_pockets(layout(placed), table.pockets, 3), 1);
  EXPECT_EQ(rules.suitable_pockets(layout(placed), table.pockets, 16), -1);
  EXPECT_EQ(rules.suitable_pockets(layout(placed), {}, 3), -1);
}

TEST(Difficulty, TheAimErrorGrowsFromHardToEasy) {
  Difficulty d;
  EXPECT_EQ(d.sigma(), 0.0f);
  d.level = 1;
  EXPECT_EQ(d.sigma(), 0.375f);
  d.level = 0;
  EXPECT_EQ(d.sigma(), 0.75f);

  pcg32 engine(42u);
  EXPECT_EQ(Difficulty::aim_errors(engine, 0.0f), (std::array<float, 2>{0.0f, 0.0f}));
  double sum = 0, sum2 = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i)
    for (float e : Difficulty::aim_errors(engine, 0.75f)) {
      sum += e;
      sum2 += double(e) * e;
    }
  const double mean = sum / (2 * n);
  EXPECT_NEAR(mean, 0.0, 0.02);
  EXPECT_NEAR(std::sqrt(sum2 / (2 * n) - mean * mean), 0.75, 0.015);
}

TEST(Difficulty, OnHardTheAimIsTrue) {
  const Difficulty hard;
  const Vec3 p{-0.5f, 0.1f, 0.2f}, q{0.3f, -0.1f, 0.05f};
  testing_support::OutputCapture capture;
  const auto [from, to] = hard.aim_direction(p, q);
  EXPECT_TRUE(std::regex_match(capture.out(), std::regex("x err = -?0, y err = -?0\n")))
      << capture.out();
  EXPECT_EQ(from, p);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(to[i], q[i], 1e-6f);
}

TEST(Difficulty, AnErrorSwingsTheTargetAboutTheStart) {
  const Vec3 p{0, 0, 0}, q{1, 0, 0};
  // One degree about the view's y axis, nothing about its x axis.
  const auto [from, to] = Difficulty::aim_direction(p, q, {1.0f, 0.0f});
  EXPECT_NEAR(norm(to - from), 1.0f, 1e-6f);
  EXPECT_NEAR(angle_between(to - from, q - p, 7.0f), 0.017453292f, 1e-5f);
  EXPECT_NEAR(to[1], 0.0f, 1e-6f);  // turned about the vertical
}

}  // namespace
