#include "core/event_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

// Endless events that count their updates.
struct Counter {
  int updates = 0;
  Event event;
  explicit Counter(std::string name, double start = 0.0)
      : event(
            std::move(name), start, -1.0, nullptr, nullptr, [this](double) { ++updates; },
            nullptr) {}
};

std::vector<std::string> names(const EventQueue& q) {
  std::vector<std::string> out;
  for (const Event* e : q.events()) out.push_back(e ? e->name() : "<null>");
  return out;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(EventQueue, RateLimit) {
  EventQueue q;
  q.min_update_period(0.5);
  Counter c("c");
  q.add(&c.event);
  q.update(3.0);
  EXPECT_EQ(q.time(), 3.0);
  q.update(3.2);
  EXPECT_EQ(q.time(), 3.0);
  EXPECT_EQ(c.updates, 1);
  q.update(3.5);
  EXPECT_EQ(q.time(), 3.5);
  EXPECT_EQ(c.updates, 2);

  EventQueue p;
  p.update(2.0);
  p.update(1.0);
  EXPECT_EQ(p.time(), 2.0);
}

TEST(EventQueue, AddListsOnceLinksAndChains) {
  EventQueue q;
  Counter a("a"), b("b");
  EXPECT_EQ(&q.add(&a.event).add(&b.event).add(&a.event), &q);
  q.add(nullptr);
  EXPECT_EQ(names(q), (Names{"a", "b"}));
  EXPECT_EQ(a.event.queue(), &q);
  // Re-adding a listed event whose link was lost relinks it.
  a.event.queue(nullptr);
  q.add(&a.event);
  EXPECT_EQ(a.event.queue(), &q);
  EXPECT_EQ(names(q), (Names{"a", "b"}));
}

TEST(EventQueue, StoppedEventsLeaveAtTheFlushAfterTheirStop) {
  EventQueue q;
  Counter a("a"), b("b");
  q.add(&a.event).add(&b.event);
  q.update(1.0);
  q.clear("a");
  q.flush(0);
  EXPECT_EQ(names(q), (Names{"a", "b"}));  // stop requested, not yet run
  q.update(2.0);
  EXPECT_EQ(names(q), (Names{"b"}));
  EXPECT_EQ(a.updates, 2);  // the stopping step still updates an endless event
  EXPECT_EQ(a.event.queue(), nullptr);
}

TEST(EventQueue, FlushByPosition) {
  struct Case {
    int n;
    Names left;
  };
  const Case cases[] = {
      {0, {"1", "3"}}, {3, {"1", "3"}}, {1, {"1", "3", "4"}}, {-1, {"1", "2", "3", "4"}},
      {5, {"1", "3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    std::vector<std::unique_ptr<Event>> events;
    EventQueue q;
    for (int i = 0; i < 5; ++i) {
      events.push_back(
          std::make_unique<Event>(std::to_string(i), 0, 0, nullptr, nullptr, nullptr, nullptr));
      q.add(events.back().get());
      if (i % 2 == 0) events.back()->update(1.0);  // stops the instantaneous event
    }
    q.flush(c.n);
    EXPECT_EQ(names(q), c.left);
  }
}

TEST(EventQueue, VerboseFlushNamesTheRemovedEvents) {
  EventQueue q;
  std::vector<std::unique_ptr<Event>> events;
  for (const char* name : {"x", "a", "y", "b", "z"}) {
    events.push_back(std::make_unique<Event>(name, 0, 0, nullptr, nullptr, nullptr, nullptr));
    q.add(events.back().get());
  }
  events[1]->update(0);
  events[3]->update(0);
  OutputCapture cap;
  q.flush(0, true);
  EXPECT_EQ(cap.err(), "Erasing 2 events (of 5 total):\na, b, \n");
  cap.reset();
  q.flush(0, true);  // nothing to remove: silent
  EXPECT_EQ(cap.err(), "");
}

TEST(EventQueue, VerboseUpdateTracesAndFlushesQuietly) {
  EventQueue q;
  Event once("once", 0, 0, nullptr, nullptr, nullptr, nullptr);
  q.add(&once);
  OutputCapture cap;
  q.update(1.5, 0, true);
  EXPECT_EQ(cap.out(), "EventQueue::update(1.5)\n");
  EXPECT_EQ(cap.err(), "");
  EXPECT_TRUE(q.events().empty());
}

TEST(EventQueue, SearchesByName) {
  EventQueue q;
  Counter first("same", 5.0), second("same", 0.0), other("other");
  q.add(&first.event).add(&second.event).add(&other.event);
  q.update(1.0);  // second runs, first is still pending
  q.events().push_front(nullptr);
  EXPECT_EQ(q.find("same"), &first.event);
  EXPECT_EQ(q.find_last_start_time("same"), &second.event);
  EXPECT_EQ(q.find("none"), nullptr);
  EXPECT_EQ(q.find_last_start_time("none"), nullptr);
  EXPECT_TRUE(q.contains("same"));
  EXPECT_FALSE(q.contains("none"));
  EXPECT_FALSE(q.active("same"));  // the first of the name decides
  EXPECT_TRUE(q.active(&second.event));
  EXPECT_TRUE(q.contains(&other.event));
  EXPECT_FALSE(q.contains(nullptr));
  EXPECT_FALSE(q.active("none"));

  q.erase("same");
  EXPECT_EQ(first.event.queue(), nullptr);
  EXPECT_EQ(q.find_last_start_time("same"), &second.event);
  EXPECT_EQ(q.find("same"), &second.event);
  EXPECT_FALSE(first.event.stop_called());  // erase does not stop
  q.erase(&other.event);
  EXPECT_EQ(names(q), (Names{"<null>", "same"}));
  EXPECT_FALSE(q.active(&other.event));

  q.flush(0);  // the null entry is dead
  EXPECT_EQ(names(q), (Names{"same"}));
}

TEST(EventQueue, ActiveByPointerDoesNotReadUnlistedEvents) {
  EventQueue q;
  Counter listed("listed");
  q.add(&listed.event);
  auto gone = std::make_unique<Counter>("gone");
  const Event* dangling = &gone->event;
  gone.reset();
  EXPECT_FALSE(q.active(dangling));  // ASan would report a read
}

TEST(EventQueue, RunOnceIsDueAfterTheLastAdvance) {
  EventQueue q;
  q.update(10.0);
  int runs = 0;
  Event* e = q.run_once([&] { ++runs; }, 1.0, "once");
  EXPECT_EQ(e->name(), "once");
  EXPECT_EQ(e->queue(), &q);
  q.update(10.5);
  q.update(10.99);
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(q.contains(e));
  q.update(11.0);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(q.contains("once"));
  q.update(12.0);
  EXPECT_EQ(runs, 1);
  // An empty function is harmless.
  q.run_once(nullptr, 0.0, "empty");
  q.update(13.0);
  EXPECT_TRUE(q.events().empty());
}

TEST(EventQueue, RunPeriodicallyWithoutStopCondition) {
  EventQueue q;
  int runs = 0;
  q.run_periodically([&] { ++runs; }, 0.5, nullptr, "tick");
  std::vector<int> at;
  for (int i = 1; i <= 12; ++i) {
    q.update(0.125 * i);
    at.push_back(runs);
  }
  EXPECT_EQ(at, (std::vector<int>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
  q.clear("tick");
  q.update(1.5625);
  EXPECT_TRUE(q.contains("tick"));  // the period holds the stop back
  EXPECT_EQ(runs, 3);
  q.update(1.625);
  EXPECT_EQ(runs, 4);
  EXPECT_FALSE(q.contains("tick"));
}

TEST(EventQueue, RunPeriodicallyRunsOnceMoreAfterItsStopCondition) {
  EventQueue q;
  int runs = 0;
  bool done = false;
  q.run_periodically([&] { ++runs; }, 1.0, [&] { return done; }, "watch");
  q.update(1.0);
  q.update(2.0);
  EXPECT_EQ(runs, 2);
  done = true;
  q.update(3.0);
  EXPECT_EQ(runs, 3);
  EXPECT_TRUE(q.contains("watch"));
  q.update(3.5);
  EXPECT_EQ(runs, 3);
  q.update(4.0);
  EXPECT_EQ(runs, 4);
  EXPECT_FALSE(q.contains("watch"));
}

// Callbacks that change the queue while it walks it: each step below would use
// a freed list node or event if removals took effect during the walk.
TEST(EventQueue, CallbacksMayChangeTheQueueTheyRunIn) {
  EventQueue q;
  Counter later("later"), stopped("stopped");
  std::vector<std::string> ran;
  int added_runs = 0;
  Event added(
      "added", 0, -1, nullptr, nullptr, [&](double) { ++added_runs; }, nullptr);

  q.run_once(
      [&] {
        ran.push_back("first");
        q.add(&added);       // appended: runs in this walk
        q.erase("later");    // not stepped in this walk any more
        q.erase("first");    // the event running this callback
        q.clear("stopped");  // a stop request
        q.flush(0, false);   // removes what is dead so far
        q.run_once([&] { ran.push_back("nested"); }, 0.0, "nested");
      },
      0.0, "first");
  q.add(&later.event).add(&stopped.event);
  Event* periodic = nullptr;
  q.run_periodically(
      [&] {
        ran.push_back("self");
        q.erase("self");    // an event the queue owns, erased by itself
        q.erase(periodic);  // an owned event further down the list
      },
      0.0, nullptr, "self");
  periodic = q.run_periodically([&] { ran.push_back("periodic"); }, 0.0, nullptr, "p");

  q.update(1.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "self", "nested"}));
  EXPECT_EQ(later.updates, 0);
  EXPECT_EQ(stopped.updates, 1);
  EXPECT_TRUE(stopped.event.stop_called());
  EXPECT_EQ(added_runs, 1);
  EXPECT_EQ(names(q), (Names{"added"}));
  EXPECT_EQ(later.event.queue(), nullptr);

  q.update(2.0);
  EXPECT_EQ(added_runs, 2);
  EXPECT_EQ(ran.size(), 3u);
}

TEST(EventQueue, ParallelUpdateWalksASnapshot) {
  EventQueue q;
  Counter a("a"), b("b"), c("c");
  Event adder(
      "adder", 0, -1, nullptr, nullptr,
      [&](double) {
        q.add(&c.event);
        q.erase("b");
      },
      nullptr);
  q.add(&adder).add(&a.event).add(&b.event);
  q.parallel_update(1.0);
  EXPECT_EQ(a.updates, 1);
  EXPECT_EQ(b.updates, 0);  // erased before its turn
  EXPECT_EQ(c.updates, 0);  // added during the pass: waits
  q.parallel_update(2.0);
  EXPECT_EQ(c.updates, 1);
  EXPECT_EQ(names(q), (Names{"adder", "a", "c"}));
}

TEST(EventQueue, EventsOutliveTheirQueueSafely) {
  Counter kept("kept");
  auto q = std::make_unique<EventQueue>();
  q->add(&kept.event);
  EXPECT_EQ(kept.event.queue(), q.get());
  q.reset();
  EXPECT_EQ(kept.event.queue(), nullptr);
  kept.event.clear();  // no dangling queue to follow

  EventQueue r;
  Counter flushed("flushed");
  r.add(&flushed.event);
  r.clear(&flushed.event);
  r.update(1.0);
  EXPECT_EQ(flushed.event.queue(), nullptr);
}

TEST(EventQueue, DestroyingAListedEventBlanksItsEntry) {
  EventQueue q;
  Counter before("before");
  auto doomed = std::make_unique<Counter>("doomed");
  q.add(&before.event).add(&doomed->event);
  Event killer(
      "killer", 0, -1, nullptr, nullptr, [&](double) { doomed.reset(); }, nullptr);
  q.events().push_front(&killer);
  q.update(1.0);  // the killer runs first; the doomed entry must not be stepped
  EXPECT_EQ(before.updates, 1);
  EXPECT_EQ(names(q), (Names{"killer", "before"}));
}

TEST(EventQueue, MovedQueueTakesItsEventsAlong) {
  Counter c("c");
  EventQueue a;
  a.add(&c.event);
  int runs = 0;
  a.run_periodically([&] { ++runs; }, 0.0, nullptr, "owned");
  EventQueue b(std::move(a));
  EXPECT_TRUE(a.events().empty());
  EXPECT_EQ(c.event.queue(), &b);
  c.event.clear();
  b.update(1.0);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(names(b), (Names{"owned"}));

  EventQueue d;
  d = std::move(b);
  d.clear("owned");
  d.update(2.0);
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(d.events().empty());
}

TEST(EventQueue, CopiesShareTheEventsTheQueueAllocated) {
  int runs = 0;
  auto a = std::make_unique<EventQueue>();
  a->run_periodically([&] { ++runs; }, 0.0, nullptr, "shared");
  EventQueue b(*a);
  a.reset();  // the copy still lists the event: it stays alive
  b.update(1.0);
  EXPECT_EQ(runs, 1);
  EventQueue c;
  c = b;
  b.erase("shared");
  c.update(2.0);
  EXPECT_EQ(runs, 2);
}

TEST(EventQueue, AdoptedEventsOfAnyClassAreFreedWhenTheyLeave) {
  // A derived event with members of its own: freeing it as a plain Event
  // would be caught by the sanitizers (and its buffers would leak).
  struct Traced : Event {
    std::vector<double> seen;
    bool* freed;
    explicit Traced(bool* f)
        : Event("traced", 1.0, 1.0, nullptr, nullptr, nullptr, nullptr), freed(f) {
      update_callback() = [this](double s) { seen.push_back(s); };
    }
    ~Traced() { *freed = true; }
  };
  bool freed = false;
  EventQueue q;
  Traced* t = q.adopt(std::make_unique<Traced>(&freed));
  EXPECT_EQ(t->queue(), &q);
  EXPECT_EQ(q.adopt(std::unique_ptr<Traced>()), nullptr);
  q.update(1.5);
  EXPECT_EQ(t->seen, std::vector<double>{0.5});
  EXPECT_FALSE(freed);
  q.update(2.5);  // past its end: it stops, leaves the list and is freed
  EXPECT_TRUE(freed);
  EXPECT_TRUE(q.events().empty());
}
