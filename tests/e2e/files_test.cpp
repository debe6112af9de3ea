// Canvas and tree files through the program's dialogs: saving, exporting a
// picture, opening, saving the first tree; and the full tree table.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

std::string Magic(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFile(path, bytes) || bytes.size() < 16) return std::string();
  return std::string(reinterpret_cast<const char*>(bytes.data()), strnlen(reinterpret_cast<const char*>(bytes.data()), 16));
}

// Chooses filter `index` (1-based) of a standard file dialog.
void ChooseFilter(const Box& box, int index) {
  HWND combo = GetDlgItem(box.window, 0x470);  // cmb1, the file type box
  DWORD_PTR result = 0;
  SendMessageTimeoutA(combo, CB_SETCURSEL, WPARAM(index - 1), 0, SMTO_NORMAL, 10000, &result);
  for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
    SendMessageTimeoutA(box.window, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(combo), SMTO_NORMAL,
                        10000, &result);
}

TEST(Files, SaveAsThenSaveGoesToTheSameFileAndExportWritesAPicture) {
  App app("files_save");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_SAVE_CANVAS);  // no file yet: the save dialog
  Box box;
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  const std::string garden = app.File("my garden.syl");
  FillFileDialog(box, garden);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(Magic(garden), "sylvanewood_syl");
  uint64_t size = 0;
  FILETIME before{}, after{};
  ASSERT_TRUE(FileStamp(garden, size, before));
  Sleep(1100);
  ASSERT_TRUE(app.Send(CMD_SAVE_CANVAS)) << "with a file the canvas is saved there without a dialog";
  EXPECT_TRUE(app.Boxes().empty());
  ASSERT_TRUE(FileStamp(garden, size, after));
  EXPECT_NE(CompareFileTime(&before, &after), 0);

  // "JPEG (*.JPG)": the lit picture at quality 80, not the canvas file.
  app.Post(CMD_SAVE_CANVAS_AS);
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  ChooseFilter(box, 2);
  const std::string picture = app.File("garden picture.jpg");
  FillFileDialog(box, picture);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Sync());
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(WaitUntil([&] { return ReadFile(picture, jpeg) && jpeg.size() > 100; }));
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8) << "a JPEG stream";
  ASSERT_TRUE(app.Close());
}

TEST(Files, OpenCanvasDialogLoadsTheGarden) {
  App app("files_open");
  const std::string garden = app.File("opened.syl");
  ASSERT_TRUE(WriteCanvasFile(garden, 210, 160, RGB(9, 8, 7), 0));
  ASSERT_TRUE(app.Start());
  app.Post(CMD_OPEN_CANVAS);
  Box box;
  ASSERT_TRUE(app.WaitForBox("キャンバス（.SYL）を開く", box));
  SaveScreenshot(box.window, "dialog_open_canvas");
  FillFileDialog(box, garden);
  ASSERT_TRUE(app.WaitNoBox());
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits) && w == 210; }));
  EXPECT_EQ(h, 160);
  // The clock starts once the opened garden is in place (after its wallpaper).
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneTimer") == 1; }));
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.folders[sylvane::kFolderOpenCanvases].c_str(), app.folder().c_str()), 0)
      << "the folder the user ended in is remembered";
}

TEST(Files, SaveTreeWritesTheFirstTree) {
  App app("files_save_tree");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_SAVE_TREE);
  Box box;
  ASSERT_TRUE(app.WaitForBox("樹を保存する", box));
  const std::string tree = app.File("sample tree.ki");
  FillFileDialog(box, tree);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(Magic(tree), "sylvanewood_ki");
  ASSERT_TRUE(app.Close());
}

TEST(Files, PlantingIntoAFullTableIsRefusedBeforeAnyDialog) {
  App app("files_full_table");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.scatter_count = 100;
  s.scatter_radius = 100;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "400", "300", "10"));
  const std::string tree = app.File("many.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.DropFile(tree));
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 100; }));
  app.Post(CMD_PLANT_TREE);
  Box m;
  ASSERT_TRUE(app.WaitForBox("満杯", m));
  EXPECT_EQ(m.text, "只今樹が満杯です。");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox()) << "no open dialog followed";
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
