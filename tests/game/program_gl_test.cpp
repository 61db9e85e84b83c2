// The game program as a player runs it, on the virtual display with the
// generated data folder, watched from outside: its window, its message
// boxes answered with real key presses, its output and its exit code.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "datagen/data_folder.h"
#include "game/program_output.h"
#include "support/child_process.h"
#include "support/gl/x_windows.h"

namespace {

using testing_support::ChildProcess;

class GameProgram : public datagen_test::DataFolderTest {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) {
      if (std::getenv("CI")) FAIL() << "no display";
      GTEST_SKIP() << "no display";
    }
    // The runs find their windows by title on a shared display: one at a
    // time, so no run takes another's window for its own.
    lock_ = ::open("/tmp/talvorin32-program-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lock_ >= 0) ::flock(lock_, LOCK_EX);
  }
  void TearDown() override {
    if (lock_ >= 0) ::close(lock_);
  }

  // The program on the generated folder with silent audio and the extra
  // environment.
  static ChildProcess::Environment environment(ChildProcess::Environment extra = {}) {
    extra.insert(extra.begin(), {{"TALVORIN_ROOT", root()}, {"ALSOFT_DRIVERS", "null"}});
    return extra;
  }

  static constexpr double kStartSeconds = 90.0;

 private:
  int lock_ = -1;
};

TEST_F(GameProgram, OpensItsWindowRunsFramesAndEndsWhenTheWindowCloses) {
  ChildProcess game({TALVORIN_PROGRAM}, environment());
  const unsigned long window = testing_support::wait_for_window("Talvorin 1.1.1", kStartSeconds);
  ASSERT_NE(window, 0u) << game.err();
  // Not full screen, at the size "video_settings" stores.
  EXPECT_EQ(testing_support::window_size(window), (std::array<int, 2>{1280, 720}));
  // Frames draw the scene into the window: its picture, black at first,
  // comes to hold many colours.
  std::set<std::uint32_t> colours;
  for (int i = 0; i < 300 && colours.size() < 8 && !game.wait(0.1); ++i) {
    const std::vector<std::uint32_t> grid = testing_support::window_colours(window, 16, 9);
    colours = std::set<std::uint32_t>(grid.begin(), grid.end());
  }
  EXPECT_GE(colours.size(), 8u) << game.err();
  ASSERT_TRUE(game.running()) << game.err();
  ASSERT_TRUE(testing_support::request_close(window));
  const std::optional<int> code = game.wait(30.0);
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 0) << game.err();
  // No OpenGL error in any frame, and the data folder was complete.
  EXPECT_EQ(program_output::gl_error_lines(game.err()), "");
  EXPECT_EQ(program_output::missing_data_lines(game.err()), "");
  // The engine wrote its settings with their defaults.
  EXPECT_NE(cfg("basic_engine.ini").fields().count("autostart_newgame"), 0u);
}

TEST_F(GameProgram, OldOpenGLEndsWithItsMessageAndCodeOne) {
  ChildProcess game({TALVORIN_PROGRAM}, environment({{"MESA_GL_VERSION_OVERRIDE", "3.3"}}));
  // The box waits for the player, as it would on a desktop.
  const unsigned long box = testing_support::wait_for_window("Error", kStartSeconds);
  ASSERT_NE(box, 0u) << game.err();
  EXPECT_FALSE(game.wait(0.5));
  // A key that comes before the box reads its keys is pressed again.
  std::optional<int> code;
  for (int attempt = 0; attempt < 20 && !code; ++attempt) {
    testing_support::press_keys(box, "Return");
    code = game.wait(1.5);
  }
  ASSERT_TRUE(code) << game.err();
  EXPECT_EQ(*code, 1);
  EXPECT_NE(game.err().find("Error: OpenGL Error: Version 4.5.0 required (detected version 3.3).\n"
                            "Please try updating your graphics drivers, or use another hardware "
                            "configuration. Contact technical support if the problem persists.\n"),
            std::string::npos)
      << game.err();
  // The main loop never ran.
  EXPECT_EQ(program_output::lines_with(game.err(), {"IdleF()", "DisplayF()"}), "");
}

}  // namespace
