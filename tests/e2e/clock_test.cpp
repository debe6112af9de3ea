// The update clock: the first worker pass at second 30 after a canvas was
// created, periodic updates at the end of every interval-th minute.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

// Ticks until the worker has been started `starts` times (at most max_ticks).
bool TickUntilStarts(App& app, int starts, int max_ticks) {
  for (int i = 0; i < max_ticks; ++i) {
    if (app.State("SylvaneWorkerStarts") >= starts) return true;
    app.Tick(1);
  }
  return app.State("SylvaneWorkerStarts") >= starts;
}

TEST(Clock, FirstPassAtSecondThirtyThenEveryIntervalMinutes) {
  App app("clock_interval");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "200", "100", "2"));
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0);
  EXPECT_EQ(app.State("SylvaneTimer"), 1) << "creating a canvas starts the one-second timer";
  ASSERT_TRUE(TickUntilStarts(app, 1, 40));
  EXPECT_EQ(app.State("SylvaneWorkerStartClock"), 30) << "first pass when the seconds reach 30";
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") == 1; }));
  uint64_t size = 0;
  FILETIME before{}, after{};
  ASSERT_TRUE(FileStamp(app.File("default.bmp"), size, before));
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(TickUntilStarts(app, 2, 130));
  EXPECT_EQ(app.State("SylvaneWorkerStartClock"), 120) << "the periodic update at the end of minute 2";
  EXPECT_TRUE(FileStamp(app.File("default.bmp"), size, after)) << "the periodic update remade the wallpaper";
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") == 2; }));
  ASSERT_TRUE(TickUntilStarts(app, 3, 130));
  EXPECT_EQ(app.State("SylvaneWorkerStartClock"), 240);
  ASSERT_TRUE(app.Close());
}

TEST(Clock, IntervalZeroStartsNoWorker) {
  App app("clock_daily");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));  // the sample garden has interval 0
  app.Tick(150);
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0);
  ASSERT_TRUE(app.Close());
}

TEST(Clock, DailyUpdateGrowsOnTheInterfaceAndRemakesTheWallpaper) {
  App app("clock_daily_update");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(app.Send(CMD_DAILY_UPDATE));
  EXPECT_TRUE(Exists(app.File("default.bmp"))) << "the daily pass is followed by CMD_MAKE_WALLPAPER";
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0) << "the daily pass runs without the worker";
  EXPECT_EQ(app.State("SylvaneTimer"), 1) << "the clock runs again after the pass";
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
