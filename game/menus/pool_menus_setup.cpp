// PoolMenus: the new-game, gameplay, difficulty and video menus and the
// restart notice.
#include <memory>
#include <string>
#include <vector>

#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "input/window.h"
#include "platform/glut_guard.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"

namespace {

constexpr const char* kLevels[3] = {"Easy", "Medium", "Hard"};
constexpr const char* kScoreBoard = "new_score_board";

}  // namespace

Dialog* PoolMenus::new_game_menu() {
  return new_game_type_menu();
}

Dialog* PoolMenus::new_game_type_menu() {
  return menu("new_game", "New game type", [this](Dialog& d) {
    const struct {
      const char* text;
      int humans, computers;
    } pairings[] = {
        {"Human vs. Computer", 1, 1}, {"Human vs. Human", 2, 0}, {"Computer vs. Computer", 0, 2}};
    for (const auto& p : pairings) {
      d.add_button(p.text, [this, humans = p.humans, computers = p.computers] {
        if (!engine) return;
        back_stack.clear();
        close_menus();
        if (engine->start_game_hook()) engine->start_game_hook()(humans, computers);
      });
    }
    add_back_button(d);
  });
}

Dialog* PoolMenus::gameplay_menu() {
  return menu("gameplay", "Gameplay options", [this](Dialog& d) {
    add_submenu_button(d, "Difficulty", &PoolMenus::difficulty_menu);
    add_switch(
        d, "Status text:",
        [this](bool on) {
          // The board is the end-of-shot code's; it may not exist yet.
          const auto board = engine->info_dialogs.find(kScoreBoard);
          if (board != engine->info_dialogs.end() && board->second) board->second->enable(on);
        },
        true);
    add_back_button(d);
  });
}

Dialog* PoolMenus::difficulty_menu() {
  const bool built = menus.count("difficulty") != 0;
  Dialog* dialog = menu(
      "difficulty", "Choose difficulty",
      [this](Dialog& d) {
        for (int level = 0; level < 3; ++level) {
          d.add_button(kLevels[level], [this, level, &d] {
            if (!engine) return;
            engine->difficulty.level = level;
            mark_difficulty(&d, level);
          });
        }
        add_back_button(d);
      },
      true);
  if (!built) mark_difficulty(dialog, engine ? engine->difficulty.level : 2);
  return dialog;
}

void PoolMenus::mark_difficulty(Dialog* menu, int level) {
  if (!menu) return;
  std::vector<Frame*>& children = menu->children();
  for (int i = 1; i <= 3 && i < static_cast<int>(children.size()); ++i) {
    auto* button = dynamic_cast<TextFrame*>(children[i]);
    if (!button) continue;
    std::string text = button->text();
    const bool marked = !text.empty() && text.back() == '*';
    if (marked && i - 1 != level)
      text.pop_back();
    else if (!marked && i - 1 == level)
      text += "*";
    else
      continue;
    button->set_text(text);
    menu->arrange_children();
  }
}

Dialog* PoolMenus::video_menu() {
  return menu("video", "Video options", [this](Dialog& d) {
    // The stored choice, not the window's state: a stored full screen that
    // the display could not give opened a window, and the next start asks
    // for full screen again.
    add_switch(
        d, "Fullscreen:", [this](bool on) { set_fullscreen(on); },
        engine ? engine->fullscreen_setting : platform::glut_guard::game_mode_active());
    // Only the sizes that fit on the screen the program runs on: a larger
    // window would open partly off the screen.
    std::vector<std::string> modes;
    if (engine)
      for (const std::string& mode : engine->window().game_modes())
        if (kWindow::fits_on_screen(mode)) modes.push_back(mode);
    unsigned int current = 0;
    if (engine) {
      const std::string mode = engine->window().game_mode_string();
      for (unsigned int i = 0; i < modes.size(); ++i)
        if (modes[i] == mode) current = i;
    }
    // The list reports the index it is built with as a change; it acts only
    // once it is built.
    auto built = std::make_shared<ListSelection*>(nullptr);
    auto* list = new ListSelection(
        "Resolution:", modes,
        [this, built](int i) {
          ListSelection* self = *built;
          if (self && engine && i >= 0 && i < static_cast<int>(self->items().size()))
            set_resolution(self->items()[static_cast<std::size_t>(i)]);
        },
        current);
    *built = list;
    // Activating the list steps it to its next entry.
    list->callback() = [list] { list->next(); };
    add_list(d, list);
    add_back_button(d);
  });
}

Dialog* PoolMenus::confirm_restart_menu() {
  return menu("confirm_restart", "Program restart required to apply changes.",
              [this](Dialog& d) { add_back_button(d, "\nRestart later"); });
}

void PoolMenus::set_fullscreen(bool on) {
  if (!engine) return;
  engine->fullscreen_setting = on;
  engine->settings()["video_settings"]["fullscreen"] = on ? "1" : "0";
  engine->settings().save_section("video_settings", true);
  push_menu(confirm_restart_menu());
}

void PoolMenus::set_resolution(const std::string& mode) {
  if (!engine) return;
  engine->settings()["video_settings"]["resolution"] = mode;
  engine->settings().save_section("video_settings", true);
  push_menu(confirm_restart_menu());
}
