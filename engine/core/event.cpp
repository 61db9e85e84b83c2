// Event steps: the gate, the scaled time and the START, UPDATE and STOP decisions.
#include "core/event.h"

#include <iostream>

#include "core/event_queue.h"

std::atomic<long long> Event::last_id_{0};

Event::Event() = default;

Event::Event(std::string name, double start, double duration, Callback start_callback,
             Callback stop_callback, Callback update_callback,
             std::function<void()> destructor_callback)
    : Named(std::move(name)),
      epochs_{start, start + duration},
      update_callback_(std::move(update_callback)),
      start_callback_(std::move(start_callback)),
      stop_callback_(std::move(stop_callback)),
      destructor_callback_(std::move(destructor_callback)),
      id_(++last_id_) {}

Event::~Event() {
  if (queue_.queue) queue_.queue->forget(this);
}

void Event::init(std::string name, double start, double duration, Callback start_callback,
                 Callback stop_callback, Callback update_callback,
                 std::function<void()> destructor_callback) {
  Named::rename(std::move(name));
  start_callback_ = std::move(start_callback);
  stop_callback_ = std::move(stop_callback);
  update_callback_ = std::move(update_callback);
  destructor_callback_ = std::move(destructor_callback);
  epochs_ = {start, start + duration};
  reset();
}

void Event::reset() {
  stop_called_ = false;
  start_pending_ = true;
  stop_requested_ = false;
}

void Event::clear() {
  if (queue_.queue) queue_.queue->clear(this);
}

bool Event::during(double t) const {
  if (duration() < 0.0) return true;
  return epochs_[0] <= t && t <= epochs_[1];
}

void Event::update(double t) {
  const double t0 = epochs_[0];
  const double t1 = epochs_[1];
  if (verbose_) {
    std::cout << "event " << name() << ", epochs = " << t0 << ", " << t1 << "\n"
              << "t_abs = " << (t - t0) << std::endl;
  }

  if (stop_called_) return;
  if (!start_pending_) {
    bool period_ok = min_update_period_ <= 0.0 || t - last_update_time_ >= min_update_period_;
    bool order_ok = !monotonic_ || last_update_time_ < t;
    if (!period_ok || !order_ok) return;
  }
  last_update_time_ = t;

  const double dur = t1 - t0;
  const double s = (t - t0) / (dur > 0.0 ? dur : 1.0);
  const bool run_start = start_pending_ && s >= 0.0;
  const bool run_update =
      (s >= 0.0 && s <= 1.0 && dur > 0.0) || (s >= 0.0 && dur < 0.0) || (run_start && dur == 0.0);
  const bool run_stop = (s >= 1.0 && dur > 0.0) || (s >= 0.0 && dur == 0.0) || stop_requested_;

  if (verbose_) {
    std::cout << "Event name = " << name() << "\ndur \t= " << dur << "\nt_scaled \t= " << s
              << "\nrun_start \t= " << run_start << "\nrun_update \t= " << run_update
              << "\nrun_stop \t= " << run_stop << std::endl;
  }
  if (run_start) {
    start_pending_ = false;
    if (verbose_) std::cout << "Running START for event " << name() << std::endl;
    if (start_callback_) start_callback_(s);
  }
  if (run_update) {
    if (verbose_) std::cout << "Running UPDATE(" << s << ") for event " << name() << std::endl;
    if (update_callback_) update_callback_(s);
  }
  if (run_stop) {
    if (verbose_) std::cout << "Running STOP for event " << name() << std::endl;
    if (stop_callback_) stop_callback_(s);
    stop_called_ = true;
  }
}
