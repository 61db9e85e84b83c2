// What the game needs of its data folder, looked at before a window opens:
// the four folders and the models its settings name.
#pragma once

#include <string>

class EngineSettings;

// The first thing the data folder lacks, as one line that names the folder
// or file (by its absolute path); empty when nothing is missing. The data
// folder is the settings store's root (the working directory when it has
// none). In this order:
// - the store's root variable (TALVORIN_ROOT), when it is set, names a folder;
// - the folders cfg, models, textures and sounds are there;
// - cfg/pool_objects.ini is there and names a description under each of the
//   keys every game loads (PoolEngine::kSceneModelKeys);
// - every description that file names under those keys and its furniture
//   keys is in cfg, names a model under "obj_file", and that model is in
//   models.
std::string missing_data(const EngineSettings& settings);
