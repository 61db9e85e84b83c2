// GameRules: players, turns, the shot's events and the winner, with the
// operations a rule set implements; the computer player's choice of shot.
// Main thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/vector_math.h"

class Ball;
class Pocket;

// (type, value) of one thing that happened during the shot, in order.
using ShotEvent = std::pair<std::int32_t, std::int32_t>;

// What the types mean.
enum ShotEventType : std::int32_t {
  kRailContact = 1,  // the cue ball touched a wall; value: the wall pair's axis
  kBallContact = 2,  // the cue ball touched a ball; value: its number
  kScratch = 3,      // written with the cue ball's pocketing; value -1
  kPocketed = 4,     // a ball dropped; value: its number (0 the cue ball)
};

struct Player {
  std::string name = "Player 1";
  std::vector<int> targets;   // balls to pocket, ascending; empty before teams
  int team = -1;              // -1 none, 1 solids, 2 stripes
  std::vector<int> pocketed;  // every ball that dropped while this player shot
  bool computer = false;

  bool has_team() const { return team > 0; }
};

// Whether a list of ball numbers holds the ball.
inline bool holds(const std::vector<int>& balls, int ball) {
  for (int b : balls)
    if (b == ball) return true;
  return false;
}

// (ball, pocket) chosen for a shot.
using ShotChoice = std::pair<int, int>;

class GameRules {
 public:
  virtual ~GameRules() = default;

  // The end-of-shot verdict.
  virtual void evaluate_shot() = 0;
  virtual int num_object_balls() const = 0;
  // Offsets of the object balls in the rack for a spacing, one per ball.
  virtual std::vector<Vec3> rack_positions(float spacing) const = 0;
  // A ball dropped, during the shot.
  virtual void ball_pocketed(int ball) = 0;
  virtual std::string team_name(int team, bool capitalise) const = 0;
  virtual int ball_team(int ball) const = 0;
  // Whether the current player may aim at the ball (contact: judging the
  // first contact rather than listing targets).
  virtual bool legal_target(int ball, bool contact) const = 0;
  virtual bool on_eight_ball() const = 0;

  // A new game of `players` seats, the last `computers` of them played by the
  // computer (both clamped to sensible counts); the previous winner breaks.
  void init_players(int players, int computers);

  // The record at `current`; a default record when current is out of range
  // (the non-const one is reset to the default each time it is handed out).
  Player& current_player();
  const Player& current_player() const;
  // The record before the current one in turn order; the default record
  // when there are no players.
  Player& previous_player();
  bool has_winner() const;
  int num_computer_players() const;
  // Gives the current player team 1 or 2 and the others theirs; other values
  // do nothing.
  void assign_teams(int team);
  std::string display_name() const;
  std::string winner_text() const;

  std::vector<int> pocketed_this_shot() const;
  std::vector<int> all_pocketed() const;
  std::vector<int> balls_on_table() const;
  // The current player's legal targets on the table; empty without a team or
  // for an index that is no seat (-1: the current player).
  std::vector<int> legal_targets(int player = -1) const;
  // The next seat's turn; nothing without players.
  void pass_turn();
  bool ball_pocketed_this_shot(int ball) const;
  bool own_ball_pocketed_this_shot() const;
  bool any_ball_pocketed() const;
  bool cue_ball_pocketed() const;
  bool any_ball_contact() const;
  int rail_contact_count() const;

  // The computer's (ball, pocket) for a player: the legal ball whose cut into
  // a pocket scores best (cut angle x distance / pocket radius), the cue
  // ball's path to it clear of balls and pockets and, with path_test, the
  // ball's path to the pocket clear of balls; widening to no path test at 45
  // degrees, then 90, then giving up with (first candidate, 0). A random pair
  // on the break; (1, 0) for input it cannot use. limit_deg 0 or less: any cut.
  ShotChoice choose_shot(int player, const std::vector<Ball>& balls,
                         const std::vector<Pocket>& pockets, int cue, bool path_test,
                         float limit_deg) const;
  // The pocket that suits a ball best for the shot flow's selection; -1 when
  // there is no pocket, no such ball or no cue ball.
  int suitable_pockets(const std::vector<Ball>& balls, const std::vector<Pocket>& pockets,
                       int ball) const;

  int eight_ball = 8;
  int num_teams = 2;
  int current = 0;
  bool ball_in_hand = false;
  bool foul = false;
  int winner = -1;
  bool shot_in_progress = false;
  std::uint64_t turn_count = ~std::uint64_t(0);  // all bits: no stroke yet
  std::uint64_t shot_count = ~std::uint64_t(0);
  // The number of the shot being played or, between shots, of the next one:
  // the shot count as the strike leaves it, 0 before a game's first stroke.
  std::uint64_t shot_number() const { return shot_count == ~std::uint64_t(0) ? 0 : shot_count; }
  std::deque<ShotEvent> events;
  std::vector<Player> players;
  bool turn_passed = false;
  std::uint64_t game_number = 0;
  int max_players = 2;
  int min_rail_contacts = 3;
  bool block_strike_while_running = true;

 protected:
  bool valid_seat(int i) const { return i >= 0 && i < static_cast<int>(players.size()); }
  // The seat after the current one; -1 without players.
  int next_seat() const;

 private:
  mutable Player fallback_;
};
