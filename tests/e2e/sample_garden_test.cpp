// The new-tree command replaces the current garden: it asks to save it first
// (Cancel keeps everything), and the wallpaper shows the grown sample tree.
#include <gtest/gtest.h>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

// Pixels of the BMP that differ from its top-left pixel (the background).
int PixelsUnlikeTheCorner(const std::string& bmp) {
  sylvane::Surface pic;
  if (sylvane::LoadBmp(bmp, pic) < 0 || pic.empty()) return -1;
  const uint8_t* corner = pic.PixelAt(0, 0);
  const uint8_t c0 = corner[0], c1 = corner[1], c2 = corner[2];
  int n = 0;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint8_t* p = pic.PixelAt(x, y);
      if (p[0] != c0 || p[1] != c1 || p[2] != c2) ++n;
    }
  return n;
}

TEST(SampleGarden, AsksToSaveTheGardenCancelKeepsItNoReplacesItAndTheWallpaperShowsTheTree) {
  App app("sample_garden_question");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.lighting_mode = 0;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "320", "240", "5"));
  const std::string bmp = app.File("default.bmp");
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(bmp, w, h, bits); }));
  ASSERT_EQ(w, 320);
  DeleteFileA(bmp.c_str());

  // Cancel: no new garden, no wallpaper, the old garden stays.
  app.Post(CMD_SAMPLE_GARDEN);
  Box box;
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  EXPECT_EQ(box.text, "現在のキャンバスを保存しますか？");
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(Exists(bmp)) << "Cancel made no garden and no wallpaper";
  EXPECT_EQ(app.State("SylvaneGrowing"), 0);

  // Yes without a file of its own asks for a name; cancelling that ends the command too.
  app.Post(CMD_SAMPLE_GARDEN);
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  app.Press(box, IDYES);
  ASSERT_TRUE(app.WaitForBox("キャンバスを保存する", box));
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(Exists(bmp)) << "a cancelled save keeps the garden";

  // No: the sample garden replaces it and the wallpaper shows the grown tree.
  app.Post(CMD_SAMPLE_GARDEN);
  ASSERT_TRUE(app.WaitForBox("保存？", box));
  app.Press(box, IDNO);
  ASSERT_TRUE(app.WaitNoBox(60000));
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(bmp, w, h, bits); }, 30000));
  EXPECT_EQ(w, 600);
  EXPECT_EQ(h, 500);
  EXPECT_GT(PixelsUnlikeTheCorner(bmp), 200) << "the wallpaper was remade after the tree grew";
  ASSERT_TRUE(app.Close());
}

TEST(SampleGarden, WithoutAGardenThereIsNoQuestion) {
  App app("sample_garden_first");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  EXPECT_TRUE(app.Boxes().empty());
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(BmpInfo(app.File("default.bmp"), w, h, bits));
  EXPECT_GT(PixelsUnlikeTheCorner(app.File("default.bmp")), 200);
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
