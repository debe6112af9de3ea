// Checks of the default skin shipped in data/skin: its skin.txt, its image
// sets, that every element lies on its picture and shows its states, and that
// the bitmap-skin files are exactly the program's own cuts of the composites.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "platform/text.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"

namespace sylvane {
namespace {

const std::string kSkin = std::string(SYLVANE_SOURCE_DIR) + "/data/skin";

std::vector<uint8_t> Bytes(const std::string& file) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(kSkin + "/" + file, bytes), ReadFileStatus::kOk) << file;
  return bytes;
}

bool ReadPngFile(const std::string& file, Surface& s, AlphaPlane* alpha) {
  std::vector<uint8_t> b = Bytes(file);
  return DecodePng(b.data(), b.size(), s, alpha, false) == kPngOk;
}

bool ReadBmpFile(const std::string& file, Surface& s) {
  std::vector<uint8_t> b = Bytes(file);
  return DecodeBmp(b.data(), b.size(), s, false) >= 0;
}

SkinLayout DefaultLayout() {
  std::vector<uint8_t> b = Bytes("skin.txt");
  SkinLayout l;
  EXPECT_EQ(ParseSkinText(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), l), kSkinRowCount);
  return l;
}

struct Composites {
  Surface state[3];
};

Composites LoadSet(ImageSet set) {
  ImageSetFiles files = ImageSetFileNames(set);
  Surface back;
  EXPECT_TRUE(ReadPngFile(files.back, back, nullptr)) << files.back;
  Composites c;
  const char* names[3] = {files.normal, files.over, files.down};
  for (int i = 0; i < 3; ++i) {
    AlphaPlane alpha;
    EXPECT_TRUE(ReadPngFile(names[i], c.state[i], &alpha)) << names[i];
    EXPECT_EQ(c.state[i].width, back.width) << names[i];
    EXPECT_EQ(c.state[i].height, back.height) << names[i];
    CompositeOver(c.state[i], alpha, back);
  }
  return c;
}

// Number of pixels in which two pictures of one size differ.
int DifferingPixels(const Surface& a, const Surface& b) {
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (std::memcmp(a.PixelAt(x, y), b.PixelAt(x, y), 3) != 0) ++n;
  return n;
}

bool SamePixels(const Surface& a, const Surface& b) {
  return a.width == b.width && a.height == b.height && DifferingPixels(a, b) == 0;
}

bool Overlap(const SkinRect& a, const SkinRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST(DefaultSkin, IsACompleteVersion3PngSkinWithoutLayering) {
  SkinLayout l = DefaultLayout();
  EXPECT_EQ(l.version, 3);
  EXPECT_TRUE(l.png_skin);
  EXPECT_EQ(l.layer_type, 0);
  EXPECT_GT(l.map_alpha, 50);
  EXPECT_LE(l.map_alpha, 100);
  EXPECT_GT(l.changer_btn.width, 0);  // both optional buttons are shown
  EXPECT_GT(l.syl_wnd_btn.width, 0);
}

TEST(DefaultSkin, ImageSetsHaveTheirWindowSizes) {
  EXPECT_EQ(LoadSet(ImageSet::kControl).state[0].width, 422);
  EXPECT_EQ(LoadSet(ImageSet::kControl).state[0].height, 84);
  EXPECT_EQ(LoadSet(ImageSet::kMap).state[0].width, 300);
  EXPECT_EQ(LoadSet(ImageSet::kMap).state[0].height, 300);
  // The changer and the canvas window switch between 250 x 22 and 250 x 410.
  for (ImageSet set : {ImageSet::kChanger, ImageSet::kCanvasWindow}) {
    Composites c = LoadSet(set);
    EXPECT_EQ(c.state[0].width, 250);
    EXPECT_EQ(c.state[0].height, 410);
  }
}

TEST(DefaultSkin, EveryElementLiesOnItsPictureAndShowsItsStates) {
  SkinLayout l = DefaultLayout();
  Composites sets[4] = {LoadSet(ImageSet::kControl), LoadSet(ImageSet::kMap), LoadSet(ImageSet::kChanger),
                        LoadSet(ImageSet::kCanvasWindow)};
  for (SkinElementId id : SkinCreationOrder()) {
    const SkinElementInfo& e = SkinElement(id);
    if (!e.rect) continue;
    const SkinRect r = l.*e.rect;
    const Composites& c = sets[int(ImageSetOf(e.owner))];
    SCOPED_TRACE(e.class_name);
    ASSERT_TRUE(IsPlaceableRect(r));
    EXPECT_LE(r.left + r.width, c.state[0].width);
    EXPECT_LE(r.top + r.height, c.state[0].height);
    if (e.kind != SkinElementKind::kButton && e.kind != SkinElementKind::kMenu) continue;
    Surface normal, over, down;
    CutElementPicture(c.state[0], r, normal);
    CutElementPicture(c.state[1], r, over);
    CutElementPicture(c.state[2], r, down);
    // Pointing at or pressing a button visibly changes it.
    EXPECT_GT(DifferingPixels(normal, over), r.width * r.height / 10);
    EXPECT_GT(DifferingPixels(normal, down), r.width * r.height / 10);
    EXPECT_GT(DifferingPixels(over, down), r.width * r.height / 10);
  }
}

TEST(DefaultSkin, MainWindowElementsDoNotOverlap) {
  SkinLayout l = DefaultLayout();
  std::vector<std::pair<std::string, SkinRect>> main;
  for (SkinElementId id : SkinCreationOrder()) {
    const SkinElementInfo& e = SkinElement(id);
    if (e.owner == SkinWindow::kMain && e.rect) main.push_back({e.class_name, l.*e.rect});
  }
  ASSERT_EQ(main.size(), 12u);
  for (size_t i = 0; i < main.size(); ++i)
    for (size_t j = i + 1; j < main.size(); ++j)
      EXPECT_FALSE(Overlap(main[i].second, main[j].second)) << main[i].first << " / " << main[j].first;
}

TEST(DefaultSkin, PanelTextFitsItsPanel) {
  SkinLayout l = DefaultLayout();
  EXPECT_GE(l.timer_x, 0);
  EXPECT_GE(l.timer_y, 0);
  EXPECT_LE(l.timer_y + l.timer_font_size, l.timer.height);
  EXPECT_GE(l.growing_ki_num_x, 0);
  EXPECT_LE(l.growing_ki_num_y + l.growing_ki_num_font_size, l.growing_ki_num.height);
  // Light text on the dark panels.
  for (uint32_t color : {l.timer_color, l.growing_ki_num_color}) {
    int luma = int(color & 0xFF) * 3 + int((color >> 8) & 0xFF) * 6 + int((color >> 16) & 0xFF);
    EXPECT_GT(luma, 1800);
  }
}

TEST(DefaultSkin, CollapseSwitchesStayFreeOfTheCloseButtons) {
  SkinLayout l = DefaultLayout();
  const SkinRect collapse{232, 6, 7, 9};
  EXPECT_FALSE(Overlap(l.changer_close, collapse));
  EXPECT_FALSE(Overlap(l.sylwnd_close, collapse));
}

TEST(DefaultSkin, ChangerRadioButtonsSitOnPlainPaper) {
  // The radio buttons are painted on a brush of the picture's colour at (88, 39).
  SkinLayout l = DefaultLayout();
  Composites c = LoadSet(ImageSet::kChanger);
  const uint8_t* sample = c.state[0].PixelAt(88, 39);
  for (const SkinRect& r : {l.changer_radio1, l.changer_radio2})
    for (int y = r.top; y < r.top + r.height; ++y)
      for (int x = r.left; x < r.left + r.width; ++x)
        ASSERT_EQ(std::memcmp(c.state[0].PixelAt(x, y), sample, 3), 0) << x << "," << y;
  // Controls' text is black: their background must be light.
  EXPECT_EQ(l.changer_ctrl_bg_color, SkinColor(252, 250, 243));
  EXPECT_EQ(l.canvas_ctrl_bg_color, SkinColor(252, 250, 243));
}

TEST(DefaultSkin, CanvasWindowBackRepeatsWithoutSeams) {
  // Beyond 250 x 410 the canvas window repeats the back image.
  Surface back;
  ASSERT_TRUE(ReadPngFile("canvas_wnd_back.png", back, nullptr));
  const uint8_t* first = back.PixelAt(0, 0);
  for (int y = 0; y < back.height; ++y)
    for (int x = 0; x < back.width; ++x) ASSERT_EQ(std::memcmp(back.PixelAt(x, y), first, 3), 0);
}

TEST(DefaultSkin, BitmapSkinFilesAreTheCutsOfTheComposites) {
  SkinLayout l = DefaultLayout();
  Composites control = LoadSet(ImageSet::kControl);
  Composites map = LoadSet(ImageSet::kMap);
  Surface bmp;
  ASSERT_TRUE(ReadBmpFile(kBitmapSkinBackground, bmp));
  EXPECT_TRUE(SamePixels(bmp, control.state[0]));
  for (SkinElementId id : SkinCreationOrder()) {
    const SkinElementInfo& e = SkinElement(id);
    if (!e.bitmap || e.owner == SkinWindow::kChanger || e.owner == SkinWindow::kCanvasWindow) continue;
    // "CHANGER" and "SYL_WND" share the close button's files.
    if (id == SkinElementId::kChanger || id == SkinElementId::kSylWnd) continue;
    SCOPED_TRACE(e.class_name);
    std::array<std::string, 3> files = ElementBitmapFiles(e);
    const Composites& c = e.owner == SkinWindow::kMap ? map : control;
    if (id == SkinElementId::kMapView) {
      ASSERT_TRUE(ReadBmpFile(files[0], bmp));
      EXPECT_TRUE(SamePixels(bmp, map.state[0]));
      continue;
    }
    const int states = (e.kind == SkinElementKind::kButton || e.kind == SkinElementKind::kMenu) ? 3 : 1;
    for (int i = 0; i < states; ++i) {
      Surface cut;
      CutElementPicture(c.state[i], l.*e.rect, cut);
      ASSERT_TRUE(ReadBmpFile(files[size_t(i)], bmp)) << files[size_t(i)];
      EXPECT_TRUE(SamePixels(bmp, cut)) << files[size_t(i)];
    }
  }
}

TEST(DefaultSkin, AsABitmapSkinTheSameFolderStillLoads) {
  // VERSION 2 with the same rectangles: a bitmap skin using the BMP files.
  std::vector<uint8_t> b = Bytes("skin.txt");
  std::string text(b.begin(), b.end());
  text.replace(0, text.find('\r'), "VERSION=2");
  SkinLayout l;
  EXPECT_EQ(ParseSkinText(text, l), kSkinRowCount);
  EXPECT_FALSE(l.png_skin);
  for (SkinElementId id : SkinCreationOrder()) {
    for (const std::string& f : ElementBitmapFiles(SkinElement(id))) {
      if (f.empty()) continue;
      EXPECT_TRUE(FileExists(kSkin + "/" + f)) << f;
    }
  }
}

}  // namespace
}  // namespace sylvane
