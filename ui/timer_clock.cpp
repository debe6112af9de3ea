#include "ui/timer_clock.h"

#include <cstdio>

namespace sylvane {
namespace {

// Runs at the end of every minute. Returns the command that falls due, or 0.
int MinuteCheck(TimerTickState& s) {
  if (s.interval_minutes > 0) {
    int32_t before = s.remaining_minutes;
    s.remaining_minutes = before - 1;
    if (before <= 1) {
      s.remaining_minutes = s.interval_minutes;
      return kCmdPeriodicUpdate;
    }
    return 0;
  }
  if (s.interval_minutes == 0) {
    // The daily update stores the date once its pass has run, so a pass
    // that could not run (the worker did not stop) is tried again.
    if (GetPlatform().Now().day != s.last_daily_update.day) return kCmdDailyUpdate;
  }
  return 0;
}

}  // namespace

void TimerTick(TimerTickState& s, const std::function<void(int command)>& send_command) {
  int32_t before = s.seconds;
  s.seconds = before + 1;
  if (before == 29) {
    if (s.first_update_done || s.interval_minutes <= 0) return;
    s.first_update_done = true;
    send_command(kCmdFirstUpdate);
    return;
  }
  // ">=": a clock restored from a damaged canvas file still comes round.
  if (s.seconds < 60) return;
  s.seconds = 0;
  s.minutes += 1;
  if (s.minutes >= 60) {
    s.minutes = 0;
    s.hours += 1;
    if (s.hours > 98) s.hours = 0;
  }
  int command = MinuteCheck(s);
  if (command != 0) send_command(command);
}

std::string FormatElapsedTime(int32_t hours, int32_t minutes, int32_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d : %02d : %02d", int(hours), int(minutes), int(seconds));
  return text;
}

std::string FormatTreeCount(int32_t count) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", int(count));
  return text;
}

}  // namespace sylvane
