// BasicEngine: the two menu sounds, heard from the camera.
#include <string>

#include "engine/basic_engine.h"
#include "ui/dialog.h"

namespace {

// Where a menu sound plays: at `at`, else at the selected dialog when it is
// shown, else nowhere in particular.
const CoordinateSystem* menu_sound_place(const CoordinateSystem* at, const Dialog* selected) {
  if (at) return at;
  if (selected && selected->enabled()) return &selected->frame().coord_sys();
  return nullptr;
}

}  // namespace

void BasicEngine::play_menu_sound(const std::string& name, const CoordinateSystem* at) {
  listener_.gain(1.0f);
  update_listener_audio();
  // Before the menu sounds are set up there is no source (and maybe no
  // OpenAL context) to play through.
  if (menu_audio_.bank().source().id() == 0) return;
  menu_audio_.play_menu_sound(name, menu_sound_place(at, selected_dialog_));
}

int BasicEngine::update_listener_audio() {
  listener_.coord_sys() = mouse_look_.coord_sys();
  listener_.velocity(walking_.velocity());
  return 0;
}

void BasicEngine::play_menu_arrow_sound(const CoordinateSystem* at) {
  play_menu_sound("menu_arrow_sound", at);
}

void BasicEngine::play_menu_select_sound(const CoordinateSystem* at) {
  play_menu_sound("menu_select_sound", at);
}
