// The data folder's check before start-up opens a window.
#include "game/app/data_folder_check.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "core/engine_settings.h"
#include "core/files.h"
#include "core/program_cfg.h"
#include "game/app/pool_engine.h"
#include "platform/environment.h"

namespace {

namespace fs = std::filesystem;

const char* const kIncomplete = "Data folder incomplete: ";

// The data root as an absolute folder name with a trailing "/".
std::string absolute_root(const EngineSettings& settings) {
  std::error_code ec;
  fs::path root = settings.root().empty() ? fs::current_path(ec) : fs::path(settings.root());
  std::string text = fs::absolute(root, ec).lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// The value under key of a settings file, or nothing when the file does not
// read.
std::optional<std::string> value_in(const std::string& path, const char* key) {
  ProgramCfg table;
  if (!file_exists(path) || table.load(path) != 0) return std::nullopt;
  return static_cast<const ProgramCfg&>(table)[key].str();
}

// What a model description named by `key` of pool_objects.ini lacks.
std::string missing_model(const std::string& root, const EngineSettings& settings,
                          const std::string& key, const std::string& description) {
  const std::string cfg = settings.cfg_folder() + "/";
  const std::string objects = cfg + PoolEngine::kPoolObjects + ".ini";
  const std::string path = root + cfg + description;
  const std::optional<std::string> model = value_in(path, "obj_file");
  if (!model)
    return kIncomplete + path + " is missing (named by \"" + key + "\" in " + objects + ")";
  if (model->empty()) return kIncomplete + path + " names no model under \"obj_file\"";
  const std::string model_path = root + settings.models_folder() + "/" + *model;
  if (!file_exists(model_path))
    return kIncomplete + model_path + " is missing (named by \"obj_file\" in " + cfg + description +
           ")";
  return "";
}

// What one key of pool_objects.ini lacks: its description or that
// description's model.
std::string missing_under(const std::string& root, const EngineSettings& settings,
                          const std::string& objects_path, const ProgramCfg& objects,
                          const std::string& key) {
  const std::string description = objects[key].str();
  if (description.empty())
    return kIncomplete + objects_path + " names no model description under \"" + key + "\"";
  return missing_model(root, settings, key, description);
}

std::string objects_path(const std::string& root, const EngineSettings& settings) {
  return root + settings.cfg_folder() + "/" + PoolEngine::kPoolObjects + ".ini";
}

}  // namespace

std::string missing_data(const EngineSettings& settings) {
  std::error_code ec;
  const std::optional<std::string> named = platform::environment_variable(settings.env_var());
  if (named && !named->empty() && !fs::is_directory(*named, ec))
    return kIncomplete + settings.env_var() + " names \"" + *named + "\", which is not a folder";

  const std::string root = absolute_root(settings);
  for (const std::string& folder : {settings.cfg_folder(), settings.models_folder(),
                                    settings.textures_folder(), settings.sounds_folder()}) {
    if (!fs::is_directory(root + folder, ec))
      return kIncomplete + root + folder + " is missing (the data folder, which " +
             settings.env_var() + " names, holds cfg, models, textures and sounds)";
  }

  const std::string path = objects_path(root, settings);
  ProgramCfg objects;
  if (!file_exists(path) || objects.load(path) != 0) return kIncomplete + path + " is missing";
  for (const char* key : PoolEngine::kSceneModelKeys)
    if (std::string lack = missing_under(root, settings, path, objects, key); !lack.empty())
      return lack;
  return "";
}

std::vector<std::string> missing_furniture(const EngineSettings& settings) {
  const std::string root = absolute_root(settings);
  const std::string path = objects_path(root, settings);
  ProgramCfg objects;
  std::vector<std::string> lacks;
  if (!file_exists(path) || objects.load(path) != 0) return lacks;
  for (const auto& [key, value] : objects.fields()) {
    if (!PoolEngine::furniture_key(key)) continue;
    if (std::string lack = missing_under(root, settings, path, objects, key); !lack.empty())
      lacks.push_back(lack + "; the game goes on without it");
  }
  return lacks;
}
