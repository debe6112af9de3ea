#include "canvas/catch_up.h"

#include <algorithm>
#include <cstdio>

#include "canvas/garden.h"

namespace sylvane {

CatchUpPlan PlanCatchUp(int64_t missed_seconds, int interval_minutes, const LocalTime& now,
                        const LocalTime& last_daily_update) {
  CatchUpPlan plan;
  if (missed_seconds <= 0 || interval_minutes < 0) return plan;
  if (interval_minutes == 0) {
    const bool new_day = now.year != last_daily_update.year || now.month != last_daily_update.month ||
                         now.day != last_daily_update.day;
    if (new_day) plan = {1, kDailyBudget, true};
    return plan;
  }
  const int64_t intervals = missed_seconds / 60 / interval_minutes;
  const int64_t one_day = std::max(1, kMinutesPerDay / interval_minutes);
  plan.passes = int(std::min<int64_t>({intervals, one_day, kMaxCatchUpPasses}));
  plan.budget = plan.passes > 0 ? kPeriodicBudget : 0;
  return plan;
}

bool CatchUpRun::Begin(const CatchUpPlan& plan) {
  plan_ = plan;
  done_ = 0;
  pass_running_ = false;
  finished_ = false;
  active_ = plan.passes > 0;
  return active_;
}

bool CatchUpRun::PassEnded() {
  if (!active_ || !pass_running_) return false;
  pass_running_ = false;
  ++done_;
  if (done_ >= plan_.passes) {
    active_ = false;
    finished_ = true;
  }
  return true;
}

void CatchUpRun::Cancel() {
  active_ = false;
  pass_running_ = false;
}

std::string CatchUpRun::Text() const {
  char text[48];
  std::snprintf(text, sizeof text, "追いつき中 %d/%d", done_, plan_.passes);
  return text;
}

int64_t SecondsBetween(int64_t earlier, int64_t later) { return later > earlier ? later - earlier : 0; }

}  // namespace sylvane
