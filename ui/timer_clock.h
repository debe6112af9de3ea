// The clock of the periodic updates, as the timer panel runs it once a second.
//
// The panel shows the elapsed time (hours : minutes : seconds). Each tick adds
// one second and, through send_command, asks the main window for:
//   41006  the first update, when the seconds pass from 29 to 30 for the first
//          time after start-up or after a canvas was created (interval > 0);
//   40001  the periodic update, at the end of every interval-th minute;
//   41005  the daily update, with interval 0, at the end of the first minute of
//          a new calendar day (the local time comes from the platform seam).
// Everything the tick changes is updated before the command goes out, so a
// tick nested in a modal loop of the command's handler finds a consistent state.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "res/commands.h"

namespace sylvane {

// Command ids the clock sends to the main window.
inline constexpr int kCmdPeriodicUpdate = CMD_PERIODIC_UPDATE;
inline constexpr int kCmdDailyUpdate = CMD_DAILY_UPDATE;
inline constexpr int kCmdFirstUpdate = CMD_FIRST_UPDATE;

// The state one tick reads and changes. The fields refer to where the program
// keeps them (the canvas holds the elapsed clock, the interval, the countdown
// and the time of the last daily update).
struct TimerTickState {
  int32_t& hours;              // 0..98, wraps to 0 after 98
  int32_t& minutes;            // 0..59
  int32_t& seconds;            // 0..59
  bool& first_update_done;     // set once 41006 has gone out; cleared at start-up and canvas creation
  int32_t interval_minutes;    // canvas update interval; 0 = once a day
  int32_t& remaining_minutes;  // countdown to the next periodic update
  LocalTime& last_daily_update;  // local time of the last daily update
};

// Advances the clock by one second and sends the commands that fall due.
void TimerTick(TimerTickState& state, const std::function<void(int command)>& send_command);

// The timer panel's text: "%02d : %02d : %02d".
std::string FormatElapsedTime(int32_t hours, int32_t minutes, int32_t seconds);
// The tree-count panel's text: "%03d".
std::string FormatTreeCount(int32_t count);
// Shown on the timer panel while the user-interface thread waits for the worker.
inline constexpr const char* kTimerStoppedText = "作業停止中";

}  // namespace sylvane
