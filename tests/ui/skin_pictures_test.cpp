#include "ui/skin_pictures.h"

#include <gtest/gtest.h>

#include <climits>

namespace sylvane {
namespace {

// A surface whose pixel (x, y) from the top holds blue = x, green = y, red = 100 + x + 10 * y.
Surface Numbered(int w, int h) {
  Surface s;
  s.CreateFilled(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = uint8_t(100 + x + 10 * y);
    }
  return s;
}

Surface Filled(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  Surface s;
  s.CreateFilled(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  return s;
}

TEST(CompositeOver, BlendsEachChannelByTheStateAlphaAndTruncates) {
  Surface back = Filled(3, 2, 10, 200, 0);
  Surface state = Filled(3, 2, 250, 0, 255);
  AlphaPlane alpha;
  alpha.CreateFilled(3, 2, 255);
  // Buffer row 1 is the top row of the picture.
  alpha.BufferRow(1)[0] = 0;
  alpha.BufferRow(1)[1] = 100;
  CompositeOver(state, alpha, back);
  // Alpha 0: the back pixel.
  EXPECT_EQ(state.PixelAt(0, 0)[0], 10);
  EXPECT_EQ(state.PixelAt(0, 0)[1], 200);
  EXPECT_EQ(state.PixelAt(0, 0)[2], 0);
  // Alpha 100: (155/255) * back + (100/255) * state = 104.117..., 121.568..., 100.0
  EXPECT_EQ(state.PixelAt(1, 0)[0], 104);
  EXPECT_EQ(state.PixelAt(1, 0)[1], 121);
  EXPECT_EQ(state.PixelAt(1, 0)[2], 100);
  // Alpha 255: the state pixel.
  EXPECT_EQ(state.PixelAt(2, 0)[0], 250);
  EXPECT_EQ(state.PixelAt(2, 1)[2], 255);
}

TEST(CompositeOver, ASmallerBackImageLeavesBlackUnderTheRest) {
  Surface back = Filled(1, 1, 200, 200, 200);
  Surface state = Filled(2, 2, 100, 100, 100);
  AlphaPlane alpha;
  alpha.CreateFilled(2, 2, 0);
  alpha.BufferRow(0)[1] = 255;  // bottom-right opaque
  CompositeOver(state, alpha, back);
  EXPECT_EQ(state.PixelAt(0, 0)[0], 200);  // over the back image
  EXPECT_EQ(state.PixelAt(1, 0)[0], 0);    // transparent, no back: black
  EXPECT_EQ(state.PixelAt(0, 1)[0], 0);
  EXPECT_EQ(state.PixelAt(1, 1)[0], 100);  // opaque
}

TEST(CompositeOver, NoAlphaPlaneMeansOpaque) {
  Surface back = Filled(2, 2, 1, 2, 3);
  Surface state = Numbered(2, 2);
  CompositeOver(state, AlphaPlane{}, back);
  EXPECT_EQ(state.pixels, Numbered(2, 2).pixels);
}

TEST(CutElementPicture, CopiesTheRectangleCountedFromTheTop) {
  Surface composite = Numbered(6, 5);
  Surface out;
  CutElementPicture(composite, {2, 1, 3, 2}, out);
  ASSERT_EQ(out.width, 3);
  ASSERT_EQ(out.height, 2);
  EXPECT_EQ(out.info.width, 3);  // headers refreshed
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(out.PixelAt(x, y)[0], 2 + x);
      EXPECT_EQ(out.PixelAt(x, y)[1], 1 + y);
      EXPECT_EQ(out.PixelAt(x, y)[2], 100 + (2 + x) + 10 * (1 + y));
    }
}

TEST(CutElementPicture, PixelsOutsideTheCompositeStayBlack) {
  Surface composite = Filled(4, 3, 9, 9, 9);
  Surface out;
  CutElementPicture(composite, {2, 1, 4, 4}, out);
  ASSERT_EQ(out.width, 4);
  ASSERT_EQ(out.height, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      bool inside = x < 2 && y < 2;
      EXPECT_EQ(out.PixelAt(x, y)[0], inside ? 9 : 0) << x << "," << y;
    }
  CutElementPicture(composite, {-1, -1, 2, 2}, out);
  EXPECT_EQ(out.PixelAt(0, 0)[0], 0);
  EXPECT_EQ(out.PixelAt(1, 0)[0], 0);
  EXPECT_EQ(out.PixelAt(0, 1)[0], 0);
  EXPECT_EQ(out.PixelAt(1, 1)[0], 9);
}

TEST(CutElementPicture, NoWidthGivesAnEmptyPicture) {
  Surface composite = Filled(4, 3, 9, 9, 9);
  Surface out = Filled(2, 2, 1, 1, 1);
  CutElementPicture(composite, {0, 0, 0, 5}, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(out.width, 0);
}

TEST(TilePicture, RepeatsTheSourceFromTheTopLeft) {
  Surface source = Numbered(2, 3);
  Surface out;
  TilePicture(source, 5, 7, out);
  ASSERT_EQ(out.width, 5);
  ASSERT_EQ(out.height, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(out.PixelAt(x, y)[0], x % 2);
      EXPECT_EQ(out.PixelAt(x, y)[1], y % 3);
    }
  TilePicture(Surface{}, 2, 2, out);
  EXPECT_EQ(out.PixelAt(1, 1)[2], 255);
}

TEST(MapPicture, AWideCanvasFillsTheWidthAndIsCentredVertically) {
  // Picture area 200 x 200; a canvas twice as wide as high.
  MapPicture p = FitCanvasInMap(210, 240, 400, 200);
  ASSERT_TRUE(p.valid);
  EXPECT_FLOAT_EQ(p.scale, 2.0f);
  EXPECT_EQ(p.width, 200);
  EXPECT_EQ(p.height, 100);
  EXPECT_EQ(p.left, 5);
  EXPECT_EQ(p.top, 80);
  EXPECT_EQ(p.right, 205);
  EXPECT_EQ(p.bottom, 180);
  // A click on the right edge lands close to the canvas width.
  EXPECT_TRUE(MapPictureContains(p, 204, 100));
  EXPECT_FALSE(MapPictureContains(p, 205, 100));
  EXPECT_FALSE(MapPictureContains(p, 100, 79));
  CanvasPoint c = MapPointToCanvas(p, 204, 179);
  EXPECT_EQ(c.x, 398);
  EXPECT_EQ(c.y, 198);
}

TEST(MapPicture, ATallCanvasFillsTheHeightAndIsCentredHorizontally) {
  MapPicture p = FitCanvasInMap(210, 240, 100, 400);
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.height, 200);
  EXPECT_EQ(p.width, 50);
  EXPECT_EQ(p.left, 80);
  EXPECT_EQ(p.top, 30);
}

TEST(MapPicture, DefaultMapWithADesktopSizedCanvasTruncates) {
  // 300 x 300 map: area 290 x 260; 600 x 500 is wider than the area's shape.
  MapPicture p = FitCanvasInMap(300, 300, 600, 500);
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.width, 290);
  EXPECT_FLOAT_EQ(p.scale, 600.0f / 290.0f);
  EXPECT_EQ(p.height, 241);
  EXPECT_EQ(p.left, 5);
  EXPECT_EQ(p.top, 39);
  CanvasPoint c = MapPointToCanvas(p, 5 + 145, 39 + 100);
  EXPECT_EQ(c.x, 300);
  EXPECT_EQ(c.y, 206);  // 100 * 2.0689654 = 206.9
}

TEST(MapPicture, NoRoomOrNoCanvasGivesNoPicture) {
  EXPECT_FALSE(FitCanvasInMap(10, 300, 600, 500).valid);
  EXPECT_FALSE(FitCanvasInMap(300, 40, 600, 500).valid);
  EXPECT_FALSE(FitCanvasInMap(300, 300, 0, 500).valid);
  // Stored map sizes come from the settings file: any value must be safe.
  EXPECT_FALSE(FitCanvasInMap(INT32_MIN, INT32_MIN, 600, 500).valid);
  MapPicture huge = FitCanvasInMap(INT32_MAX, INT32_MAX, 600, 500);
  EXPECT_TRUE(huge.valid);
  EXPECT_GE(huge.left, 5);
  MapPicture none = FitCanvasInMap(300, 300, 600, 0);
  EXPECT_FALSE(MapPictureContains(none, 100, 100));
}

TEST(MapPicture, BlendsTheCanvasAtTheOpacityInsideThePictureOnly) {
  Surface map = Filled(30, 60, 101, 0, 255);
  MapPicture p = FitCanvasInMap(30, 60, 20, 20);
  ASSERT_TRUE(p.valid);
  ASSERT_EQ(p.width, 20);
  ASSERT_EQ(p.height, 20);
  Surface canvas = Filled(20, 20, 203, 255, 0);
  BlendCanvasIntoMap(map, canvas, p, 0.8f);
  const uint8_t* in = map.PixelAt(p.left, p.top);
  EXPECT_EQ(in[0], 182);  // 101 * 0.2 + 203 * 0.8 = 182.6
  EXPECT_EQ(in[1], 204);  // 0 + 255 * 0.8 = 204.0000...
  EXPECT_EQ(in[2], 50);   // 255 * 0.2 = 50.99999... truncated
  const uint8_t* corner = map.PixelAt(p.right - 1, p.bottom - 1);
  EXPECT_EQ(corner[0], 182);
  const uint8_t* outside = map.PixelAt(p.left - 1, p.top);
  EXPECT_EQ(outside[0], 101);
  EXPECT_EQ(map.PixelAt(p.left, p.bottom)[0], 101);
  EXPECT_EQ(map.PixelAt(p.right, p.top)[0], 101);
}

TEST(MapPicture, OpacityOutsideZeroToOneIsClamped) {
  Surface map = Filled(30, 60, 100, 100, 100);
  MapPicture p = FitCanvasInMap(30, 60, 20, 20);
  Surface canvas = Filled(20, 20, 250, 250, 250);
  BlendCanvasIntoMap(map, canvas, p, 1.5f);
  EXPECT_EQ(map.PixelAt(p.left, p.top)[0], 250);
  Surface map2 = Filled(30, 60, 100, 100, 100);
  BlendCanvasIntoMap(map2, canvas, p, -1.0f);
  EXPECT_EQ(map2.PixelAt(p.left, p.top)[0], 100);
}

}  // namespace
}  // namespace sylvane
