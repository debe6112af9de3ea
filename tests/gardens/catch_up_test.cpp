// Catching up on growth: the passes missed in a gap of time, and one run of
// them as the program drives it.
#include <gtest/gtest.h>

#include "canvas/catch_up.h"
#include "canvas/garden.h"

namespace sylvane {
namespace {

LocalTime Day(int year, int month, int day, int hour = 12) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  return t;
}

// A fake clock: seconds since 1970 of the moments the garden stopped and came back.
struct FakeClock {
  int64_t now = 1'700'000'000;
  int64_t Advance(int64_t seconds) { return now += seconds; }
};

TEST(CatchUpPlan, OnePassPerWholeIntervalMissed) {
  FakeClock clock;
  const int64_t stopped = clock.now;
  clock.Advance(59 * 60 + 59);  // just under an hour
  const LocalTime today = Day(2026, 12, 7);
  CatchUpPlan plan = PlanCatchUp(SecondsBetween(stopped, clock.now), 10, today, today);
  EXPECT_EQ(plan, (CatchUpPlan{5, kPeriodicBudget, false}));
  clock.Advance(1);
  plan = PlanCatchUp(SecondsBetween(stopped, clock.now), 10, today, today);
  EXPECT_EQ(plan.passes, 6);
  // Less than one interval: nothing.
  EXPECT_EQ(PlanCatchUp(9 * 60 + 59, 10, today, today).passes, 0);
  EXPECT_EQ(PlanCatchUp(9 * 60 + 59, 10, today, today).budget, 0);
}

TEST(CatchUpPlan, AtMostOneDayOfIntervalsAndAtMost288Passes) {
  const LocalTime today = Day(2026, 12, 7);
  const int64_t week = 7 * 24 * 3600;
  EXPECT_EQ(PlanCatchUp(week, 60, today, today).passes, 24);    // one day of hourly passes
  EXPECT_EQ(PlanCatchUp(week, 5, today, today).passes, 288);    // one day of 5-minute passes
  EXPECT_EQ(PlanCatchUp(week, 1, today, today).passes, 288);    // 1440 in a day: capped
  EXPECT_EQ(PlanCatchUp(week, 2000, today, today).passes, 1);   // intervals longer than a day: one
  EXPECT_EQ(PlanCatchUp(1999 * 60, 2000, today, today).passes, 0);
  EXPECT_EQ(PlanCatchUp(3 * 3600, 1, today, today).passes, 180);  // under the cap: every one
}

TEST(CatchUpPlan, IntervalZeroIsTheDailyPassWhenTheDateChanged) {
  const LocalTime last = Day(2026, 12, 6, 23);
  EXPECT_EQ(PlanCatchUp(3600, 0, Day(2026, 12, 7, 0), last), (CatchUpPlan{1, kDailyBudget, true}));
  // The same date: the day's pass already ran.
  EXPECT_EQ(PlanCatchUp(20 * 3600, 0, Day(2026, 12, 6, 23), Day(2026, 12, 6, 1)).passes, 0);
  // A whole month or year later, on the same day of the month.
  EXPECT_EQ(PlanCatchUp(40 * 86400, 0, Day(2027, 1, 6), last).passes, 1);
  EXPECT_EQ(PlanCatchUp(365 * 86400, 0, Day(2027, 12, 6), last).passes, 1);
}

TEST(CatchUpPlan, AClockThatWentBackOrNoGapGivesNothing) {
  FakeClock clock;
  const int64_t stopped = clock.now;
  clock.Advance(-3600);
  EXPECT_EQ(SecondsBetween(stopped, clock.now), 0);
  const LocalTime other_day = Day(2026, 12, 8);
  EXPECT_EQ(PlanCatchUp(0, 0, other_day, Day(2026, 12, 7)).passes, 0);
  EXPECT_EQ(PlanCatchUp(-50, 5, other_day, other_day).passes, 0);
  EXPECT_EQ(PlanCatchUp(86400, -1, other_day, other_day).passes, 0);
}

TEST(CatchUpRun, CountsItsOwnPassesAndEndsAfterTheLast) {
  CatchUpRun run;
  ASSERT_TRUE(run.Begin({3, kPeriodicBudget, false}));
  EXPECT_EQ(run.Text(), "追いつき中 0/3");
  EXPECT_TRUE(run.WantsPass());
  // A pass of the clock ending meanwhile is not the run's.
  EXPECT_FALSE(run.PassEnded());
  run.PassStarted();
  EXPECT_FALSE(run.WantsPass());
  EXPECT_TRUE(run.PassEnded());
  EXPECT_EQ(run.Text(), "追いつき中 1/3");
  run.PassStarted();
  EXPECT_TRUE(run.PassEnded());
  run.PassStarted();
  EXPECT_TRUE(run.active());
  EXPECT_TRUE(run.PassEnded());
  EXPECT_FALSE(run.active());
  EXPECT_TRUE(run.finished());
  EXPECT_EQ(run.done(), 3);
  EXPECT_FALSE(run.WantsPass());
}

TEST(CatchUpRun, ACancelledRunStartsNoMorePasses) {
  CatchUpRun run;
  ASSERT_TRUE(run.Begin({96, kPeriodicBudget, false}));
  for (int i = 0; i < 12; ++i) {
    run.PassStarted();
    run.PassEnded();
  }
  EXPECT_EQ(run.Text(), "追いつき中 12/96");
  run.PassStarted();
  run.Cancel();  // the gate stopped the worker
  EXPECT_FALSE(run.active());
  EXPECT_FALSE(run.WantsPass());
  EXPECT_FALSE(run.PassEnded());  // the stopped pass's end does not count
  EXPECT_FALSE(run.finished());
  EXPECT_EQ(run.done(), 12);
  EXPECT_FALSE(run.Begin({0, 0, false}));
  EXPECT_FALSE(run.active());
}

}  // namespace
}  // namespace sylvane
