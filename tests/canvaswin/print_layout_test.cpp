#include "ui/print_layout.h"

#include <gtest/gtest.h>

namespace sylvane {
namespace {

struct Box {
  bool print;
  int x, y, w, h;
};

Box Place(int type, bool centre, float f1, float f2, int pw, int ph, int page_w, int page_h, float dpi_x = 600.0f,
          float dpi_y = 600.0f) {
  PrintPlacement p = PlacePrint(type, centre, f1, f2, pw, ph, page_w, page_h, dpi_x, dpi_y);
  return Box{p.print, p.x, p.y, p.width, p.height};
}

void ExpectBox(const Box& b, bool print, int x, int y, int w, int h) {
  EXPECT_EQ(b.print, print);
  EXPECT_EQ(b.x, x);
  EXPECT_EQ(b.y, y);
  EXPECT_EQ(b.w, w);
  EXPECT_EQ(b.h, h);
}

TEST(PrintPageHeight, FromMillimetresAndVerticalDpi) {
  PrintPage page;
  page.height_mm = 277;
  page.dpi_y = 600.0f;
  EXPECT_EQ(PrintPageHeight(page), 6543);  // 277 x 600 x 0.03937008 = 6543.31
  page.height_mm = 190;
  page.dpi_y = 96.0f;
  EXPECT_EQ(PrintPageHeight(page), 718);   // 718.11
}

TEST(PrintFit, AWideCanvasIsScaledToThePageWidth) {
  // 1000 x 500 on a page 4800 wide: scaled by 4.8 to 4800 x 2400.
  ExpectBox(Place(kPrintFit, false, 0, 0, 1000, 500, 4800, 6000), true, 0, 0, 4800, 2400);
}

TEST(PrintFit, KeepsTheAspectWhenThePageIsFlatterThanTheCanvas) {
  // Scaling 1000 x 500 to the width would be 2400 high; the page is 2000.
  ExpectBox(Place(kPrintFit, false, 0, 0, 1000, 500, 4800, 2000), true, 0, 0, 4000, 2000);
  ExpectBox(Place(kPrintFit, false, 0, 0, 1000, 900, 4800, 3000), true, 0, 0, 3333, 3000);
}

TEST(PrintFit, ASquareCanvasUsesTheShorterSideOfThePage) {
  ExpectBox(Place(kPrintFit, false, 0, 0, 700, 700, 4800, 3000), true, 0, 0, 3000, 3000);  // landscape: height
  ExpectBox(Place(kPrintFit, false, 0, 0, 700, 700, 3000, 4800), true, 0, 0, 3000, 3000);  // portrait: width
}

TEST(PrintFit, CentredOnThePage) {
  ExpectBox(Place(kPrintFit, true, 0, 0, 1000, 500, 4800, 3000), true, 0, 300, 4800, 2400);
  ExpectBox(Place(kPrintFit, true, 0, 0, 700, 700, 4800, 3000), true, 900, 0, 3000, 3000);
}

TEST(PrintFill, WholePageWhateverTheCentreFlag) {
  ExpectBox(Place(kPrintFill, false, 0, 0, 1000, 500, 4800, 6000), true, 0, 0, 4800, 6000);
  ExpectBox(Place(kPrintFill, true, 0, 0, 1000, 500, 4800, 6000), true, 0, 0, 4800, 6000);
}

TEST(PrintFactors, ScaledEachWayAndLimitedToThePage) {
  ExpectBox(Place(kPrintFactors, false, 1.5f, 2.0f, 800, 600, 4800, 6000), true, 0, 0, 1200, 1200);
  ExpectBox(Place(kPrintFactors, false, 1.5f, 2.0f, 800, 600, 1000, 6000), true, 0, 0, 1000, 1200);
  ExpectBox(Place(kPrintFactors, true, 1.0f, 1.0f, 1000, 500, 4800, 3000), true, 1900, 1250, 1000, 500);
  ExpectBox(Place(kPrintFactors, false, 1e30f, 1e30f, 800, 600, 4800, 6000), true, 0, 0, 4800, 6000);
}

TEST(PrintMillimetres, ConvertedWithTheDeviceResolution) {
  // 100 mm at 600 dpi = 2362.2, 50 mm = 1181.1.
  ExpectBox(Place(kPrintMillimetres, false, 100.0f, 50.0f, 800, 600, 4800, 6000), true, 0, 0, 2362, 1181);
  // A printer of 1200 x 600 dpi: each direction with its own resolution.
  ExpectBox(Place(kPrintMillimetres, false, 100.0f, 50.0f, 800, 600, 9600, 6000, 1200.0f, 600.0f), true, 0, 0, 4724,
            1181);
  ExpectBox(Place(kPrintMillimetres, false, 1000.0f, 50.0f, 800, 600, 4800, 6000), true, 0, 0, 4800, 1181);
}

TEST(PrintMillimetres, ZeroOrNegativeSizesPrintNothing) {
  EXPECT_FALSE(Place(kPrintMillimetres, false, -100.0f, 50.0f, 800, 600, 4800, 6000).print);
  EXPECT_FALSE(Place(kPrintMillimetres, false, 100.0f, 0.0f, 800, 600, 4800, 6000).print);
  EXPECT_FALSE(Place(kPrintFactors, false, 0.0f, 1.0f, 800, 600, 4800, 6000).print);
}

TEST(PrintOther, UnknownTypeOrEmptyPicturePrintsNothing) {
  EXPECT_FALSE(Place(0, false, 1, 1, 800, 600, 4800, 6000).print);
  EXPECT_FALSE(Place(5, true, 1, 1, 800, 600, 4800, 6000).print);
  EXPECT_FALSE(Place(kPrintFit, false, 1, 1, 0, 600, 4800, 6000).print);
}

TEST(PrintCentre, OffsetsBelowOneBecomeZero) {
  // (4800 - 4799) x 0.5 = 0.5: truncated to 0.
  ExpectBox(Place(kPrintFactors, true, 1.0f, 1.0f, 4799, 5999, 4800, 6000), true, 0, 0, 4799, 5999);
  ExpectBox(Place(kPrintFactors, true, 1.0f, 1.0f, 4798, 5997, 4800, 6000), true, 1, 1, 4798, 5997);
}

TEST(AspectKeeper, WidthSetsTheHeight) {
  EXPECT_EQ(HeightForWidth(300, 800, 400), 150);
  // 800 / 600 as a 32-bit float is 1.3333334: 300 / 1.3333334 = 224.99999.
  EXPECT_EQ(HeightForWidth(300, 800, 600), 224);
  EXPECT_EQ(HeightForWidth(0, 800, 600), 0);
  EXPECT_EQ(HeightForWidth(800, 800, 600), 599);
}

TEST(AspectKeeper, HeightSetsTheWidth) {
  EXPECT_EQ(WidthForHeight(150, 800, 400), 300);
  EXPECT_EQ(WidthForHeight(225, 800, 600), 300);
  EXPECT_EQ(WidthForHeight(7, 800, 600), 9);
  EXPECT_EQ(WidthForHeight(100, 800, 0), 0);
  EXPECT_EQ(HeightForWidth(100, 800, 0), 0);
}

}  // namespace
}  // namespace sylvane
