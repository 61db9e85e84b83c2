// BasicEngine: construction, special members and the accessors that do more
// than return a member.
#include "engine/basic_engine.h"

#include <utility>

BasicEngine::BasicEngine(ControllerTutorial* tutorial, std::string root_variable)
    : GLUTInterface(),
      Wrapper<FrameBuffer>(nullptr),
      settings_(std::move(root_variable)),
      last_gamepad_input_(std::chrono::steady_clock::now()),
      constructed_(last_gamepad_input_),
      controller_tutorial_(tutorial) {}

BasicEngine::BasicEngine(const BasicEngine& other) = default;
BasicEngine::BasicEngine(BasicEngine&& other) = default;
BasicEngine& BasicEngine::operator=(const BasicEngine& other) = default;
BasicEngine& BasicEngine::operator=(BasicEngine&& other) = default;

BasicEngine::~BasicEngine() {
  // Before any member goes: the workers write into load targets.
  pointer_thread_.stop();
  load_workers_.stop();
}

void BasicEngine::up_axis(int axis) {
  walking_.up_axis = axis;
  mouse_look_.up_axis(axis);
}

void BasicEngine::shutdown() {
  pointer_thread_.stop();
  load_workers_.stop();
  GLUTInterface::shutdown();
}
