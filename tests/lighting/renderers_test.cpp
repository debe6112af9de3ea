// Every fast renderer against the per-pixel reference, on canvases of odd
// sizes, with fixed seeds, on one thread and split over several.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "base/random.h"
#include "paint/lighting.h"
#include "paint/renderer_gain_kernels.h"
#include "paint/renderer_kernels.h"
#include "paint/renderers.h"
#include "reference_lighting.h"
#include "test_layers.h"

namespace sylvane {
namespace {

using testing::Coverage;
using testing::MakeLayers;
using testing::TestLayers;

// Index of the first differing byte, or -1.
long FirstDifference(const Surface& a, const Surface& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return -2;
  for (int r = 0; r < a.height; ++r) {
    const uint8_t* pa = a.BufferRow(r);
    const uint8_t* pb = b.BufferRow(r);
    for (int i = 0; i < a.width * 3; ++i) {
      if (pa[i] != pb[i]) return long(r) * a.stride + i;
    }
  }
  return -1;
}

struct Case {
  int w;
  int h;
  uint32_t salt;
  Coverage coverage;
};

class ThreadsGuard {
 public:
  explicit ThreadsGuard(int n) { SetLightingThreads(n); }
  ~ThreadsGuard() { SetLightingThreads(0); }
};

void CheckAgainstReference(int renderer, const Case& c, int threads, uint32_t seed) {
  SCOPED_TRACE("renderer " + std::to_string(renderer) + " size " + std::to_string(c.w) + "x" +
               std::to_string(c.h) + " threads " + std::to_string(threads) + " seed " + std::to_string(seed));
  TestLayers l = MakeLayers(c.w, c.h, c.salt, c.coverage);
  ThreadsGuard guard(threads);
  Surface fast;
  SeedRandom(seed);
  ASSERT_EQ(RenderLayers(renderer, l.background, l.trees, l.weight, fast), kRenderOk);
  const uint32_t fast_state = RandomState();
  Surface ref;
  SeedRandom(seed);
  reference::Render(renderer, l.background, l.trees, l.weight, ref);
  EXPECT_EQ(FirstDifference(fast, ref), -1);
  EXPECT_EQ(fast_state, RandomState()) << "the render drew a different count of random numbers";
  EXPECT_EQ(fast.stride, StrideFor(c.w));
  EXPECT_EQ(fast.info.width, c.w);
  EXPECT_EQ(fast.info.height, c.h);
}

TEST(Renderers, EveryRendererMatchesTheReferenceOnOddSizes) {
  const Case cases[] = {
      {37, 23, 1, Coverage::kMixed},
      {101, 67, 2, Coverage::kMixed},
      {1, 1, 3, Coverage::kFull},
      {2, 9, 4, Coverage::kFull},
      {13, 1, 5, Coverage::kMixed},
  };
  for (int renderer = 0; renderer < kRendererCount; ++renderer) {
    for (const Case& c : cases) CheckAgainstReference(renderer, c, 1, 12345);
  }
}

// The baseline and the vector forms of the row code give the same bytes.
TEST(Renderers, EveryFormOfTheRowCodeMatchesTheReference) {
  const Case cases[] = {{101, 67, 2, Coverage::kMixed}, {300, 131, 17, Coverage::kFull}, {1163, 29, 19, Coverage::kFull}};
  for (renderers::RowCode code : {renderers::RowCode::kBaseline, renderers::RowCode::kVector,
                                  renderers::RowCode::kWide, renderers::RowCode::kWideBytePermutes}) {
    SCOPED_TRACE(code == renderers::RowCode::kBaseline ? "baseline"
                 : code == renderers::RowCode::kVector ? "vector"
                 : code == renderers::RowCode::kWide   ? "wide"
                                                       : "wide with byte permutes");
    renderers::SelectRowCode(code);
    for (int renderer = 0; renderer < kRendererCount; ++renderer) {
      for (const Case& c : cases) CheckAgainstReference(renderer, c, 2, 4321);
    }
  }
  renderers::SelectRowCode(renderers::RowCode::kAuto);
}

// Without quarter tables (a canvas too large for them) every light's values
// are worked out along the row: every form of the row code gives the
// reference's bytes then too, the ones that read tables only falling back.
TEST(Renderers, LightsWithoutTablesGiveTheSameBytesInEveryForm) {
  const Case c{203, 19, 23, Coverage::kMixed};
  const TestLayers l = MakeLayers(c.w, c.h, c.salt, c.coverage);
  const renderers::Layers layers{&l.background, &l.trees, &l.weight};
  for (renderers::RowCode code : {renderers::RowCode::kBaseline, renderers::RowCode::kVector,
                                  renderers::RowCode::kWide, renderers::RowCode::kWideBytePermutes}) {
    renderers::SelectRowCode(code);
    for (int renderer = 1; renderer < kRendererCount; ++renderer) {
      SCOPED_TRACE("renderer " + std::to_string(renderer) + " form " + std::to_string(int(code)));
      Surface ref;
      SeedRandom(808);
      reference::Render(renderer, l.background, l.trees, l.weight, ref);
      SeedRandom(808);
      renderers::RenderPlan plan;
      renderers::PlanRender(renderer, c.w, c.h, plan);
      for (renderers::QuarterTable& q : plan.quarters) q = renderers::QuarterTable();
      Surface out;
      ASSERT_TRUE(out.Create(c.w, c.h));
      renderers::RowScratch scratch;
      scratch.Reserve(c.w);
      for (int32_t yb = 0; yb < c.h; ++yb) renderers::RenderRow(plan, layers, yb, scratch, out.BufferRow(yb));
      EXPECT_EQ(FirstDifference(out, ref), -1);
    }
  }
  renderers::SelectRowCode(renderers::RowCode::kAuto);
}

TEST(Renderers, SplitOverThreadsGivesTheSameBytes) {
  const Case c{101, 67, 7, Coverage::kFull};
  for (int renderer = 0; renderer < kRendererCount; ++renderer) {
    CheckAgainstReference(renderer, c, 3, 777);
    CheckAgainstReference(renderer, c, 2, 31);
  }
}

TEST(Renderers, RandomRenderersFollowTheSeed) {
  const Case c{53, 41, 9, Coverage::kMixed};
  for (int renderer : {10, 18, 19, 23, 24, 25, 26, 27}) {
    for (uint32_t seed : {0u, 1u, 2024u, 0xFFFFFFFFu}) CheckAgainstReference(renderer, c, 2, seed);
  }
}

// The lattice and dot renderers repeat every 64, 128 and 256 pixels: a canvas
// larger than one period shows every line and cell; distances reach far
// beyond every radius.
TEST(Renderers, LargerCanvasCoversEveryPeriodAndFarDistances) {
  const Case c{300, 270, 11, Coverage::kMixed};
  for (int renderer = 0; renderer < kRendererCount; ++renderer) CheckAgainstReference(renderer, c, 0, 99);
}

// Rows wider than one span of the row code (256 or 512 columns), the last span
// short and odd: lights lie left of, inside and right of every span.
TEST(Renderers, WideRowsSplitIntoSpans) {
  const Case c{1163, 29, 19, Coverage::kFull};
  for (int renderer = 0; renderer < kRendererCount; ++renderer) CheckAgainstReference(renderer, c, 2, 606);
}

TEST(Renderers, NoTreePaintAndFullPaint) {
  for (Coverage coverage : {Coverage::kNone, Coverage::kFull}) {
    const Case c{45, 31, 13, coverage};
    for (int renderer = 0; renderer < kRendererCount; ++renderer) CheckAgainstReference(renderer, c, 1, 5);
  }
}

TEST(Renderers, SpotValuesAreTruncated) {
  // k at the centre, k / sqrt(2) at distance r (truncated), slow fall-off beyond.
  EXPECT_EQ(renderers::SpotValue(0, 80, 400), 400);
  EXPECT_EQ(renderers::SpotValue(80, 80, 400), 282);  // 400 / 1.41421... = 282.84
  EXPECT_EQ(renderers::SpotValue(50, 50, 255), 180);  // 180.31
  EXPECT_EQ(renderers::SpotValue(1000, 50, 200), 9);   // 9.98
  EXPECT_EQ(renderers::SpotValue(0, 8, 350), 350);
}

TEST(Renderers, SpotRowMatchesPerPixelDistances) {
  renderers::SpotTable table;
  table.radius = 60;
  table.strength = 400;
  for (int d = 0; d < 400; ++d) table.by_distance.push_back(renderers::SpotValue(d, 60, 400));
  std::vector<int32_t> row(200);
  for (int lx : {0, 57, 199, -20, 230}) {
    for (int yb : {0, 3, 77, 150}) {
      renderers::SpotRow(table, lx, 40, yb, 200, row.data());
      for (int x = 0; x < 200; ++x) {
        const double dx = x - lx;
        const double dy = yb - 40;
        const int d = int(std::sqrt(dx * dx + dy * dy));
        ASSERT_EQ(row[size_t(x)], table.by_distance[size_t(d)]) << "light " << lx << " row " << yb << " x " << x;
      }
    }
  }
}

TEST(Renderers, AdvancingTheGeneratorEqualsDrawing) {
  for (uint64_t steps : {0ull, 1ull, 2ull, 3ull, 1000ull, 99999ull}) {
    SeedRandom(4242);
    for (uint64_t i = 0; i < steps; ++i) Rand();
    EXPECT_EQ(renderers::AdvanceRandomState(4242, steps), RandomState()) << steps;
  }
}

}  // namespace
}  // namespace sylvane

namespace sylvane {
namespace {

TEST(RendererKernels, DivisionsWithoutDividing) {
  for (uint32_t x = 0; x <= 65534; ++x) ASSERT_EQ(renderers::kernels::Div255(x), x / 255) << x;
  // Exhaustive up to 2^24, then a stride through the whole range used.
  for (uint32_t x = 0; x < (1u << 24); ++x) ASSERT_EQ(renderers::kernels::DivBy255(x), x / 255) << x;
  for (uint32_t x = 1u << 24; x < (1u << 31) - 1000; x += 997) {
    ASSERT_EQ(renderers::kernels::DivBy255(x), x / 255) << x;
    ASSERT_EQ(renderers::kernels::DivBy65025(x), x / 65025) << x;
  }
  for (uint32_t x = 0; x < (1u << 24); x += 3) ASSERT_EQ(renderers::kernels::DivBy65025(x), x / 65025) << x;
  EXPECT_EQ(renderers::kernels::DivBy255((1u << 31) - 1), ((1u << 31) - 1) / 255);
}

}  // namespace
}  // namespace sylvane

namespace sylvane {
namespace {

TEST(RendererKernels, SixteenBitDivisionsWithoutDividing) {
  for (uint32_t v = 0; v <= 0xFFFF; ++v) ASSERT_EQ(renderers::kernels::Div255x16(uint16_t(v)), v / 255) << v;
  // Every (255 - M) * L and every colour number.
  for (uint32_t k = 0; k < 256; ++k) {
    for (uint32_t u = 0; u <= 0xFFFF; ++u) {
      ASSERT_EQ(renderers::kernels::ScaleBy65025x16(uint16_t(u), uint16_t(k)), u * k / 65025) << u << " " << k;
    }
  }
}

// The 16-bit forms of the gain renderers' arithmetic over every input their
// renderers give them.
TEST(RendererKernels, SixteenBitGainsWithoutDividing) {
  using namespace renderers::kernels;
  // Renderer 17: 100/255 of the sum of two spot values up to 400 (and beyond).
  for (uint32_t s = 0; s <= 1500; ++s) ASSERT_EQ(Hundredth255x16(uint16_t(s)), s * 100 / 255) << s;
  // Renderer 24: a number 128..255 times a spot value up to 500.
  for (uint32_t v = 0; v < (1u << 17) - 1; ++v) {
    ASSERT_EQ(Div255Halves(uint16_t(v >> 16), uint16_t(v)), v / 255) << v;
  }
  // Renderer 19: sums below 2^18 (and beyond) by their 16-bit halves.
  for (uint32_t v = 0; v < (1u << 18) + (1u << 16); ++v) {
    ASSERT_EQ(Div255Wide(uint16_t(v >> 16), uint16_t(v)), v / 255) << v;
  }
  for (uint32_t c : {0u, 1u, 128u, 254u, 255u}) {
    for (uint32_t v = 0; v <= 1000; ++v) {
      for (uint32_t add : {0u, 1u, 254u, 16000u, 50000u, 65535u}) {
        ASSERT_EQ(MulAddDiv255(uint16_t(c), uint16_t(v), uint16_t(add)), (c * v + add) / 255) << c << " " << v;
      }
    }
  }
  // Renderer 18: c * w / 255 by the multiplier ceil(c 2^32 / 255), every c
  // below 255 (255 takes w itself) and every 16-bit w.
  for (uint32_t c = 0; c < 255; ++c) {
    const uint64_t m = ((uint64_t(c) << 32) + 254) / 255;
    for (uint32_t w = 0; w <= 0xFFFF; ++w) {
      ASSERT_EQ(MulShift32(uint16_t(w), uint16_t(m >> 16), uint16_t(m & 0xFFFF)), c * w / 255) << c << " " << w;
    }
  }
  // F3 per channel byte: every gain up to 2048 with every P = B * M and a
  // spread of T, then larger gains on a coarser grid.
  for (uint32_t g = 0; g < 65536; g += g < 2048 ? 1 : 127) {
    for (uint32_t p = 0; p <= 65025; p += g < 2048 ? 13 : 1) {
      for (uint32_t t : {0u, 1u, 77u, 128u, 254u, 255u}) {
        const uint64_t v = std::min<uint64_t>(255, uint64_t(g) * p / 65025 + uint64_t(g) * t / 255);
        ASSERT_EQ(WholeByte(uint16_t(g), uint16_t(p), uint16_t(t)), v) << g << " " << p << " " << t;
      }
    }
  }
}

// Renderer 18 takes a colour number of 255 through its own path: seeds that
// draw one, in each channel.
TEST(Renderers, LatticeOneWithAFullColourNumber) {
  const Case c{263, 70, 23, Coverage::kFull};
  bool found[3] = {false, false, false};
  for (uint32_t seed = 0; seed < 20000 && !(found[0] && found[1] && found[2]); ++seed) {
    SeedRandom(seed);
    renderers::RenderPlan plan;
    renderers::PlanRender(18, c.w, c.h, plan);
    for (int ch = 0; ch < 3; ++ch) {
      if (plan.colour_numbers[ch] != 255 || found[ch]) continue;
      found[ch] = true;
      CheckAgainstReference(18, c, 1, seed);
    }
  }
  EXPECT_TRUE(found[0] && found[1] && found[2]);
}

// Quarter tables on a canvas far larger than the radii, where the values
// hold over long runs of columns: every entry against its own square root.
TEST(Renderers, QuarterTablesHoldTheSpotValueOfEveryOffset) {
  for (int renderer : {2, 8, 14, 17, 24, 27}) {
    SCOPED_TRACE(renderer);
    SeedRandom(99);
    renderers::RenderPlan plan;
    renderers::PlanRender(renderer, 2500, 1400, plan);
    renderers::BuildQuarterRows(plan, 0, renderers::QuarterRowCount(plan));
    int built = 0;
    for (size_t t = 0; t < plan.quarters.size(); ++t) {
      const renderers::QuarterTable& q = plan.quarters[t];
      if (!q.built()) continue;
      ++built;
      const std::vector<int32_t>& by_distance = plan.tables[t].by_distance;
      for (int32_t dy = 0; dy < q.rows; dy += dy < 40 ? 1 : 37) {
        for (int32_t dx = 0; dx < q.columns; ++dx) {
          const auto d = size_t(std::sqrt(double(dx) * dx + double(dy) * dy));
          ASSERT_EQ(q.At(dy, dx), by_distance[d]) << "table " << t << " dy " << dy << " dx " << dx;
          ASSERT_EQ(q.At(dy, -dx), by_distance[d]) << "table " << t << " dy " << dy << " dx " << -dx;
        }
      }
    }
    EXPECT_GT(built, 0);
    renderers::RecycleRenderStorage(plan, true);
  }
}

// The dimmed tree colour as multiply, shift and exceptions equals the
// truncated double products of every renderer that dims.
TEST(Renderers, DimMultipliersReproduceTheDoubleProducts) {
  int with_exceptions = 0;
  for (int renderer = 0; renderer < kRendererCount; ++renderer) {
    renderers::RenderPlan plan;
    SeedRandom(1);
    renderers::PlanRender(renderer, 64, 48, plan);
    if (plan.formula != renderers::Formula::kDimLights && plan.formula != renderers::Formula::kDimAddAll) continue;
    ASSERT_TRUE(plan.dim_exact) << renderer;
    for (int c = 0; c < 3; ++c) {
      with_exceptions += plan.dim_exceptions[c][0] != 256;
      for (uint32_t t = 0; t < 256; ++t) {
        ASSERT_EQ(renderers::kernels::DimOf(t, plan.dim_multiplier[c], plan.dim_exceptions[c]), plan.dim[c][t])
            << renderer << " " << c << " " << t;
      }
    }
  }
  EXPECT_GT(with_exceptions, 0);  // 0.7 needs them
}

}  // namespace
}  // namespace sylvane

namespace sylvane {
namespace {

// A second render of the same lights on a canvas of the same size takes the
// first one's quarter tables as they are, and still matches the reference; a
// render of another size builds its own.
TEST(Renderers, QuarterTablesOfAFinishedRenderServeTheNextOne) {
  const Case c{211, 97, 21, Coverage::kFull};
  CheckAgainstReference(8, c, 1, 3);
  renderers::RenderPlan plan;
  renderers::PlanRender(8, c.w, c.h, plan);
  EXPECT_EQ(renderers::QuarterRowCount(plan), 0) << "the tables should come with their values";
  renderers::RecycleRenderStorage(plan, false);
  CheckAgainstReference(8, c, 1, 3);
  renderers::PlanRender(8, c.w + 1, c.h, plan);
  EXPECT_GT(renderers::QuarterRowCount(plan), 0);
  renderers::RecycleRenderStorage(plan, false);  // nothing built: no values kept
  renderers::PlanRender(8, c.w + 1, c.h, plan);
  EXPECT_GT(renderers::QuarterRowCount(plan), 0);
  renderers::RecycleRenderStorage(plan, false);
  CheckAgainstReference(8, Case{c.w + 1, c.h, 22, Coverage::kMixed}, 2, 4);
}

}  // namespace
}  // namespace sylvane

namespace sylvane {
namespace {

// A light placed at random has a table covering every offset of the canvas:
// the next render places it elsewhere and takes that table as it is (with
// the values the first render built), and still matches the reference.
TEST(Renderers, MovingLightsTakeTheTablesOfTheLastRender) {
  const Case c{233, 89, 25, Coverage::kFull};
  for (int renderer : {10, 19, 24, 27}) {
    SCOPED_TRACE(renderer);
    CheckAgainstReference(renderer, c, 1, 11);
    SeedRandom(12);
    renderers::RenderPlan plan;
    renderers::PlanRender(renderer, c.w, c.h, plan);
    EXPECT_EQ(renderers::QuarterRowCount(plan), 0) << "the tables should come with their values";
    renderers::RecycleRenderStorage(plan, true);
    CheckAgainstReference(renderer, c, 2, 12);
  }
}

}  // namespace
}  // namespace sylvane
