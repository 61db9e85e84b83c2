// Players, turns and the scans over the shot's events.
#include "game/rules/game_rules.h"

#include <algorithm>
#include <atomic>
#include <iostream>

namespace {

std::atomic<std::uint64_t> game_counter{0};

}  // namespace

void GameRules::init_players(int num_players, int computers) {
  num_players = std::max(num_players, 0);
  if (num_players > max_players) computers -= num_players - max_players;
  computers = std::clamp(computers, 0, num_players);
  game_number = ++game_counter;
  const int humans = num_players - computers;
  players.assign(static_cast<std::size_t>(num_players), Player());
  for (int i = 0; i < num_players; ++i) {
    Player& p = players[static_cast<std::size_t>(i)];
    p.computer = i >= humans;
    if (p.computer)
      p.name = computers >= 2 ? "Computer " + std::to_string(i + 1 - humans) : "Computer";
    else
      p.name = humans >= 2 ? "Player " + std::to_string(i + 1) : "Player";
  }
  if (valid_seat(winner)) {
    current = winner;
  } else {
    current = players.empty() ? -1 : 0;
    if (players.empty())
      std::cout << "GameRules::init_players(): warning current player = " << current << std::endl;
  }
  winner = -1;
  shot_count = ~std::uint64_t(0);
  turn_count = ~std::uint64_t(0);
  events.clear();
  ball_in_hand = false;
  shot_in_progress = false;
}

Player& GameRules::current_player() {
  if (valid_seat(current)) return players[static_cast<std::size_t>(current)];
  // Whatever a caller wrote into the default record last time is dropped.
  fallback_ = Player();
  return fallback_;
}

const Player& GameRules::current_player() const {
  static const Player fallback;
  if (valid_seat(current)) return players[static_cast<std::size_t>(current)];
  return fallback;
}

Player& GameRules::previous_player() {
  const int n = static_cast<int>(players.size());
  if (n == 0) {
    fallback_ = Player();
    return fallback_;
  }
  const int i = ((current - 1) % n + n) % n;
  return players[static_cast<std::size_t>(i)];
}

bool GameRules::has_winner() const {
  return valid_seat(winner);
}

int GameRules::num_computer_players() const {
  return static_cast<int>(
      std::count_if(players.begin(), players.end(), [](const Player& p) { return p.computer; }));
}

int GameRules::next_seat() const {
  const int n = static_cast<int>(players.size());
  if (n == 0) return -1;
  return ((current + 1) % n + n) % n;
}

void GameRules::assign_teams(int team) {
  if ((team != 1 && team != 2) || !valid_seat(current)) return;
  const int other = team == 1 ? 2 : 1;
  auto group = [this](int t) {
    std::vector<int> balls;
    if (t == 1)
      for (int b = 1; b < eight_ball; ++b) balls.push_back(b);
    else
      for (int b = eight_ball + 1; b < 2 * eight_ball; ++b) balls.push_back(b);
    return balls;
  };
  Player& shooter = players[static_cast<std::size_t>(current)];
  shooter.targets = group(team);
  shooter.team = team;
  if (players.size() == 2) players[static_cast<std::size_t>((current + 1) % 2)].team = other;
  for (int i = 0; i < static_cast<int>(players.size()); ++i) {
    if (i == current) continue;
    Player& p = players[static_cast<std::size_t>(i)];
    if (p.team == team) {
      p.targets = shooter.targets;
    } else {
      p.targets = group(other);
      p.team = other;
    }
  }
}

std::string GameRules::display_name() const {
  const Player& p = current_player();
  return p.name + " (" + team_name(p.team, false) + ")";
}

std::string GameRules::winner_text() const {
  if (!has_winner()) return "";
  const Player& p = players[static_cast<std::size_t>(winner)];
  return p.name + " (" + team_name(p.team, false) + ")" + " wins!";
}

std::vector<int> GameRules::pocketed_this_shot() const {
  std::vector<int> balls;
  for (const ShotEvent& e : events)
    if (e.first == kPocketed && e.second != 0 && e.second != eight_ball) balls.push_back(e.second);
  return balls;
}

std::vector<int> GameRules::all_pocketed() const {
  std::vector<int> balls;
  for (const Player& p : players)
    for (int b : p.pocketed)
      if (b != 0 && !holds(balls, b)) balls.push_back(b);
  return balls;
}

std::vector<int> GameRules::balls_on_table() const {
  const std::vector<int> gone = all_pocketed();
  std::vector<int> balls;
  for (int b = 1; b <= num_object_balls(); ++b)
    if (!holds(gone, b)) balls.push_back(b);
  return balls;
}

std::vector<int> GameRules::legal_targets(int player) const {
  if (player == -1) player = current;
  if (!current_player().has_team() || !valid_seat(player)) return {};
  const std::vector<int> gone = all_pocketed();
  std::vector<int> balls;
  for (int b = 1; b <= num_object_balls(); ++b)
    if (!holds(gone, b) && legal_target(b, false)) balls.push_back(b);
  return balls;
}

void GameRules::pass_turn() {
  if (players.empty()) return;
  turn_passed = true;
  current = next_seat();
  ++turn_count;
}

bool GameRules::ball_pocketed_this_shot(int ball) const {
  return std::any_of(events.begin(), events.end(), [ball](const ShotEvent& e) {
    return e.first == kPocketed && e.second == ball;
  });
}

bool GameRules::own_ball_pocketed_this_shot() const {
  const Player& p = current_player();
  if (!p.has_team()) return false;
  return std::any_of(events.begin(), events.end(), [&p](const ShotEvent& e) {
    return e.first == kPocketed && holds(p.targets, e.second);
  });
}

bool GameRules::any_ball_pocketed() const {
  return std::any_of(events.begin(), events.end(),
                     [](const ShotEvent& e) { return e.first == kPocketed; });
}

bool GameRules::cue_ball_pocketed() const {
  return ball_pocketed_this_shot(0);
}

bool GameRules::any_ball_contact() const {
  return std::any_of(events.begin(), events.end(),
                     [](const ShotEvent& e) { return e.first == kBallContact; });
}

int GameRules::rail_contact_count() const {
  return static_cast<int>(std::count_if(
      events.begin(), events.end(), [](const ShotEvent& e) { return e.first == kRailContact; }));
}
