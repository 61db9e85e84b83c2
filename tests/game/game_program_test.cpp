// The game program's pieces that need no window: what an escaped exception
// shows and returns, and the text of a failed GLEW start.
#include "game/app/game_program.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/message_box.h"

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

TEST(GameProgram, AFailedGlewStartNamesItsNumberAndGlewsWords) {
  EXPECT_EQ(glew_failure_text(GLEW_ERROR_NO_GL_VERSION),
            "tlv_main() glewInit() returned 1 (Missing GL version\nPlease contact technical "
            "support.");
}

}  // namespace
