// PoolMenus: the prompts that the end of a shot raises and their answers.
#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "ui/dialog.h"

template <typename Build>
Dialog* PoolMenus::prompt(const std::string& name, Build build) {
  const auto found = menus.find(name);
  if (found != menus.end()) return found->second;
  Dialog* dialog = new_dialog(name);
  build(dialog);
  menus[name] = dialog;
  dialog->select_default_child();
  return dialog;
}

Dialog* PoolMenus::menu(const std::string& name) const {
  const auto found = menus.find(name);
  return found == menus.end() ? nullptr : found->second;
}

void PoolMenus::restart_same_seats() {
  if (!engine || !engine->rules) return;
  const GameRules& game = *engine->rules;
  const int computers = game.num_computer_players();
  const int humans = static_cast<int>(game.players.size()) - computers;
  if (engine->start_game_hook()) engine->start_game_hook()(humans, computers);
}

Dialog* PoolMenus::scratched_on_break() {
  return prompt("scratched_on_break", [this](Dialog* d) {
    d->add_text("Scratched on break. Try again?", false);
    d->add_button("Yes", [this, d] {
      if (engine) engine->set_menu(false);
      d->disable();
      restart_same_seats();
    });
    TextFrame* no = d->add_button("No", [this, d] {
      if (engine) engine->set_menu(false);
      d->disable();
      if (engine) engine->next_turn();
    });
    no->is_back = true;
  });
}

Dialog* PoolMenus::choose_team() {
  return prompt("choose_team", [this](Dialog* d) {
    d->add_text("Choose your team:", false);
    for (const int team : {1, 2}) {
      d->add_button(team == 1 ? "Solids" : "Stripes", [this, d, team] {
        // Hidden here too, so that it goes also where leaving menu mode
        // closes no menus.
        d->disable();
        if (!engine) return;
        engine->unpause();
        engine->audio.game_bank.resume();
        if (engine->rules) engine->rules->assign_teams(team);
        engine->set_menu(false);
        engine->end_shot();
      });
    }
    d->stay_open = true;
  });
}

Dialog* PoolMenus::play_again() {
  return prompt("play_again", [this](Dialog* d) {
    d->add_text("Play again?", false);
    d->add_button("Yes", [this, d] {
      d->disable();
      if (engine) engine->set_menu(false);
      restart_same_seats();
    });
    TextFrame* no = d->add_button("No", [this, d] {
      d->disable();
      if (!engine) return;
      engine->key_up(27);
      if (engine->positional_control(1)) engine->fade_aim_to_controllers(nullptr, 2.0f);
    });
    no->is_back = true;
    d->stay_open = true;
  });
}
