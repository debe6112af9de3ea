// Hiding and showing the windows (menu and tray icon), and the file dialogs
// of trees and background pictures.
#include <gtest/gtest.h>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "two_tree_garden.h"
#include "res/commands.h"

namespace e2e {
namespace {

TEST(Windows, HiddenWindowsStayHiddenAtTheNextStartUntilTheTrayIconIsClicked) {
  App app("hide_show");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_HIDE_WINDOWS));
  EXPECT_FALSE(IsWindowVisible(app.main()));
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.windows_hidden, 1);

  ASSERT_TRUE(app.Start());
  Sleep(1500);
  EXPECT_FALSE(IsWindowVisible(app.main())) << "start-up keeps the windows hidden";
  // A left click on the tray icon shows them again (command 40022).
  DWORD_PTR result = 0;
  SendMessageTimeoutA(app.main(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN, SMTO_NORMAL, 10000, &result);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(app.main()) != FALSE; }));
  ASSERT_TRUE(app.Close());
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.windows_hidden, 0);
}

TEST(Windows, PlantTreeCommandOpensTheTreeFileDialog) {
  App app("plant_dialog");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_PLANT_TREE);
  Box m;
  ASSERT_TRUE(app.WaitForBox("キャンバスを作成してちょ。", m)) << "no canvas yet";
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(NewCanvas(app, "320", "240", "10"));
  const std::string tree = app.File("chosen.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  app.Post(CMD_PLANT_TREE);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("樹ファイルを開く", dialog));
  SaveScreenshot(dialog.window, "dialog_open_tree");
  FillFileDialog(dialog, tree);
  ASSERT_TRUE(ClickMapCentre(app));
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  ASSERT_TRUE(app.Close());
}

TEST(Windows, BackgroundPictureFromTheImageDialogTilesTheCanvas) {
  App app("background_picture");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  // A 30 x 20 picture: left half red, right half blue.
  sylvane::Surface pic;
  pic.CreateFilled(30, 20, 0);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      uint8_t* p = pic.PixelAt(x, y);
      p[0] = x < 15 ? 0 : 255;
      p[2] = x < 15 ? 255 : 0;
    }
  const std::string file = app.File("tile.bmp");
  ASSERT_EQ(sylvane::WriteBmp(file, pic), 0);
  app.Post(CMD_CANVAS_SETTINGS);
  Box settings;
  ASSERT_TRUE(app.WaitForBox("設定", settings));
  app.Press(settings, 1005);
  Box open;
  ASSERT_TRUE(app.WaitForBox("背景画像を開く", open));
  HWND preview_panel = FindWindowExA(open.window, nullptr, "#32770", nullptr);
  EXPECT_TRUE(preview_panel && GetDlgItem(preview_panel, 1163)) << "the preview template is part of the dialog";
  SaveScreenshot(open.window, "dialog_open_image");
  FillFileDialog(open, file);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open.window); }));
  SaveScreenshot(settings.window, "dialog_canvas_settings_with_picture");
  app.Press(settings, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  sylvane::Surface wall;
  ASSERT_GE(sylvane::LoadBmp(app.File("default.bmp"), wall), 0);
  ASSERT_EQ(wall.width, 600);
  // Tiled from the top-left corner (the sample tree covers only the middle).
  for (int x : {0, 14, 15, 29, 30, 44, 45}) {
    const uint8_t* p = wall.PixelAt(x, 3);
    bool red = (x % 30) < 15;
    EXPECT_EQ(p[2], red ? 255 : 0) << x;
    EXPECT_EQ(p[0], red ? 0 : 255) << x;
  }
  ASSERT_TRUE(app.Close());
}

TEST(Windows, NewCanvasFromTheCurrentWallpaper) {
  App app("current_wallpaper");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.background_red = 12;
  s.background_green = 34;
  s.background_blue = 56;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));  // the wallpaper is now the sample garden; its top left is background
  app.Post(CMD_NEW_CANVAS);
  Box box;
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  app.Press(box, IDNO);
  ASSERT_TRUE(app.WaitForBox("キャンバスの新規作成", box));
  Click(box, 1006);
  SetField(box, 1000, "80");
  SetField(box, 1001, "60");
  SetField(box, 1004, "5");
  app.Press(box, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  sylvane::Surface wall;
  ASSERT_GE(sylvane::LoadBmp(app.File("default.bmp"), wall), 0);
  ASSERT_EQ(wall.width, 80);
  const uint8_t* p = wall.PixelAt(40, 30);
  EXPECT_EQ(p[2], 12);
  EXPECT_EQ(p[1], 34);
  EXPECT_EQ(p[0], 56);
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST(Windows, CanvasWindowOpensOnlyWithACanvas) {
  App app("canvas_window");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_CANVAS_WINDOW);
  Box m;
  ASSERT_TRUE(app.WaitForBox("キャンバスウインドウ", m));
  EXPECT_EQ(m.text, "まだキャンバスが作成されていません。");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  ASSERT_TRUE(app.Send(CMD_CANVAS_WINDOW));
  HWND w = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (w = ShownCanvasWindow(app)) != nullptr; }));
  SaveScreenshot(w, "canvas_window");
  ASSERT_TRUE(app.Send(CMD_CANVAS_WINDOW));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(w); })) << "CMD_CANVAS_WINDOW again hides it";
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.canvas_window_state, 0);
}

// Commands that open a modal window: it appears with its caption and Cancel closes it.
TEST(Windows, SettingsSheetAboutAndPrintDialogsOpen) {
  App app("modal_windows");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  struct Case {
    int command;
    const char* caption;
    const char* shot;
    int close;
  };
  for (Case c : {Case{CMD_APP_SETTINGS, "アプリケーションの設定", "dialog_app_settings", IDCANCEL},
                 Case{CMD_ABOUT, "バージョン情報", "dialog_about", IDOK},
                 Case{CMD_PRINT, "印刷設定", "dialog_print", IDCANCEL}}) {
    app.Post(c.command);
    Box box;
    ASSERT_TRUE(app.WaitForBox(c.caption, box)) << c.caption;
    SaveScreenshot(box.window, c.shot);
    app.Press(box, c.close);
    ASSERT_TRUE(app.WaitNoBox()) << c.caption;
  }
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
