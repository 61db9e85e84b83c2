// Values of every settings file the generator writes.
#include "datagen/settings.h"

#include "core/strings.h"
#include "datagen/models.h"

namespace datagen {

std::vector<SettingsFile> settings_files() {
  return {
      {"basic_engine.ini",
       {{"autostart_newgame", "1"},
        {"autostart_human_players", "0"},
        {"autostart_ai_players", "2"}}},
      // A window (game mode is chosen only when "fullscreen" is non-zero) of
      // a size that fits a 1920 x 1080 screen and every larger one.
      {"video_settings.ini", {{"fullscreen", "0"}, {"resolution", "1280x720"}}},
      {"controls.ini",
       {{"look_sensitivity", "0.005 0.005 0.005"},
        {"look_speed", "0.005 0.005 0.005"},
        {"look_inversion", "0 0 0"},
        {"walk_accel", "8"},
        {"show_control_hints", "1"},
        {"gamepad_model", "gamepad.ini"},
        {"gamepad_offset", "0 -0.1 -0.4"}}},
      {"audio_settings.ini",
       {{"side_hit_files", "sidehit.wav"},
        {"pocket_files", "pocket.wav"},
        {"ball_hit_files", "ballhit.wav"},
        {"cue_hit_files", "cuehit.wav"},
        {"bg_files", "bg-00.wav bg-01.wav bg-02.wav bg-03.wav"},
        // The tracks are short: play them one after another.
        {"bg_repeat", "1"},
        {"bg_on", "1"},
        {"effects_on", "1"},
        {"effects_volume", "1"},
        {"music_volume", "0.25"}}},
      {"menu_audio_settings.ini",
       {{"menu_arrow_sound", "menu_arrow.wav"},
        {"menu_arrow_sound_gain", "0.6"},
        {"menu_select_sound", "menu_select.wav"},
        {"menu_select_sound_gain", "0.8"}}},
      // Each model key names its description file in this folder.
      {"pool_objects.ini",
       {{"room_model", "room_model.ini"},
        {"table_model", "table_model.ini"},
        {"cue_stick_model", "cue_stick_model.ini"},
        {"bench", "bench.ini"},
        {"chair", "chair.ini"},
        {"stool", "stool.ini"}}},
      // The room's description is also the "room_model" section: its screen
      // object, its lamps and where the player may walk.
      {"room_model.ini",
       {{"obj_file", "room.obj"},
        {"screen_object", "Screen_Cube.019"},
        {"player_volume_objects", join(player_volume_names(), " ")},
        {"point_lights_objects", "table_lights point_lights"},
        {"point_lights_brightnesses", "1.2 2.5"},
        {"point_lights_radii", "1 1"},
        {"point_lights_ambient", "0.15 0.15"}}},
      {"table_model.ini", {{"obj_file", "table.obj"}}},
      {"cue_stick_model.ini", {{"obj_file", "cue.obj"}}},
      {"bench.ini", {{"obj_file", "bench.obj"}}},
      {"chair.ini", {{"obj_file", "chair.obj"}}},
      {"stool.ini", {{"obj_file", "stool.obj"}}},
      {"gamepad.ini", {{"obj_file", "gamepad_v1.obj"}}},
  };
}

}  // namespace datagen
