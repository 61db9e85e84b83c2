// Message boxes on a platform without a dialog service: text to standard error.
#include "platform/message_box.h"

#include <iostream>
#include <mutex>

namespace platform {
namespace {

MessageAnswer console_box(const std::string& text, const std::string& caption, MessageIcon,
                          MessageButtons buttons) {
  std::cerr << caption << ": " << text << std::endl;
  switch (buttons) {
    case MessageButtons::ok:
      return MessageAnswer::ok;
    case MessageButtons::ok_cancel:
      return MessageAnswer::cancel;
    case MessageButtons::yes_no:
      break;
  }
  return MessageAnswer::no;
}

std::mutex handler_mutex;
MessageBoxHandler& handler() {
  static MessageBoxHandler h = console_box;
  return h;
}

}  // namespace

MessageAnswer message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) {
  MessageBoxHandler h;
  {
    std::lock_guard<std::mutex> lock(handler_mutex);
    h = handler();
  }
  return h(text, caption, icon, buttons);
}

MessageBoxHandler set_message_box_handler(MessageBoxHandler h) {
  std::lock_guard<std::mutex> lock(handler_mutex);
  MessageBoxHandler previous = handler();
  handler() = h ? std::move(h) : MessageBoxHandler(console_box);
  return previous;
}

}  // namespace platform
