// Catching up on growth: when the garden did not run for a while (the program
// was closed, or the computer slept), the update passes its clock would have
// run meanwhile are run one after another, with the budget the clock gives
// them: at most one day of intervals and at most kMaxCatchUpPasses passes.
// With interval 0 (once a day) it is the day's pass when the day changed.
//
// CatchUpPlan is the arithmetic; CatchUpRun follows one run of such passes
// (the program starts each on the worker when the previous one ended) until
// it is done or cancelled.
#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace sylvane {

inline constexpr int kMaxCatchUpPasses = 288;
inline constexpr int kMinutesPerDay = 24 * 60;

struct CatchUpPlan {
  int passes = 0;      // 0..kMaxCatchUpPasses
  int budget = 0;      // growth steps of each pass
  bool daily = false;  // the once-a-day pass (interval 0)

  bool operator==(const CatchUpPlan&) const = default;
};

// The passes missed in missed_seconds (negative: the clock went back,
// nothing) with an update interval of interval_minutes (0 = once a day:
// one pass when now's date differs from the last daily update's date).
CatchUpPlan PlanCatchUp(int64_t missed_seconds, int interval_minutes, const LocalTime& now,
                        const LocalTime& last_daily_update);

// One run of catch-up passes, on the interface thread.
class CatchUpRun {
 public:
  // Begins a run of plan (replacing any other); false when it has no pass.
  bool Begin(const CatchUpPlan& plan);
  // True from Begin until the last pass ended or the run was cancelled.
  bool active() const { return active_; }
  // Whether the next pass should start now: active and none of the run's
  // passes is running.
  bool WantsPass() const { return active_ && !pass_running_; }
  // The run's pass has started.
  void PassStarted() { pass_running_ = true; }
  // A pass ended on the worker; true when it was the run's own (counted).
  // After the last one the run is no longer active.
  bool PassEnded();
  // Stops the run (a change of the garden); its passes are not counted on.
  void Cancel();
  // Whether the run ended by finishing its passes (not cancelled).
  bool finished() const { return finished_; }

  int done() const { return done_; }
  const CatchUpPlan& plan() const { return plan_; }
  // The timer panel's text while it runs: "追いつき中 12/96".
  std::string Text() const;

 private:
  CatchUpPlan plan_;
  int done_ = 0;
  bool active_ = false;
  bool pass_running_ = false;
  bool finished_ = false;
};

// Seconds between two times given as seconds since 1970 (UTC): how long the
// garden did not run, 0 when later is not after earlier.
int64_t SecondsBetween(int64_t earlier, int64_t later);

}  // namespace sylvane
