// The frame clock.
#include "input/frame_clock.h"

#include "core/timer.h"

FrameClock::FrameClock(Reading reading) : reading_(std::move(reading)) {}

double FrameClock::now() const {
  return reading_ ? reading_() : time_origin();
}

double FrameClock::real_time(double now) {
  if (!started_) {
    origin_ = now;
    started_ = true;
  }
  return now - origin_;
}

FrameClock& FrameClock::steady() {
  static FrameClock clock;
  return clock;
}
