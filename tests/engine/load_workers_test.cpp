// The loader threads and their hand-over: order, joining and stopping.
#include "engine/load_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

TEST(LoadWorkers, HandOversFromManyThreadsArriveWholeAndInEachThreadsOrder) {
  LoadWorkers workers;
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::pair<int, int>> ran;  // touched by the main thread only
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_TRUE(workers.start([&workers, &ran, t] {
      for (int i = 0; i < kEach; ++i) workers.hand_over([&ran, t, i] { ran.emplace_back(t, i); });
    }));
  }
  // Take while the workers still run, then the rest.
  std::size_t taken = 0;
  while (workers.workers() > 0 || workers.pending() > 0) {
    for (auto& completion : workers.take()) {
      completion();
      ++taken;
    }
  }
  ASSERT_EQ(taken, std::size_t(kThreads * kEach));
  std::vector<int> next(kThreads, 0);
  for (const auto& [t, i] : ran) EXPECT_EQ(i, next[t]++) << "thread " << t;
}

TEST(LoadWorkers, WaitJoinsAndKeepsTheCompletionsStopDropsThemAndRefuses) {
  LoadWorkers workers;
  int value = 0;  // written by the worker, read after the hand-over
  workers.start([&] {
    value = 42;
    workers.hand_over([] {});
  });
  workers.wait();
  EXPECT_EQ(workers.workers(), 0u);
  EXPECT_EQ(workers.pending(), 1u);
  EXPECT_EQ(value, 42);

  // A worker that runs until asked to stop.
  std::atomic<bool> started{false};
  workers.start([&] {
    started = true;
    while (!workers.stopping()) std::this_thread::yield();
    workers.hand_over([] {});
  });
  while (!started) std::this_thread::yield();
  workers.stop();
  EXPECT_EQ(workers.workers(), 0u);
  EXPECT_EQ(workers.pending(), 0u);
  EXPECT_FALSE(workers.start([] {}));
  workers.hand_over([] {});
  EXPECT_TRUE(workers.take().empty());
}

TEST(LoadWorkers, CopiesStartWithNothingInFlight) {
  LoadWorkers workers;
  workers.hand_over([] {});
  LoadWorkers copy(workers);
  EXPECT_EQ(copy.pending(), 0u);
  copy = workers;
  EXPECT_EQ(copy.pending(), 0u);
  EXPECT_EQ(workers.pending(), 1u);
}
