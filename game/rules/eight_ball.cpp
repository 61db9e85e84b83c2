// The eight-ball verdicts.
#include "game/rules/eight_ball.h"

#include <algorithm>
#include <cctype>
#include <iostream>

EightBall::EightBall() {
  max_players = 2;
  min_rail_contacts = 3;
}

std::vector<Vec3> EightBall::rack_positions(float d) const {
  // (a, b) of balls 1 to 15: row a + b from the apex, column a - b.
  static constexpr int kRack[15][2] = {{0, 0}, {3, 0}, {1, 0}, {1, 3}, {0, 2},
                                       {4, 0}, {1, 2}, {1, 1}, {2, 1}, {0, 1},
                                       {0, 4}, {2, 0}, {2, 2}, {0, 3}, {3, 1}};
  const float row_step = -2.0f * d * 0.8660254037844386f;
  std::vector<Vec3> offsets;
  offsets.reserve(15);
  for (const auto& [a, b] : kRack) {
    const int row = a + b;
    offsets.push_back(
        {row_step * static_cast<float>(3 - row), 0.0f, static_cast<float>(a - b) * d});
  }
  return offsets;
}

void EightBall::ball_pocketed(int ball) {
  events.push_back({kPocketed, ball});
  if (ball == 0) {
    ball_in_hand = true;
    events.push_back({kScratch, -1});
    return;
  }
  if (!valid_seat(current)) return;
  Player& shooter = current_player();
  shooter.pocketed.push_back(ball);
  if (!shooter.has_team() && ball == eight_ball) {
    pass_turn();
    winner = current;
  }
}

std::string EightBall::team_name(int team, bool capitalise) const {
  std::string name = team == 1 ? "solids" : (team == 2 ? "stripes" : "no teams");
  if (capitalise) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

int EightBall::ball_team(int ball) const {
  if (ball < 1 || ball == eight_ball) return 0;
  return ball < eight_ball ? 1 : 2;
}

bool EightBall::legal_target(int ball, bool) const {
  if (on_eight_ball()) return ball == eight_ball;
  const Player& p = current_player();
  return p.has_team() && holds(p.targets, ball);
}

bool EightBall::on_eight_ball() const {
  const std::vector<int> left = balls_on_table();
  return left.size() == 1 && left.front() == eight_ball;
}

void EightBall::evaluate_shot() {
  shot_in_progress = false;
  if (winner >= 0) return;
  ++shot_count;
  foul = false;
  turn_passed = false;

  const bool pocketed = any_ball_pocketed();
  const bool scratch = cue_ball_pocketed();
  if (ball_in_hand != scratch) {
    std::cerr << "Error" << std::endl;
    ball_in_hand = scratch;
  }
  const Player& shooter = current_player();

  if (ball_in_hand) {
    if (shooter.has_team()) {
      const std::vector<int> gone = all_pocketed();
      const std::vector<int> this_shot = pocketed_this_shot();
      const bool group_cleared_before =
          std::all_of(shooter.targets.begin(), shooter.targets.end(),
                      [&](int b) { return holds(gone, b) && !holds(this_shot, b); });
      if (ball_pocketed_this_shot(eight_ball) || group_cleared_before) winner = next_seat();
    }
    pass_turn();
    return;
  }

  if (!pocketed) {
    if (any_ball_contact()) {
      const auto first = std::find_if(events.begin(), events.end(),
                                      [](const ShotEvent& e) { return e.first == kBallContact; });
      const int ball = first->second;
      const bool own_group_down = std::all_of(shooter.targets.begin(), shooter.targets.end(),
                                              [&](int b) { return holds(shooter.pocketed, b); });
      if (legal_target(ball, true)) {
        // a legal first contact
      } else if (shooter.has_team() && own_group_down && ball == eight_ball) {
        // the eight first, with the own group pocketed by the shooter
      } else if (shooter.has_team() && shot_count > 1) {
        ball_in_hand = true;
        foul = true;
      }
    } else if (rail_contact_count() < min_rail_contacts && shot_count > 1) {
      ball_in_hand = true;
      foul = true;
    }
    pass_turn();
    return;
  }

  const auto first_drop = std::find_if(events.begin(), events.end(),
                                       [](const ShotEvent& e) { return e.first == kPocketed; });
  const bool eight_first = first_drop->second == eight_ball;
  if (holds(shooter.pocketed, eight_ball)) {
    const bool won = shooter.has_team() && legal_targets(current).empty() && eight_first;
    winner = won ? current : next_seat();
    return;
  }
  if (own_ball_pocketed_this_shot()) return;
  pass_turn();
}
