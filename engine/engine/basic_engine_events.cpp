// BasicEngine: work put on the two event queues.
#include <algorithm>
#include <memory>

#include "engine/basic_engine.h"

void BasicEngine::enqueue(std::function<void()> fn, double delay, EventQueue* queue) {
  if (!fn) return;
  EventQueue& q = queue ? *queue : realtime_queue();
  q.run_once(std::move(fn), delay, "enqueue");
}

void BasicEngine::enqueue_periodic(std::function<void()> fn, double period, double delay,
                                   double duration, EventQueue* queue) {
  if (!fn) return;
  EventQueue& q = queue ? *queue : realtime_queue();
  queue_periodic(q, "enqueue", period, std::move(fn), delay, duration);
}

Event* BasicEngine::queue_periodic(EventQueue& q, std::string name, double period,
                                   std::function<void()> fn, double delay, double duration) {
  auto e = std::make_unique<Event>(
      std::move(name), q.time() + delay, duration, nullptr, nullptr,
      [fn = std::move(fn)](double) { fn(); }, nullptr);
  e->min_update_period(period);
  return q.adopt(std::move(e));
}

Event* BasicEngine::start_after_realtime(std::function<void()> fn, double delay) {
  // A negative span would make the event endless, and fn would never run.
  return realtime_queue().adopt(std::make_unique<Event>(
      "start_after_realtime", real_time(), std::max(delay, 0.0), nullptr,
      [fn = std::move(fn)](double) {
        if (fn) fn();
      },
      nullptr, nullptr));
}

void BasicEngine::start_delayed_event(double delay, std::function<void(double)> at_end,
                                      std::function<void(double)> during, std::string name) {
  gametime_queue().adopt(std::make_unique<Event>(std::move(name), game_time(), std::max(delay, 0.0),
                                                 nullptr, std::move(at_end), std::move(during),
                                                 nullptr));
}
