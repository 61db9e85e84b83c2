// Steady-clock readings, rate limiters and sleeping.
#include "core/timer.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

namespace {

double period_of(double max_freq) {
  return max_freq == 0.0 ? 0.0 : 1.0 / max_freq;
}

// Whole milliseconds of a duration in seconds, truncated toward zero and
// clamped to what the count type holds: a huge or non-finite duration from a
// bad setting must not overflow the conversion.
template <typename Count>
Count whole_millis(double seconds) {
  double ms = seconds * 1000.0;
  if (!(ms >= 1.0)) return 0;  // also NaN
  constexpr Count kMax = std::numeric_limits<Count>::max();
  if (ms >= double(kMax)) return kMax;
  return static_cast<Count>(ms);
}

void sleep_millis(long long ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

long long steady_clock_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

FreqLimiter::FreqLimiter(double max_freq, std::string name)
    : name_(std::move(name)), min_period_(period_of(max_freq)) {}

void FreqLimiter::set_max_freq(double max_freq) {
  min_period_ = period_of(max_freq);
}

double FreqLimiter::get_max_freq() const {
  return min_period_ > 0.0 ? 1.0 / min_period_ : 0.0;
}

bool FreqLimiter::limited(double t) {
  if (last_time_ == 0.0) {
    last_time_ = t;
    return false;
  }
  if (min_period_ > t - last_time_) return true;
  last_time_ = t;
  return false;
}

void FreqLimiter::sleep_wait(double t) {
  if (min_period_ == 0.0) return;
  if (last_time_ == 0.0) {
    last_time_ = t;
    return;
  }
  double remaining = min_period_ - (t - last_time_);
  last_time_ = t;
  if (remaining < 0.0) return;
  sleep_millis(whole_millis<int>(remaining));
}

void timed_sleep(double seconds) {
  sleep_millis(whole_millis<long long>(seconds));
}

std::function<bool()> frequency_limiter(double period) {
  return frequency_limiter(period, [] { return time_origin(); });
}

std::function<bool()> frequency_limiter(double period, std::function<double()> clock) {
  if (!clock) clock = [] { return time_origin(); };
  auto last = std::make_shared<double>(clock());
  return [period, last, clock = std::move(clock)]() {
    double now = clock();
    if (period > now - *last) return false;
    *last = now;
    return true;
  };
}
