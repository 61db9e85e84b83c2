// The computer player's choice of ball and pocket, and the pocket that suits
// a ball: straight lines between centres, tested against balls and pockets.
#include <algorithm>
#include <limits>

#include "game/rules/game_rules.h"
#include "game/rules/path_tests.h"
#include "game/rules/random.h"
#include "game/table/angle.h"
#include "game/table/ball.h"
#include "game/table/pocket.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;

}  // namespace

ShotChoice GameRules::choose_shot(int player, const std::vector<Ball>& balls,
                                  const std::vector<Pocket>& pockets, int cue, bool path_test,
                                  float limit_deg) const {
  const int num_balls = static_cast<int>(balls.size());
  if (pockets.empty() || winner >= 0 || !valid_seat(player) || num_balls < 2 || cue < 0 ||
      cue >= num_balls)
    return {1, 0};

  if (shot_count == 0) {
    static RandomInt break_random;
    const int ball = break_random(1, num_balls - 1);
    const int pocket = break_random(0, static_cast<int>(pockets.size()) - 1);
    return {ball, pocket};
  }

  std::vector<int> candidates = legal_targets(player);
  if (candidates.empty()) {
    const Player& p = players[static_cast<std::size_t>(player)];
    if (p.pocketed.empty() || !current_player().has_team()) {
      const std::vector<int> gone = all_pocketed();
      for (int b = 0; b < num_balls; ++b)
        if (b != cue && !holds(gone, b) && b != eight_ball) candidates.push_back(b);
    }
    if (candidates.empty()) candidates.push_back(eight_ball);
  }

  const float limit = static_cast<float>(limit_deg * 0.017453292519943295);
  const int first = candidates.front();
  const Vec3& cue_centre = balls[static_cast<std::size_t>(cue)].position;
  ShotChoice best{first, 0};
  float best_score = std::numeric_limits<float>::infinity();
  float best_angle = 0.0f;
  bool found = false;
  for (int b : candidates) {
    if (b < 0 || b >= num_balls) continue;
    const Ball& ball = balls[static_cast<std::size_t>(b)];
    if (!ball.enable_update()) continue;
    const Vec3 u = normalized(ball.position - cue_centre);
    if (path_blocked(balls, cue, b) || pocket_on_path(pockets, cue_centre, ball.position)) continue;
    for (std::size_t j = 0; j < pockets.size(); ++j) {
      const Vec3 to_pocket = pockets[j].position - ball.position;
      const float dist = norm(to_pocket);
      const Vec3 v = normalized(to_pocket);
      if (path_test && path_to_point_blocked(balls, b, pockets[j].position)) continue;
      const float angle = angle_between(u, v, kTwoPi);
      if (limit > 0.0f && angle >= limit) continue;
      const float score = angle * dist / pockets[j].radius;
      if (!found || score < best_score) {
        best = {b, static_cast<int>(j)};
        best_score = score;
        best_angle = angle;
        found = true;
      }
    }
  }

  if (!found) {
    if (path_test) return choose_shot(player, balls, pockets, cue, false, 45.0f);
    if (limit_deg < 90.0f) return choose_shot(player, balls, pockets, cue, false, 90.0f);
    return {first, 0};
  }
  if (double(best_angle) < 3.1415914614968976) return best;
  return {first, 0};
}

int GameRules::suitable_pockets(const std::vector<Ball>& balls, const std::vector<Pocket>& pockets,
                                int b) const {
  if (pockets.empty() || b < 0 || b >= static_cast<int>(balls.size())) return -1;
  const Vec3& centre = balls[static_cast<std::size_t>(b)].position;
  const Vec3 u = centre - balls.front().position;
  const auto angle_to = [&](std::size_t j, float fallback) {
    return angle_between(u, pockets[j].position - centre, fallback);
  };
  std::vector<std::size_t> kept;
  for (int pass = 0; pass < 2 && kept.empty(); ++pass)
    for (std::size_t j = 0; j < pockets.size(); ++j)
      if ((pass == 1 || !path_to_point_blocked(balls, b, pockets[j].position)) &&
          angle_to(j, kTwoPi) < 1.5707964f)
        kept.push_back(j);
  if (kept.empty())
    for (std::size_t j = 0; j < pockets.size(); ++j) kept.push_back(j);

  int best = -1;
  float best_score = 0.0f;
  for (std::size_t j : kept) {
    const float score = norm(pockets[j].position - centre) * angle_to(j, kPi);
    if (best < 0 || score < best_score) {
      best = static_cast<int>(j);
      best_score = score;
    }
  }
  return best;
}
