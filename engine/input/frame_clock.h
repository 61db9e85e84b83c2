// FrameClock: the clock the per-frame step reads, and the origin its real
// time counts from. The program runs on the steady clock; tests hand in a
// reading of their own so that frame steps come out exact.
#pragma once

#include <functional>

class FrameClock {
 public:
  using Reading = std::function<double()>;

  // Seconds from the reading; without one, the steady clock (seconds since the
  // library's time origin).
  explicit FrameClock(Reading reading = nullptr);

  double now() const;
  // The real time of a reading: seconds since the first reading handed here,
  // which is real time 0.
  double real_time(double now);
  bool started() const { return started_; }

  // The steady clock that every input base reads unless given another, so
  // that their real times share one origin.
  static FrameClock& steady();

 private:
  Reading reading_;
  double origin_ = 0.0;
  bool started_ = false;
};
