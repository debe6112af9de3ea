// Closing the program by the exit-saving setting.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

App& StartWithExitSaving(App& app, int setting) {
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.exit_saving = uint8_t(setting);
  WriteSettings(s, app.folder());
  EXPECT_TRUE(app.Start());
  return app;
}

TEST(ExitSaving, AskAndCancelKeepsRunningHavingWrittenOnlyDefaultSyl) {
  App app("exit_ask_cancel");
  StartWithExitSaving(app, 2);
  uint64_t empty_size = 0, size = 0;
  FILETIME t{};
  ASSERT_TRUE(FileStamp(app.File("default.syl"), empty_size, t));
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_EXIT);
  Box box;
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  EXPECT_EQ(box.text, "現在のキャンバスを保存しますか？");
  SaveScreenshot(box.window, "dialog_exit_question");
  ASSERT_TRUE(FileStamp(app.File("default.syl"), size, t));
  EXPECT_GT(size, empty_size) << "default.syl holds the garden before the question";
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(app.WaitForExit(1500)) << "Cancel keeps the program running";
  EXPECT_TRUE(IsWindowVisible(app.main()));
  // Only default.syl was written: no other canvas file in the folder.
  WIN32_FIND_DATAA fd;
  int syl_files = 0;
  HANDLE h = FindFirstFileA(app.File("*.syl").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do ++syl_files;
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  EXPECT_EQ(syl_files, 1);
  // "No" goes on and ends the program.
  ASSERT_TRUE(app.Close());
}

TEST(ExitSaving, NoSavingEndsWithoutAQuestion) {
  App app("exit_none");
  StartWithExitSaving(app, 0);
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_EXIT);
  EXPECT_TRUE(app.WaitForExit(10000));
  EXPECT_EQ(app.ExitCode(), 0u);
}

TEST(ExitSaving, AutomaticWithoutAFileAsksForANameThenSavesThere) {
  App app("exit_auto");
  StartWithExitSaving(app, 1);
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  app.Post(CMD_EXIT);
  Box box;
  ASSERT_TRUE(app.WaitForBox("SYLファイルの保存", box));
  EXPECT_EQ(box.text, "保存するファイル名を指定してください。");
  app.Press(box, IDOK);
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  SaveScreenshot(box.window, "dialog_save_canvas");
  app.Press(box, IDCANCEL);
  EXPECT_FALSE(app.WaitForExit(1500)) << "a cancelled save dialog abandons the close";
  app.Post(CMD_EXIT);
  ASSERT_TRUE(app.WaitForBox("SYLファイルの保存", box));
  app.Press(box, IDOK);
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  const std::string target = app.File("garden.syl");
  FillFileDialog(box, target);
  ASSERT_TRUE(app.WaitForExit(15000));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFile(target, bytes));
  ASSERT_GT(bytes.size(), 16u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "sylvanewood_syl");
}

TEST(ExitSaving, WindowsShutdownSavesWithoutTheQuestion) {
  App app("exit_session_end");
  StartWithExitSaving(app, 2);
  uint64_t empty_size = 0, size = 0;
  FILETIME t{};
  ASSERT_TRUE(FileStamp(app.File("default.syl"), empty_size, t));
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  DeleteFileA(app.File("sylvane.ini").c_str());
  SetWindowPos(app.main(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  DWORD_PTR agreed = 0;
  ASSERT_TRUE(SendMessageTimeoutA(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &agreed));
  EXPECT_EQ(agreed, TRUE);
  EXPECT_TRUE(app.Boxes().empty()) << "the ask setting asks nothing at a shutdown";
  ASSERT_TRUE(FileStamp(app.File("default.syl"), size, t));
  EXPECT_GT(size, empty_size) << "default.syl holds the garden";
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.main_x, 50);
  EXPECT_EQ(s.main_y, 60);
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
