#include "platform/message_box.h"

#include <gtest/gtest.h>

#include "support/capture.h"

using namespace platform;

TEST(MessageBox, ConsoleBoxWritesTheTextAndTakesTheHarmlessChoice) {
  testing_support::OutputCapture cap;
  EXPECT_EQ(message_box("Fatal", "Error", MessageIcon::error), MessageAnswer::ok);
  EXPECT_EQ(message_box("Upgrade?", "Update", MessageIcon::question, MessageButtons::yes_no),
            MessageAnswer::no);
  EXPECT_EQ(message_box("Go on?", "Q", MessageIcon::none, MessageButtons::ok_cancel), MessageAnswer::cancel);
  EXPECT_EQ(cap.err(), "Error: Fatal\nUpdate: Upgrade?\nQ: Go on?\n");
}

TEST(MessageBox, AHandlerSeesTheBoxAndChoosesTheAnswer) {
  std::string seen;
  auto previous = set_message_box_handler(
      [&](const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons) {
        seen = caption + "|" + text + "|" + std::to_string(int(icon)) + std::to_string(int(buttons));
        return MessageAnswer::yes;
      });
  EXPECT_EQ(message_box("Upgrade?", "Update", MessageIcon::question, MessageButtons::yes_no),
            MessageAnswer::yes);
  EXPECT_EQ(seen, "Update|Upgrade?|32");
  set_message_box_handler(nullptr);  // back to the console box
  testing_support::OutputCapture cap;
  EXPECT_EQ(message_box("x", "y", MessageIcon::none, MessageButtons::yes_no), MessageAnswer::no);
  (void)previous;
}
