// Scripted gamepads for tests: installed as the gamepad source while alive,
// the default source again afterwards.
#pragma once

#include <memory>

#include "platform/xinput.h"

namespace testing_support {

class ScriptedPads {
 public:
  ScriptedPads() { platform::set_gamepad_source(pads_); }
  ~ScriptedPads() { platform::set_gamepad_source(nullptr); }
  ScriptedPads(const ScriptedPads&) = delete;
  ScriptedPads& operator=(const ScriptedPads&) = delete;

  platform::ScriptedGamepads* operator->() { return pads_.get(); }
  const std::shared_ptr<platform::ScriptedGamepads>& source() const { return pads_; }

 private:
  std::shared_ptr<platform::ScriptedGamepads> pads_ =
      std::make_shared<platform::ScriptedGamepads>();
};

}  // namespace testing_support
