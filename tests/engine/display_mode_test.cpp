// The engine's choice of the full-screen mode through the window's mode
// probe, without freeglut: the "resolution" setting, the fallback to the
// last listed mode, and no mode at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

// An engine in a fresh data root whose display accepts the given modes.
class DisplayMode : public ::testing::Test {
 protected:
  void accept(std::vector<std::string> modes) {
    engine_.window().mode_probe([modes](const std::string& mode) {
      return std::find(modes.begin(), modes.end(), mode) != modes.end();
    });
  }
  // auto_game_mode without aspect matching (before glutInit the screen's
  // aspect is unknown) and without a log file.
  int choose() {
    OutputCapture quiet;
    return engine_.auto_game_mode(false, "");
  }

  TempDataRoot root_;
  BasicEngine engine_;
};

}  // namespace

TEST_F(DisplayMode, TheSettingWinsWhenListedExactlyElseTheLastMode) {
  accept({"800x600", "1280x720", "1920x1080"});
  const struct {
    const char* file;  // null: no video_settings.ini
    std::string mode;
  } cases[] = {
      {nullptr, "1920x1080"},
      {"resolution = 1280x720\n", "1280x720"},
      {"resolution = 800x600\nfullscreen = 1\n", "800x600"},
      {"resolution = 1280x720@60\n", "1920x1080"},
      {"resolution = 1280 x 720\n", "1920x1080"},
      {"resolution =\n", "1920x1080"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(root_.path() / "cfg/video_settings.ini");
    engine_.settings().settings().erase("video_settings");
    if (c.file) root_.write("cfg/video_settings.ini", c.file);
    EXPECT_EQ(choose(), 0) << (c.file ? c.file : "no file");
    EXPECT_EQ(engine_.window().game_mode_string(), c.mode) << (c.file ? c.file : "no file");
  }
  EXPECT_EQ(engine_.window().game_modes(),
            (std::vector<std::string>{"800x600", "1280x720", "1920x1080"}));
  EXPECT_EQ(engine_.window().get_resolution(), (std::array<int, 2>{1920, 1080}));
}

TEST_F(DisplayMode, LoadingTheResolutionWritesNothingBack) {
  EXPECT_EQ(engine_.load_resolution_setting(), "");
  EXPECT_FALSE(engine_.settings().has_section("video_settings"));
  EXPECT_FALSE(std::filesystem::exists(root_.path() / "cfg/video_settings.ini"));

  root_.write("cfg/video_settings.ini", "fullscreen = 0\n");
  EXPECT_EQ(engine_.load_resolution_setting(), "");
  EXPECT_FALSE(engine_.settings()["video_settings"].contains("resolution"));
  root_.write("cfg/video_settings.ini", "resolution = 2560x1440\n");
  EXPECT_EQ(engine_.load_resolution_setting(), "2560x1440");
  EXPECT_EQ(root_.read("cfg/video_settings.ini"), "resolution = 2560x1440\n");
}

TEST_F(DisplayMode, NoModeIsLoggedPrintedAndRefused) {
  accept({});
  engine_.window().set_resolution(640, 480, false);
  root_.write("cfg/video_settings.ini", "resolution = 640x480\n");
  const std::string log_file = (root_.path() / "modes.log").string();
  OutputCapture capture;
  EXPECT_EQ(engine_.auto_game_mode(false, log_file), -1);
  const std::string out = capture.out();
  const std::string error = "Error - no possible game modes detected!\n";
  ASSERT_GE(out.size(), error.size());
  EXPECT_EQ(out.substr(out.size() - error.size()), error);
  const std::string logged = root_.read("modes.log");
  const std::string line =
      "basic_engine\tauto_game_mode() Error: no possible game modes detected.\n";
  ASSERT_GE(logged.size(), line.size());
  EXPECT_EQ(logged.substr(logged.size() - line.size()), line);
  EXPECT_NE(logged.find("kwindow\tdetect_game_modes() Found game modes: \n"), std::string::npos);
  // The window keeps its size and no setting was read.
  EXPECT_EQ(engine_.window().get_resolution(), (std::array<int, 2>{640, 480}));
  EXPECT_FALSE(engine_.settings().has_section("video_settings"));

  // The game hands the data root, a folder, as the log file: nothing is
  // written there and the answer stays.
  capture.reset();
  EXPECT_EQ(engine_.auto_game_mode(true, root_.path().string()), -1);
  EXPECT_NE(capture.out().find(error), std::string::npos);
}
