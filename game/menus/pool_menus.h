// PoolMenus: the game's menus and dialogs by name. For now it holds the four
// dialogs of the shot wizard ("ball in hand", "ball", "pocket", "shoot"),
// which follow the wizard's steps and stand next to the ball, pocket or cue
// ball they concern, the prompts that the end of a shot raises
// ("scratched_on_break", "choose_team", "play_again"; prompts.cpp), the
// menus-active flag and the placement marker of ball in hand.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/option.h"

class Dialog;
class PoolEngine;

// Main thread only. Each dialog is built on the first call of its builder
// and reused afterwards. Every dialog comes from new_dialog(): this object
// owns it, lists it in the engine's dialogs, and at its own end takes it off
// that list (and off the engine's selection) and frees it with its children.
// Without an engine the builders still build and show, and the buttons only
// hide their dialog.
class PoolMenus {
 public:
  explicit PoolMenus(PoolEngine* engine = nullptr);
  ~PoolMenus();
  PoolMenus(const PoolMenus&) = delete;
  PoolMenus& operator=(const PoolMenus&) = delete;

  // ---- The shot wizard's dialogs. Each call shows its dialog and places
  // it (left where it was when what it concerns is missing), and a placed
  // dialog becomes the engine's selected dialog.

  // Buttons "Place here" and "Randomize"; shown only while
  // ball_in_hand_active(), 0.1 m above the cue ball.
  Dialog* ball_in_hand();
  // Button "Choose ball", 0.05 m above the selected ball.
  Dialog* choose_ball();
  // Button "Choose pocket", drawn without depth test, at 0.8 times the
  // selected pocket's position (between it and the table's centre).
  Dialog* choose_pocket();
  // Button "Shoot" and the power slider (0.125 to 1.0, set from the current
  // player's power at each showing; activating the slider shoots), 0.1 m
  // above the cue ball once a ball and a pocket are selected.
  Dialog* shoot();
  // Hides every dialog of wizard_dialogs.
  void hide_wizard_dialogs();
  // A new, empty dialog named `name` (empty master text, no action) that
  // lives as long as this object; listed in the engine's dialogs when there
  // is an engine.
  Dialog* new_dialog(const std::string& name);
  // The engine exists, no VR hand controller is connected, rules exist, the
  // wizard is at "Ball in hand" and the current player is human or a shot
  // is in progress.
  bool ball_in_hand_active() const;

  // ---- Prompts of the end of a shot. Each builder builds its menu once,
  // stores it in `menus` and returns it; the caller shows it. "A new game
  // with the same seats" starts, through the engine's start-game hook, a
  // game of the current numbers of human and computer players.

  // "Scratched on break. Try again?": "Yes" leaves menu mode and starts a
  // new game with the same seats; "No" (the back button) leaves menu mode
  // and hands the table to the next turn. Both hide the prompt.
  Dialog* scratched_on_break();
  // "Choose your team:": "Solids" and "Stripes" unpause the game and its
  // sounds, give the shooter that team, leave menu mode and let the end of
  // the shot go on. Stays open on Back.
  Dialog* choose_team();
  // "Play again?" (its text becomes the result and the question): "Yes"
  // hides it, leaves menu mode and starts a new game with the same seats;
  // "No" (the back button) hides it, releases Escape and, with VR hand
  // controllers, glides the cue into the hands. Stays open on Back.
  Dialog* play_again();
  // The menu of that name, null when it has not been built.
  Dialog* menu(const std::string& name) const;

  // By name: "ball", "ball in hand", "pocket", "shoot".
  std::map<std::string, Dialog*> wizard_dialogs;
  // The menus by name.
  std::map<std::string, Dialog*> menus;
  PoolEngine* engine = nullptr;
  // A menu is meant to be open (the game is in menu mode); arrow keys then
  // leave the shot alone.
  bool menus_active = true;
  // Shown while the spot pointed at for the cue ball is not free; starts
  // hidden.
  SimpleOption placement_marker;

 private:
  // The wizard dialog of that name, built by `build` when missing: not
  // following the player, its menu sounds off, stored, its default child
  // selected.
  template <typename Build>
  Dialog* wizard_dialog(const std::string& name, Build build);
  // Shows the dialog; with a position, places it there and makes it the
  // engine's selected dialog.
  void show_at(Dialog* dialog, const float* position);

  // The wizard-dialog buttons' actions. "Choose ball" and "Choose pocket":
  // unless paused, the wizard dialogs give way to the next step's, shown by
  // show_next, and the wizard goes on; the button's dialog closes.
  void step_pressed(Dialog* dialog, Dialog* (PoolMenus::*show_next)());
  void shoot_pressed(Dialog* dialog);
  void power_changed(float value);
  void place_here_pressed(Dialog* dialog);
  void randomize_pressed(Dialog* dialog);

  // The prompt of that name, built by `build` when missing: stored in
  // `menus`, its default child selected.
  template <typename Build>
  Dialog* prompt(const std::string& name, Build build);
  // A new game with the current seats; nothing without an engine.
  void restart_same_seats();

  std::vector<std::unique_ptr<Dialog>> owned_;
};
