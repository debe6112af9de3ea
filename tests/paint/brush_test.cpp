#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"
#include "canvas/image/surface.h"
#include "paint/brush.h"

namespace sylvane {
namespace {

constexpr double kInv = double(1.5378700e-5f);

// Number of draws that lead from state `from` to state `to` (-1 beyond a million).
long DrawsBetween(uint32_t from, uint32_t to) {
  SetRandomState(from);
  for (long n = 0; n <= 1000000; ++n) {
    if (RandomState() == to) return n;
    Rand();
  }
  return -1;
}

// Builds with seed and returns the number of draws the build made.
long BuildCountingDraws(BrushPattern& p, uint32_t seed, int type, int w, int h, int s, int e, int d) {
  SeedRandom(seed);
  p.Build(type, w, h, s, e, d);
  uint32_t after = RandomState();
  return DrawsBetween(seed, after);
}

int NonZeroCells(const BrushPattern& p, int v) {
  int n = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) n += p.Value(v, x, y) != 0.0f;
  return n;
}

TEST(BrushPattern, StoresItsParametersAndSixStackedVariants) {
  BrushPattern p;
  SeedRandom(3);
  p.Build(1, 5, 4, 150, 100, 90);
  EXPECT_EQ(p.type, 1);
  EXPECT_EQ(p.width, 5);
  EXPECT_EQ(p.height, 4);
  EXPECT_EQ(p.area, 20);
  EXPECT_EQ(p.strength, 150);
  EXPECT_EQ(p.edge, 100);
  EXPECT_EQ(p.density, 90);
  EXPECT_EQ(p.cells.columns, 5);
  EXPECT_EQ(p.cells.rows, 24);
  EXPECT_EQ(p.Value(2, 3, 1), p.cells.At(3, 2 * 4 + 1));
  EXPECT_EQ(p.Value(6, 0, 0), 0.0f);
  EXPECT_EQ(p.Value(0, 5, 0), 0.0f);
  EXPECT_EQ(p.Value(0, 0, -1), 0.0f);
}

TEST(BrushPattern, OneByOneOfAnyTypeIsTypeZeroAtTheEdgeLevel) {
  for (int type = -1; type <= 27; ++type) {
    BrushPattern p;
    long draws = BuildCountingDraws(p, 77, type, 1, 1, 200, 60, 100);
    EXPECT_EQ(p.type, 0) << type;
    EXPECT_EQ(draws, 6) << "one density draw per variant and no type choice, type " << type;
    for (int v = 0; v < kBrushVariants; ++v)
      EXPECT_NEAR(p.Value(v, 0, 0), 60.0 * 200.0 / 65025.0, 1e-6) << type;
  }
}

TEST(BrushPattern, TwoByTwoDiscMarksOnlyTheCentreCell) {
  BrushPattern p;
  SeedRandom(5);
  p.Build(1, 2, 2, 100, 30, 100);
  const float centre = static_cast<float>(255.0 * 100.0 * kInv);
  for (int v = 0; v < kBrushVariants; ++v) {
    EXPECT_EQ(p.Value(v, 1, 1), centre);
    EXPECT_NEAR(p.Value(v, 1, 1), 100.0 / 255.0, 1e-6);
    EXPECT_EQ(p.Value(v, 0, 0), 0.0f);
    EXPECT_EQ(p.Value(v, 1, 0), 0.0f);
    EXPECT_EQ(p.Value(v, 0, 1), 0.0f);
  }
}

TEST(BrushPattern, DensityZeroLeavesEveryCellEmptyButStillDraws) {
  for (int type = 0; type < kBrushTypes; ++type) {
    if (type == 5) continue;  // draws inside its diamond only
    BrushPattern p;
    long draws = BuildCountingDraws(p, 11, type, 7, 6, 200, 50, 0);
    long expected = 6 * 7 * 6 + (type == 4 ? 6 * 6 : 0) + (type >= 22 ? 1 : 0);
    EXPECT_EQ(draws, expected) << type;
    for (int v = 0; v < kBrushVariants; ++v) EXPECT_EQ(NonZeroCells(p, v), 0) << type;
  }
}

TEST(BrushPattern, DiscWithFullDensityMatchesTheFallOff) {
  BrushPattern p;
  SeedRandom(9);
  p.Build(1, 8, 6, 180, 40, 100);
  const double r = static_cast<float>(3.0);
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        double dist = std::sqrt((y - 3.0) * (y - 3.0) + (x - 4.0) * (x - 4.0));
        float expected = dist < r ? static_cast<float>(((40 - 255) / r * dist + 255) * 180 * kInv) : 0.0f;
        EXPECT_EQ(p.Value(v, x, y), expected) << v << " " << x << " " << y;
      }
    }
  }
}

TEST(BrushPattern, DensityDecidesCellByCellInDrawOrder) {
  // Replay the draws: every cell of every variant takes one draw, row by row;
  // a cell of type 0 has a value exactly when its draw % 100 < density.
  BrushPattern p;
  SeedRandom(1234);
  p.Build(0, 4, 3, 255, 100, 50);  // edge above 0: no cell is 0 by its value
  SeedRandom(1234);
  for (int v = 0; v < kBrushVariants; ++v)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        bool passes = Rand() % 100 < 50;
        EXPECT_EQ(p.Value(v, x, y) != 0.0f, passes) << v << " " << x << " " << y;
      }
}

TEST(BrushPattern, SameSeedSameVariantsOtherSeedOthers) {
  BrushPattern a, b, c;
  SeedRandom(42);
  a.Build(6, 9, 9, 200, 20, 60);
  SeedRandom(42);
  b.Build(6, 9, 9, 200, 20, 60);
  SeedRandom(43);
  c.Build(6, 9, 9, 200, 20, 60);
  EXPECT_EQ(a.cells.cells, b.cells.cells);
  EXPECT_NE(a.cells.cells, c.cells.cells);
}

TEST(BrushPattern, TypeSevenOnASquareMarksOnlyTheCorners) {
  BrushPattern p;
  SeedRandom(8);
  p.Build(7, 8, 8, 200, 10, 100);
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        double dist = std::sqrt((y - 4.0) * (y - 4.0) + (x - 4.0) * (x - 4.0));
        EXPECT_EQ(p.Value(v, x, y) != 0.0f, dist > 4.0) << x << " " << y;
      }
    }
    EXPECT_NE(p.Value(v, 0, 0), 0.0f);
    EXPECT_NE(p.Value(v, 7, 0), 0.0f);
    EXPECT_NE(p.Value(v, 0, 7), 0.0f);
    EXPECT_EQ(p.Value(v, 4, 4), 0.0f);
    EXPECT_EQ(p.Value(v, 0, 4), 0.0f);  // distance exactly 4: on the circle, not outside
    // Rim level 255 beyond the circle: trunc(d / R * 255 + edge) exceeds 254.
    EXPECT_EQ(p.Value(v, 0, 0), static_cast<float>(255.0 * 200 * kInv));
  }
}

TEST(BrushPattern, TypeSixIsBrightestAtTheRim) {
  BrushPattern p;
  SeedRandom(8);
  p.Build(6, 10, 10, 255, 0, 100);
  // Centre: d = 0 -> level trunc(0 + edge) = 0, so the centre cell stays 0.
  EXPECT_EQ(p.Value(0, 5, 5), 0.0f);
  // d = 3 -> trunc(3 / 5 * 255) = 153.
  EXPECT_EQ(p.Value(0, 5, 2), static_cast<float>(153.0 * 255 * kInv));
  EXPECT_GT(p.Value(0, 5, 1), p.Value(0, 5, 2));
}

TEST(BrushPattern, TypeTwelveOnATallPatternTurnsNegativeAtTopAndBottom) {
  BrushPattern p;
  SeedRandom(1);
  p.Build(12, 4, 20, 255, 0, 100);
  // R = 2; rows more than 2 from the middle fall below zero.
  for (int v = 0; v < kBrushVariants; ++v) {
    EXPECT_LT(p.Value(v, 0, 0), 0.0f);
    EXPECT_LT(p.Value(v, 3, 19), 0.0f);
    EXPECT_NEAR(p.Value(v, 1, 10), 1.0, 1e-5);
    EXPECT_NEAR(p.Value(v, 2, 0), (-255.0 / 2 * 10 + 255) * 255 / 65025.0, 1e-4);
    // Symmetric about the middle row.
    EXPECT_EQ(p.Value(v, 0, 9), p.Value(v, 0, 11));
  }
}

TEST(BrushPattern, TypeThirteenRisesAboveStrengthInTheLowerHalfOfItsBand) {
  BrushPattern p;
  SeedRandom(1);
  p.Build(13, 10, 10, 200, 100, 100);
  const float centre = static_cast<float>(255.0 * 200 * kInv);
  for (int v = 0; v < kBrushVariants; ++v) {
    // Band: trunc(3) < y < trunc(7): rows 4, 5, 6.
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(p.Value(v, x, 3), 0.0f);
      EXPECT_LT(p.Value(v, x, 4), centre);
      EXPECT_EQ(p.Value(v, x, 5), centre);
      EXPECT_GT(p.Value(v, x, 6), centre);
      EXPECT_EQ(p.Value(v, x, 7), 0.0f);
    }
  }
}

TEST(BrushPattern, TypeFifteenIsSignedAcrossColumns) {
  BrushPattern p;
  SeedRandom(1);
  p.Build(15, 10, 10, 200, 100, 100);
  const float centre = static_cast<float>(255.0 * 200 * kInv);
  EXPECT_LT(p.Value(0, 4, 5), centre);
  EXPECT_EQ(p.Value(0, 5, 5), centre);
  EXPECT_GT(p.Value(0, 6, 5), centre);
  EXPECT_EQ(p.Value(0, 5, 2), 0.0f);
}

TEST(BrushPattern, TypeFourNegatesWholeRowsWithOneDrawPerRow) {
  BrushPattern p;
  long draws = BuildCountingDraws(p, 2024, 4, 12, 12, 255, 0, 100);
  EXPECT_EQ(draws, 6 * 12 + 6 * 12 * 12);
  // Replay: a row is negative exactly when its first draw % 100 < 7.
  SeedRandom(2024);
  int negative_rows = 0;
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < 12; ++y) {
      bool negative = Rand() % 100 < 7;
      for (int x = 0; x < 12; ++x) Rand();
      negative_rows += negative;
      for (int x = 0; x < 12; ++x) {
        float value = p.Value(v, x, y);
        if (value != 0.0f) {
          EXPECT_EQ(value < 0.0f, negative) << v << " " << y;
        }
      }
    }
  }
  EXPECT_GT(negative_rows, 0) << "the seed was chosen to show negative rows";
}

TEST(BrushPattern, TypeFiveDrawsOnlyInsideItsDiamond) {
  BrushPattern p;
  long draws = BuildCountingDraws(p, 5, 5, 8, 8, 200, 50, 100);
  // Diamond of an 8 x 8 pattern: 4 - x < y < 12 - x and x - 4 < y < x + 4.
  int inside = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) inside += (4 - x < y && y < 12 - x && x - 4 < y && y < x + 4);
  EXPECT_EQ(draws, 6L * inside);
  EXPECT_EQ(NonZeroCells(p, 0), inside);
  EXPECT_EQ(p.Value(0, 0, 0), 0.0f);
  EXPECT_NE(p.Value(0, 4, 4), 0.0f);
}

TEST(BrushPattern, ChoosingTypesDrawOnceAndShareTheChoice) {
  // 23: r = rand() % 2, 1 builds the band along the other diagonal, 0 the main one.
  for (uint32_t seed = 1; seed < 12; ++seed) {
    SeedRandom(seed);
    int r = Rand() % 2;
    BrushPattern p;
    long draws = BuildCountingDraws(p, seed, 23, 9, 9, 200, 100, 100);
    EXPECT_EQ(draws, 1 + 6 * 81);
    EXPECT_EQ(p.type, 23) << "the stored type stays the choosing type";
    for (int v = 0; v < kBrushVariants; ++v) {
      if (r == 0) {
        EXPECT_NE(p.Value(v, 0, 0), 0.0f);  // on the main diagonal
        EXPECT_EQ(p.Value(v, 8, 0), 0.0f);
      } else {
        EXPECT_EQ(p.Value(v, 0, 0), 0.0f);
        EXPECT_NE(p.Value(v, 4, 5), 0.0f);  // on x + y = 9
      }
    }
  }
}

TEST(BrushPattern, UnknownTypesBuildTheDisc) {
  BrushPattern disc, odd;
  SeedRandom(6);
  disc.Build(1, 7, 7, 200, 50, 70);
  SeedRandom(6);
  odd.Build(99, 7, 7, 200, 50, 70);
  EXPECT_EQ(odd.type, 99);
  EXPECT_EQ(odd.cells.cells, disc.cells.cells);
}

TEST(BrushPattern, SizesThatAreNotPositiveGiveAnEmptyPatternWithoutDraws) {
  for (auto size : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-2, 3}, std::pair{3, -2},
                    std::pair{-4, -4}}) {
    BrushPattern p;
    long draws = BuildCountingDraws(p, 17, 1, size.first, size.second, 200, 50, 100);
    EXPECT_EQ(draws, 0);
    EXPECT_TRUE(p.cells.empty());
    EXPECT_EQ(p.width, size.first);
    EXPECT_EQ(p.height, size.second);
    EXPECT_EQ(p.Value(0, 0, 0), 0.0f);
  }
}

TEST(BrushPattern, HugeSizesStayEmpty) {
  BrushPattern p;
  long draws = BuildCountingDraws(p, 17, 1, 100000, 100000, 200, 50, 100);
  EXPECT_EQ(draws, 0);
  EXPECT_TRUE(p.cells.empty());
  EXPECT_EQ(p.area, 2147483647);
}

TEST(BrushPattern, RebuildDiscardsTheOldCells) {
  BrushPattern p;
  SeedRandom(1);
  p.Build(0, 6, 6, 255, 255, 100);
  p.Build(1, 2, 3, 255, 255, 100);
  EXPECT_EQ(p.cells.columns, 2);
  EXPECT_EQ(p.cells.rows, 18);
  p.Release();
  EXPECT_TRUE(p.cells.empty());
}

// A pattern with chosen values, for blending tests.
BrushPattern Fixed(int w, int h, float value) {
  BrushPattern p;
  p.width = w;
  p.height = h;
  p.cells.AllocateFilled(w, kBrushVariants * h, value);
  return p;
}

struct Layers {
  Surface trees;
  AlphaPlane weight;
  Layers(int w, int h) {
    trees.CreateFilled(w, h, 0);
    trees.RefreshHeaders();
    weight.CreateFilled(w, h, 255);
  }
  uint8_t& Weight(int x, int y) { return weight.BufferRow(weight.height - 1 - y)[x]; }
};

TEST(StampBrush, BlendsThePenColourAndTakesFromTheWeight) {
  Layers layers(6, 5);
  uint8_t* px = layers.trees.PixelAt(2, 2);
  px[0] = 10;  // blue
  px[1] = 20;  // green
  px[2] = 30;  // red
  layers.Weight(2, 2) = 201;
  BrushPattern p = Fixed(1, 1, 0.5f);
  BlendBrushVariant(p, 0, 2, 2, 200, 100, 50, layers.trees, layers.weight);
  EXPECT_EQ(px[0], 30);   // trunc(0.5 * 50 + 0.5 * 10)
  EXPECT_EQ(px[1], 60);   // trunc(0.5 * 100 + 0.5 * 20)
  EXPECT_EQ(px[2], 115);  // trunc(0.5 * 200 + 0.5 * 30)
  EXPECT_EQ(layers.Weight(2, 2), 100);  // trunc(0.5 * 201)
  // Nothing else changed.
  EXPECT_EQ(layers.trees.PixelAt(1, 2)[0], 0);
  EXPECT_EQ(layers.Weight(2, 1), 255);
}

TEST(StampBrush, CentresTheDabOnThePenAndCountsRowsFromTheTop) {
  Layers layers(10, 8);
  BrushPattern p = Fixed(3, 2, 0.0f);
  p.cells.At(0, 0) = 1.0f;  // variant 0, top-left cell
  BlendBrushVariant(p, 0, 5, 4, 255, 128, 64, layers.trees, layers.weight);
  // Column 5 + 0 - 1 = 4, row 4 + 0 - 1 = 3 from the top.
  const uint8_t* px = layers.trees.PixelAt(4, 3);
  EXPECT_EQ(px[0], 64);
  EXPECT_EQ(px[1], 128);
  EXPECT_EQ(px[2], 255);
  EXPECT_EQ(layers.Weight(4, 3), 0);
  EXPECT_EQ(layers.weight.bytes[(8 - 1 - 3) * 10 + 4], 0) << "the plane is stored bottom-up";
}

TEST(StampBrush, DabAtTheOriginWrapsToTheRightAndBottomEdges) {
  Layers layers(10, 8);
  BrushPattern p = Fixed(4, 4, 1.0f);
  BlendBrushVariant(p, 3, 0, 0, 255, 255, 255, layers.trees, layers.weight);
  // Columns -2..1 and rows -2..1: -2, -1 wrap to 8, 9 and 6, 7.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool covered = (x <= 1 || x >= 8) && (y <= 1 || y >= 6);
      EXPECT_EQ(layers.trees.PixelAt(x, y)[1], covered ? 255 : 0) << x << " " << y;
      EXPECT_EQ(layers.Weight(x, y), covered ? 0 : 255) << x << " " << y;
    }
  }
}

TEST(StampBrush, ValuesOutsideZeroToOneAreClamped) {
  Layers layers(4, 4);
  layers.trees.PixelAt(1, 1)[0] = 100;
  layers.Weight(1, 1) = 200;
  BrushPattern high = Fixed(1, 1, 2.0f);
  BlendBrushVariant(high, 0, 1, 1, 0, 0, 255, layers.trees, layers.weight);
  EXPECT_EQ(layers.trees.PixelAt(1, 1)[0], 255);  // 2 * 255 - 100 = 410
  EXPECT_EQ(layers.trees.PixelAt(1, 1)[1], 0);    // 2 * 0 - 0
  EXPECT_EQ(layers.Weight(1, 1), 0);              // -1 * 200
  layers.trees.PixelAt(2, 2)[0] = 100;
  layers.Weight(2, 2) = 200;
  BrushPattern negative = Fixed(1, 1, -1.0f);
  BlendBrushVariant(negative, 0, 2, 2, 0, 0, 255, layers.trees, layers.weight);
  EXPECT_EQ(layers.trees.PixelAt(2, 2)[0], 0);  // -255 + 200 = -55
  EXPECT_EQ(layers.Weight(2, 2), 255);          // 2 * 200 = 400
}

TEST(StampBrush, DabLargerThanTheCanvasStaysInsideTheLayers) {
  for (int px : {0, 3, -1000001, 999999}) {
    Layers layers(7, 5);
    // Mark the padding bytes at the row ends (stride 24 for 7 pixels).
    for (int r = 0; r < 5; ++r) layers.trees.BufferRow(r)[21] = layers.trees.BufferRow(r)[23] = 0xAB;
    BrushPattern p = Fixed(50, 40, 0.5f);
    BlendBrushVariant(p, 0, px, -px, 200, 200, 200, layers.trees, layers.weight);
    for (int r = 0; r < 5; ++r) {
      EXPECT_EQ(layers.trees.BufferRow(r)[21], 0xAB);
      EXPECT_EQ(layers.trees.BufferRow(r)[23], 0xAB);
    }
    // Each pixel was covered by many cells: weight halved every time, down to 0,
    // and the colour approached 200 from below.
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(layers.Weight(x, y), 0);
        EXPECT_GE(layers.trees.PixelAt(x, y)[0], 190);
        EXPECT_LE(layers.trees.PixelAt(x, y)[0], 200);
      }
  }
}

TEST(StampBrush, MismatchedOrEmptyLayersAreLeftAlone) {
  Layers layers(5, 5);
  AlphaPlane small;
  small.CreateFilled(4, 5, 255);
  BrushPattern p = Fixed(2, 2, 1.0f);
  BlendBrushVariant(p, 0, 2, 2, 255, 255, 255, layers.trees, small);
  for (uint8_t b : layers.trees.pixels) EXPECT_EQ(b, 0);
  Surface empty;
  AlphaPlane none;
  BlendBrushVariant(p, 0, 2, 2, 255, 255, 255, empty, none);  // must not crash
  BlendBrushVariant(p, 6, 2, 2, 255, 255, 255, layers.trees, layers.weight);  // no variant 6
  for (uint8_t b : layers.trees.pixels) EXPECT_EQ(b, 0);
}

TEST(StampBrush, RebuildsThenDrawsTheVariant) {
  BrushPattern stamped;
  stamped.Build(1, 6, 6, 220, 60, 80);
  Layers a(20, 20), b(20, 20);
  SeedRandom(99);
  StampBrush(stamped, 10, 10, 40, 160, 240, a.trees, a.weight);
  uint32_t after_stamp = RandomState();

  SeedRandom(99);
  BrushPattern manual;
  manual.Build(1, 6, 6, 220, 60, 80);
  int v = Rand() % kBrushVariants;
  BlendBrushVariant(manual, v, 10, 10, 40, 160, 240, b.trees, b.weight);
  EXPECT_EQ(RandomState(), after_stamp);
  EXPECT_EQ(a.trees.pixels, b.trees.pixels);
  EXPECT_EQ(a.weight.bytes, b.weight.bytes);
  EXPECT_EQ(stamped.cells.cells, manual.cells.cells);
  int changed = 0;
  for (uint8_t w : a.weight.bytes) changed += w != 255;
  EXPECT_GT(changed, 0);
}

TEST(StampBrush, EmptyPatternPaintsNothingButDrawsTheVariant) {
  BrushPattern p;
  p.Build(1, -3, 4, 200, 50, 100);
  Layers layers(5, 5);
  SeedRandom(4);
  StampBrush(p, 2, 2, 255, 255, 255, layers.trees, layers.weight);
  EXPECT_EQ(DrawsBetween(4, RandomState()), 1);
  for (uint8_t b : layers.trees.pixels) EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace sylvane
