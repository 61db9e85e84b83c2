// EventQueue: the ordered list of live events that one clock drives.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/event.h"

// Lists events without owning them, except those that run_once and
// run_periodically allocate: the queue frees those once it no longer lists them.
// Entries may be null; every operation skips them and flush removes them.
//
// Callbacks run from a walk may add, stop, erase and flush events of this queue,
// the running one included. While a walk is on, removals blank the entry (null)
// instead of unlinking it, so the walk never meets a freed node; the flush that
// ends the advance unlinks the blanks. Events added during a walk are stepped in
// the same walk. Assigning to or destroying a queue from inside its own walk is
// not supported.
//
// Not synchronised: every call, and so every callback, runs on one thread.
class EventQueue {
 public:
  EventQueue() = default;
  // A copy lists the same events; the events stay linked to the source.
  EventQueue(const EventQueue& other);
  // Takes over the list and relinks its events to this queue.
  EventQueue(EventQueue&& other) noexcept;
  EventQueue& operator=(const EventQueue& other);
  EventQueue& operator=(EventQueue&& other) noexcept;
  // Unlinks the listed events and frees those the queue allocated.
  ~EventQueue();

  // Appends e unless it is already listed, and links it to this queue. A null
  // pointer is ignored.
  EventQueue& add(Event* e);
  // Appends a new event that the queue owns from then on, as it owns the
  // events of run_once: it is freed once no queue lists it any more. The
  // event's own type is deleted, so any event class may be handed over.
  template <typename E>
  E* adopt(std::unique_ptr<E> e) {
    E* raw = e.get();
    if (raw) adopt_shared(std::shared_ptr<Event>(std::move(e)));
    return raw;
  }

  // Advances to t: skipped when the time is set and t comes sooner than the
  // minimum period after it; otherwise steps every live entry in list order and
  // flushes quietly with n.
  void update(double t, int n = 0, bool verbose = false);
  // The same over a snapshot of the live entries: events added during the pass
  // wait for the next advance. Runs on the calling thread.
  void parallel_update(double t, int n = 0);
  // Removes null and stopped entries from the front: all of them for n = 0;
  // otherwise the walk ends after the first one collected at a position >= n
  // (for n < 0, at the first one).
  void flush(int n = 0, bool verbose = false);

  // First and last listed event of that name; null when there is none.
  Event* find(const std::string& name);
  Event* find_last_start_time(const std::string& name);
  bool contains(const std::string& name) const;
  bool contains(const Event* e) const;
  // Whether the first listed event of that name has started and not stopped.
  bool active(const std::string& name) const;
  // Whether e is listed and active; an unlisted pointer is not read.
  bool active(const Event* e) const;

  // Stop requests: the events run STOP at their next step that passes their
  // gate, and the flush after it removes them.
  void clear(const std::string& name);
  void clear(const Event* e);
  // Removes the first entry of that name, or equal to e, without stopping it.
  void erase(const std::string& name);
  void erase(const Event* e);

  // An instantaneous event, due delay seconds after the last advance, whose
  // START calls f.
  Event* run_once(std::function<void()> f, double delay, std::string name);
  // An endless event that calls f at the first advance and then at most once a
  // period. Once stop_condition answers true, f runs once more at the next
  // run and the event ends.
  Event* run_periodically(std::function<void()> f, double period,
                          std::function<bool()> stop_condition, std::string name);

  double time() const { return time_; }
  double min_update_period() const { return min_update_period_; }
  void min_update_period(double p) { min_update_period_ = p; }
  std::list<Event*>& events() { return events_; }
  const std::list<Event*>& events() const { return events_; }

 private:
  friend class Event;

  // Counts nested walks for the lifetime of one.
  class WalkGuard {
   public:
    explicit WalkGuard(EventQueue& q) : q_(q) { ++q_.walking_; }
    ~WalkGuard() { --q_.walking_; }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

   private:
    EventQueue& q_;
  };

  bool skip_advance(double t) const;
  std::list<Event*>::iterator find_entry(const Event* e);
  // Takes one entry off the list (or blanks it during a walk); unlinks and
  // retires the event when it is no longer listed.
  void remove_entry(std::list<Event*>::iterator it);
  // Frees the retired events once no walk can still be running them.
  void reclaim();
  // Blanks every entry of an event that is being destroyed.
  void forget(const Event* e);
  // Unlinks every listed event linked to this queue and frees the owned ones.
  void release_all();
  void relink_from(const EventQueue* old_queue);
  void adopt_shared(std::shared_ptr<Event> e);

  double time_ = 0.0;
  std::list<Event*> events_;
  double min_update_period_ = 0.0;
  // Events allocated by run_once and run_periodically; shared with copies of
  // this queue, so each is freed when the last queue listing it lets it go.
  std::unordered_map<const Event*, std::shared_ptr<Event>> owned_;
  std::vector<std::shared_ptr<Event>> retired_;
  int walking_ = 0;
};
