#include "ui/timer_clock.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/recording_platform.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;

// The program's clock state around one TimerTickState.
struct Clock {
  int32_t hours = 0, minutes = 0, seconds = 0;
  bool first_update_done = false;
  int32_t remaining = 0;
  LocalTime last_daily;
  std::vector<std::pair<int, int>> sent;  // (tick number, command)
  int ticks = 0;
  bool daily_pass_runs = true;  // the daily update's pass runs (and stores the date)

  void Tick(int32_t interval, int n = 1) {
    for (int i = 0; i < n; ++i) {
      TimerTickState s{hours, minutes, seconds, first_update_done, interval, remaining, last_daily};
      ++ticks;
      TimerTick(s, [&](int command) {
        sent.push_back({ticks, command});
        if (command == kCmdDailyUpdate && daily_pass_runs) last_daily = GetPlatform().Now();
      });
    }
  }
};

TEST(TimerClock, FirstUpdateGoesOutWhenTheSecondsReach30) {
  RecordingPlatform platform;
  Clock c;
  c.remaining = 3;
  c.Tick(3, 29);
  EXPECT_TRUE(c.sent.empty());
  EXPECT_EQ(c.seconds, 29);
  c.Tick(3);
  ASSERT_EQ(c.sent.size(), 1u);
  EXPECT_EQ(c.sent[0], std::make_pair(30, kCmdFirstUpdate));
  EXPECT_TRUE(c.first_update_done);
  EXPECT_EQ(c.seconds, 30);
  // Only once: the next half minutes send nothing.
  c.Tick(3, 60);
  EXPECT_EQ(c.sent.size(), 1u);
}

TEST(TimerClock, NoFirstUpdateWhenAlreadyDoneOrOnceADay) {
  RecordingPlatform platform;
  Clock done;
  done.first_update_done = true;
  done.remaining = 100;
  done.Tick(5, 40);
  EXPECT_TRUE(done.sent.empty());
  EXPECT_EQ(done.seconds, 40);

  Clock daily;
  daily.Tick(0, 59);
  EXPECT_TRUE(daily.sent.empty());
  EXPECT_FALSE(daily.first_update_done);
}

TEST(TimerClock, ThePeriodicUpdateComesAtTheEndOfEveryIntervalthMinute) {
  RecordingPlatform platform;
  Clock c;
  c.remaining = 3;  // set to the interval when the canvas was created
  c.Tick(3, 10 * 60);
  std::vector<std::pair<int, int>> expected = {
      {30, kCmdFirstUpdate}, {180, kCmdPeriodicUpdate}, {360, kCmdPeriodicUpdate}, {540, kCmdPeriodicUpdate}};
  EXPECT_EQ(c.sent, expected);
  EXPECT_EQ(c.remaining, 2);  // one minute (the tenth) counted since the update at 540
  EXPECT_EQ(c.minutes, 10);
  EXPECT_EQ(c.seconds, 0);
}

TEST(TimerClock, ARestoredCountdownOfOneFiresAtTheNextMinuteEnd) {
  RecordingPlatform platform;
  Clock c;
  c.first_update_done = true;
  c.seconds = 58;
  c.remaining = 1;
  c.Tick(7, 2);
  ASSERT_EQ(c.sent.size(), 1u);
  EXPECT_EQ(c.sent[0], std::make_pair(2, kCmdPeriodicUpdate));
  EXPECT_EQ(c.remaining, 7);
  // A countdown already below 1 (damaged file) fires too.
  c.remaining = -4;
  c.Tick(7, 60);
  EXPECT_EQ(c.sent.size(), 2u);
  EXPECT_EQ(c.remaining, 7);
}

TEST(TimerClock, CommandsGoOutAfterTheStateWasUpdated) {
  RecordingPlatform platform;
  int32_t h = 0, m = 0, s = 59, remaining = 1;
  bool first = true;
  LocalTime last;
  TimerTickState state{h, m, s, first, 4, remaining, last};
  int seen_remaining = -1, seen_seconds = -1, seen_minutes = -1;
  TimerTick(state, [&](int) {
    seen_remaining = remaining;
    seen_seconds = s;
    seen_minutes = m;
  });
  EXPECT_EQ(seen_remaining, 4);
  EXPECT_EQ(seen_seconds, 0);
  EXPECT_EQ(seen_minutes, 1);
}

TEST(TimerClock, OnceADayTheDailyUpdateFollowsTheCalendarDay) {
  RecordingPlatform platform;
  Clock c;
  c.last_daily.day = 14;
  platform.now.day = 14;
  platform.now.hour = 23;
  c.Tick(0, 120);
  EXPECT_TRUE(c.sent.empty());
  // Midnight: the next minute end sends 41005 once and remembers the time.
  platform.now.day = 15;
  platform.now.hour = 0;
  platform.now.minute = 1;
  c.Tick(0, 59);
  EXPECT_TRUE(c.sent.empty());
  c.Tick(0);
  ASSERT_EQ(c.sent.size(), 1u);
  EXPECT_EQ(c.sent[0].second, kCmdDailyUpdate);
  EXPECT_EQ(c.last_daily.day, 15);
  EXPECT_EQ(c.last_daily.minute, 1);
  c.Tick(0, 600);
  EXPECT_EQ(c.sent.size(), 1u);
  // The first of the next month.
  platform.now.day = 1;
  c.Tick(0, 60);
  EXPECT_EQ(c.sent.size(), 2u);
  // A day whose pass could not run (the worker did not stop) is not lost:
  // the clock asks again at the next minute's end.
  c.daily_pass_runs = false;
  platform.now.day = 2;
  c.Tick(0, 120);
  EXPECT_EQ(c.sent.size(), 4u);
  c.daily_pass_runs = true;
  c.Tick(0, 60);
  EXPECT_EQ(c.sent.size(), 5u);
  c.Tick(0, 120);
  EXPECT_EQ(c.sent.size(), 5u);
}

TEST(TimerClock, ANegativeIntervalSendsNothing) {
  RecordingPlatform platform;
  Clock c;
  platform.now.day = 3;
  c.last_daily.day = 2;
  c.remaining = 1;
  c.Tick(-5, 300);
  EXPECT_TRUE(c.sent.empty());
  EXPECT_EQ(c.remaining, 1);
}

TEST(TimerClock, MinutesAndHoursCarryAndHoursWrapAfter98) {
  RecordingPlatform platform;
  Clock c;
  c.first_update_done = true;
  c.remaining = 1000;
  c.hours = 97;
  c.minutes = 59;
  c.seconds = 59;
  c.Tick(1000);
  EXPECT_EQ(c.hours, 98);
  EXPECT_EQ(c.minutes, 0);
  EXPECT_EQ(c.seconds, 0);
  c.minutes = 59;
  c.seconds = 59;
  c.Tick(1000);
  EXPECT_EQ(c.hours, 0);
  EXPECT_EQ(c.minutes, 0);
  EXPECT_EQ(c.seconds, 0);
  EXPECT_EQ(c.remaining, 998);
}

TEST(TimerClock, AnOutOfRangeRestoredClockComesRound) {
  RecordingPlatform platform;
  Clock c;
  c.first_update_done = true;
  c.remaining = 50;
  c.seconds = 75;
  c.minutes = 61;
  c.Tick(50);
  EXPECT_EQ(c.seconds, 0);
  EXPECT_EQ(c.minutes, 0);
  EXPECT_EQ(c.hours, 1);
}

TEST(TimerClock, PanelTexts) {
  EXPECT_EQ(FormatElapsedTime(0, 0, 0), "00 : 00 : 00");
  EXPECT_EQ(FormatElapsedTime(98, 7, 30), "98 : 07 : 30");
  EXPECT_EQ(FormatTreeCount(0), "000");
  EXPECT_EQ(FormatTreeCount(7), "007");
  EXPECT_EQ(FormatTreeCount(100), "100");
  EXPECT_EQ(std::string(kTimerStoppedText), "作業停止中");
}

}  // namespace
}  // namespace sylvane
