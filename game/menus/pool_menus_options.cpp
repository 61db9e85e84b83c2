// PoolMenus: the main menu, the options with their audio, volume and control
// settings, the about panel and the quit confirmation.
#include <iostream>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"
#include "ui/tex_frame.h"

namespace {

constexpr std::array<float, 3> kSliderSize{0.3f, 0.05f, 0.0f};
// The look speed the walker's own look turns at 200 times.
constexpr float kLookSpeed = 0.005f;

// An image of the textures folder, not selectable.
void add_image(Dialog& d, const EngineSettings* settings, const std::string& file, float height) {
  auto* image = new TexFrame(settings ? settings->find_texture(file) : "", "", height);
  d.add_button(image);
  image->selectable(0);
}

}  // namespace

template <typename T>
void PoolMenus::save_setting(const std::string& section, const std::string& key, const T& value) {
  engine->settings()[section][key] = value;
  engine->settings().save_section(section, true);
}

Dialog* PoolMenus::main_menu() {
  return menu(
      "main_menu", "",
      [this](Dialog& d) {
        add_image(d, engine ? &engine->settings() : nullptr, "tlv-transp.png", 0.05f);
        TextFrame* resume = d.add_button("Resume", [this] {
          if (engine) close_menus();
        });
        resume->is_back = true;
        add_submenu_button(d, "New game", &PoolMenus::new_game_menu);
        add_submenu_button(d, "Options", &PoolMenus::options);
        add_submenu_button(d, "About", &PoolMenus::about);
        add_submenu_button(d, "Quit", &PoolMenus::confirm_quit);
      },
      true);
}

Dialog* PoolMenus::options() {
  return menu(
      "options", "",
      [this](Dialog& d) {
        add_submenu_button(d, "Gameplay", &PoolMenus::gameplay_menu);
        add_submenu_button(d, "Video", &PoolMenus::video_menu);
        add_submenu_button(d, "Audio", &PoolMenus::audio);
        add_submenu_button(d, "Controls", &PoolMenus::controls);
        add_back_button(d);
      },
      true);
}

Dialog* PoolMenus::audio() {
  return menu(
      "audio", "Audio options",
      [this](Dialog& d) {
        bool effects = true, music = true;
        if (engine) {
          EngineSettings& settings = engine->settings();
          if (settings.load_section("audio_settings") != 0)
            std::cerr << "Error loading section audio_settings" << std::endl;
          const ProgramCfg& section = std::as_const(settings)["audio_settings"];
          effects = section.flag("effects_on", true);
          music = section.flag("bg_on", true);
        }
        add_switch(
            d, "Effects:", [this](bool on) { set_effects_on(on); }, effects);
        add_switch(
            d, "Music:", [this](bool on) { set_music_on(on); }, music);
        add_submenu_button(d, "Volume controls", &PoolMenus::volume_controls);
        add_back_button(d);
      },
      true);
}

Dialog* PoolMenus::volume_controls() {
  return menu("master_volume", "Volume controls", [this](Dialog& d) {
    d.add_text("Effects", false);
    d.add_slider([this](float v) { set_effects_volume(v); },
                 engine ? engine->audio.effects_volume : 1.0f, {0.0f, 1.0f}, kSliderSize);
    d.add_text("Music", false);
    d.add_slider([this](float v) { set_music_volume(v); },
                 engine ? engine->audio.bg_source().gain() : 1.0f, {0.0f, 1.0f}, kSliderSize);
    add_back_button(d);
  });
}

Dialog* PoolMenus::controls() {
  return menu("controls", "Control options", [this](Dialog& d) {
    d.add_text("Look sensitivity", false);
    // At the speed the view turns at: the stored one, applied at start.
    const float look_speed = engine ? engine->mouse_look().get_rot_speed()[0] : kLookSpeed;
    d.add_slider([this](float v) { set_look_speed(v); }, look_speed, {0.001f, 0.01f}, kSliderSize);
    const std::array<bool, 3> inverted =
        engine ? engine->mouse().inverted() : std::array<bool, 3>{};
    add_switch(
        d, "Invert horizontal:", [this](bool on) { set_look_inversion(0, on); }, inverted[0]);
    add_switch(
        d, "Invert vertical:", [this](bool on) { set_look_inversion(1, on); }, inverted[1]);
    d.add_text("Walk speed", false);
    d.add_slider([this](float v) { set_walk_accel(v); },
                 engine ? engine->walking().walk_accel : 8.0f, {1.6f, 12.0f}, kSliderSize);
    const bool tips =
        !engine || std::as_const(engine->settings())["controls"].flag("show_control_hints", true);
    show_control_hints(tips);
    add_switch(
        d, "Control tips:", [this](bool on) { set_show_control_hints(on); }, tips);
    add_back_button(d, "Back", [this] { engine->settings().save_section("controls", true); });
    d.calc_bounding_box(false);
  });
}

Dialog* PoolMenus::about() {
  return menu("about", "", [this](Dialog& d) {
    add_image(d, engine ? &engine->settings() : nullptr, "merv-banner.png", 0.075f);
    d.add_button(home_page, [this] {
      if (!engine) return;
      const int r = open_address ? open_address(home_page) : -1;
      if (r != 0) std::cerr << "Cannot open " << home_page << std::endl;
    });
    add_back_button(d);
  });
}

Dialog* PoolMenus::confirm_quit() {
  Dialog* dialog = menu(
      "confirm_quit", "Confirm quit?",
      [this](Dialog& d) {
        d.add_button("Yes", [this] {
          if (!engine) return;
          engine->menu_audio().bank().clear();
          engine->audio.bg_bank.clear();
          engine->audio.menu_bank.clear();
          engine->audio.game_bank.clear();
          engine->quit(1);
        });
        add_back_button(d, "No");
      },
      true);
  dialog->sounds = false;
  return dialog;
}

// ---- Switch and slider actions

void PoolMenus::set_effects_on(bool on) {
  if (!engine) return;
  engine->menu_audio().bank().mute(!on);
  engine->audio.menu_bank.mute(!on);
  engine->audio.game_bank.mute(!on);
  save_setting("audio_settings", "effects_on", on ? 1 : 0);
}

void PoolMenus::set_music_on(bool on) {
  if (!engine) return;
  AudioSource& music = engine->audio.bg_source();
  if (on) {
    if (!music.playing() && music.id() != 0) music.play();
  } else {
    music.pause();
  }
  engine->audio.bg_on = on;
  save_setting("audio_settings", "bg_on", on ? 1 : 0);
}

void PoolMenus::set_effects_volume(float v) {
  if (!engine) return;
  engine->audio.set_effects_volume(v);
  save_setting("audio_settings", "effects_volume", v);
}

void PoolMenus::set_music_volume(float v) {
  if (!engine) return;
  engine->audio.bg_source().gain(v);
  save_setting("audio_settings", "music_volume", v);
}

void PoolMenus::set_look_speed(float v) {
  if (!engine) return;
  engine->mouse_look().set_rot_speed(v, v, v);
  const float walk = v * 1.0f / kLookSpeed;
  engine->walking().look().set_rot_speed(walk, walk, walk);
  const std::array<float, 3> speed = engine->mouse_look().get_rot_speed();
  ProgramCfg& section = engine->settings()["controls"];
  // Start-up reads "look_sensitivity"; "look_speed" is kept for what reads it.
  section["look_speed"] = speed;
  section["look_sensitivity"] = speed;
  engine->settings().save_section("controls", true);
}

void PoolMenus::set_look_inversion(int axis, bool on) {
  if (!engine || axis < 0 || axis > 2) return;
  std::array<bool, 3> inverted = engine->mouse().inverted();
  inverted[static_cast<std::size_t>(axis)] = on;
  engine->mouse().set_inversion(inverted);
  save_setting("controls", "look_inversion", engine->mouse().inverted());
}

void PoolMenus::set_walk_accel(float v) {
  if (!engine) return;
  engine->walking().walk_accel = v;
  save_setting("controls", "walk_accel", v);
}

void PoolMenus::set_show_control_hints(bool on) {
  if (!engine) return;
  show_control_hints(on);
  save_setting("controls", "show_control_hints", on ? 1 : 0);
}

void PoolMenus::show_control_hints(bool on) {
  for (auto& [name, label] : vr_labels) label->frame().enable(on);
  ControllerTutorial* tutorial = engine ? engine->controller_tutorial() : nullptr;
  if (tutorial)
    tutorial->enable(on);
  else
    std::cerr << "Controller tutorial is NULL!" << std::endl;
}
