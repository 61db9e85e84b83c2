// BasicEngine: the choice of the full-screen display mode at start-up.
#include <algorithm>
#include <iostream>

#include "core/files.h"
#include "core/program_cfg.h"
#include "engine/basic_engine.h"

int BasicEngine::auto_game_mode(bool match_aspect, std::string log_file) {
  const std::vector<std::string> modes = window_.detect_game_modes(match_aspect, log_file);
  if (modes.empty()) {
    log("auto_game_mode() Error: no possible game modes detected.", "basic_engine", log_file, true);
    std::cout << "Error - no possible game modes detected!" << std::endl;
    return -1;
  }
  // Only a mode written exactly as listed counts: anything else (another
  // refresh rate, blanks) would hand freeglut a mode the display refused.
  const std::string wanted = load_resolution_setting();
  const bool listed = std::find(modes.begin(), modes.end(), wanted) != modes.end();
  window_.set_game_mode(listed ? wanted : modes.back());
  return 0;
}

std::string BasicEngine::load_resolution_setting() {
  settings_.load_section("video_settings");
  // Read through the const store, so a missing section or key is not added.
  const EngineSettings& settings = settings_;
  return settings["video_settings"]["resolution"].str();
}
