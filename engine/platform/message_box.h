// Modal message boxes for fatal errors and yes/no questions. The default
// handler always writes the caption and text to standard error; when an X
// display is there it also shows a real box through SDL2 and returns the
// button the player chose. Return picks the first button (OK or Yes), Escape
// the choice that does nothing (OK for an OK box, Cancel or No otherwise).
// Without a display, or when no box can be shown, the answer is that choice
// that does nothing, as from a box that nobody clicks. Front ends and tests
// install their own handler.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class MessageIcon { none, error, warning, question, information };
enum class MessageButtons { ok, ok_cancel, yes_no };
enum class MessageAnswer { ok, cancel, yes, no };

using MessageBoxHandler = std::function<MessageAnswer(
    const std::string& text, const std::string& caption, MessageIcon, MessageButtons)>;

// Shows the box and waits for the answer.
MessageAnswer message_box(const std::string& text, const std::string& caption,
                          MessageIcon icon = MessageIcon::none,
                          MessageButtons buttons = MessageButtons::ok);

// Replaces the handler (an empty one restores the default); returns the previous one.
MessageBoxHandler set_message_box_handler(MessageBoxHandler handler);

}  // namespace platform
