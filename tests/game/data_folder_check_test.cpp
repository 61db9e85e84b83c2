// The data folder's check before a window opens: the first thing it lacks,
// named by its path, on a small folder of the game's shape.
#include "game/app/data_folder_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_settings.h"
#include "support/data_root.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempDataRoot;

// The folders, the model settings and the models the game loads; only
// whether a file is there counts.
void write_complete_folder(const TempDataRoot& root) {
  root.write("cfg/pool_objects.ini",
             "room_model = room_model.ini\ntable_model = table_model.ini\n"
             "cue_stick_model = cue_stick_model.ini\nbench = bench.ini\nlamp = lamp.ini\n");
  for (const char* model : {"room", "table", "cue_stick", "bench"}) {
    const std::string name = model;
    root.write("cfg/" + name + "_model.ini", "obj_file = " + name + ".obj\n");
    root.write("models/" + name + ".obj", "v 0 0 0\n");
  }
  root.write("cfg/bench.ini", "obj_file = bench.obj\n");
  root.write("textures/felt.png", "");
  root.write("sounds/hit.wav", "");
}

TEST(DataFolderCheck, NamesTheFirstFolderOrFileTheGameCannotStartWithout) {
  const struct {
    const char* what;
    std::function<void(const TempDataRoot&)> damage;
    // After the folder's absolute name; empty: nothing is missing.
    std::string lack;
  } cases[] = {
      {"complete (the lamp is no model the game loads)", [](const TempDataRoot&) {}, ""},
      {"no cfg folder",
       [](const TempDataRoot& r) { std::filesystem::remove_all(r.path() / "cfg"); },
       "cfg is missing (the data folder, which TALVORIN_ROOT names, holds cfg, models, "
       "textures and sounds)"},
      {"no sounds folder",
       [](const TempDataRoot& r) { std::filesystem::remove_all(r.path() / "sounds"); },
       "sounds is missing (the data folder, which TALVORIN_ROOT names, holds cfg, models, "
       "textures and sounds)"},
      {"textures is a file",
       [](const TempDataRoot& r) {
         std::filesystem::remove_all(r.path() / "textures");
         r.write("textures", "");
       },
       "textures is missing (the data folder, which TALVORIN_ROOT names, holds cfg, models, "
       "textures and sounds)"},
      {"no model settings",
       [](const TempDataRoot& r) { std::filesystem::remove(r.path() / "cfg/pool_objects.ini"); },
       "cfg/pool_objects.ini is missing"},
      {"no table key",
       [](const TempDataRoot& r) {
         r.write("cfg/pool_objects.ini",
                 "room_model = room_model.ini\ncue_stick_model = cue_stick_model.ini\n");
       },
       "cfg/pool_objects.ini names no model description under \"table_model\""},
      {"no table description",
       [](const TempDataRoot& r) { std::filesystem::remove(r.path() / "cfg/table_model.ini"); },
       "cfg/table_model.ini is missing (named by \"table_model\" in cfg/pool_objects.ini)"},
      {"a description without its model file",
       [](const TempDataRoot& r) { r.write("cfg/cue_stick_model.ini", "obj = cue.obj\n"); },
       "cfg/cue_stick_model.ini names no model under \"obj_file\""},
      {"no table model",
       [](const TempDataRoot& r) { std::filesystem::remove(r.path() / "models/table.obj"); },
       "models/table.obj is missing (named by \"obj_file\" in cfg/table_model.ini)"},
      // The game goes on without furniture.
      {"no furniture model",
       [](const TempDataRoot& r) { std::filesystem::remove(r.path() / "models/bench.obj"); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDataRoot root;
    write_complete_folder(root);
    c.damage(root);
    EngineSettings settings;
    settings.root(root.path().string());
    const std::string lack = missing_data(settings);
    if (c.lack.empty()) {
      EXPECT_EQ(lack, "");
    } else {
      EXPECT_EQ(lack, "Data folder incomplete: " + root.path().string() + "/" + c.lack);
    }
  }
}

TEST(DataFolderCheck, NamesEachPieceOfFurnitureThatIsNotThere) {
  const struct {
    const char* what;
    std::function<void(const TempDataRoot&)> damage;
    // After the folder's absolute name, each followed by "; the game goes
    // on without it".
    std::vector<std::string> lacks;
  } cases[] = {
      {"complete", [](const TempDataRoot&) {}, {}},
      {"no bench model",
       [](const TempDataRoot& r) { std::filesystem::remove(r.path() / "models/bench.obj"); },
       {"models/bench.obj is missing (named by \"obj_file\" in cfg/bench.ini)"}},
      {"no chair or stool description, in key order",
       [](const TempDataRoot& r) {
         r.write("cfg/pool_objects.ini",
                 "room_model = room_model.ini\ntable_model = table_model.ini\n"
                 "cue_stick_model = cue_stick_model.ini\nstool_2 = stool.ini\nchair =\n");
       },
       {"cfg/pool_objects.ini names no model description under \"chair\"",
        "cfg/stool.ini is missing (named by \"stool_2\" in cfg/pool_objects.ini)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDataRoot root;
    write_complete_folder(root);
    c.damage(root);
    EngineSettings settings;
    settings.root(root.path().string());
    std::vector<std::string> lacks;
    for (const std::string& lack : c.lacks)
      lacks.push_back("Data folder incomplete: " + root.path().string() + "/" + lack +
                      "; the game goes on without it");
    EXPECT_EQ(missing_furniture(settings), lacks);
    EXPECT_EQ(missing_data(settings), "");
  }
}

TEST(DataFolderCheck, NamesARootVariableThatNamesNoFolder) {
  TempDataRoot root;
  write_complete_folder(root);
  const ScopedEnv variable("TALVORIN_ROOT", "/no/such/talvorin/data");
  EXPECT_EQ(missing_data(EngineSettings()),
            "Data folder incomplete: TALVORIN_ROOT names \"/no/such/talvorin/data\", which is not "
            "a folder");
}

TEST(DataFolderCheck, WithoutARootTheWorkingDirectoryIsTheDataFolder) {
  TempDataRoot root;  // the working directory, with TALVORIN_ROOT unset
  write_complete_folder(root);
  EXPECT_EQ(missing_data(EngineSettings()), "");
  std::filesystem::remove_all(root.path() / "models");
  EXPECT_EQ(
      missing_data(EngineSettings()),
      "Data folder incomplete: " + std::filesystem::current_path().lexically_normal().string() +
          "/models is missing (the data folder, which TALVORIN_ROOT names, holds cfg, "
          "models, textures and sounds)");
}

}  // namespace
