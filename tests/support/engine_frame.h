// An engine for tests, on a clock the test sets.
#pragma once

#include <gtest/gtest.h>

#include "engine/basic_engine.h"
#include "input/frame_clock.h"

namespace testing_support {

// Runs the engine and its walker on the clock, the walker in the real-time
// list, as the start-up puts it there.
inline void run_on_clock(BasicEngine& engine, FrameClock& clock) {
  engine.frame_clock(&clock);
  engine.walking().frame_clock(&clock);
  engine.realtime_objects().push_back(&engine.walking());
}

class EngineFrame : public ::testing::Test {
 protected:
  void SetUp() override { run_on_clock(engine_, clock_); }

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
