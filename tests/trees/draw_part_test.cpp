// Drawing a part sprite: the unshrunk, unrotated case pixel by pixel, the
// mirror, wrapping at the canvas edges, transparent sprites and the draws.
#include <gtest/gtest.h>

#include <cstdint>

#include <functional>

#include "base/random.h"
#include "canvas/image/luma_hue.h"
#include "trees/draw_part.h"
#include "trees/part_data.h"

namespace sylvane {
namespace {

struct Layers {
  Surface trees;
  AlphaPlane weight;
  Layers(int w, int h, uint8_t fill = 0) {
    trees.CreateFilled(w, h, fill);
    weight.CreateFilled(w, h, 255);
  }
  uint8_t& Weight(int x, int y) { return weight.bytes[size_t(weight.height - 1 - y) * size_t(weight.width) + size_t(x)]; }
};

// A w x h sprite; pixel (c, r) from the top has colour f(c, r) and alpha a(c, r).
PartImage Sprite(int w, int h, int root_x, int root_y, const std::function<uint32_t(int, int)>& colour,
                 const std::function<uint8_t(int, int)>& alpha) {
  PartImage p;
  p.surface.CreateFilled(w, h, 0);
  p.alpha.CreateFilled(w, h, 0);
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      const uint32_t rgb = colour(c, r);
      uint8_t* px = p.surface.PixelAt(c, r);
      px[0] = uint8_t(rgb);
      px[1] = uint8_t(rgb >> 8);
      px[2] = uint8_t(rgb >> 16);
      p.alpha.BufferRow(h - 1 - r)[c] = alpha(c, r);
    }
  }
  p.params[kParamRootX] = root_x;
  p.params[kParamRootY] = root_y;
  return p;
}

// A seed whose first draws give no shrink (two draws % 30 == 0) and no angle
// jitter (the fourth draw % 15 == 0).
uint32_t SeedWithoutShrinkOrJitter(uint32_t start = 0) {
  for (uint32_t seed = start;; ++seed) {
    SeedRandom(seed);
    const int a = Rand() % 30, b = Rand() % 30;
    Rand();
    const int j = Rand() % 15;
    if (a == 0 && b == 0 && j == 0) return seed;
  }
}

void ExpectBlend(Layers& canvas, int X, int Y, const uint8_t bgr[3], int alpha, const uint8_t before[3],
                 int weight_before) {
  const LumaHue lh = LumaHueForward(bgr[2], bgr[1], bgr[0]);
  int red, green, blue;
  LumaHueInverse(lh, red, green, blue);
  const uint8_t* t = canvas.trees.PixelAt(X, Y);
  EXPECT_EQ(t[0], (alpha * blue + before[0] * (255 - alpha)) / 255) << X << "," << Y;
  EXPECT_EQ(t[1], (alpha * green + before[1] * (255 - alpha)) / 255) << X << "," << Y;
  EXPECT_EQ(t[2], (alpha * red + before[2] * (255 - alpha)) / 255) << X << "," << Y;
  EXPECT_EQ(canvas.Weight(X, Y), (255 - alpha) * weight_before / 255) << X << "," << Y;
}

uint32_t TestColour(int c, int r) { return uint32_t(0x201000 + c * 0x0A1430 + r * 0x300A05); }
uint8_t TestAlpha(int c, int r) { return uint8_t((c + r) % 3 == 0 ? 0 : (c * 50 + r * 30) % 256); }

TEST(DrawPart, UnshrunkUnrotatedSpriteLandsOnItsRootLessOneColumnAndRow) {
  const int w = 6, h = 5, rx = 2, ry = 3;
  const PartImage part = Sprite(w, h, rx, ry, TestColour, TestAlpha);
  Layers canvas(20, 16, 40);
  const int x = 9, y = 8;
  SeedRandom(SeedWithoutShrinkOrJitter());
  DrawPart(canvas.trees, canvas.weight, part, x, y, 0, 90);
  const uint8_t before[3] = {40, 40, 40};
  int drawn = 0;
  for (int Y = 0; Y < 16; ++Y) {
    for (int X = 0; X < 20; ++X) {
      const int c = X - x + rx;      // sprite column
      const int r = Y - y + ry;      // sprite row from the top
      // The rotated sprite is (w - 1) x (h - 1): the top row and right column are cut.
      const bool inside = c >= 0 && c < w - 1 && r >= 1 && r < h;
      const int alpha = inside ? TestAlpha(c, r) : 0;
      if (alpha == 0) {
        EXPECT_EQ(canvas.trees.PixelAt(X, Y)[0], 40) << X << "," << Y;
        EXPECT_EQ(canvas.Weight(X, Y), 255) << X << "," << Y;
        continue;
      }
      const uint32_t rgb = TestColour(c, r);
      const uint8_t bgr[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)};
      ExpectBlend(canvas, X, Y, bgr, alpha, before, 255);
      ++drawn;
    }
  }
  EXPECT_GT(drawn, 8);
}

TEST(DrawPart, NegativeAngleDrawsTheSpriteMirrored) {
  // Part angle -180 at heading 270 rotates by 0 but mirrors: column c comes
  // from column w - 1 - c and the pivot moves to w - root x.
  const int w = 6, h = 5, rx = 1, ry = 3;
  const PartImage part = Sprite(w, h, rx, ry, TestColour, TestAlpha);
  Layers canvas(20, 16, 0);
  const int x = 9, y = 8;
  SeedRandom(SeedWithoutShrinkOrJitter());
  DrawPart(canvas.trees, canvas.weight, part, x, y, -180, 270);
  const uint8_t before[3] = {0, 0, 0};
  const int mrx = w - rx;
  for (int Y = 0; Y < 16; ++Y) {
    for (int X = 0; X < 20; ++X) {
      const int j = X - x + mrx;  // column of the mirrored sprite
      const int r = Y - y + ry;
      const bool inside = j >= 0 && j < w - 1 && r >= 1 && r < h;
      const int c = w - 1 - j;
      const int alpha = inside ? TestAlpha(c, r) : 0;
      if (alpha == 0) {
        EXPECT_EQ(canvas.Weight(X, Y), 255) << X << "," << Y;
        continue;
      }
      const uint32_t rgb = TestColour(c, r);
      const uint8_t bgr[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)};
      ExpectBlend(canvas, X, Y, bgr, alpha, before, 255);
    }
  }
}

TEST(DrawPart, ASpriteNearTheEdgeContinuesOnTheOppositeEdge) {
  const PartImage part = Sprite(4, 4, 1, 1, [](int, int) { return 0xFFFFFFu; }, [](int, int) { return uint8_t(255); });
  Layers canvas(10, 10, 0);
  SeedRandom(SeedWithoutShrinkOrJitter());
  DrawPart(canvas.trees, canvas.weight, part, 0, 9, 0, 90);
  // Columns -1..1 and rows 9..11 (top rows 1..3 of the sprite): wraps to column 9 and rows 0, 1.
  for (int Y : {9, 0, 1}) {
    for (int X : {9, 0, 1}) EXPECT_EQ(canvas.Weight(X, Y), 0) << X << "," << Y;
  }
  int covered = 0;
  for (uint8_t b : canvas.weight.bytes) covered += b == 0;
  EXPECT_EQ(covered, 9);
}

TEST(DrawPart, TransparentSpriteChangesNothingButDrawsAsUsual) {
  PartImage part = Sprite(7, 9, 3, 8, TestColour, [](int, int) { return uint8_t(0); });
  Layers canvas(30, 30, 17);
  const Surface before = canvas.trees;
  for (uint32_t seed = 1; seed < 40; ++seed) {
    SeedRandom(seed);
    for (int i = 0; i < 4; ++i) Rand();
    const uint32_t after_four = RandomState();
    SeedRandom(seed);
    DrawPart(canvas.trees, canvas.weight, part, 15, 15, int(seed) * 37 - 700, int(seed) * 11);
    EXPECT_EQ(RandomState(), after_four);
  }
  EXPECT_EQ(canvas.trees.pixels, before.pixels);
  for (uint8_t b : canvas.weight.bytes) EXPECT_EQ(b, 255);
}

TEST(DrawPart, ColourRangesDrawMagnitudeThenSign) {
  PartImage part = Sprite(5, 5, 2, 2, TestColour, TestAlpha);
  part.params[kParamLumaRange] = 5;
  part.params[kParamChromaRange] = 3;
  Layers canvas(30, 30);
  SeedRandom(11);
  for (int i = 0; i < 8; ++i) Rand();
  const uint32_t after_eight = RandomState();
  SeedRandom(11);
  DrawPart(canvas.trees, canvas.weight, part, 15, 15, 10, 90);
  EXPECT_EQ(RandomState(), after_eight);
}

TEST(DrawPart, LumaOffsetBrightensEveryDrawnPixel) {
  const PartImage plain = Sprite(4, 4, 1, 1, [](int, int) { return 0x404040u; }, [](int, int) { return uint8_t(255); });
  PartImage bright = plain;
  bright.params[kParamLumaOffset] = 100;
  Layers a(12, 12), b(12, 12);
  const uint32_t seed = SeedWithoutShrinkOrJitter();
  SeedRandom(seed);
  DrawPart(a.trees, a.weight, plain, 6, 6, 0, 90);
  SeedRandom(seed);
  DrawPart(b.trees, b.weight, bright, 6, 6, 0, 90);
  EXPECT_EQ(a.trees.PixelAt(6, 6)[0], 0x40);  // grey passes unchanged
  EXPECT_EQ(b.trees.PixelAt(6, 6)[0], 0x40 + 100);
  EXPECT_EQ(b.trees.PixelAt(6, 6)[2], 0x40 + 100);
}

TEST(DrawPart, AZeroAngleIsMirroredWhenTheJitterTurnsItNegative) {
  // Red on the left half, blue on the right, root at the bottom centre: a
  // mirrored draw shows red right of the pen.
  const int w = 20, h = 10;
  const PartImage part = Sprite(w, h, w / 2, h - 1, [](int c, int) { return c < 10 ? 0xFF0000u : 0x0000FFu; },
                                [](int, int) { return uint8_t(255); });
  int mirrored = 0;
  for (uint32_t seed = 0; seed < 120; ++seed) {
    SeedRandom(seed);
    Rand();
    Rand();
    const bool negative_sign = (Rand() & 1) == 0;
    const bool expect_mirror = negative_sign && Rand() % 15 != 0;
    Layers canvas(60, 60);
    SeedRandom(seed);
    DrawPart(canvas.trees, canvas.weight, part, 30, 40, 0, 90);
    int red_right = 0, red_left = 0;
    for (int Y = 30; Y < 40; ++Y) {
      for (int X = 20; X < 40; ++X) {
        const uint8_t* p = canvas.trees.PixelAt(X, Y);
        if (p[2] > 200 && p[0] < 50) (X >= 30 ? red_right : red_left) += 1;
      }
    }
    EXPECT_EQ(red_right > red_left, expect_mirror) << seed;
    mirrored += expect_mirror;
  }
  EXPECT_GT(mirrored, 35);
  EXPECT_LT(mirrored, 85);
}

TEST(DrawPart, EmptyPartAndEmptyCanvasAreHarmless) {
  PartImage empty;
  Layers canvas(8, 8);
  SeedRandom(1);
  EXPECT_EQ(DrawPart(canvas.trees, canvas.weight, empty, 3, 3, 0, 90), 0);
  for (uint8_t b : canvas.weight.bytes) EXPECT_EQ(b, 255);
  Surface no_layer;
  AlphaPlane no_weight;
  const PartImage part = Sprite(4, 4, 1, 1, TestColour, TestAlpha);
  EXPECT_EQ(DrawPart(no_layer, no_weight, part, 3, 3, 0, 90), 0);
}

TEST(DrawPart, RootsAtTheEndsOfTheIntegerRangeOnlyMoveTheSprite) {
  // Roots a tree file may carry: no overflow (the sanitizers would stop the
  // test), the same draws as any sprite, and paint somewhere on the canvas.
  const int32_t extremes[][2] = {{INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX}, {INT32_MIN, INT32_MIN},
                                 {INT32_MAX, INT32_MAX}};
  for (const auto& root : extremes) {
    for (int angle : {0, -30, 45}) {
      Layers canvas(16, 12);
      const PartImage part = Sprite(5, 4, root[0], root[1], TestColour, [](int, int) { return uint8_t(255); });
      SeedRandom(3);
      const uint32_t start = RandomState();
      EXPECT_EQ(DrawPart(canvas.trees, canvas.weight, part, 7, 5, angle, 90), 0);
      const uint32_t after_extreme = RandomState();
      Layers plain(16, 12);
      const PartImage centred = Sprite(5, 4, 2, 2, TestColour, [](int, int) { return uint8_t(255); });
      SetRandomState(start);
      DrawPart(plain.trees, plain.weight, centred, 7, 5, angle, 90);
      EXPECT_EQ(after_extreme, RandomState());
      // On the wrapping canvas a moved sprite covers as many pixels.
      int painted = 0, painted_plain = 0;
      for (uint8_t w : canvas.weight.bytes) painted += w != 255;
      for (uint8_t w : plain.weight.bytes) painted_plain += w != 255;
      EXPECT_EQ(painted, painted_plain) << root[0] << "," << root[1] << " at " << angle;
      if (angle != 0) {
        EXPECT_GT(painted, 0);
      }
    }
  }
}

TEST(DrawPart, APartWithoutAlphaPlaneIsOpaque) {
  PartImage part = Sprite(3, 3, 1, 1, [](int, int) { return 0x808080u; }, [](int, int) { return uint8_t(0); });
  part.alpha.Clear();
  Layers canvas(9, 9);
  SeedRandom(SeedWithoutShrinkOrJitter());
  DrawPart(canvas.trees, canvas.weight, part, 4, 4, 0, 90);
  EXPECT_EQ(canvas.Weight(4, 4), 0);
  EXPECT_EQ(canvas.trees.PixelAt(4, 4)[1], 0x80);
}

}  // namespace
}  // namespace sylvane
