// An engine for tests, on a clock the test sets.
#pragma once

#include <gtest/gtest.h>

#include "engine/basic_engine.h"
#include "input/frame_clock.h"

namespace testing_support {

// The walker is in the real-time list, as the start-up puts it there.
class EngineFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.frame_clock(&clock_);
    engine_.walking().frame_clock(&clock_);
    engine_.realtime_objects().push_back(&engine_.walking());
  }

  // One frame with the clock at t.
  void frame_at(double t) {
    now_ = t;
    engine_.idle();
  }

  double now_ = 100.0;
  FrameClock clock_{[this] { return now_; }};
  BasicEngine engine_;
};

}  // namespace testing_support
