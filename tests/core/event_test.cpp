#include "core/event.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "core/event_queue.h"
#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

// An event whose callbacks write what ran, and with which scaled time, into a
// log: one line per update call, e.g. "START(0) UPDATE(0)".
struct Recorded {
  std::ostringstream step;
  Event event;

  Recorded(double start, double duration) {
    auto note = [this](const char* what) {
      return [this, what](double s) { step << what << "(" << s << ") "; };
    };
    event =
        Event("recorded", start, duration, note("START"), note("STOP"), note("UPDATE"), nullptr);
  }

  std::string run(double t) {
    step.str("");
    event.update(t);
    std::string s = step.str();
    if (!s.empty()) s.pop_back();
    return s;
  }
};

struct StepCase {
  const char* what;
  double start;
  double duration;
  double min_period;
  bool stop_first;  // stop requested before the first update
  std::vector<std::pair<double, std::string>> steps;
};

}  // namespace

TEST(Event, StartUpdateStopDecisions) {
  const StepCase cases[] = {
      {"span",
       10,
       2,
       0,
       false,
       {{9, ""},
        {10, "START(0) UPDATE(0)"},
        {11, "UPDATE(0.5)"},
        {12, "UPDATE(1) STOP(1)"},
        {13, ""}}},
      {"span first updated after its end", 10, 2, 0, false, {{13, "START(1.5) STOP(1.5)"}}},
      {"instantaneous", 5, 0, 0, false, {{4, ""}, {6, "START(1) UPDATE(1) STOP(1)"}, {7, ""}}},
      {"endless with a minimum period",
       0,
       -1,
       0.5,
       false,
       {{0, "START(0) UPDATE(0)"}, {0.2, ""}, {0.5, "UPDATE(0.5)"}, {0.9, ""}, {1.0, "UPDATE(1)"}}},
      {"stopped before its start", 10, 2, 0, true, {{8, "STOP(-1)"}, {11, ""}}},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.what);
    Recorded r(c.start, c.duration);
    r.event.min_update_period(c.min_period);
    EventQueue q;
    if (c.stop_first) {
      q.add(&r.event);
      r.event.clear();
    }
    for (const auto& [t, expected] : c.steps) EXPECT_EQ(r.run(t), expected) << "at t = " << t;
  }
}

TEST(Event, GateBeforeTheStartOnlyRecordsTheTime) {
  Recorded r(10, 2);
  r.event.min_update_period(5.0);
  EXPECT_EQ(r.run(9), "");
  EXPECT_EQ(r.event.last_update_time(), 9.0);
  // Pending events pass the gate whatever their period.
  EXPECT_EQ(r.run(10), "START(0) UPDATE(0)");
  EXPECT_TRUE(r.event.active());
}

TEST(Event, MonotonicFlagDecidesWhetherTheSameTimeRunsTwice) {
  Recorded r(0, -1);
  EXPECT_EQ(r.run(1), "START(1) UPDATE(1)");
  EXPECT_EQ(r.run(1), "");
  EXPECT_EQ(r.run(0.5), "");
  r.event.monotonic(false);
  EXPECT_EQ(r.run(1), "UPDATE(1)");
  EXPECT_EQ(r.run(0.5), "UPDATE(0.5)");
}

TEST(Event, StopRequestEndsAtTheNextStepThatPassesTheGate) {
  Recorded r(0, -1);
  r.event.min_update_period(1.0);
  EventQueue q;
  q.add(&r.event);
  EXPECT_EQ(r.run(0), "START(0) UPDATE(0)");
  EXPECT_TRUE(r.event.active());
  r.event.clear();
  EXPECT_EQ(r.run(0.5), "");  // held back by the period
  EXPECT_EQ(r.run(1.0), "UPDATE(1) STOP(1)");
  EXPECT_FALSE(r.event.active());
  EXPECT_TRUE(r.event.started());
  EXPECT_TRUE(r.event.stop_called());
  EXPECT_TRUE(r.event.expired());
  EXPECT_EQ(r.run(5.0), "");

  r.event.reset();
  EXPECT_FALSE(r.event.started());
  EXPECT_EQ(r.run(6.0), "START(6) UPDATE(6)");
}

TEST(Event, StopRequestedByItsOwnCallbackTakesEffectNextTime) {
  EventQueue q;
  int updates = 0, stops = 0;
  Event e(
      "self stopping", 0, -1, nullptr, [&](double) { ++stops; },
      [&](double) {
        ++updates;
        q.clear("self stopping");
      },
      nullptr);
  q.add(&e);
  e.update(1);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(stops, 0);
  e.update(2);
  EXPECT_EQ(updates, 2);
  EXPECT_EQ(stops, 1);
}

TEST(Event, ClearOnlyMarksAnEventListedInItsQueue) {
  Recorded r(0, -1);
  r.event.clear();  // no queue: nothing happens
  EXPECT_EQ(r.run(0), "START(0) UPDATE(0)");
  EventQueue q;
  r.event.queue(&q);  // linked, but not listed
  r.event.clear();
  EXPECT_EQ(r.run(1), "UPDATE(1)");
}

TEST(Event, InitRestartsAndKeepsTheSettings) {
  Recorded r(0, 1);
  r.event.min_update_period(0.25);
  r.event.monotonic(false);
  r.event.set_id(77);
  EXPECT_EQ(r.run(2), "START(2) STOP(2)");
  int started = 0;
  r.event.init(
      "again", 10, 4, [&](double) { ++started; }, nullptr, nullptr, nullptr);
  EXPECT_EQ(r.event.name(), "again");
  EXPECT_FALSE(r.event.started());
  EXPECT_EQ(r.event.epochs()[0], 10.0);
  EXPECT_EQ(r.event.epochs()[1], 14.0);
  EXPECT_EQ(r.event.duration(), 4.0);
  EXPECT_EQ(r.event.min_update_period(), 0.25);
  EXPECT_FALSE(r.event.monotonic());
  EXPECT_EQ(r.event.id(), 77);
  EXPECT_EQ(r.event.last_update_time(), 2.0);
  r.event.update(11);
  EXPECT_EQ(started, 1);
}

TEST(Event, IdentifiersAndCopies) {
  Event a("a", 0, 1, nullptr, nullptr, nullptr, nullptr);
  Event b("b", 0, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(b.id(), a.id() + 1);
  EXPECT_EQ(Event::last_id_, b.id());
  Event d;
  EXPECT_EQ(d.id(), 0);
  EXPECT_EQ(d.name(), "Unnamed");
  EXPECT_EQ(Event::last_id_, b.id());

  EventQueue q;
  q.add(&a);
  Event copy(a);
  EXPECT_EQ(copy.id(), a.id());
  EXPECT_EQ(copy.name(), "a");
  // A copy is listed nowhere, so it is linked nowhere.
  EXPECT_EQ(copy.queue(), nullptr);
  Event moved(std::move(copy));
  EXPECT_EQ(moved.name(), "a");
  EXPECT_EQ(moved.queue(), nullptr);
  // The target of an assignment stays where it is listed.
  a = b;
  EXPECT_EQ(a.queue(), &q);
  EXPECT_EQ(a.id(), b.id());
  EXPECT_EQ(&a.rename("renamed"), &a);
  EXPECT_EQ(a.name(), "renamed");
}

TEST(Event, IdentifierCountersAreSafeAcrossThreads) {
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::vector<long long>> ids(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&ids, i] {
      for (int k = 0; k < kEach; ++k) {
        Event e("t", 0, 0, nullptr, nullptr, nullptr, nullptr);
        ids[i].push_back(e.id());
        ids[i].push_back(IDType().id() + (1ll << 40));
      }
    });
  }
  for (auto& t : threads) t.join();
  std::set<long long> unique;
  for (const auto& v : ids) unique.insert(v.begin(), v.end());
  EXPECT_EQ(unique.size(), std::size_t(2 * kThreads * kEach));
}

TEST(Event, During) {
  Event span("span", 10, 2, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(span.during(10));
  EXPECT_TRUE(span.during(12));
  EXPECT_FALSE(span.during(12.5));
  EXPECT_FALSE(span.during(9.9));
  Event endless("endless", 10, -1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(endless.during(-1e9));
  EXPECT_TRUE(endless.during(1e9));
}

TEST(Event, VerboseTrace) {
  Event e("fade", 10, 2, nullptr, nullptr, nullptr, nullptr);
  e.verbose(2);
  EXPECT_TRUE(e.verbose());
  OutputCapture cap;
  e.update(11);
  EXPECT_EQ(cap.out(),
            "event fade, epochs = 10, 12\n"
            "t_abs = 1\n"
            "Event name = fade\n"
            "dur \t= 2\n"
            "t_scaled \t= 0.5\n"
            "run_start \t= 1\n"
            "run_update \t= 1\n"
            "run_stop \t= 0\n"
            "Running START for event fade\n"
            "Running UPDATE(0.5) for event fade\n");
  cap.reset();
  e.update(11.5 + 1);
  EXPECT_NE(cap.out().find("Running STOP for event fade\n"), std::string::npos);
  cap.reset();
  e.update(20);  // stopped: only the first two lines
  EXPECT_EQ(cap.out(), "event fade, epochs = 10, 12\nt_abs = 10\n");
}
