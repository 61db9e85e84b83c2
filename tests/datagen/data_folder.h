// The generated data folder shared by the tests of one program: written once
// into a throw-away data root, with the engine's settings store pointed at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/engine_settings.h"
#include "core/program_cfg.h"
#include "datagen/generator.h"
#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"

namespace datagen_test {

// Base is the test fixture the tests need besides the folder.
template <typename Base>
class DataFolderFixture : public Base {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<testing_support::TempDataRoot>();
    root_ = folder_->path().string() + "/";
    const datagen::GeneratedFiles written = datagen::generate_data(root_);
    ASSERT_EQ(written.error, "");
  }
  static void TearDownTestSuite() { folder_.reset(); }

  // The root with a trailing "/".
  static const std::string& root() { return root_; }

  // A settings store whose data root is the generated folder.
  static EngineSettings settings() {
    EngineSettings s;
    s.root(root_);
    return s;
  }

  // The settings table of a cfg file, through the engine's reader.
  static ProgramCfg cfg(const std::string& file) {
    ProgramCfg table;
    const std::string path = settings().find_cfg(file);
    EXPECT_NE(path, "") << file;
    EXPECT_EQ(table.load(path), 0) << file;
    return table;
  }

  // A model as the engine loads it from its description file in cfg/: the
  // description's "obj_file" under models/ with its "obj_" transform. The
  // reader may report progress but no warning or error.
  static OBJRenderer load_model(const std::string& description) {
    const ProgramCfg table = cfg(description);
    OBJRenderer model;
    testing_support::OutputCapture capture;
    EXPECT_EQ(model.load(table, settings().root() + settings().models_folder()), 0) << description;
    EXPECT_EQ(capture.err(), "") << description;
    return model;
  }

 private:
  static inline std::unique_ptr<testing_support::TempDataRoot> folder_;
  static inline std::string root_;
};

using DataFolderTest = DataFolderFixture<::testing::Test>;

}  // namespace datagen_test
