// Message boxes: standard error always, a real box through SDL2 when an X
// display is there.
#include "platform/message_box.h"

#include <SDL.h>

#include <iostream>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/environment.h"

namespace platform {
namespace {

// The answer of a box that nobody clicks.
MessageAnswer harmless_answer(MessageButtons buttons) {
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

bool display_present() {
  const auto display = environment_variable("DISPLAY");
  return display && !display->empty();
}

Uint32 box_flags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::error:
      return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::warning:
      return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::question:
    case MessageIcon::information:
      return SDL_MESSAGEBOX_INFORMATION;
    case MessageIcon::none:
      break;
  }
  return 0;
}

// The box through SDL, which needs no SDL_Init for it; nothing when SDL
// cannot show one. Buttons are listed left to right.
std::optional<MessageAnswer> sdl_box(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons) {
  std::vector<MessageAnswer> answers;
  switch (buttons) {
    case MessageButtons::ok:
      answers = {MessageAnswer::ok};
      break;
    case MessageButtons::ok_cancel:
      answers = {MessageAnswer::ok, MessageAnswer::cancel};
      break;
    case MessageButtons::yes_no:
      answers = {MessageAnswer::yes, MessageAnswer::no};
      break;
  }
  static const char* const kLabels[] = {"OK", "Cancel", "Yes", "No"};
  const MessageAnswer harmless = harmless_answer(buttons);
  std::vector<SDL_MessageBoxButtonData> data;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    Uint32 flags = 0;
    if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (answers[i] == harmless) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back({flags, static_cast<int>(answers[i]), kLabels[static_cast<int>(answers[i])]});
  }
  SDL_MessageBoxData box{};
  box.flags = box_flags(icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.title = caption.c_str();
  box.message = text.c_str();
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int chosen = -1;
  if (SDL_ShowMessageBox(&box, &chosen) != 0) return std::nullopt;
  for (MessageAnswer a : answers)
    if (static_cast<int>(a) == chosen) return a;
  return harmless;  // closed without a button
}

MessageAnswer default_box(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) {
  std::cerr << caption << ": " << text << std::endl;
  if (display_present())
    if (const auto answer = sdl_box(text, caption, icon, buttons)) return *answer;
  return harmless_answer(buttons);
}

std::mutex handler_mutex;
MessageBoxHandler& handler() {
  static MessageBoxHandler h = default_box;
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
  handler() = h ? std::move(h) : MessageBoxHandler(default_box);
  return previous;
}

}  // namespace platform
