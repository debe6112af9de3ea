// The fast brush paths against the reference ones: builds from cached shapes
// against cell-by-cell builds, with and without the vector code, and blends
// with and without it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/random.h"
#include "canvas/image/surface.h"
#include "paint/brush.h"

namespace sylvane {
namespace {

// Restores the default paths when a test ends, also on failure.
struct PathGuard {
  ~PathGuard() {
    SetBrushShapeCache(true);
    SetBrushVectorCode(true);
  }
};

struct Built {
  std::vector<uint32_t> bits;  // the cells' bit patterns (tells +0 from -0)
  uint32_t state_after = 0;
  int32_t type = 0;
};

Built BuildWith(bool shapes, bool vector, uint32_t seed, int type, int w, int h, int strength, int edge,
                int density) {
  SetBrushShapeCache(shapes);
  SetBrushVectorCode(vector);
  SeedRandom(seed);
  BrushPattern p;
  p.Build(type, w, h, strength, edge, density);
  Built b;
  b.state_after = RandomState();
  b.type = p.type;
  b.bits.resize(p.cells.cells.size());
  if (!b.bits.empty()) std::memcpy(b.bits.data(), p.cells.cells.data(), b.bits.size() * sizeof(float));
  return b;
}

TEST(BrushPaths, CachedShapesBuildTheReferenceCellsWithTheSameDraws) {
  PathGuard guard;
  struct Size {
    int w, h;
  };
  // Odd, flat, tall and square sizes; 70 x 70 is above the cached size.
  const Size sizes[] = {{1, 1}, {2, 3}, {7, 5}, {8, 8}, {13, 9}, {3, 17}, {70, 70}};
  const int levels[][2] = {{150, 100}, {255, 0}, {-40, 300}, {90, 255}};
  const int densities[] = {0, 37, 90, 100, 130, -5};
  int checked = 0;
  for (int type = -1; type <= 27; ++type) {
    for (const Size& size : sizes) {
      const int (&level)[2] = levels[(type + size.w) & 3];
      const int density = densities[(type + size.h) % 6 < 0 ? 0 : (type + size.h) % 6];
      // Several seeds, so that the choosing types pick each of their shapes.
      for (uint32_t seed : {1u, 77u, 4242u, 90001u}) {
        SCOPED_TRACE(testing::Message() << "type " << type << " " << size.w << "x" << size.h << " seed " << seed);
        const Built reference = BuildWith(false, false, seed, type, size.w, size.h, level[0], level[1], density);
        for (bool vector : {false, true}) {
          const Built fast = BuildWith(true, vector, seed, type, size.w, size.h, level[0], level[1], density);
          ASSERT_EQ(fast.state_after, reference.state_after);
          ASSERT_EQ(fast.type, reference.type);
          ASSERT_EQ(fast.bits, reference.bits);
          ++checked;
        }
      }
    }
  }
  EXPECT_EQ(checked, 29 * 7 * 4 * 2);
}

TEST(BrushPaths, TypeFourNegatesTheSameRowsAsTheReference) {
  PathGuard guard;
  // Enough rows that some are negated (7 % of them) and some cells lie
  // outside the disc (left +0, never -0).
  bool negated = false;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const Built reference = BuildWith(false, false, seed, 4, 9, 12, 200, 50, 100);
    const Built fast = BuildWith(true, true, seed, 4, 9, 12, 200, 50, 100);
    ASSERT_EQ(fast.bits, reference.bits) << seed;
    ASSERT_EQ(fast.state_after, reference.state_after) << seed;
    for (uint32_t b : fast.bits) negated = negated || (b >> 31) != 0;
  }
  EXPECT_TRUE(negated);
}

TEST(BrushPaths, ShapesStayCorrectWhenThePenChangesItsBrush) {
  PathGuard guard;
  // The same pattern object rebuilt with alternating sizes and levels reuses
  // its storage and the shape of the previous build must not leak in.
  const int params[][6] = {{1, 8, 8, 150, 100, 90}, {1, 8, 8, 151, 100, 90}, {2, 8, 8, 150, 100, 90},
                           {1, 8, 6, 150, 100, 90}, {1, 8, 8, 150, 101, 90}, {1, 8, 8, 150, 100, 91}};
  BrushPattern fast, reference;
  SeedRandom(5);
  const uint32_t start = RandomState();
  uint32_t state = start;
  for (int round = 0; round < 3; ++round) {
    for (const auto& p : params) {
      SetBrushShapeCache(false);
      SetRandomState(state);
      reference.Build(p[0], p[1], p[2], p[3], p[4], p[5]);
      const uint32_t after = RandomState();
      SetBrushShapeCache(true);
      SetRandomState(state);
      fast.Build(p[0], p[1], p[2], p[3], p[4], p[5]);
      ASSERT_EQ(RandomState(), after);
      ASSERT_EQ(fast.cells.cells, reference.cells.cells);
      state = after;
    }
  }
}

// A tree layer and weight plane with every byte different.
struct Layers {
  Surface trees;
  AlphaPlane weight;
  Layers(int w, int h) {
    trees.CreateFilled(w, h, 0);
    weight.CreateFilled(w, h, 255);
    for (size_t i = 0; i < trees.pixels.size(); ++i) trees.pixels[i] = uint8_t(i * 37 + i / 11);
    for (size_t i = 0; i < weight.bytes.size(); ++i) weight.bytes[i] = uint8_t(i * 53 + 7);
  }
};

TEST(BrushPaths, VectorBlendsGiveThePortableBytes) {
  PathGuard guard;
  // Signed types (4, 13, 15), values above one (type 6 with a strong edge),
  // the disc; dabs that wrap at every edge and one wider than the canvas.
  const int types[] = {1, 4, 6, 13, 15, 0};
  const int positions[][2] = {{0, 0}, {30, 20}, {36, 1}, {-5, 44}, {1000003, -999}};
  for (int type : types) {
    for (int size : {5, 8, 45}) {
      SeedRandom(uint32_t(type * 100 + size));
      BrushPattern p;
      p.Build(type, size, size + 1, 240, type == 6 ? 400 : 80, 85);
      for (const auto& at : positions) {
        for (int v = 0; v < kBrushVariants; ++v) {
          Layers portable(37, 23), vector(37, 23);
          SetBrushVectorCode(false);
          BlendBrushVariant(p, v, at[0], at[1], 250, 3, 128, portable.trees, portable.weight);
          SetBrushVectorCode(true);
          BlendBrushVariant(p, v, at[0], at[1], 250, 3, 128, vector.trees, vector.weight);
          ASSERT_EQ(vector.trees.pixels, portable.trees.pixels) << type << " " << size << " " << v;
          ASSERT_EQ(vector.weight.bytes, portable.weight.bytes) << type << " " << size << " " << v;
        }
      }
    }
  }
}

TEST(BrushPaths, VectorBlendClampsLikeThePortableOne) {
  PathGuard guard;
  // Values that take the blend below 0, above 255, to infinity and to NaN.
  const float values[] = {-3.0f, -0.001f, 0.5f, 1.0f, 1.7f, 1e30f, INFINITY, -INFINITY, NAN};
  for (float value : values) {
    BrushPattern p;
    p.Build(1, 3, 3, 100, 100, 100);
    for (float& c : p.cells.cells) c = value;
    Layers portable(5, 4), vector(5, 4);
    SetBrushVectorCode(false);
    BlendBrushVariant(p, 2, 1, 1, 0, 255, 17, portable.trees, portable.weight);
    SetBrushVectorCode(true);
    BlendBrushVariant(p, 2, 1, 1, 0, 255, 17, vector.trees, vector.weight);
    EXPECT_EQ(vector.trees.pixels, portable.trees.pixels) << value;
    EXPECT_EQ(vector.weight.bytes, portable.weight.bytes) << value;
  }
}

}  // namespace
}  // namespace sylvane
