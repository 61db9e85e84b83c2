// Event queue advances, flushes, searches and the events it schedules itself.
#include "core/event_queue.h"

#include <iostream>

EventQueue::EventQueue(const EventQueue& other)
    : time_(other.time_),
      events_(other.events_),
      min_update_period_(other.min_update_period_),
      owned_(other.owned_) {}

EventQueue::EventQueue(EventQueue&& other) noexcept
    : time_(other.time_),
      events_(std::move(other.events_)),
      min_update_period_(other.min_update_period_),
      owned_(std::move(other.owned_)) {
  other.events_.clear();
  other.owned_.clear();
  relink_from(&other);
}

EventQueue& EventQueue::operator=(const EventQueue& other) {
  if (this == &other) return *this;
  auto owned = other.owned_;
  auto events = other.events_;
  release_all();
  time_ = other.time_;
  events_ = std::move(events);
  min_update_period_ = other.min_update_period_;
  owned_ = std::move(owned);
  return *this;
}

EventQueue& EventQueue::operator=(EventQueue&& other) noexcept {
  if (this == &other) return *this;
  release_all();
  time_ = other.time_;
  events_ = std::move(other.events_);
  min_update_period_ = other.min_update_period_;
  owned_ = std::move(other.owned_);
  other.events_.clear();
  other.owned_.clear();
  relink_from(&other);
  return *this;
}

EventQueue::~EventQueue() {
  release_all();
}

void EventQueue::release_all() {
  for (Event* e : events_) {
    if (e && e->queue() == this) e->queue(nullptr);
  }
  events_.clear();
  // Freed outside the members, in case an event's callbacks hold something
  // whose destruction calls back into this queue.
  auto owned = std::move(owned_);
  auto retired = std::move(retired_);
  owned_.clear();
  retired_.clear();
}

void EventQueue::relink_from(const EventQueue* old_queue) {
  for (Event* e : events_) {
    if (e && e->queue() == old_queue) e->queue(this);
  }
}

EventQueue& EventQueue::add(Event* e) {
  if (!e) return *this;
  if (find_entry(e) == events_.end()) events_.push_back(e);
  e->queue(this);
  return *this;
}

void EventQueue::adopt_shared(std::shared_ptr<Event> e) {
  Event* raw = e.get();
  owned_.emplace(raw, std::move(e));
  // A fresh allocation cannot be listed yet: no need to search the list.
  events_.push_back(raw);
  raw->queue(this);
}

bool EventQueue::skip_advance(double t) const {
  return time_ != 0.0 && min_update_period_ > t - time_;
}

void EventQueue::update(double t, int n, bool verbose) {
  if (skip_advance(t)) return;
  time_ = t;
  if (verbose) std::cout << "EventQueue::update(" << t << ")" << std::endl;
  {
    WalkGuard walk(*this);
    // end() is read afresh at every step, so events appended by a callback are
    // stepped in this walk; nodes are only blanked while the walk is on.
    for (auto it = events_.begin(); it != events_.end(); ++it) {
      Event* e = *it;
      if (e && !e->stop_called()) e->update(t);
    }
  }
  flush(n, false);
}

void EventQueue::parallel_update(double t, int n) {
  if (skip_advance(t)) return;
  time_ = t;
  std::vector<std::list<Event*>::iterator> live;
  for (auto it = events_.begin(); it != events_.end(); ++it) {
    if (*it && !(*it)->stop_called()) live.push_back(it);
  }
  {
    WalkGuard walk(*this);
    // The entry is read at its turn: one erased meanwhile is null and skipped.
    for (auto it : live) {
      if (Event* e = *it) e->update(t);
    }
  }
  flush(n, false);
}

void EventQueue::flush(int n, bool verbose) {
  std::vector<std::list<Event*>::iterator> dead;
  long long position = 0;
  for (auto it = events_.begin(); it != events_.end(); ++it, ++position) {
    Event* e = *it;
    if (e && !e->stop_called()) continue;
    dead.push_back(it);
    if (n != 0 && position >= n) break;
  }
  if (!dead.empty() && verbose) {
    std::cerr << "Erasing " << dead.size() << " events (of " << events_.size()
              << " total):" << std::endl;
    for (auto it : dead) {
      if (*it) std::cerr << (*it)->name() << ", ";
    }
    std::cerr << std::endl;
  }
  for (auto it : dead) remove_entry(it);
  reclaim();
}

std::list<Event*>::iterator EventQueue::find_entry(const Event* e) {
  for (auto it = events_.begin(); it != events_.end(); ++it) {
    if (*it == e) return it;
  }
  return events_.end();
}

void EventQueue::remove_entry(std::list<Event*>::iterator it) {
  Event* e = *it;
  if (walking_ > 0) {
    *it = nullptr;
  } else {
    events_.erase(it);
  }
  if (!e) return;
  // add keeps entries unique, so the event is no longer listed here.
  if (e->queue() == this) e->queue(nullptr);
  auto owned = owned_.find(e);
  if (owned != owned_.end()) {
    retired_.push_back(std::move(owned->second));
    owned_.erase(owned);
  }
}

void EventQueue::reclaim() {
  if (walking_ > 0 || retired_.empty()) return;
  auto retired = std::move(retired_);
  retired_.clear();
}

void EventQueue::forget(const Event* e) {
  for (Event*& entry : events_) {
    if (entry == e) entry = nullptr;
  }
}

Event* EventQueue::find(const std::string& name) {
  for (Event* e : events_) {
    if (e && e->name() == name) return e;
  }
  return nullptr;
}

Event* EventQueue::find_last_start_time(const std::string& name) {
  for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
    if (*it && (*it)->name() == name) return *it;
  }
  return nullptr;
}

bool EventQueue::contains(const std::string& name) const {
  for (const Event* e : events_) {
    if (e && e->name() == name) return true;
  }
  return false;
}

bool EventQueue::contains(const Event* e) const {
  if (!e) return false;
  for (const Event* entry : events_) {
    if (entry == e) return true;
  }
  return false;
}

bool EventQueue::active(const std::string& name) const {
  for (const Event* e : events_) {
    if (e && e->name() == name) return e->active();
  }
  return false;
}

bool EventQueue::active(const Event* e) const {
  return contains(e) && e->active();
}

void EventQueue::clear(const std::string& name) {
  for (Event* e : events_) {
    if (e && e->name() == name) e->stop_requested_ = true;
  }
}

void EventQueue::clear(const Event* e) {
  if (!e) return;
  for (Event* entry : events_) {
    if (entry == e) entry->stop_requested_ = true;
  }
}

void EventQueue::erase(const std::string& name) {
  for (auto it = events_.begin(); it != events_.end(); ++it) {
    if (*it && (*it)->name() == name) {
      remove_entry(it);
      break;
    }
  }
  reclaim();
}

void EventQueue::erase(const Event* e) {
  if (!e) return;
  auto it = find_entry(e);
  if (it != events_.end()) remove_entry(it);
  reclaim();
}

Event* EventQueue::run_once(std::function<void()> f, double delay, std::string name) {
  auto e = std::make_unique<Event>(
      std::move(name), time_ + delay, 0.0,
      [f = std::move(f)](double) {
        if (f) f();
      },
      nullptr, nullptr, nullptr);
  return adopt(std::move(e));
}

Event* EventQueue::run_periodically(std::function<void()> f, double period,
                                    std::function<bool()> stop_condition, std::string name) {
  auto e =
      std::make_unique<Event>(std::move(name), time_, -1.0, nullptr, nullptr, nullptr, nullptr);
  Event* self = e.get();
  // The stop goes through the event's own link, which follows the event if
  // this queue is moved.
  self->update_callback() = [self, f = std::move(f), stop = std::move(stop_condition)](double) {
    if (stop && stop()) self->clear();
    if (f) f();
  };
  self->min_update_period(period);
  return adopt(std::move(e));
}
