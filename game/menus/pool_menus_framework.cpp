// PoolMenus: which menu is open, the back stack, menu mode and the common
// steps of building a menu.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"

int PoolMenus::show_menu(Dialog* menu, bool remember) {
  for (auto& [name, open] : menus) {
    if (remember && menu && open->enabled()) push_menu(open);
    open->disable();
  }
  if (!menu) {
    hide_menus();
    return -1;
  }
  const auto found = std::find(back_stack.begin(), back_stack.end(), menu);
  if (found != back_stack.end()) back_stack.erase(found);
  menu->enable(true);
  if (!menus_active) open_menus();
  place_in_view(menu);
  // Arrow keys move in the selected dialog; Enter clicks the current menu.
  if (engine) engine->selected_dialog() = engine->menu_dialog = menu;
  // On a monitor a menu is drawn over the table and the room.
  if (depth_control)
    menu->depth_test(menu->depth_test() && engine && engine->positional_control(1));
  return menu->select_default_child();
}

void PoolMenus::place_in_view(Dialog* menu) {
  if (menu->orient_func()) menu->orient_func()(true);
  placed_menu_ = menu;
  if (!engine) return;
  const CoordinateSystem& view = engine->mouse_look().coord_sys();
  placed_eye_ = view.position();
  placed_look_ = view.zhat(false);
}

void PoolMenus::keep_menus_in_view() {
  if (!engine || engine->hmd_control()) return;
  const CoordinateSystem& view = engine->mouse_look().coord_sys();
  const float turn_cos = std::cos(kViewTurn * 3.14159265f / 180.0f);
  for (auto& [name, menu] : menus) {
    if (!menu->enabled()) continue;
    // The camera of a computer's shot or the walker standing up may carry
    // the view away from a menu that stays where it was put.
    const bool moved = norm(view.position() - placed_eye_) > kViewShift ||
                       dot(view.zhat(false), placed_look_) < turn_cos;
    if (menu != placed_menu_ || moved) place_in_view(menu);
  }
}

void PoolMenus::push_menu(Dialog* menu) {
  if (!menu) return;
  menu->disable();
  const auto found = std::find(back_stack.begin(), back_stack.end(), menu);
  if (found == back_stack.end())
    back_stack.push_back(menu);
  else if (back_stack.size() >= 2 && menu != back_stack.back())
    std::iter_swap(found, back_stack.end() - 1);
}

Dialog* PoolMenus::back() {
  Dialog* open = first_open_menu();
  if (back_stack.empty()) {
    if (open && open->stay_open) {
      // A prompt that must be answered takes the back key as the answer
      // marked as its way back, when it has one ("No" to "Play again?").
      if (Frame* answer = back_answer(*open)) {
        const Frame::Action action = answer->callback();
        action();
        return first_open_menu();
      }
      return open;
    }
    close_menus();
    return nullptr;
  }
  const auto found = std::find(back_stack.begin(), back_stack.end(), open);
  if (open && found != back_stack.end()) back_stack.erase(found, back_stack.end());
  if (back_stack.empty()) {
    close_menus();
    return nullptr;
  }
  Dialog* top = back_stack.back();
  show_menu(top, false);
  return top;
}

Frame* PoolMenus::back_answer(Dialog& menu) {
  for (Frame* child : menu.children())
    if (child && child->is_back && child->selectable() && child->callback()) return child;
  return nullptr;
}

void PoolMenus::close_menus() {
  if (engine) engine->set_menu(false);
  // The engine's menu state may already be off (a menu shown without it),
  // and then its hook does not run.
  if (menus_active) hide_menus();
}

void PoolMenus::open_menus() {
  menus_active = true;
  back_stack.clear();
  const bool any_open = std::any_of(menus.begin(), menus.end(),
                                    [](const auto& entry) { return entry.second->enabled(); });
  if (!any_open) show_menu(main_menu(), false);
}

void PoolMenus::hide_menus() {
  menus_active = false;
  for (auto& [name, menu] : menus) menu->disable();
  if (!engine) return;
  Dialog*& selected = engine->selected_dialog();
  for (auto& [name, menu] : menus) {
    if (selected == menu) selected = nullptr;
    if (engine->menu_dialog == menu) engine->menu_dialog = nullptr;
  }
}

Dialog* PoolMenus::first_open_menu() const {
  if (!menus_active) return nullptr;
  for (const auto& [name, menu] : menus)
    if (menu->enabled()) return menu;
  return nullptr;
}

int PoolMenus::build_menus() {
  main_menu();
  audio();
  init_vr_labels(0);
  init_vr_labels(1);
  if (const int r = load_hint_images(); r != 0)
    std::cerr << "Error " << r << " loading gamepad images" << std::endl;
  controls()->disable();
  return 0;
}

void PoolMenus::menu_changed(bool shown) {
  if (!engine) return;
  if (shown) {
    if (!engine->pause_allowed()) return;
    open_menus();
    show_menu(main_menu(), false);
    engine->pause(true);
    engine->audio.game_bank.pause(false);
    engine->walking().stand_still();
  } else {
    engine->unpause();
    engine->audio.game_bank.resume();
    hide_menus();
  }
  update_vr_labels();
}

Dialog* PoolMenus::menu(const std::string& name, const std::string& title,
                        const std::function<void(Dialog&)>& build, bool hidden) {
  const auto found = menus.find(name);
  if (found != menus.end()) return found->second;
  Dialog* dialog = new_dialog(name);
  if (!title.empty()) dialog->add_text(title, false);
  build(*dialog);
  if (hidden) dialog->frame().disable();
  menus[name] = dialog;
  dialog->select_default_child();
  return dialog;
}

TextFrame* PoolMenus::add_back_button(Dialog& menu, const std::string& text,
                                      std::function<void()> before) {
  TextFrame* button = menu.add_button(text, [this, before = std::move(before)] {
    if (!engine) return;
    if (before) before();
    back();
  });
  button->is_back = true;
  return button;
}

TextFrame* PoolMenus::add_submenu_button(Dialog& menu, const std::string& text,
                                         Dialog* (PoolMenus::*builder)()) {
  return menu.add_button(text, [this, builder] {
    if (engine) show_menu((this->*builder)(), true);
  });
}

ToggleControl* PoolMenus::add_switch(Dialog& menu, const std::string& label,
                                     std::function<void(bool)> action, bool initial) {
  // A list built on reports its first index as a change; the switch acts
  // only on the player's changes.
  auto live = std::make_shared<bool>(false);
  auto* toggle = new ToggleControl(
      label,
      [this, live, action = std::move(action)](bool on) {
        if (*live && engine) action(on);
      },
      initial);
  *live = true;
  add_list(menu, toggle);
  return toggle;
}

void PoolMenus::add_list(Dialog& menu, ListSelection* list) {
  list->margins(menu.frame().margins());
  list->calculate_volume();
  menu.add_button(list);
  list->parent = &menu;
}
