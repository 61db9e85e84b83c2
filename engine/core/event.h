// Event: a named, timed callback object stepped by an event queue.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>

#include "core/named.h"

class EventQueue;

// An event runs over [t0, t1] (a span), at t0 only (duration 0, instantaneous)
// or from t0 until a stop request (negative duration, endless). Each step that
// passes the gate decides START, UPDATE and STOP from the scaled time
// s = (t - t0) / duration (for non-positive durations the seconds since t0) and
// runs them in that order. Callbacks receive s.
//
// The queue link is set by the queue that lists the event and cleared when that
// queue removes the event or goes away, so an event never points at a queue that
// is gone. Copies start unlinked; assignment keeps the target's link, since the
// target stays wherever it is listed. Destroying a linked event blanks its
// entries in that queue.
class Event : public Named {
 public:
  using Callback = std::function<void(double)>;

  // Epochs at 0; every user calls init before adding the event to a queue.
  Event();
  // Numbered with the next identifier. Note the order: start, stop, update.
  Event(std::string name, double start, double duration, Callback start_callback,
        Callback stop_callback, Callback update_callback,
        std::function<void()> destructor_callback);
  Event(const Event&) = default;
  Event(Event&&) noexcept = default;
  Event& operator=(const Event&) = default;
  Event& operator=(Event&&) noexcept = default;
  // Calls no callback.
  ~Event();

  // Replaces name, callbacks and epochs and makes the event pending again;
  // monotonic, queue, verbose, min update period, last update time and id stay.
  void init(std::string name, double start, double duration, Callback start_callback,
            Callback stop_callback, Callback update_callback,
            std::function<void()> destructor_callback);

  // One step at absolute time t.
  void update(double t);
  // Pending again; epochs, last update time and callbacks stay.
  void reset();
  // Requests a stop through the linked queue, when this event is listed there.
  void clear();

  Event& rename(std::string name) {
    Named::rename(std::move(name));
    return *this;
  }

  bool started() const { return !start_pending_ || stop_called_; }
  bool active() const { return !start_pending_ && !stop_called_; }
  bool stop_called() const { return stop_called_; }
  bool expired() const { return stop_called_; }
  bool during(double t) const;
  double duration() const { return epochs_[1] - epochs_[0]; }

  std::array<double, 2>& epochs() { return epochs_; }
  const std::array<double, 2>& epochs() const { return epochs_; }
  bool monotonic() const { return monotonic_; }
  void monotonic(bool b) { monotonic_ = b; }
  EventQueue* queue() const { return queue_.queue; }
  void queue(EventQueue* q) { queue_.queue = q; }
  bool verbose() const { return verbose_; }
  void verbose(int v) { verbose_ = v != 0; }
  double min_update_period() const { return min_update_period_; }
  void min_update_period(double p) { min_update_period_ = p; }
  double last_update_time() const { return last_update_time_; }
  long long id() const { return id_; }
  void set_id(long long id) { id_ = id; }

  Callback& update_callback() { return update_callback_; }
  const Callback& update_callback() const { return update_callback_; }
  Callback& start_callback() { return start_callback_; }
  const Callback& start_callback() const { return start_callback_; }
  Callback& stop_callback() { return stop_callback_; }
  const Callback& stop_callback() const { return stop_callback_; }
  std::function<void()>& destructor_callback() { return destructor_callback_; }
  const std::function<void()>& destructor_callback() const { return destructor_callback_; }

  // The last identifier handed out by the numbering constructor.
  static std::atomic<long long> last_id_;

 private:
  friend class EventQueue;

  // The queue link, which copies, moves and assignments do not carry over: a
  // new object starts unlinked and an assigned one keeps its own link.
  struct QueueLink {
    EventQueue* queue = nullptr;
    QueueLink() = default;
    QueueLink(const QueueLink&) noexcept {}
    QueueLink& operator=(const QueueLink&) noexcept { return *this; }
  };

  bool stop_requested_ = false;
  bool monotonic_ = true;
  QueueLink queue_;
  bool verbose_ = false;
  double min_update_period_ = 0.0;
  double last_update_time_ = 0.0;
  bool start_pending_ = true;
  std::array<double, 2> epochs_{0.0, 0.0};
  Callback update_callback_;
  Callback start_callback_;
  Callback stop_callback_;
  std::function<void()> destructor_callback_;
  long long id_ = 0;
  bool stop_called_ = false;
};
