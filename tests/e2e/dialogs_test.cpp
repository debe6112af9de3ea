// The canvas dialogs: validation of the new-canvas dialog, the settings
// dialog without and with a canvas, the transparency dialog.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

bool OpenNewCanvasDialog(App& app, Box& box) {
  app.Post(CMD_NEW_CANVAS);
  return app.WaitForBox("キャンバスの新規作成", box);
}

// Presses OK with the given fields and returns the message that appeared.
Box OkWith(App& app, const Box& dialog, const char* w, const char* h, const char* interval) {
  SetField(dialog, 1000, w);
  SetField(dialog, 1001, h);
  SetField(dialog, 1004, interval);
  app.Press(dialog, IDOK);
  Box message;
  WaitUntil([&] {
    for (const Box& b : app.Boxes())
      if (b.window != dialog.window) {
        message = b;
        return true;
      }
    return false;
  });
  return message;
}

TEST(NewCanvasDialog, RefusesBadSizesAndIntervalsAndAcceptsTheLimits) {
  App app("dialog_new_canvas");
  ASSERT_TRUE(app.Start());
  Box dialog;
  ASSERT_TRUE(OpenNewCanvasDialog(app, dialog));
  SaveScreenshot(dialog.window, "dialog_new_canvas");

  // The size is checked first, even when the interval is wrong too.
  Box m = OkWith(app, dialog, "0", "100", "2000");
  EXPECT_EQ(m.caption, "サイズについて");
  EXPECT_EQ(m.text, "サイズは幅、高さともに、1ピクセル以上を指定してください。");
  app.Press(m, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return app.Boxes().size() == 1; }));
  EXPECT_TRUE(IsWindowVisible(dialog.window)) << "the dialog stays open";

  for (const char* bad : {"1441", "-1"}) {
    m = OkWith(app, dialog, "120", "80", bad);
    EXPECT_EQ(m.caption, "修正") << bad;
    EXPECT_EQ(m.text, "更新時間間隔は 0～1440 までの値にして下さい。") << bad;
    app.Press(m, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return app.Boxes().size() == 1; }));
  }
  EXPECT_EQ(app.State("SylvaneTimer"), 0) << "a refused entry changes nothing of the clock";

  SetField(dialog, 1000, "120");
  SetField(dialog, 1001, "80");
  SetField(dialog, 1004, "1440");
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_EQ(app.State("SylvaneTimer"), 1);
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(BmpInfo(app.File("default.bmp"), w, h, bits));
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 80);
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.canvas_width, 120);
  EXPECT_EQ(s.canvas_height, 80);
  EXPECT_EQ(s.update_interval, 1440);
}

TEST(NewCanvasDialog, IntervalZeroAndDesktopSizeAreAccepted) {
  App app("dialog_new_canvas_desktop");
  ASSERT_TRUE(app.Start());
  Box dialog;
  ASSERT_TRUE(OpenNewCanvasDialog(app, dialog));
  Click(dialog, 1002);
  EXPECT_TRUE(IsChecked(dialog, 1002));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.window, 1000))) << "the size fields are disabled";
  SetField(dialog, 1000, "0");  // ignored while the desktop size is used
  SetField(dialog, 1004, "0");
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(BmpInfo(app.File("default.bmp"), w, h, bits));
  RECT desk;
  GetClientRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(w, desk.right - desk.left);
  EXPECT_EQ(h, desk.bottom - desk.top);
  ASSERT_TRUE(app.Close());
}

TEST(NewCanvasDialog, WithAGardenTheSaveQuestionComesFirstAndCancelEndsTheCommand) {
  App app("dialog_new_canvas_question");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_NEW_CANVAS);
  Box box;
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  EXPECT_EQ(box.text, "現在のキャンバスを保存しますか？");
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(app.WaitForBox("キャンバスの新規作成", box, 1000)) << "Cancel ends the command";
  // Yes without a file of its own: the save dialog; cancelling it ends the command too.
  app.Post(CMD_NEW_CANVAS);
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  app.Press(box, IDYES);
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(app.WaitForBox("キャンバスの新規作成", box, 1000));
  ASSERT_TRUE(app.Close());
}

TEST(CanvasSettingsDialog, NeedsACanvasThenValidatesTheInterval) {
  App app("dialog_settings");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_CANVAS_SETTINGS);
  Box m;
  ASSERT_TRUE(app.WaitForBox("キャンバスを作成してちょ。", m));
  EXPECT_EQ(m.text, "まだキャンバスが作成されていません。");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_CANVAS_SETTINGS);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("設定", dialog));
  SaveScreenshot(dialog.window, "dialog_canvas_settings");
  SetField(dialog, 1006, "1441");
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitForBox("修正", m));
  EXPECT_EQ(m.text, "更新時間間隔は 0～1440 までの値にして下さい。");
  app.Press(m, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return app.Boxes().size() == 1; }));
  SetField(dialog, 1006, "3");
  DeleteFileA(app.File("default.bmp").c_str());
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_TRUE(Exists(app.File("default.bmp"))) << "changing the background remakes the wallpaper";
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.update_interval, 3);
}

TEST(TransparencyDialog, StoresTheModeAndOpacity) {
  App app("dialog_transparency");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_TRANSPARENCY);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("透過ウインドウの設定", dialog));
  SaveScreenshot(dialog.window, "dialog_transparency");
  Click(dialog, 1202);
  SetField(dialog, 1204, "300");
  app.Press(dialog, IDOK);
  Box m;
  ASSERT_TRUE(app.WaitForBox("修正", m));
  app.Press(m, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return app.Boxes().size() == 1; }));
  SetField(dialog, 1204, "180");
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_TRUE(GetWindowLongA(app.main(), GWL_EXSTYLE) & WS_EX_LAYERED);
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.transparency_mode, 1);
  EXPECT_EQ(s.window_opacity, 180);
}

}  // namespace
}  // namespace e2e
