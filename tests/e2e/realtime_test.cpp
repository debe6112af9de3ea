// A garden that keeps real time: after a resume from sleep, an unlock, a
// display change and a new taskbar the wallpaper is written again at once and
// the tray icon is put back; at start-up the passes missed while the program
// was closed run when catch-up growth is on.
#include <gtest/gtest.h>

#include "e2e_support.h"  // windows.h first

#include <commctrl.h>
#include <prsht.h>

#include "canvas/records/options.h"
#include "res/changer_resource.h"
#include "res/commands.h"

namespace e2e {
namespace {

struct Comeback {
  const char* name;
  UINT message;  // 0: the registered "TaskbarCreated"
  WPARAM wparam;
  bool tray;     // the tray icon is put back too
};

TEST(Realtime, ComebacksWriteTheWallpaperAgainAndPutTheTrayIconBack) {
  App app("realtime_comebacks");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  const std::string bmp = app.File("default.bmp");
  ASSERT_TRUE(Exists(bmp));
  const UINT taskbar_created = RegisterWindowMessageA("TaskbarCreated");
  const Comeback comebacks[] = {
      {"resume (automatic)", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
      {"resume (by the user)", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, true},
      {"new taskbar", 0, 0, true},
      {"display change", WM_DISPLAYCHANGE, 32, false},
      {"session unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, true},
  };
  int count = app.State("SylvaneComebacks");
  int tray = app.State("SylvaneTrayRestores");
  for (const Comeback& c : comebacks) {
    // The desktop may still be reading the last wallpaper for a moment.
    ASSERT_TRUE(WaitUntil([&] { return DeleteFileA(bmp.c_str()) != 0; })) << c.name;
    PostMessageA(app.main(), c.message ? c.message : taskbar_created, c.wparam, 0);
    EXPECT_TRUE(WaitUntil([&] { return Exists(bmp); }, 20000)) << c.name << ": the wallpaper was not written again";
    ASSERT_TRUE(app.Sync());
    EXPECT_EQ(app.State("SylvaneComebacks"), ++count) << c.name;
    if (c.tray) ++tray;
    EXPECT_EQ(app.State("SylvaneTrayRestores"), tray) << c.name;
  }
  // Other power events and session changes do nothing of the kind.
  ASSERT_TRUE(WaitUntil([&] { return DeleteFileA(bmp.c_str()) != 0; }));
  PostMessageA(app.main(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  PostMessageA(app.main(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  ASSERT_TRUE(app.Sync());
  EXPECT_FALSE(Exists(bmp));
  EXPECT_EQ(app.State("SylvaneComebacks"), count);
  ASSERT_TRUE(app.Close());
}

// A canvas file last written `minutes` ago with an update interval.
void WriteOldGarden(App& app, int interval, int minutes) {
  const std::string syl = app.File("default.syl");
  ASSERT_TRUE(WriteCanvasFile(syl, 160, 120, RGB(20, 60, 90), interval));
  HANDLE file = CreateFileA(syl.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= uint64_t(minutes) * 60ULL * 10000000ULL;
  FILETIME then{t.LowPart, t.HighPart};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &then));
  CloseHandle(file);
}

TEST(Realtime, CatchUpRunsTheMissedPassesAtStartUp) {
  App app("realtime_catch_up");
  WriteOldGarden(app, 10, 65);
  WriteTextFile(app.File("sylvane-options.ini"), "[growth]\ncatch_up = true\n");
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneCatchUpPlanned") == 6; }, 20000))
      << "65 minutes at 10 minutes an update: 6 passes, got " << app.State("SylvaneCatchUpPlanned");
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneCatchUpDone") == 6; }, 60000))
      << app.State("SylvaneCatchUpDone");
  EXPECT_GE(app.State("SylvaneWorkerStarts"), 6);
  EXPECT_TRUE(WaitUntil([&] { return Exists(app.File("default.bmp")); }, 20000));
  ASSERT_TRUE(app.Close());
}

TEST(Realtime, CatchUpIsCappedAtADayOfIntervals) {
  App app("realtime_catch_up_cap");
  WriteOldGarden(app, 60, 3 * 24 * 60);
  WriteTextFile(app.File("sylvane-options.ini"), "[growth]\ncatch_up = true\n");
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneCatchUpPlanned") == 24; }, 20000))
      << app.State("SylvaneCatchUpPlanned");
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneCatchUpDone") == 24; }, 120000))
      << app.State("SylvaneCatchUpDone");
  ASSERT_TRUE(app.Close());
}

TEST(Realtime, AChangeOfTheGardenStopsTheCatchUp) {
  App app("realtime_catch_up_stopped");
  WriteOldGarden(app, 1, 2 * 24 * 60);
  WriteTextFile(app.File("sylvane-options.ini"), "[growth]\ncatch_up = true\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneCatchUpPlanned") == 288; }, 20000))
      << "a day of 1-minute passes, capped: " << app.State("SylvaneCatchUpPlanned");
  // A new garden goes through the gate, which stops the worker and the run
  // (after the question whether to save the garden it replaces).
  app.Post(CMD_SAMPLE_GARDEN);
  Box save_question;
  ASSERT_TRUE(app.WaitForBox("保存？", save_question));
  app.Press(save_question, IDNO);
  ASSERT_TRUE(app.WaitNoBox(60000));
  const int done = app.State("SylvaneCatchUpDone");
  const int starts = app.State("SylvaneWorkerStarts");
  if (done >= 288) GTEST_SKIP() << "the run ended before the change reached it";
  Sleep(3000);
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(app.State("SylvaneCatchUpDone"), done) << "no pass of the run after the change";
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), starts) << "no pass started after the change";
  ASSERT_TRUE(app.Close());
}

TEST(Realtime, NoCatchUpWhenTheOptionIsOff) {
  App app("realtime_no_catch_up");
  WriteOldGarden(app, 10, 65);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Sync());
  Sleep(2000);
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(app.State("SylvaneCatchUpPlanned"), 0);
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0);
  ASSERT_TRUE(app.Close());
}

sylvane::Options ReadOptions(App& app) {
  sylvane::Options options;
  sylvane::LoadOptions(app.File("sylvane-options.ini"), options);
  return options;
}

TEST(Realtime, TheSunMenuItemAndTheModesSwitchTheLightingSource) {
  App app("realtime_sun_menu");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  ASSERT_TRUE(app.Send(CMD_LIGHT_FOLLOW_SUN));
  EXPECT_EQ(ReadOptions(app).lighting_source, "sun");
  ASSERT_TRUE(app.Send(CMD_LIGHT_FIRST + 3));
  EXPECT_EQ(ReadOptions(app).lighting_source, "settings");
  sylvane::MInitInfo settings;
  ASSERT_TRUE(app.Close());
  ASSERT_TRUE(ReadSettings(app.folder(), settings));
  EXPECT_EQ(settings.lighting_mode, 4) << "the mode stays as the menu set it";
}

TEST(Realtime, TheOptionsPageChecksItsFieldsAndSavesTheOptions) {
  App app("realtime_options_page");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_APP_SETTINGS);
  Box sheet;
  ASSERT_TRUE(app.WaitForBox("アプリケーションの設定", sheet));
  DWORD_PTR result = 0;
  SendMessageTimeoutA(sheet.window, PSM_SETCURSEL, 4, 0, SMTO_NORMAL, 10000, &result);
  SendMessageTimeoutA(sheet.window, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 10000, &result);
  Box page;
  page.window = reinterpret_cast<HWND>(result);
  ASSERT_NE(page.window, nullptr);
  EXPECT_TRUE(IsChecked(page, IDC_OPT_DIARY));
  EXPECT_FALSE(IsChecked(page, IDC_OPT_CATCH_UP));
  Click(page, IDC_OPT_CATCH_UP);
  Click(page, IDC_OPT_PER_MONITOR);
  Click(page, IDC_OPT_FOLLOW_SUN);
  SetField(page, IDC_OPT_DIARY_MB, "500");
  SetField(page, IDC_OPT_LATITUDE, "95");
  SetField(page, IDC_OPT_LONGITUDE, "141.35");
  SetField(page, IDC_OPT_UTC_OFFSET, "9");
  app.Press(sheet, IDOK);
  Box wrong;
  ASSERT_TRUE(app.WaitForBox("訂正願います", wrong)) << "a latitude past 90 is refused";
  SaveScreenshot(sheet.window, "dialog_options_page");
  app.Press(wrong, IDOK);
  ASSERT_TRUE(WaitUntil([&] {
    for (const Box& b : app.Boxes())
      if (b.caption == "訂正願います") return false;
    return true;
  }));
  EXPECT_FALSE(Exists(app.File("sylvane-options.ini"))) << "nothing is saved while a field is wrong";
  SetField(page, IDC_OPT_LATITUDE, "43.06");
  app.Press(sheet, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  const sylvane::Options options = ReadOptions(app);
  EXPECT_TRUE(options.growth_catch_up);
  EXPECT_TRUE(options.wallpaper_per_monitor);
  EXPECT_TRUE(options.diary_enabled);
  EXPECT_EQ(options.diary_max_mb, 500);
  EXPECT_DOUBLE_EQ(options.sun_latitude, 43.06);
  EXPECT_DOUBLE_EQ(options.sun_longitude, 141.35);
  EXPECT_DOUBLE_EQ(options.sun_utc_offset, 9.0);
  EXPECT_EQ(options.lighting_source, "sun");
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
