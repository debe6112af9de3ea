// The growth diary in the program: today's picture kept at an update (at the
// garden's size, under the garden's name), nothing with the diary turned off,
// an unwritable diary that disturbs nothing, and the export of a diary as an
// animated WebP with its progress dialog, its cancel and its menu item.
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

constexpr char kExportCaption[] = "成長の記録を書き出す";
constexpr char kProgressCaption[] = "成長の記録の書き出し";

// Today's diary picture name as the program names it (the driver and the
// program share the clock; a test that straddles midnight may fail).
std::string TodaysPictureName() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char name[32];
  std::snprintf(name, sizeof name, "%04d-%02d-%02d.jpg", t.wYear, t.wMonth, t.wDay);
  return name;
}

// The names of the files in a folder (not its sub-folders).
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(Join(folder, "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

// No file of the program folder has part in its name: nothing was left behind.
void ExpectNoFileNamed(App& app, const std::string& part) {
  for (const std::string& name : FilesIn(app.folder()))
    EXPECT_EQ(name.find(part), std::string::npos) << "left behind: " << name;
}

// Picture i of a prepared diary: its own colour everywhere, a band that moves.
sylvane::Surface DiaryPicture(int w, int h, int i) {
  sylvane::Surface s;
  s.Create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      const bool band = (x / 8) % 12 == i % 12;
      p[0] = uint8_t(band ? 250 : 20 * i);
      p[1] = uint8_t(band ? 250 : 120 + 7 * i + (x ^ y) % 16);
      p[2] = uint8_t(band ? 30 : 200 - 9 * i);
    }
  s.RefreshHeaders();
  return s;
}

// Writes `count` pictures into the diary of the program's own garden
// ("2026-01-01.jpg" on, a day apart) and a file that is no diary picture.
void PrepareDiary(const App& app, int count, int w, int h) {
  CreateDirectoryA(app.File("diary").c_str(), nullptr);
  const std::string folder = app.File("diary\\default");
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "2026-%02d-%02d.jpg", 1 + i / 28, 1 + i % 28);
    ASSERT_EQ(sylvane::WriteJpeg(Join(folder, name), DiaryPicture(w, h, i), 85), 0) << name;
  }
  WriteTextFile(Join(folder, "notes.txt"), "not a picture");
}

int ReadJpegSize(const std::string& path, int& w, int& h) {
  sylvane::Surface s;
  const int r = sylvane::ReadJpeg(path, s, false);
  w = s.width;
  h = s.height;
  return r;
}

// Starts the export and answers the save dialog with `out`.
bool StartExport(App& app, const std::string& out) {
  app.Post(CMD_EXPORT_DIARY);
  Box save;
  if (!app.WaitForBox(kExportCaption, save, 30000)) return false;
  FillFileDialog(save, out);
  return true;
}

// A box of the given caption whose text begins with `text`.
bool WaitForMessage(App& app, const char* caption, const std::string& text, Box& out, DWORD wait_ms) {
  return WaitUntil(
      [&] {
        for (const Box& b : app.Boxes())
          if (b.caption == caption && b.text.compare(0, text.size(), text) == 0) {
            out = b;
            return true;
          }
        return false;
      },
      wait_ms);
}

TEST(Diary, AnUpdateKeepsTodaysPictureOfTheGardenAtItsSize) {
  App app("diary_update");
  const std::string garden = app.File("my garden.syl");
  ASSERT_TRUE(WriteCanvasFile(garden, 230, 150, RGB(40, 90, 30), 10));
  ASSERT_TRUE(app.Start("\"" + garden + "\""));
  ASSERT_TRUE(app.Send(CMD_PERIODIC_UPDATE));
  const std::string folder = app.File("diary\\my garden");
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{TodaysPictureName()});
  int w = 0, h = 0;
  ASSERT_EQ(ReadJpegSize(Join(folder, TodaysPictureName()), w, h), 0);
  EXPECT_EQ(w, 230);
  EXPECT_EQ(h, 150);
  // Later updates of the day keep that one picture.
  uint64_t size = 0;
  FILETIME first{}, later{};
  ASSERT_TRUE(FileStamp(Join(folder, TodaysPictureName()), size, first));
  ASSERT_TRUE(app.Send(CMD_DAILY_UPDATE));
  ASSERT_TRUE(app.Send(CMD_PERIODIC_UPDATE));
  EXPECT_EQ(FilesIn(folder).size(), 1u);
  ASSERT_TRUE(FileStamp(Join(folder, TodaysPictureName()), size, later));
  EXPECT_EQ(CompareFileTime(&first, &later), 0);
  EXPECT_TRUE(app.Boxes().empty());
  ASSERT_TRUE(app.Close());
}

TEST(Diary, TheProgramsOwnGardenIsCalledDefault) {
  App app("diary_default");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  ASSERT_TRUE(app.Send(CMD_DAILY_UPDATE));
  int w = 0, h = 0;
  ASSERT_EQ(ReadJpegSize(app.File("diary\\default\\" + TodaysPictureName()), w, h), 0);
  EXPECT_EQ(w, 600);
  EXPECT_EQ(h, 500);
  ASSERT_TRUE(app.Close());
}

TEST(Diary, TurnedOffInTheOptionsNoPictureIsKept) {
  App app("diary_off");
  WriteTextFile(app.File("sylvane-options.ini"), "[diary]\r\nenabled = false\r\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "200", "120", "10"));
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(app.Send(CMD_PERIODIC_UPDATE));
  EXPECT_TRUE(Exists(app.File("default.bmp"))) << "the update ran";
  EXPECT_FALSE(Exists(app.File("diary")));
  ASSERT_TRUE(app.Close());
}

TEST(Diary, ADiaryThatCannotBeWrittenDisturbsNothingAndIsNotedOnce) {
  App app("diary_unwritable");
  // A file where the diary folder would be: no folder can be made there.
  WriteTextFile(app.File("diary"), "in the way");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "200", "120", "10"));
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(app.Send(CMD_PERIODIC_UPDATE));
  EXPECT_TRUE(app.Boxes().empty()) << "no message box";
  EXPECT_TRUE(Exists(app.File("default.bmp"))) << "the wallpaper was written all the same";
  EXPECT_GE(app.State("SylvaneWorkerStarts"), 1) << "and the pass started";
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") >= 1; }, 30000));
  ASSERT_TRUE(app.Send(CMD_PERIODIC_UPDATE));
  EXPECT_TRUE(app.Boxes().empty());
  std::vector<uint8_t> log;
  ASSERT_TRUE(ReadFile(app.File("diary.log"), log));
  const std::string text(log.begin(), log.end());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_NE(text.find("diary"), std::string::npos) << "the line names the folder: " << text;
  ASSERT_TRUE(app.Close());
}

TEST(Diary, ExportWritesTheDiaryAsAnAnimatedWebp) {
  App app("diary_export");
  ASSERT_NO_FATAL_FAILURE(PrepareDiary(app, 6, 96, 64));
  ASSERT_TRUE(app.Start());
  const std::string out = app.File("growth.webp");
  ASSERT_TRUE(StartExport(app, out));
  Box done;
  ASSERT_TRUE(WaitForMessage(app, kExportCaption, "成長の記録を書き出しました", done, 60000));
  EXPECT_NE(done.text.find("（6 枚）"), std::string::npos) << done.text;
  app.Press(done, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFile(out, bytes));
  ASSERT_GT(bytes.size(), 12u);
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 8, "WEBP", 4), 0);
  WebPData data{bytes.data(), bytes.size()};
  WebPDemuxer* demux = WebPDemux(&data);
  ASSERT_NE(demux, nullptr);
  EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH), 96u);
  EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT), 64u);
  EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT), 6u) << "one frame a picture; notes.txt is no picture";
  EXPECT_TRUE(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG);
  WebPDemuxDelete(demux);
  ExpectNoFileNamed(app, ".tmp");
  ASSERT_TRUE(app.Close());
}

TEST(Diary, CancelLeavesNoFile) {
  App app("diary_cancel");
  // Enough large pictures that the export is still running when cancelled.
  ASSERT_NO_FATAL_FAILURE(PrepareDiary(app, 120, 640, 480));
  ASSERT_TRUE(app.Start());
  const std::string out = app.File("growth.webp");
  ASSERT_TRUE(StartExport(app, out));
  Box progress;
  ASSERT_TRUE(app.WaitForBox(kProgressCaption, progress, 30000));
  EXPECT_TRUE(app.Sync(5000)) << "the interface answers while the export runs";
  SaveScreenshot(progress.window, "diary_export_progress");
  app.Press(progress, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress.window); }, 60000));
  ASSERT_TRUE(app.WaitNoBox()) << "a cancelled export says nothing";
  EXPECT_FALSE(Exists(out));
  ExpectNoFileNamed(app, "growth");
  ASSERT_TRUE(app.Close());
}

TEST(Diary, EndingTheProgramDuringAnExportLeavesNoFile) {
  App app("diary_exit");
  ASSERT_NO_FATAL_FAILURE(PrepareDiary(app, 120, 640, 480));
  ASSERT_TRUE(app.Start());
  const std::string out = app.File("growth.webp");
  ASSERT_TRUE(StartExport(app, out));
  Box progress;
  ASSERT_TRUE(app.WaitForBox(kProgressCaption, progress, 30000));
  ASSERT_TRUE(app.Close(60000)) << "the export is cancelled and waited for, not waited out";
  EXPECT_FALSE(Exists(out));
  ExpectNoFileNamed(app, "growth");
}

TEST(Diary, AGardenWithoutDiaryPicturesIsToldSo) {
  App app("diary_none");
  ASSERT_TRUE(app.Start());
  app.Post(CMD_EXPORT_DIARY);
  Box box;
  ASSERT_TRUE(app.WaitForBox(kExportCaption, box));
  EXPECT_EQ(box.text.rfind("この庭の成長の記録はまだありません。", 0), 0u) << box.text;
  app.Press(box, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Close());
}

TEST(Diary, TheMainMenuHasTheExportItem) {
  HMODULE module = LoadLibraryExA(ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  HMENU menu = LoadMenuA(module, "MYMENU");
  ASSERT_NE(menu, nullptr);
  char text[128] = {};
  EXPECT_GT(GetMenuStringA(GetSubMenu(menu, 0), CMD_EXPORT_DIARY, text, sizeof text, MF_BYCOMMAND), 0);
  EXPECT_STREQ(text, "成長の記録を書き出す…");
  DestroyMenu(menu);
  FreeLibrary(module);
}

}  // namespace
}  // namespace e2e
