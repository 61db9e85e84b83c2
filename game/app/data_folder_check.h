// What the game needs of its data folder, looked at before a window opens:
// the four folders and the models its settings name, the furniture apart.
#pragma once

#include <string>
#include <vector>

class EngineSettings;

// The first thing the data folder lacks that the game cannot start
// without, as one line that names the folder or file (by its absolute path);
// empty when nothing is missing. The data folder is the settings store's
// root (the working directory when it has none). In this order:
// - the store's root variable (TALVORIN_ROOT), when it is set, names a folder;
// - the folders cfg, models, textures and sounds are there;
// - cfg/pool_objects.ini is there and names a description under each of the
//   keys every game loads (PoolEngine::kSceneModelKeys);
// - each of those descriptions is in cfg, names a model under "obj_file",
//   and that model is in models.
std::string missing_data(const EngineSettings& settings);
// The furniture cfg/pool_objects.ini names (its keys PoolEngine::furniture_key
// takes) whose description or model is missing, one line each in key order,
// worded as missing_data's and ending "; the game goes on without it": the
// game draws the room without them. Empty when the file does not read.
std::vector<std::string> missing_furniture(const EngineSettings& settings);
