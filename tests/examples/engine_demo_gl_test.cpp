// The engine demo program as a user runs it, each run on a virtual X server
// of its own: its exit code, its own output, the settings file it writes,
// and, driven with xdotool, its window on a screenshot, the mouse pointer and
// Escape.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "core/program_cfg.h"
#include "datagen/generator.h"
#include "support/data_root.h"
#include "support/leak_checked_run.h"

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

// A command on a virtual X server of its own (so that no other test's
// windows, pointer or keys meet the demo's), with the data folder at root and
// silent audio, ended after two minutes at the most.
FILE* start_on_own_display(const std::string& root, const std::string& command) {
  const std::string line = "TALVORIN_ROOT='" + root + "' ALSOFT_DRIVERS=null timeout 120 " +
                           std::string(VARNOX_XVFB) + " " + command + " 2>&1";
  return popen(line.c_str(), "r");
}

// Starts the demo (the command its arguments make), waits until it says it
// started, moves the mouse over its window twice, takes a screenshot of it
// (shot.png) and presses Escape; then prints the demo's output and "exit"
// with its exit code.
constexpr const char* kDriveScript = R"("$@" > demo.out 2>&1 &
pid=$!
i=0
until grep -q 'varnox_demo: started' demo.out; do
  i=$((i + 1)); if [ $i -gt 900 ] || ! kill -0 $pid 2>/dev/null; then break; fi; sleep 0.1
done
w=$(xdotool search --name '^Varnox demo$' 2>/dev/null | head -1)
if [ -n "$w" ]; then
  sleep 0.5; xdotool mousemove --window "$w" 300 200 2>/dev/null
  sleep 0.3; xdotool mousemove --window "$w" 320 220 2>/dev/null
  # A loaded machine may take a while for the first drawn frame: look again
  # until the shot shows more than the clear colour, for up to 30 s.
  j=0
  while :; do
    sleep 1; import -window root shot.png
    n=$(identify -format %k shot.png 2>/dev/null || echo 0)
    j=$((j + 1)); if [ "$n" -gt 10 ] || [ $j -ge 30 ]; then break; fi
  done
  xdotool key --window "$w" Escape 2>/dev/null
fi
wait $pid
code=$?
cat demo.out
echo "exit $code"
)";

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

  static FILE* start(const std::string& args) {
    return start_on_own_display(folder_->path().string(), demo() + " " + args);
  }
  // The demo with its leaks checked (the X server and the tools around it
  // run as they are).
  static std::string demo() {
    return "env " + testing_support::leak_checked_assignments() + VARNOX_DEMO;
  }

  static std::unique_ptr<TempDataRoot> folder_;
};

std::unique_ptr<TempDataRoot> EngineDemo::folder_;

}  // namespace

TEST_F(EngineDemo, RunsItsFramesOnTheDesktopAndShutsDownCleanly) {
  // The generator writes the engine's settings as the engine does: without
  // them in the folder, only the demo can have written them.
  folder_->write("cfg/basic_engine.ini", "");
  const DemoRun run = finish(start("--frames 120"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: 120 frames, pointer thread not started, 0 loads in "
                            "flight"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
  // The engine's settings, written with their defaults.
  ProgramCfg cfg;
  ASSERT_EQ(cfg.load((folder_->path() / "cfg/basic_engine.ini").string()), 0);
  EXPECT_EQ(cfg["autostart_newgame"].str(), "1");
  EXPECT_EQ(cfg["autostart_human_players"].str(), "0");
  EXPECT_EQ(cfg["autostart_ai_players"].str(), "2");
}

TEST_F(EngineDemo, DrawsBothEyesIntoTheSimulatedHeadset) {
  const DemoRun run = finish(start("--headset --frames 120"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: 120 frames, headset submits 240,"), std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
}

TEST_F(EngineDemo, ShowsItsDialogFollowsTheMouseAndEndsOnEscape) {
  std::ofstream(folder_->path() / "drive.sh") << kDriveScript;
  const DemoRun run =
      finish(start_on_own_display(folder_->path().string(), "sh drive.sh " + demo()));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: started"), std::string::npos) << run.output;
  // More than the clear colour: the dialog, the hints and the sphere.
  FILE* colours = popen("identify -format %k shot.png 2>/dev/null", "r");
  char count[32] = {0};
  ASSERT_TRUE(colours && std::fgets(count, sizeof count, colours));
  pclose(colours);
  EXPECT_GT(std::atoi(count), 10) << count;
  EXPECT_NE(run.output.find("exit 0\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("pointer thread joined, 0 loads in flight"), std::string::npos)
      << run.output;
  EXPECT_EQ(error_lines(run.output), "");
}

TEST_F(EngineDemo, ThePreloadedSwapCounterCountsEachFrameItDraws) {
  // Every run has the counter preloaded; this one names its file.
  const std::string counts = (folder_->path() / "swaps").string();
  const DemoRun run =
      finish(start_on_own_display(folder_->path().string(), "env SWAP_COUNTER_FILE='" + counts +
                                                                "' " + demo() + " --frames 90"));
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("varnox_demo: 90 frames"), std::string::npos) << run.output;
  // The count and the time of the latest swap, on the steady clock.
  std::ifstream file(counts, std::ios::binary);
  std::uint64_t words[2] = {0, 0};
  ASSERT_TRUE(file.read(reinterpret_cast<char*>(words), sizeof words)) << counts;
  EXPECT_EQ(words[0], 90u);
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const double since = double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - double(words[1]) * 1e-9;
  EXPECT_GE(since, 0.0);
  EXPECT_LT(since, 120.0);
}
