#include "platform/message_box.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "support/capture.h"

using namespace platform;

namespace {

// Takes DISPLAY away for the lifetime of the guard.
class NoDisplay {
 public:
  NoDisplay() {
    if (const char* d = std::getenv("DISPLAY")) saved_ = d;
    unsetenv("DISPLAY");
  }
  ~NoDisplay() {
    if (saved_) setenv("DISPLAY", saved_->c_str(), 1);
  }

 private:
  std::optional<std::string> saved_;
};

// The first line a shell command prints, without its line end.
std::string first_line(const std::string& command) {
  std::string line;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    if (fgets(buffer, sizeof buffer, p)) line = buffer;
    pclose(p);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// Shows the default box in a child process, waits for its window, sends it
// the key and gives the child's answer; nothing when the window never shows
// or the child does not answer (it is then killed).
std::optional<MessageAnswer> answer_real_box(const std::string& caption, MessageButtons buttons,
                                             const std::string& key) {
  const pid_t child = fork();
  if (child == 0) {
    const MessageAnswer a =
        message_box("Press a key to answer.", caption, MessageIcon::question, buttons);
    _exit(static_cast<int>(a));
  }
  if (child < 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string window;
  while (window.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // xdotool does not match SDL's UTF-8 window names; xwininfo lists them.
    window = first_line("xwininfo -root -tree 2>/dev/null | grep '\"" + caption +
                        "\"' | awk '{print $1}'");
  }
  int status = 0;
  while (!window.empty() && std::chrono::steady_clock::now() < deadline) {
    const std::string send =
        "timeout 5 xdotool windowfocus --sync " + window + " key " + key + " 2>/dev/null";
    if (std::system(send.c_str()) != 0) continue;
    for (int i = 0; i < 10; ++i) {
      if (waitpid(child, &status, WNOHANG) == child)
        return WIFEXITED(status) ? std::optional(MessageAnswer(WEXITSTATUS(status))) : std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return std::nullopt;
}

}  // namespace

TEST(MessageBox, WithoutADisplayWritesTheTextAndTakesTheHarmlessChoice) {
  NoDisplay no_display;
  testing_support::OutputCapture cap;
  EXPECT_EQ(message_box("Fatal", "Error", MessageIcon::error), MessageAnswer::ok);
  EXPECT_EQ(message_box("Upgrade?", "Update", MessageIcon::question, MessageButtons::yes_no),
            MessageAnswer::no);
  EXPECT_EQ(message_box("Go on?", "Q", MessageIcon::none, MessageButtons::ok_cancel),
            MessageAnswer::cancel);
  EXPECT_EQ(cap.err(), "Error: Fatal\nUpdate: Upgrade?\nQ: Go on?\n");
}

TEST(MessageBox, AHandlerSeesTheBoxAndChoosesTheAnswer) {
  std::string seen;
  auto previous = set_message_box_handler([&](const std::string& text, const std::string& caption,
                                              MessageIcon icon, MessageButtons buttons) {
    seen = caption + "|" + text + "|" + std::to_string(int(icon)) + std::to_string(int(buttons));
    return MessageAnswer::yes;
  });
  EXPECT_EQ(message_box("Upgrade?", "Update", MessageIcon::question, MessageButtons::yes_no),
            MessageAnswer::yes);
  EXPECT_EQ(seen, "Update|Upgrade?|32");
  set_message_box_handler(nullptr);  // back to the default box
  NoDisplay no_display;
  testing_support::OutputCapture cap;
  EXPECT_EQ(message_box("x", "y", MessageIcon::none, MessageButtons::yes_no), MessageAnswer::no);
  (void)previous;
}

// Under the private X server: a real box that a key press answers. Return
// picks the first button, which a box without a display never answers. The
// suite runs on its own X server with the tools installed, so a missing
// display or tool fails the test rather than passing it unseen.
TEST(MessageBox, WithADisplayShowsABoxThePlayerAnswers) {
  ASSERT_TRUE(std::getenv("DISPLAY")) << "no X display: run under scripts/with-xvfb.sh";
  ASSERT_FALSE(first_line("command -v xdotool").empty() ||
               first_line("command -v xwininfo").empty())
      << "no xdotool or xwininfo (scripts/deps.sh installs them)";
  EXPECT_EQ(answer_real_box("Talvorin box test yes", MessageButtons::yes_no, "Return"),
            MessageAnswer::yes);
  EXPECT_EQ(answer_real_box("Talvorin box test cancel", MessageButtons::ok_cancel, "Escape"),
            MessageAnswer::cancel);
}
