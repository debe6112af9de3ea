// The gate of the garden: a garden loaded while the clock runs is never
// grown under, even while the loader's own message keeps a modal loop going.
#include <gtest/gtest.h>

#include "canvas/canvas_file.h"
#include "canvas/garden.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

// A canvas file whose background picture no longer exists: opening it shows
// the picture's path in a message box before the garden is taken over.
bool WriteGardenWithMissingPicture(const std::string& path, const std::string& picture) {
  auto garden = std::make_unique<sylvane::Garden>();
  sylvane::Surface no_picture;
  if (sylvane::CreateGardenCanvas(garden->canvas, garden->table, garden->labels, 200, 150, RGB(40, 50, 60),
                                  sylvane::kBackgroundColour, no_picture, 1, false) != 0)
    return false;
  garden->canvas.background_kind = sylvane::kBackgroundPicture;
  garden->canvas.background_path = picture;
  return sylvane::SaveCanvasFile(garden->refs(), path) == 0;
}

TEST(Gate, ACanvasDroppedWhileTheClockRunsIsLoadedWithNoPassUnderIt) {
  App app("gate_drop");
  ASSERT_TRUE(app.Start());
  // A running garden whose first update (at second 30) starts a pass.
  ASSERT_TRUE(NewCanvas(app, "320", "240", "1"));
  const std::string garden = app.File("missing picture.syl");
  const std::string picture = app.File("gone.png");
  ASSERT_TRUE(WriteGardenWithMissingPicture(garden, picture));
  ASSERT_TRUE(app.DropFile(garden));
  // The picture reader's message, then the one naming the missing picture.
  Box message;
  ASSERT_TRUE(app.WaitForBox("", message));
  // The clock goes on inside the message's loop, past the first update.
  app.Tick(40);
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0) << "a pass started while the garden was being replaced";
  bool named = false;
  for (int i = 0; i < 4 && app.WaitForBox("", message, 3000); ++i) {
    named = named || (message.caption == "エラー" && message.text == picture);
    app.Press(message, IDOK);
    app.Tick(2);
  }
  EXPECT_TRUE(named) << "the missing picture is named";
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 0);
  ASSERT_TRUE(app.WaitNoBox());
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits) && w == 200; }));
  EXPECT_EQ(h, 150);
  // Once loaded, the new garden's clock runs its passes as usual.
  for (int i = 0; i < 90 && app.State("SylvaneWorkerStarts") == 0; ++i) app.Tick(1);
  EXPECT_GE(app.State("SylvaneWorkerStarts"), 1);
  EXPECT_TRUE(app.Send(CMD_MAKE_WALLPAPER, 5000)) << "the interface answers";
  ASSERT_TRUE(app.Close());
}

TEST(Gate, TheProgramsOwnGardenIsSavedInTheProgramFolderWhereverTheUserBrowsed) {
  App app("own_garden_folder");
  ASSERT_TRUE(WriteCanvasFile(app.File("default.syl"), 160, 120, RGB(9, 9, 9), 5));
  ASSERT_TRUE(app.Start());  // resumes "default.syl" as its own file
  // The user picks a tree from another folder...
  const std::string elsewhere = app.File("elsewhere");
  ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
  const std::string tree = Join(elsewhere, "far.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  app.Post(CMD_PLANT_TREE);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("樹ファイルを開く", dialog));
  FillFileDialog(dialog, tree);
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  // ...then saves the garden to its own file.
  ASSERT_TRUE(DeleteFileA(app.File("default.syl").c_str()));
  ASSERT_TRUE(app.Send(CMD_SAVE_CANVAS));
  EXPECT_TRUE(Exists(app.File("default.syl")));
  EXPECT_FALSE(Exists(Join(elsewhere, "default.syl"))) << "saved where the user last browsed";
  ASSERT_TRUE(app.Close());
  EXPECT_FALSE(Exists(Join(elsewhere, "default.syl")));
}

}  // namespace
}  // namespace e2e
