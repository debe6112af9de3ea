#include "ui/canvas_view.h"
#include "res/commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sylvane {
namespace {

// A surface whose pixel (x, y) from the top holds blue = base + x, green = y,
// red = base.
Surface Numbered(int w, int h, uint8_t base) {
  Surface s;
  s.CreateFilled(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = uint8_t(base + x);
      p[1] = uint8_t(y);
      p[2] = base;
    }
  s.RefreshHeaders();
  return s;
}

std::vector<uint8_t> Pixel(const Surface& s, int x, int y) {
  const uint8_t* p = s.PixelAt(x, y);
  return {p[0], p[1], p[2]};
}

std::vector<uint8_t> Light(std::vector<uint8_t> v) {
  for (uint8_t& c : v) c = uint8_t(int(c * 0.5 + 127.5));
  return v;
}

std::vector<uint8_t> Dark(std::vector<uint8_t> v) {
  for (uint8_t& c : v) c = uint8_t(int(c * 0.5));
  return v;
}

LabelEntry Entry(int x, int y, const std::string& name = "樹", const std::string& file = "樹.ki") {
  LabelEntry e;
  e.name = name;
  e.file_name = file;
  e.x = x;
  e.y = y;
  return e;
}

// ---------------------------------------------------------------------------

TEST(Zoom, TenStepsFromOneDownToATenth) {
  const float expected[] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f};
  for (int i = 0; i < kZoomStepCount; ++i) EXPECT_EQ(ZoomFactor(i), expected[i]) << i;
  EXPECT_EQ(ZoomFactor(-1), 1.0f);
  EXPECT_EQ(ZoomFactor(10), 1.0f);
  EXPECT_EQ(ZoomFactor(255), 1.0f);
}

TEST(Zoom, CommandsPickTheSteps) {
  EXPECT_EQ(ZoomStepForCommand(CMD_CW_ZOOM_FIRST), 0);
  EXPECT_EQ(ZoomStepForCommand(CMD_CW_ZOOM_FIRST + 4), 4);
  EXPECT_EQ(ZoomStepForCommand(CMD_CW_ZOOM_FIRST + 9), 9);
  EXPECT_EQ(ZoomStepForCommand(CMD_SHOW_NAMES_NORMAL), -1);
  EXPECT_EQ(ZoomStepForCommand(CMD_CW_ZOOM_FIRST + 10), -1);
}

TEST(Zoom, ComboTexts) {
  EXPECT_STREQ(ZoomStepText(0), "100%");
  EXPECT_STREQ(ZoomStepText(5), "50%");
  EXPECT_STREQ(ZoomStepText(9), "10%");
  EXPECT_STREQ(ZoomStepText(10), "");
  EXPECT_STREQ(NamesChoiceText(0), "非表示");
  EXPECT_STREQ(NamesChoiceText(1), "表示");
  EXPECT_STREQ(NamesChoiceText(2), "ファイル名");
  EXPECT_STREQ(NamesChoiceText(3), "");
}

TEST(Zoom, HalfOfAn800By600CanvasGivesA420By340Window) {
  const PixelSize scaled = ScaledCanvasSize(800, 600, ZoomFactor(5));
  EXPECT_EQ(scaled, (PixelSize{400, 300}));
  EXPECT_EQ(WindowPictureSize(scaled), (PixelSize{420, 340}));
}

TEST(Zoom, ScaledSidesAreTruncatedSinglePrecisionProducts) {
  // 601 x 0.7f = 420.69998 and 333 x 0.7f = 233.09999: truncated.
  EXPECT_EQ(ScaledCanvasSize(601, 333, 0.7f), (PixelSize{420, 233}));
  EXPECT_EQ(ScaledCanvasSize(1920, 1080, 0.3f), (PixelSize{576, 324}));
  EXPECT_EQ(ScaledCanvasSize(1920, 1080, 1.0f), (PixelSize{1920, 1080}));
}

TEST(Zoom, ATinyCanvasKeepsOnePixel) {
  EXPECT_EQ(ScaledCanvasSize(5, 9, 0.1f), (PixelSize{1, 1}));
  EXPECT_EQ(ScaledCanvasSize(15, 9, 0.1f), (PixelSize{1, 1}));
  EXPECT_EQ(ScaledCanvasSize(25, 9, 0.1f), (PixelSize{2, 1}));
}

// ---------------------------------------------------------------------------

TEST(WindowPicture, FrameFromCompositeInsideTheBackImageAndTiledBackOutside) {
  const Surface back = Numbered(4, 3, 100);
  const Surface composite = Numbered(4, 3, 50);
  const Surface canvas = Numbered(3, 2, 200);
  Surface out;
  ASSERT_TRUE(ComposeWindowPicture(composite, back, canvas, out));
  ASSERT_EQ(out.width, 23);
  ASSERT_EQ(out.height, 42);
  EXPECT_EQ(out.info.width, 23);  // headers refreshed
  EXPECT_EQ(out.info.height, 42);
  EXPECT_EQ(Pixel(out, 1, 1), Pixel(composite, 1, 1));
  EXPECT_EQ(Pixel(out, 3, 2), Pixel(composite, 3, 2));
  EXPECT_EQ(Pixel(out, 5, 1), Pixel(back, 1, 1));   // x beyond the back image
  EXPECT_EQ(Pixel(out, 1, 5), Pixel(back, 1, 2));   // y beyond it
  EXPECT_EQ(Pixel(out, 9, 29), Pixel(back, 1, 2));  // just left of and above the canvas
  EXPECT_EQ(Pixel(out, 21, 40), Pixel(back, 1, 1));
}

TEST(WindowPicture, CanvasLiesAtTenThirty) {
  const Surface back = Numbered(4, 3, 100);
  const Surface canvas = Numbered(3, 2, 200);
  Surface out;
  ASSERT_TRUE(ComposeWindowPicture(back, back, canvas, out));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel(out, 10 + x, 30 + y), Pixel(canvas, x, y)) << x << "," << y;
  EXPECT_EQ(Pixel(out, 13, 30), Pixel(back, 1, 0));  // first column right of the canvas
  EXPECT_EQ(Pixel(out, 10, 32), Pixel(back, 2, 2));  // first row below it
}

TEST(WindowPicture, LightTopAndLeftDarkRightAndBottomLightWinsAtTheCorners) {
  const Surface back = Numbered(4, 3, 100);
  const Surface composite = Numbered(4, 3, 50);
  const Surface canvas = Numbered(3, 2, 200);
  Surface out;
  ASSERT_TRUE(ComposeWindowPicture(composite, back, canvas, out));
  EXPECT_EQ(Pixel(out, 0, 0), Light(Pixel(composite, 0, 0)));
  EXPECT_EQ(Pixel(out, 2, 0), Light(Pixel(composite, 2, 0)));
  EXPECT_EQ(Pixel(out, 0, 2), Light(Pixel(composite, 0, 2)));
  EXPECT_EQ(Pixel(out, 7, 0), Light(Pixel(back, 3, 0)));
  EXPECT_EQ(Pixel(out, 0, 20), Light(Pixel(back, 0, 2)));
  EXPECT_EQ(Pixel(out, 22, 5), Dark(Pixel(back, 2, 2)));
  EXPECT_EQ(Pixel(out, 5, 41), Dark(Pixel(back, 1, 2)));
  EXPECT_EQ(Pixel(out, 22, 41), Dark(Pixel(back, 2, 2)));
  // Where a light edge meets a dark one the light rule wins.
  EXPECT_EQ(Pixel(out, 22, 0), Light(Pixel(back, 2, 0)));
  EXPECT_EQ(Pixel(out, 0, 41), Light(Pixel(back, 0, 2)));
}

TEST(WindowPicture, ASmallerCompositeLeavesTheBackImageShowing) {
  const Surface back = Numbered(4, 3, 100);
  const Surface composite = Numbered(2, 2, 50);
  const Surface canvas = Numbered(3, 2, 200);
  Surface out;
  ASSERT_TRUE(ComposeWindowPicture(composite, back, canvas, out));
  EXPECT_EQ(Pixel(out, 1, 1), Pixel(composite, 1, 1));
  EXPECT_EQ(Pixel(out, 3, 1), Pixel(back, 3, 1));
  EXPECT_EQ(Pixel(out, 1, 2), Pixel(back, 1, 2));
}

TEST(WindowPicture, WithoutFramePicturesTheFrameIsWhite) {
  const Surface canvas = Numbered(3, 2, 200);
  Surface out;
  ASSERT_TRUE(ComposeWindowPicture(Surface{}, Surface{}, canvas, out));
  EXPECT_EQ(Pixel(out, 5, 5), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(Pixel(out, 0, 0), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(Pixel(out, 22, 5), (std::vector<uint8_t>{127, 127, 127}));
  EXPECT_EQ(Pixel(out, 11, 31), Pixel(canvas, 1, 1));
}

TEST(WindowPicture, FallbackFrameIsWhite250By410) {
  Surface composite;
  Surface back;
  MakeFallbackFrame(composite, back);
  ASSERT_EQ(composite.width, 250);
  ASSERT_EQ(composite.height, 410);
  ASSERT_EQ(back.width, 250);
  ASSERT_EQ(back.height, 410);
  for (uint8_t b : composite.pixels) ASSERT_EQ(b, 255);
  for (uint8_t b : back.pixels) ASSERT_EQ(b, 255);
}

TEST(WindowPicture, RefusesAPictureBeyondTheLargestSize) {
  Surface canvas;
  ASSERT_TRUE(canvas.CreateFilled(kMaxSurfaceSide, 1, 0));
  Surface out;
  EXPECT_FALSE(ComposeWindowPicture(Surface{}, Surface{}, canvas, out));
  EXPECT_TRUE(out.empty());
}

TEST(WindowPicture, WindowFitsTheWorkArea) {
  EXPECT_EQ(FitWindowSize({420, 340}, {1280, 1024}), (PixelSize{420, 340}));
  EXPECT_EQ(FitWindowSize({1940, 1120}, {1280, 1024}), (PixelSize{1280, 1024}));
  EXPECT_EQ(FitWindowSize({1940, 340}, {1280, 1024}), (PixelSize{1280, 340}));
  EXPECT_EQ(FitWindowSize({420, 340}, {0, 0}), (PixelSize{420, 340}));  // unknown work area
}

// ---------------------------------------------------------------------------

TEST(Scrolling, PageIsTheVisibleShareOf101) {
  EXPECT_EQ(ScrollPage(200, 400), 50);
  EXPECT_EQ(ScrollPage(399, 400), 100);
  EXPECT_EQ(ScrollPage(400, 400), 101);
  EXPECT_EQ(ScrollPage(0, 400), 0);
  EXPECT_EQ(ScrollPage(100, 0), 101);
  EXPECT_EQ(ScrollPage(1280, 16404), 7);  // 1280 x 101 / 16404 = 7.88
}

TEST(Scrolling, OffsetFollowsThePositionAndStopsAtTheEnd) {
  EXPECT_EQ(ScrollOffset(0, 400, 200), 0);
  EXPECT_EQ(ScrollOffset(50, 400, 200), 198);   // 50 x 400 / 101 = 198.01
  EXPECT_EQ(ScrollOffset(51, 400, 200), 200);   // 201.98, limited to 400 - 200
  EXPECT_EQ(ScrollOffset(100, 400, 200), 200);
  EXPECT_EQ(ScrollOffset(70, 400, 400), 0);     // the client shows it all
  EXPECT_EQ(ScrollOffset(70, 400, 500), 0);
}

TEST(Scrolling, RequestsMoveAndClampTo101MinusPage) {
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kLineUp, 0, 50, 0), 0);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kLineUp, 7, 50, 0), 6);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kLineDown, 5, 50, 0), 6);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kLineDown, 51, 50, 0), 51);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kPageDown, 40, 50, 0), 51);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kPageDown, 0, 30, 0), 30);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kPageUp, 45, 30, 0), 15);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kPageUp, 30, 50, 0), 0);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kThumb, 5, 50, 20), 20);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kThumb, 5, 50, 80), 51);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kOther, 33, 50, 90), 33);
  // A page as large as the picture leaves nothing to scroll.
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kLineDown, 3, 101, 0), 0);
  EXPECT_EQ(ScrollPositionAfter(ScrollRequest::kOther, 40, 120, 0), 0);
}

// ---------------------------------------------------------------------------

TEST(Pointing, TreeWithinFivePixelsOfThePointer) {
  // Canvas (100, 100) at 50 % is (50, 50), shown at picture (60, 80).
  const PixelSize scaled{400, 300};
  const ViewPoint p = ZoomedTreePoint(Entry(100, 100), 0.5f);
  EXPECT_EQ(p, (ViewPoint{50, 50}));
  EXPECT_TRUE(TreeUnderPointer(p, scaled, 60, 80));
  EXPECT_TRUE(TreeUnderPointer(p, scaled, 56, 76));
  EXPECT_TRUE(TreeUnderPointer(p, scaled, 65, 85));
  EXPECT_FALSE(TreeUnderPointer(p, scaled, 55, 80));
  EXPECT_FALSE(TreeUnderPointer(p, scaled, 66, 80));
  EXPECT_FALSE(TreeUnderPointer(p, scaled, 60, 75));
  EXPECT_FALSE(TreeUnderPointer(p, scaled, 60, 86));
}

TEST(Pointing, OnlyPointsInsideTheZoomedCanvasCount) {
  const PixelSize scaled{400, 300};
  EXPECT_TRUE(TreeUnderPointer(ViewPoint{399, 299}, scaled, 409, 329));
  EXPECT_FALSE(TreeUnderPointer(ViewPoint{400, 100}, scaled, 412, 130));
  EXPECT_FALSE(TreeUnderPointer(ViewPoint{100, 300}, scaled, 110, 332));
  EXPECT_TRUE(TreeUnderPointer(ViewPoint{0, 0}, scaled, 6, 26));
  EXPECT_TRUE(TreeUnderPointer(ViewPoint{0, 0}, scaled, 15, 35));
  EXPECT_FALSE(TreeUnderPointer(ViewPoint{0, 0}, scaled, 5, 30));
}

TEST(Pointing, TreesUnderThePointerInListOrder) {
  const std::vector<LabelEntry> entries = {Entry(100, 100, "a"), Entry(300, 100, "b"), Entry(102, 98, "c")};
  EXPECT_EQ(TreesUnderPointer(entries, 0.5f, {400, 300}, 60, 80), (std::vector<int>{0, 2}));
  EXPECT_EQ(TreesUnderPointer(entries, 0.5f, {400, 300}, 160, 80), (std::vector<int>{1}));
  EXPECT_TRUE(TreesUnderPointer(entries, 0.5f, {400, 300}, 300, 200).empty());
  // At 100 % the same trees sit elsewhere; "c" is still within 5 pixels of "a".
  EXPECT_EQ(TreesUnderPointer(entries, 1.0f, {800, 600}, 110, 130), (std::vector<int>{0, 2}));
  EXPECT_EQ(TreesUnderPointer(entries, 1.0f, {800, 600}, 106, 126), (std::vector<int>{0}));
}

TEST(Pointing, MarkerCentresOnTheTreeExceptAtTheCanvasEdge) {
  EXPECT_EQ(MarkerTopLeft({50, 50}), (ViewPoint{54, 74}));
  EXPECT_EQ(MarkerTopLeft({6, 6}), (ViewPoint{10, 30}));
  EXPECT_EQ(MarkerTopLeft({5, 50}), (ViewPoint{10, 74}));
  EXPECT_EQ(MarkerTopLeft({50, 0}), (ViewPoint{54, 30}));
}

TEST(Dropping, DropAt110By130AtHalfZoomPlantsAt200By200) {
  EXPECT_EQ(DropPointToCanvas(110, 130, ZoomFactor(5), 800, 600), (ViewPoint{200, 200}));
  EXPECT_EQ(DropPointToCanvas(110, 130, 1.0f, 800, 600), (ViewPoint{100, 100}));
  EXPECT_EQ(DropPointToCanvas(50, 60, 0.3f, 800, 600).x, 133);  // 40 / 0.3 truncated
}

TEST(Dropping, ADropOnTheFramePlantsAtTheNearestCanvasEdge) {
  EXPECT_EQ(DropPointToCanvas(3, 5, 0.5f, 800, 600), (ViewPoint{0, 0}));
  EXPECT_EQ(DropPointToCanvas(415, 335, 0.5f, 800, 600), (ViewPoint{799, 599}));
  EXPECT_EQ(DropPointToCanvas(409, 329, 0.5f, 800, 600), (ViewPoint{798, 598}));
}

TEST(Collapsing, ToggleAreaIsSevenByNineAt232By6) {
  EXPECT_TRUE(InCollapseToggle(232, 6));
  EXPECT_TRUE(InCollapseToggle(238, 14));
  EXPECT_FALSE(InCollapseToggle(231, 6));
  EXPECT_FALSE(InCollapseToggle(239, 6));
  EXPECT_FALSE(InCollapseToggle(232, 5));
  EXPECT_FALSE(InCollapseToggle(232, 15));
}

TEST(Collapsing, WindowStaysInsideTheWorkArea) {
  const PixelSize work{1280, 1024};
  EXPECT_EQ(ResizedInWorkArea(100, 100, {250, 22}, work), (WindowBox{100, 100, 250, 22}));
  EXPECT_EQ(ResizedInWorkArea(1200, 100, {420, 340}, work), (WindowBox{860, 100, 420, 340}));
  EXPECT_EQ(ResizedInWorkArea(100, 900, {420, 340}, work), (WindowBox{100, 684, 420, 340}));
  EXPECT_EQ(ResizedInWorkArea(100, 100, {1500, 1100}, work), (WindowBox{0, 0, 1500, 1100}));
  EXPECT_EQ(ResizedInWorkArea(-30, -5, {250, 22}, work), (WindowBox{0, 0, 250, 22}));
}

// ---------------------------------------------------------------------------

TEST(Labels, CaptionsAreNamesOrFileNamesByMode) {
  const std::vector<LabelEntry> entries = {Entry(100, 100, "桜", "sakura.ki"), Entry(200, 300, "松_var", "ファイル名不明")};
  const std::vector<LabelDraw> names = LayOutLabels(entries, 800, 0.5f, 12, kLabelsNames);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].text, "桜");
  EXPECT_EQ(names[1].text, "松_var");
  const std::vector<LabelDraw> files = LayOutLabels(entries, 800, 0.5f, 12, kLabelsFileNames);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].text, "sakura.ki");
  EXPECT_EQ(files[1].text, "ファイル名不明");
  EXPECT_TRUE(LayOutLabels(entries, 800, 0.5f, 12, kLabelsOff).empty());
  EXPECT_TRUE(LayOutLabels(entries, 800, 0.5f, 12, 3).empty());
}

TEST(Labels, PlacedAtTheWindowZoom) {
  // (100, 100) at 50 %: anchor (60, 80); line to (65, 65); caption at (65, 59).
  const std::vector<LabelDraw> d = LayOutLabels({Entry(100, 100)}, 800, 0.5f, 12, kLabelsNames);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].place.anchor_x, 60);
  EXPECT_EQ(d[0].place.anchor_y, 80);
  EXPECT_EQ(d[0].place.end_x, 65);
  EXPECT_EQ(d[0].place.end_y, 65);
  EXPECT_EQ(d[0].place.text_x, 65);
  EXPECT_EQ(d[0].place.text_y, 59);
}

TEST(Labels, NearTheRightEdgeTheLabelGoesLeftAtEveryZoom) {
  for (int step = 0; step < kZoomStepCount; ++step) {
    const float f = ZoomFactor(step);
    const std::vector<LabelDraw> d = LayOutLabels({Entry(800 - 150, 300)}, 800, f, 12, kLabelsNames);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_LT(d[0].place.end_x, d[0].place.anchor_x) << step;
    const std::vector<LabelDraw> far = LayOutLabels({Entry(100, 300)}, 800, f, 12, kLabelsNames);
    EXPECT_GT(far[0].place.end_x, far[0].place.anchor_x - 1) << step;
  }
  // At 10 % a line to the right spans 1 pixel, one to the left 19.
  const std::vector<LabelDraw> right = LayOutLabels({Entry(100, 300)}, 800, 0.1f, 12, kLabelsNames);
  EXPECT_EQ(right[0].place.end_x - right[0].place.anchor_x, 1);
  const std::vector<LabelDraw> left = LayOutLabels({Entry(790, 300)}, 800, 0.1f, 12, kLabelsNames);
  EXPECT_EQ(left[0].place.anchor_x - left[0].place.end_x, 19);
}

TEST(Labels, NearTheTopTheLineGoesDown) {
  const std::vector<LabelDraw> d = LayOutLabels({Entry(100, 40), Entry(100, 45)}, 800, 1.0f, 12, kLabelsNames);
  EXPECT_GT(d[0].place.end_y, d[0].place.anchor_y);
  EXPECT_LT(d[1].place.end_y, d[1].place.anchor_y);
}

TEST(Labels, ClippedToTheCanvasArea) {
  EXPECT_EQ(LabelClip({420, 340}), (ClipBox{10, 30, 410, 330}));
  EXPECT_EQ(LabelClip({21, 41}), (ClipBox{10, 30, 11, 31}));
}

TEST(Labels, NamesChoiceRebuildsFirstThenWritesTheChosenCaptions) {
  EXPECT_EQ(NamesChoiceCommands(0), (std::vector<int>{CMD_REFRESH_CANVAS_WINDOW}));
  EXPECT_EQ(NamesChoiceCommands(1), (std::vector<int>{CMD_REFRESH_CANVAS_WINDOW, CMD_NAMES_TO_CANVAS_WINDOW}));
  EXPECT_EQ(NamesChoiceCommands(2), (std::vector<int>{CMD_REFRESH_CANVAS_WINDOW, CMD_FILE_NAMES_TO_CANVAS_WINDOW}));
}

// ---------------------------------------------------------------------------

TEST(Description, TypeAndOriginTexts) {
  EXPECT_STREQ(GrowthTypeText(0), "拡散型");
  EXPECT_STREQ(GrowthTypeText(1), "上昇型");
  EXPECT_STREQ(GrowthTypeText(2), "");
  EXPECT_STREQ(GrowthTypeText(-1), "");
  EXPECT_STREQ(OriginText(0), "原種");
  EXPECT_STREQ(OriginText(1), "変異種");
  EXPECT_STREQ(OriginText(7), "変異種");
}

TEST(Description, ATreeAt10By20ShowsTheStripFromTheOrigin) {
  EXPECT_EQ(DescriptionStrip(10, 20, 300, {800, 600}), (StripRect{0, 0, 300, 200}));
}

TEST(Description, StripIsCentredOnTheTreeAndCutAtTheCanvasEdges) {
  EXPECT_EQ(DescriptionStrip(400, 300, 300, {800, 600}), (StripRect{250, 200, 300, 200}));
  EXPECT_EQ(DescriptionStrip(790, 590, 300, {800, 600}), (StripRect{640, 490, 160, 110}));
  EXPECT_EQ(DescriptionStrip(100, 50, 300, {200, 150}), (StripRect{0, 0, 200, 150}));
  EXPECT_EQ(DescriptionStrip(900, 50, 300, {200, 150}), (StripRect{750, 0, 0, 150}));
}

}  // namespace
}  // namespace sylvane
