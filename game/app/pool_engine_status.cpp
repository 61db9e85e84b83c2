// PoolEngine: the score board, its three status lines and the team-choice
// texts.
#include <iostream>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "game/menus/list_text.h"
#include "ui/dialog.h"

namespace {

const char* const kScoreBoard = "new_score_board";

// Between shots, after a foul or a scratch, the lines tell who erred.
bool after_foul_or_scratch(const GameRules& game) {
  return !game.shot_in_progress && (game.foul || game.ball_in_hand);
}

}  // namespace

void PoolEngine::update_status_text() {
  if (turn_text_frame) set_frame_text(turn_text_frame, turn_text());
  update_aim_text();
  update_sunk_text();
  const auto board = info_dialogs.find(kScoreBoard);
  if (board == info_dialogs.end()) return;
  Dialog* dialog = board->second;
  place_on_facing_wall(dialog);
  dialog->arrange_children();
  dialog->frame().coord_sys().position()[1] = 0.0f;
}

std::string PoolEngine::turn_text() {
  if (!rules) return "";
  GameRules& game = *rules;
  if (after_foul_or_scratch(game))
    return game.previous_player().name + (game.foul ? " table " : " ") + "scratched!";
  const Player& player = game.current_player();
  return player.name + "'s turn" + " (" + game.team_name(player.team, false) + ")" + ".";
}

void PoolEngine::update_aim_text() {
  if (!aim_text_frame || !rules) return;
  const GameRules& game = *rules;
  std::string text = " ";
  if (game.foul || game.ball_in_hand) {
    text = "Ball-in-hand for " + game.display_name() + ".";
  } else if (const Ball* ball = selected_ball_object(); ball && selected_pocket_object()) {
    text = std::string(" ") + "Aiming for the " + std::to_string(ball->number) + " ball.";
  }
  set_frame_text(aim_text_frame, text);
}

void PoolEngine::update_sunk_text() {
  if (!sunk_text_frame || !rules) return;
  const GameRules& game = *rules;
  // During a shot the previous verdict's foul still stands; only the
  // verdict of this shot speaks of it.
  if (!game.shot_in_progress && game.foul) {
    std::cout << "Table scratched" << std::endl;
    set_frame_text(sunk_text_frame, " ");
    return;
  }
  if (!game.shot_in_progress && game.ball_in_hand) {
    std::cout << "Scratched" << std::endl;
    set_frame_text(sunk_text_frame, " ");
    return;
  }
  std::vector<std::int32_t> sunk;
  for (const ShotEvent& e : game.events)
    if (e.first == kPocketed && e.second > 0) sunk.push_back(e.second);
  set_frame_text(sunk_text_frame,
                 sunk.empty() ? " " : "Sunk " + list_text(sunk, "ball", "balls", "the") + ".");
}

Dialog* PoolEngine::new_score_board() {
  const auto found = info_dialogs.find(kScoreBoard);
  if (found != info_dialogs.end()) return found->second;
  Dialog* board = menus.new_dialog(kScoreBoard);
  board->frame().selectable(0);
  board->follow_player(0);
  board->follow_player_rotation(0);
  board->frame().bg_color()[3] = 0.0f;
  const bool gamepad = controller_tutorial() && controller_tutorial()->gamepad_active();
  turn_text_frame = board->add_text("Welcome to Talvorin.", false);
  aim_text_frame = board->add_text("Select New Game from the", false);
  sunk_text_frame = board->add_text(
      std::string("main menu ") + (gamepad ? "[Start]" : "[Esc]") + " to start.", false);
  turn_text_frame->bg_color()[3] = 0.0f;
  info_dialogs[kScoreBoard] = board;
  return board;
}

void PoolEngine::update_team_choice_texts() {
  Dialog* menu = menus.menu("choose_team");
  if (!rules || !menu) return;
  const GameRules& game = *rules;
  const std::vector<int> gone = game.all_pocketed();
  std::vector<Frame*>& children = menu->children();
  for (int team = 1; team <= game.num_teams && team < static_cast<int>(children.size()); ++team) {
    auto* button = dynamic_cast<TextFrame*>(children[static_cast<std::size_t>(team)]);
    if (!button) continue;
    int count = 0;
    for (const int ball : gone)
      if (game.ball_team(ball) == team) ++count;
    button->set_text(game.team_name(team, true) + " (sunk " + std::to_string(count) +
                     (count == 1 ? " ball" : " balls") + ")");
  }
}
