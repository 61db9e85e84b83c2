// Elapsed time in seconds from the steady clock: stopwatches, the per-file time
// origin, rate limiters and sleeping.
#pragma once

#include <functional>
#include <string>

// The steady clock's current reading in nanoseconds; the one place the engine
// reads it.
long long steady_clock_ns();

// A stopwatch started at construction.
class Timer {
 public:
  Timer() : start_ns_(steady_clock_ns()) {}

  // Seconds since the start.
  double operator()() const { return double(steady_clock_ns() - start_ns_) * 1e-9; }
  double walltime() const { return (*this)(); }
  double operator-(double x) const { return (*this)() - x; }

 private:
  long long start_ns_;
};

// Each source file that includes this header gets its own origin, constructed
// during static initialisation; "now" in seconds is time_origin() of the file
// that asks. All origins of one module agree to within that initialisation.
static Timer time_origin;

// Keeps passes of a loop at least one minimum period apart; the caller hands in
// the time of each pass.
class FreqLimiter {
 public:
  explicit FreqLimiter(double max_freq = 90.0, std::string name = "FreqLimiter");

  void set_max_freq(double max_freq);
  // 0.0 when there is no limit.
  double get_max_freq() const;

  // True when a pass at t comes sooner than one period after the last pass that
  // was let through; the first pass is always let through.
  bool limited(double t);
  // Sleeps the calling thread for what is left of the period since the last
  // pass and records t as the new last pass.
  void sleep_wait(double t);

  const std::string& name() const { return name_; }
  // 0.0 until a pass has been recorded.
  double last_time() const { return last_time_; }

 private:
  std::string name_;
  double min_period_;
  double last_time_ = 0.0;
};

// Blocks the calling thread for the given seconds, in whole milliseconds
// (truncated); zero, negative and non-finite durations return at once.
void timed_sleep(double seconds);

// A function object that answers true at most once per period seconds, the
// first time once a period has passed since its creation. Copies share one
// record of the last true answer. Its clock is this module's time origin.
std::function<bool()> frequency_limiter(double period);
// The same with a clock of the caller's (seconds).
std::function<bool()> frequency_limiter(double period, std::function<double()> clock);
