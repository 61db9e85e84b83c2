// EightBall: the rules of eight-ball. Solids 1 to 7, the eight, stripes 9 to
// 15; the shooter keeps the table while pocketing own balls, fouls give the
// opponent ball in hand, and the eight decides the game.
#pragma once

#include "game/rules/game_rules.h"

class EightBall : public GameRules {
 public:
  EightBall();

  void evaluate_shot() override;
  int num_object_balls() const override { return 2 * eight_ball - 1; }
  // The triangle with ball 1 at the apex (x = -3 sqrt(3) d), the eight in the
  // middle of the third row and balls 6 and 11 at the back corners.
  std::vector<Vec3> rack_positions(float spacing) const override;
  void ball_pocketed(int ball) override;
  // "solids", "stripes", "no teams" ("Solids" ... when capitalised).
  std::string team_name(int team, bool capitalise) const override;
  int ball_team(int ball) const override;
  bool legal_target(int ball, bool contact) const override;
  bool on_eight_ball() const override;
};
