// The settings files of the data folder: the sections the game and the engine
// read at start, and the description files that name the models.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct SettingsFile {
  // File name in the cfg folder.
  std::string file;
  // Keys and values, written in key order.
  std::vector<std::pair<std::string, std::string>> entries;
};

std::vector<SettingsFile> settings_files();

}  // namespace datagen
