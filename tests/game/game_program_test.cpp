// The game program's pieces that need no window: what an escaped exception
// shows and returns, the texts of a failed OpenGL check and GLEW start, and
// the OpenGL check run where no window (so no context) exists.
#include "game/app/game_program.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "platform/message_box.h"
#include "render/frame_buffer.h"
#include "render/version_check.h"
#include "support/data_root.h"

namespace {

struct Box {
  std::string text, caption;
  platform::MessageIcon icon;
};

// Records the boxes shown while alive, answering each with OK.
class BoxRecorder {
 public:
  BoxRecorder() {
    previous_ = platform::set_message_box_handler(
        [this](const std::string& text, const std::string& caption, platform::MessageIcon icon,
               platform::MessageButtons) {
          boxes.push_back({text, caption, icon});
          return platform::MessageAnswer::ok;
        });
  }
  ~BoxRecorder() { platform::set_message_box_handler(previous_); }
  std::vector<Box> boxes;

 private:
  platform::MessageBoxHandler previous_;
};

TEST(GameProgram, EscapedExceptionsEndInAnErrorBoxAndTheirCode) {
  const std::string hardware =
      "Error: incompatible hardware configuration; please check the requirements.\nThe program "
      "will now exit.";
  const struct {
    std::function<int()> body;
    int code;
    const char* text;  // nullptr: no box
  } cases[] = {
      {[] { return 0; }, 0, nullptr},
      {[] { return 56; }, 56, nullptr},
      {[]() -> int { throw std::runtime_error("no pixels today"); }, -1, "no pixels today"},
      {[]() -> int { throw std::bad_alloc(); }, -1, "std::bad_alloc"},
      {[]() -> int { throw 42; }, -2, hardware.c_str()},
      {[]() -> int { throw "text"; }, -2, hardware.c_str()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    BoxRecorder recorder;
    EXPECT_EQ(run_guarded(c.body), c.code);
    if (!c.text) {
      EXPECT_TRUE(recorder.boxes.empty());
      continue;
    }
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, c.text);
    EXPECT_EQ(recorder.boxes[0].caption, "Error");
    EXPECT_EQ(recorder.boxes[0].icon, platform::MessageIcon::error);
  }
}

constexpr const char* kDriverAdvice =
    "\nPlease try updating your graphics drivers, or use another hardware configuration. Contact "
    "technical support if the problem persists.";

TEST(GameProgram, AnOldOpenGLAndNoContextAtAllAreToldApart) {
  const struct {
    const char* version;
    std::optional<std::string> display;
    std::string text;
  } cases[] = {
      {"3.3", ":0", "OpenGL Error: Version 4.5.0 required (detected version 3.3)."},
      {"", ":77", "OpenGL Error: no OpenGL 4.5 context could be created on this display (:77)."},
      {"", "",
       "OpenGL Error: no OpenGL 4.5 context could be created on this display (DISPLAY is "
       "not set)."},
      {"", std::nullopt,
       "OpenGL Error: no OpenGL 4.5 context could be created on this display (DISPLAY is not "
       "set)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const testing_support::ScopedEnv display("DISPLAY", c.display);
    VersionCheckerGL checker(GameProgram::kRequiredGL, GL_VERSION, 3);
    const std::string version = c.version;
    checker.version_getter() = [version] { return version; };
    checker.get_version();
    ASSERT_FALSE(checker.valid());
    EXPECT_EQ(gl_version_failure_text(checker), c.text + kDriverAdvice);
  }
}

TEST(GameProgram, TheOpenGLCheckWithoutAContextShowsItsBoxAndEndsWithCodeOne) {
  testing_support::TempDataRoot root;
  const testing_support::ScopedEnv display("DISPLAY", ":77");
  PoolEngine engine;
  VRInterface vr(nullptr, 1200, 1080);
  FrameBuffer desktop;
  GameProgram program(engine, vr, desktop);
  BoxRecorder recorder;
  // No window was made, so no context is current: OpenGL gives no version.
  EXPECT_FALSE(program.gl_version_ok());
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].text,
            std::string("OpenGL Error: no OpenGL 4.5 context could be created on this display "
                        "(:77).") +
                kDriverAdvice);
  EXPECT_EQ(recorder.boxes[0].caption, "Error");
  EXPECT_EQ(engine.quit(), GameProgram::kOldOpenGL);
}

TEST(GameProgram, AFailedGlewStartNamesItsNumberAndGlewsWords) {
  EXPECT_EQ(glew_failure_text(GLEW_ERROR_NO_GL_VERSION),
            "tlv_main() glewInit() returned 1 (Missing GL version\nPlease contact technical "
            "support.");
}

}  // namespace
