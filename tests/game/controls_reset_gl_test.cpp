// The running game on the generated data folder whose cfg/controls.ini a
// player has deleted (reset the controls) or that cannot be read: the start-up
// goes on with the defaults, the control hints are built and shown, and a
// file that can be written gets the defaults.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/program_cfg.h"
#include "running_program.h"
#include "ui/dialog.h"

namespace {

struct ControlsFile {
  const char* what;
  // A folder stands where the file should be: it can be neither read nor
  // written.
  bool folder;
};

void PrintTo(const ControlsFile& c, std::ostream* os) {
  *os << c.what;
}

class ControlsReset : public running_program::RunningProgram,
                      public testing::WithParamInterface<ControlsFile> {
 protected:
  ControlsReset() : RunningProgram(320, 180) {}

  std::filesystem::path controls_file() const { return root() + "cfg/controls.ini"; }

  void prepare(PoolEngine&) override {
    std::filesystem::remove_all(controls_file());
    if (GetParam().folder) std::filesystem::create_directory(controls_file());
  }

  void TearDown() override {
    RunningProgram::TearDown();
    std::filesystem::remove_all(controls_file());
  }

  // The names of the tutorial's hints shown at the moment.
  std::vector<std::string> shown_hints() const {
    std::vector<std::string> shown;
    const ControllerTutorial& tutorial = *engine_->controller_tutorial();
    for (const auto* hints : {&tutorial.keyboard_hints(), &tutorial.gamepad_hints()})
      for (const auto& [key, dialog] : *hints)
        if (dialog && dialog->enabled()) shown.push_back(key);
    return shown;
  }
};

TEST_P(ControlsReset, TheHintsAreBuiltAndShownAndTheDefaultsWritten) {
  ControllerTutorial* tutorial = engine_->controller_tutorial();
  ASSERT_NE(tutorial, nullptr);
  EXPECT_TRUE(tutorial->enabled());
  EXPECT_EQ(tutorial->keyboard_hints().size(), 5u);
  EXPECT_EQ(tutorial->gamepad_hints().size(), 6u);
  EXPECT_EQ(engine_->settings()["controls"]["show_control_hints"].str(), "1");

  // Past the intro, which hands the hints their setting, the periodic update
  // shows the row of the device in use, here the mouse; many updates name
  // nothing missing.
  past_intro();
  frames(2.0);
  engine_->mouse_passive(100.0f, 80.0f, 0.0f, false);
  engine_->mouse_passive(140.0f, 90.0f, 0.0f, false);
  frames(0.6);
  EXPECT_FALSE(shown_hints().empty());
  const std::string err = quiet_.err();
  EXPECT_EQ(err.find("controller_tutorial_.init()"), std::string::npos) << err;
  EXPECT_EQ(err.find("have_gamepad_hint"), std::string::npos) << err;

  if (GetParam().folder) return;
  ProgramCfg saved;
  ASSERT_EQ(saved.load(controls_file().string()), 0);
  EXPECT_EQ(saved["gamepad_model"].str(), "gamepad.ini");
  EXPECT_EQ(static_cast<Vec3>(saved["gamepad_offset"]), (Vec3{0.0f, -0.1f, -0.4f}));
  EXPECT_EQ(saved["show_control_hints"].str(), "1");
  EXPECT_TRUE(saved.contains("look_sensitivity") && saved.contains("look_inversion"));
}

INSTANTIATE_TEST_SUITE_P(MissingOrUnreadable, ControlsReset,
                         testing::Values(ControlsFile{"missing", false},
                                         ControlsFile{"folder", true}),
                         [](const testing::TestParamInfo<ControlsFile>& info) {
                           return std::string(info.param.what);
                         });

}  // namespace
