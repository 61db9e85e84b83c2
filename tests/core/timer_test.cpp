#include "core/timer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Timer, MeasuresElapsedSeconds) {
  Timer t;
  const double first = t();
  EXPECT_GE(first, 0.0);
  EXPECT_LT(first, 1.0);
  const double wall = t.walltime();
  EXPECT_GE(wall, first);
  const double later = t - 1.0;
  EXPECT_GE(later, wall - 1.0);
  Timer copy(t);
  EXPECT_GE(copy(), later + 1.0);
  EXPECT_GE(time_origin(), 0.0);
}

TEST(FreqLimiter, WithoutALimit) {
  FreqLimiter f(0.0);
  EXPECT_EQ(f.get_max_freq(), 0.0);
  EXPECT_EQ(f.name(), "FreqLimiter");
  for (double t : {1.0, 1.0, 2.0, 2.0000001}) EXPECT_FALSE(f.limited(t)) << t;
  EXPECT_TRUE(f.limited(1.5));  // only going back in time is refused
  FreqLimiter s(0.0);
  s.sleep_wait(3.0);
  EXPECT_EQ(s.last_time(), 0.0);  // records nothing
}

TEST(FreqLimiter, LetsOnePassThroughPerPeriod) {
  FreqLimiter f(8.0, "eight");
  EXPECT_EQ(f.get_max_freq(), 8.0);
  EXPECT_FALSE(f.limited(5.0));
  EXPECT_EQ(f.last_time(), 5.0);
  EXPECT_TRUE(f.limited(5.0625));
  EXPECT_EQ(f.last_time(), 5.0);
  EXPECT_FALSE(f.limited(5.125));  // exactly one period later
  EXPECT_EQ(f.last_time(), 5.125);

  FreqLimiter g;
  EXPECT_DOUBLE_EQ(g.get_max_freq(), 90.0);
  g.set_max_freq(4.0);
  EXPECT_EQ(g.get_max_freq(), 4.0);
  g.set_max_freq(0.0);
  EXPECT_EQ(g.get_max_freq(), 0.0);
}

TEST(FreqLimiter, SleepWaitSleepsWhatIsLeftOfThePeriod) {
  FreqLimiter f(8.0);
  f.sleep_wait(5.0);  // first call: records only
  EXPECT_EQ(f.last_time(), 5.0);
  Timer clock;
  f.sleep_wait(5.0625);  // 62.5 ms left: sleeps 62 ms
  const double slept = clock();
  EXPECT_GE(slept, 0.062);
  EXPECT_LT(slept, 0.5);
  EXPECT_EQ(f.last_time(), 5.0625);

  Timer quick;
  f.sleep_wait(5.25);     // past the period
  f.sleep_wait(5.37455);  // 0.45 ms left: below one millisecond
  EXPECT_LT(quick(), 0.05);
  EXPECT_EQ(f.last_time(), 5.37455);
}

TEST(TimedSleep, WholeMillisecondsOnly) {
  Timer quick;
  timed_sleep(0.0009);
  timed_sleep(-1.0);
  timed_sleep(std::numeric_limits<double>::quiet_NaN());
  timed_sleep(-std::numeric_limits<double>::infinity());
  EXPECT_LT(quick(), 0.05);
  Timer clock;
  timed_sleep(0.0109);
  EXPECT_GE(clock(), 0.010);
  EXPECT_LT(clock(), 0.5);
}

TEST(FrequencyLimiter, AnswersTrueOncePerPeriodAcrossCopies) {
  double now = 100.0;
  auto limiter = frequency_limiter(0.5, [&] { return now; });
  auto copy = limiter;
  now = 100.25;
  EXPECT_FALSE(limiter());
  now = 100.5;
  EXPECT_TRUE(limiter());
  EXPECT_FALSE(copy());  // shares the record of the last true answer
  now = 100.9;
  EXPECT_FALSE(copy());
  now = 101.0;
  EXPECT_TRUE(copy());
  EXPECT_FALSE(limiter());

  auto real = frequency_limiter(60.0);
  EXPECT_FALSE(real());  // a minute has not passed since its creation
}
