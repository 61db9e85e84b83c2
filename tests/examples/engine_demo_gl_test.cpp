// The engine demo program as a user runs it, under the virtual display: its
// exit code, its own output, the settings file it writes, and, driven with
// xdotool, its window on a screenshot, the mouse pointer and Escape.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "datagen/generator.h"
#include "support/data_root.h"

using testing_support::TempDataRoot;

namespace {

struct DemoRun {
  int exit_code = -1;
  std::string output;
};

// Reads a started command's output (stdout and stderr) to its end.
DemoRun finish(FILE* pipe) {
  DemoRun run;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  const int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The demo with arguments on the data folder at root, with silent audio,
// ended after a minute at the most.
FILE* start_demo(const std::string& root, const std::string& args) {
  const std::string command = "TALVORIN_ROOT='" + root + "' ALSOFT_DRIVERS=null timeout 60 " +
                              std::string(VARNOX_DEMO) + " " + args + " 2>&1";
  return popen(command.c_str(), "r");
}

// The lines of the output that report an error of any kind.
std::string error_lines(const std::string& output) {
  std::string lines;
  std::size_t begin = 0;
  while (begin < output.size()) {
    std::size_t end = output.find('\n', begin);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(begin, end - begin);
    if (line.find("rror") != std::string::npos) lines += line + "\n";
    begin = end + 1;
  }
  return lines;
}

// The generated data folder, written once for the suite.
class EngineDemo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDataRoot>();
    ASSERT_EQ(datagen::generate_data(folder_->path().string() + "/").error, "");
  }
  static void TearDownTestSuite() { folder_.reset(); }

  void SetUp() override {
    if (!std::getenv("DISPLAY")) {
      if (std::getenv("CI")) FAIL() << "no display";
      GTEST_SKIP() << "no display";
    }
  }

  static FILE* start(const std::string& args) { return start_demo(folder_->path().string(), args); }

  static std::unique_ptr<TempDataRoot> folder_;
};

std::unique_ptr<TempDataRoot> EngineDemo::folder_;

}  // namespace

TEST_F(EngineDemo, RunsItsFramesOnTheDesktopAndShutsDownCleanly) {
  const DemoRun run = finish(start("--frames 120"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: 120 frames, pointer thread not started, 0 loads in "
                            "flight"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
  // The engine's settings, written with their defaults.
  const std::string cfg = folder_->read("cfg/basic_engine.ini");
  for (const char* key : {"autostart_newgame", "autostart_human_players", "autostart_ai_players"})
    EXPECT_NE(cfg.find(key), std::string::npos) << cfg;
}

TEST_F(EngineDemo, DrawsBothEyesIntoTheSimulatedHeadset) {
  const DemoRun run = finish(start("--headset --frames 120"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: 120 frames, headset submits 240,"), std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
}

TEST_F(EngineDemo, ShowsItsDialogFollowsTheMouseAndEndsOnEscape) {
  FILE* demo = start("");
  ASSERT_NE(demo, nullptr);
  // Its first frames are drawn once it says it started.
  std::string started;
  char line[4096];
  while (started.find("varnox_demo: started") == std::string::npos &&
         std::fgets(line, sizeof line, demo))
    started += line;
  // The window, found by its title; the mouse moved over it points into the
  // scene; a screenshot of it; Escape.
  FILE* search = popen("xdotool search --name '^Varnox demo$' 2>/dev/null | head -1", "r");
  char id[64] = {0};
  const bool found = search && std::fgets(id, sizeof id, search);
  if (search) pclose(search);
  const std::string window = found ? std::string(id, std::strcspn(id, "\n")) : "";
  if (!window.empty()) {
    const std::string on = " --window " + window;
    std::system(("sleep 0.5; xdotool mousemove" + on + " 300 200 2>/dev/null; sleep 0.3; " +
                 "xdotool mousemove" + on + " 320 220 2>/dev/null; sleep 0.5; " +
                 "import -window " + window + " shot.png; xdotool key" + on + " Escape 2>/dev/null")
                    .c_str());
  }
  DemoRun run = finish(demo);
  run.output = started + run.output;
  ASSERT_FALSE(window.empty()) << run.output;
  // More than the clear colour: the dialog, the hints and the sphere.
  FILE* colours = popen("identify -format %k shot.png 2>/dev/null", "r");
  char count[32] = {0};
  ASSERT_TRUE(colours && std::fgets(count, sizeof count, colours));
  pclose(colours);
  EXPECT_GT(std::atoi(count), 10) << count;
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("pointer thread joined, 0 loads in flight"), std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
}
