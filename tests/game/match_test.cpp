// A whole game of two computers without a window, frame by frame on a fixed
// step through the engine's idle step: it ends with a winner within a cap of
// shots, every ball stays finite and accounted for, and every verdict agrees
// with what the shot did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <sstream>

#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/data_root.h"
#include "support/pool_play.h"

namespace {

constexpr double kFrame = 1.0 / 30.0;
// A game takes about 10 to 35 shots.
constexpr int kShotCap = 400;

bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool dropped(const std::deque<ShotEvent>& events, int ball) {
  return std::any_of(events.begin(), events.end(), [ball](const ShotEvent& e) {
    return e.first == kPocketed && e.second == ball;
  });
}

class Match : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ready_for_play(engine, clock);
    engine.difficulty.level = 2;
    engine.rack_random.engine().seed(2024);
    engine.spot_random.engine().seed(2025);
    engine.pair_order_random.engine().seed(2026);
    engine.new_game(0, 2);
  }

  void frame() { testing_support::play_frame(engine, now, kFrame); }

  // Every ball finite; an object ball either in play inside the box or out
  // of play, pocketed by the rules and held by exactly one pocket.
  void check_balls(int shot) {
    const Vec3& h = engine.table.half_extents;
    const std::vector<int> gone = engine.rules->all_pocketed();
    for (std::size_t i = 0; i < engine.balls.size(); ++i) {
      const Ball& b = engine.balls[i];
      if (!finite(b.position) || !finite(b.velocity) || !finite(b.angular_velocity)) {
        ADD_FAILURE() << "shot " << shot << ": ball " << i << " not finite";
        return;
      }
      if (i == 0) continue;
      int held = 0;
      for (const Pocket& p : engine.table.pockets)
        held += int(std::count(p.balls.begin(), p.balls.end(), int(i)));
      if (b.enable_update()) {
        const float slack = 2.0f * norm(b.velocity) * float(kFrame) + 1e-5f;
        for (int a = 0; a < 3; ++a)
          if (std::abs(b.position[a]) > h[a] - b.radius + slack)
            ADD_FAILURE() << "shot " << shot << ": ball " << i << " outside on axis " << a;
        if (held != 0 || holds(gone, int(i)))
          ADD_FAILURE() << "shot " << shot << ": ball " << i << " in play and pocketed";
      } else if (held != 1 || !holds(gone, int(i))) {
        ADD_FAILURE() << "shot " << shot << ": ball " << i << " out of play, held " << held;
      }
    }
  }

  // The verdict on a shot of `shooter`, who had `team` before it.
  void check_verdict(int shot, int shooter, int team) {
    const GameRules& game = *engine.rules;
    const std::deque<ShotEvent>& events = game.events;
    SCOPED_TRACE("shot " + std::to_string(shot));
    EXPECT_FALSE(game.shot_in_progress);
    const bool scratch = dropped(events, 0);
    const bool eight = dropped(events, game.eight_ball);
    if (game.has_winner()) {
      EXPECT_TRUE(eight || scratch);
      return;
    }
    EXPECT_FALSE(eight);
    const Player& p = game.players[std::size_t(shooter)];
    std::vector<int> objects;
    for (const ShotEvent& e : events)
      if (e.first == kPocketed && e.second > 0) objects.push_back(e.second);
    // The first balls dropped decide a team left open.
    if (team < 0 && !objects.empty()) {
      const bool solids = std::any_of(objects.begin(), objects.end(),
                                      [&](int b) { return game.ball_team(b) == 1; });
      const bool stripes = std::any_of(objects.begin(), objects.end(),
                                       [&](int b) { return game.ball_team(b) == 2; });
      EXPECT_TRUE(p.has_team());
      if (solids != stripes) {
        EXPECT_EQ(p.team, solids ? 1 : 2);
      }
    }
    if (p.has_team()) {
      EXPECT_EQ(game.players[std::size_t(1 - shooter)].team, 3 - p.team);
    }
    const bool own = std::any_of(objects.begin(), objects.end(), [&](int b) {
      return p.has_team() && game.ball_team(b) == p.team;
    });
    if (scratch || game.foul) {
      EXPECT_TRUE(game.ball_in_hand);
    }
    if (scratch || !own) {
      EXPECT_NE(game.current, shooter) << "the turn passes";
    } else {
      EXPECT_EQ(game.current, shooter) << "an own ball keeps the table";
    }
  }

  testing_support::TempDataRoot root;
  double now = 100.0;
  FrameClock clock{[this] { return now; }};
  PoolEngine engine;
};

TEST_F(Match, TwoComputersPlayAGameToAWinner) {
  std::ostringstream chatter;
  std::streambuf* old = std::cout.rdbuf(chatter.rdbuf());
  GameRules& game = *engine.rules;
  int shots = 0;
  std::uint64_t game_number = game.game_number;
  // The first stroke counts shot 0; each verdict counts one more.
  std::uint64_t evaluated = 0;
  int shooter = game.current;
  int team = game.current_player().team;
  bool was_running = false;
  while (shots < kShotCap && !game.has_winner() && !HasFailure()) {
    frame();
    if (game.game_number != game_number) {
      // A scratch on the break starts the game over.
      game_number = game.game_number;
      evaluated = 0;
      was_running = false;
      continue;
    }
    if (game.shot_in_progress && !was_running) {
      shooter = game.current;
      team = game.current_player().team;
      ++shots;
    } else if (!game.shot_in_progress && was_running) {
      EXPECT_EQ(game.shot_count, ++evaluated);
      check_verdict(shots, shooter, team);
    }
    was_running = game.shot_in_progress;
    check_balls(shots);
  }
  std::cout.rdbuf(old);
  EXPECT_TRUE(game.has_winner()) << "after " << shots << " shots";
}

}  // namespace
