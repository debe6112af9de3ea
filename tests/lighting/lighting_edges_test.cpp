// The renderers' documented behaviour, checked on hand-made layers.
#include <gtest/gtest.h>

#include <cstring>

#include "base/random.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "support/recording_platform.h"
#include "test_layers.h"

namespace sylvane {
namespace {

using testing::MakeLayers;
using testing::TestLayers;

// Uniform layers: background colour (blue, green, red), tree colour, weight.
TestLayers Uniform(int w, int h, uint8_t bb, uint8_t bg, uint8_t br, uint8_t t, uint8_t m) {
  TestLayers l;
  l.background.CreateFilled(w, h, 0);
  l.trees.CreateFilled(w, h, 0);
  l.weight.CreateFilled(w, h, m);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      uint8_t* b = l.background.BufferRow(r) + 3 * x;
      b[0] = bb;
      b[1] = bg;
      b[2] = br;
      uint8_t* tp = l.trees.BufferRow(r) + 3 * x;
      tp[0] = tp[1] = tp[2] = t;
    }
  }
  return l;
}

const uint8_t* At(const Surface& s, int x, int yb) { return s.BufferRow(yb) + 3 * x; }

Surface Render(int renderer, const TestLayers& l) {
  Surface out;
  EXPECT_EQ(RenderLayers(renderer, l.background, l.trees, l.weight, out), kRenderOk);
  return out;
}

TEST(LightingEdges, ModeZeroWithoutTreesReproducesTheBackground) {
  TestLayers l = MakeLayers(61, 29, 3, testing::Coverage::kNone);
  Surface out;
  ASSERT_EQ(RenderWithMode(0, l.background, l.trees, l.weight, out), kRenderOk);
  for (int r = 0; r < 29; ++r) {
    ASSERT_EQ(0, std::memcmp(out.BufferRow(r), l.background.BufferRow(r), 61 * 3)) << r;
  }
}

TEST(LightingEdges, PlainIsBackgroundTimesWeightPlusTrees) {
  TestLayers l = Uniform(3, 2, 200, 100, 7, 30, 128);
  Surface out = Render(0, l);
  // 200 * 128 / 255 = 100.39, 100 * 128 / 255 = 50.19, 7 * 128 / 255 = 3.51
  EXPECT_EQ(At(out, 1, 1)[0], 100 + 30);
  EXPECT_EQ(At(out, 1, 1)[1], 50 + 30);
  EXPECT_EQ(At(out, 1, 1)[2], 3 + 30);
  Surface composed;
  ASSERT_TRUE(ComposePlain(l.background, l.trees, l.weight, composed));
  EXPECT_EQ(composed.pixels, out.pixels);
}

TEST(LightingEdges, SpotlightCentreClampsTheTreesAndKeepsTheBackground) {
  // Renderer 21: G = 400 at (W/2, H/2).
  TestLayers l = Uniform(41, 21, 90, 60, 30, 200, 0);
  Surface out = Render(21, l);
  const uint8_t* centre = At(out, 20, 10);
  EXPECT_EQ(centre[0], 255);  // 200 * 400 / 255 = 313 -> 255
  EXPECT_EQ(centre[1], 255);
  EXPECT_EQ(centre[2], 255);
  TestLayers bare = Uniform(41, 21, 90, 60, 30, 0, 255);
  Surface bare_out = Render(21, bare);
  EXPECT_EQ(bare_out.pixels, Render(0, bare).pixels);
  EXPECT_EQ(At(bare_out, 20, 10)[0], 90);
  EXPECT_EQ(At(bare_out, 20, 10)[2], 30);
}

TEST(LightingEdges, SpotlightGainAtOneRadius) {
  // Tree pixel with T = 100, M = 0 at distance 80 from the centre of
  // renderer 21: G = trunc(80 / sqrt(2 * 80^2) * 400) = 282, out = 100 * 282 / 255 = 110.
  TestLayers l = Uniform(201, 11, 0, 0, 0, 100, 0);
  Surface out = Render(21, l);
  EXPECT_EQ(At(out, 100 + 80, 5)[0], 110);
  EXPECT_EQ(At(out, 100 - 80, 5)[1], 110);
}

TEST(LightingEdges, BareBackgroundIsUntouchedByTheDimmedLights) {
  TestLayers bare = MakeLayers(97, 61, 21, testing::Coverage::kNone);
  for (int renderer : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}) {
    Surface out = Render(renderer, bare);
    EXPECT_EQ(out.pixels, bare.background.pixels) << renderer;
  }
}

TEST(LightingEdges, RendererSixBrightensTheBareBackgroundNearItsLights) {
  TestLayers bare = Uniform(200, 100, 10, 10, 10, 0, 255);
  Surface out = Render(6, bare);
  // Next to the white centre light (W/2, H/2) = (100, 50), spot(50, 150) = 150:
  // each channel + trunc(150 * 255 / 255) = 160 plus the other eight lights.
  const uint8_t* centre = At(out, 100, 50);
  for (int c = 0; c < 3; ++c) EXPECT_GE(centre[c], 160) << c;
  // No pixel gets darker than the bare background.
  for (size_t i = 0; i < out.pixels.size(); ++i) ASSERT_GE(out.pixels[i], bare.background.pixels[i]) << i;
}

TEST(LightingEdges, WholePictureRenderersDarkenFarAndBrightenNear) {
  TestLayers bare = Uniform(1000, 800, 120, 120, 120, 0, 255);
  struct Probe {
    int renderer;
    int near_x, near_y, far_x, far_y;
  };
  const Probe probes[] = {
      {28, 500, 400, 0, 0},      // centre
      {29, 500, 80, 0, 799},     // bottom (H/10)
      {30, 500, 720, 0, 0},      // top (9H/10)
      {31, 250, 200, 0, 799},    // four inner points
      {32, 100, 80, 500, 400},   // four corners
  };
  for (const Probe& p : probes) {
    Surface out = Render(p.renderer, bare);
    EXPECT_GT(At(out, p.near_x, p.near_y)[0], 120) << p.renderer;
    EXPECT_LT(At(out, p.far_x, p.far_y)[0], 120) << p.renderer;
  }
  // Renderer 28 at its centre: G = 400: 400 * 120 * 255 / 65025 = 188.
  EXPECT_EQ(At(Render(28, bare), 500, 400)[1], 188);
}

TEST(LightingEdges, PopDotsHaveGain351AtTheirCentres) {
  TestLayers l = Uniform(70, 40, 0, 0, 0, 100, 0);
  Surface out = Render(22, l);
  // G = trunc(350 * 256 / 255) = 351; 100 * 351 / 255 = 137.6.
  EXPECT_EQ(At(out, 16, 16)[0], 137);
  EXPECT_EQ(At(out, 48, 16)[1], 137);
  // At the cell corner (0, 0): d = trunc(sqrt(512)) = 22, s = trunc(8 / sqrt(548) * 350) = 119,
  // G = 119 * 256 / 255 = 119; 100 * 119 / 255 = 46.
  EXPECT_EQ(At(out, 0, 0)[2], 46);
}

TEST(LightingEdges, LatticeLinesAreBlack) {
  TestLayers l = Uniform(300, 300, 200, 200, 200, 0, 255);
  Surface one = Render(18, l);
  EXPECT_EQ(At(one, 0, 10)[0], 0);
  EXPECT_EQ(At(one, 17, 10)[0], 0);
  EXPECT_EQ(At(one, 5, 67)[1], 0);   // yb mod 64 = 3
  EXPECT_EQ(At(one, 5, 68)[1], 200);  // first row after the line, bare background
  Surface two = Render(19, l);
  EXPECT_EQ(At(two, 8, 50)[0], 0);     // x mod 256 <= 8
  EXPECT_EQ(At(two, 130, 50)[0], 0);   // x mod 128 <= 2
  EXPECT_EQ(At(two, 131, 50)[0], 200);
  EXPECT_EQ(At(two, 50, 264)[2], 0);   // yb mod 256 <= 8
  EXPECT_EQ(At(two, 50, 265)[2], 200);
}

TEST(LightingEdges, UpperLightShinesFromBelow) {
  TestLayers l = Uniform(100, 400, 0, 0, 0, 100, 0);
  Surface up = Render(14, l);
  Surface down = Render(15, l);
  EXPECT_GT(At(up, 50, 40)[0], At(up, 50, 360)[0]);
  EXPECT_GT(At(down, 50, 360)[0], At(down, 50, 40)[0]);
}

TEST(LightingEdges, FiveColoursPutRedTopLeftAndGreenTopRight) {
  TestLayers l = Uniform(1000, 500, 0, 0, 0, 0, 0);
  Surface out = Render(7, l);
  const uint8_t* top_left = At(out, 100, 450);
  const uint8_t* top_right = At(out, 900, 450);
  EXPECT_GT(top_left[2], top_left[1] + 100);
  EXPECT_GT(top_right[1], top_right[2] + 100);
  // A fully painted pixel at the green light: 255 * 200 * 255 / 65025 = 200
  // from it, plus the far lights' share.
  EXPECT_GE(top_right[1], 200);
}

TEST(LightingEdges, EmptyCanvasGivesAnEmptyPictureAndDrawsNoPosition) {
  Surface empty_surface;
  AlphaPlane empty_plane;
  Surface out;
  out.CreateFilled(5, 5, 9);
  SeedRandom(3);
  const uint32_t before = RandomState();
  for (int renderer : {10, 24, 25, 26, 27}) {
    EXPECT_EQ(RenderLayers(renderer, empty_surface, empty_surface, empty_plane, out), kRenderOk);
    EXPECT_TRUE(out.empty());
  }
  EXPECT_EQ(RandomState(), before);
}

TEST(LightingEdges, LayersOfDifferentSizesAreRefused) {
  TestLayers l = MakeLayers(10, 8, 1);
  AlphaPlane small;
  small.CreateFilled(10, 7, 255);
  Surface out;
  out.CreateFilled(3, 3, 1);
  EXPECT_EQ(RenderLayers(3, l.background, l.trees, small, out), kRenderLayersDiffer);
  EXPECT_TRUE(out.empty());
  Surface wide;
  wide.CreateFilled(11, 8, 0);
  EXPECT_EQ(RenderLayers(0, wide, l.trees, l.weight, out), kRenderLayersDiffer);
}

TEST(LightingEdges, OutputIsRecreatedAtTheCanvasSize) {
  TestLayers l = MakeLayers(7, 5, 2);
  Surface out;
  out.CreateFilled(100, 100, 77);
  ASSERT_EQ(RenderLayers(0, l.background, l.trees, l.weight, out), kRenderOk);
  EXPECT_EQ(out.width, 7);
  EXPECT_EQ(out.height, 5);
  EXPECT_EQ(out.byte_count(), 5 * StrideFor(7));
  EXPECT_EQ(out.info.size_image, uint32_t(5 * StrideFor(7)));
  EXPECT_EQ(out.file_header.type, 0x4D42);
  // Row padding is zero.
  EXPECT_EQ(out.BufferRow(2)[21], 0);
  EXPECT_EQ(out.BufferRow(2)[22], 0);
  EXPECT_EQ(out.BufferRow(2)[23], 0);
}

TEST(LightingEdges, UnknownRendererIndexRendersPlain) {
  TestLayers l = MakeLayers(9, 9, 4);
  Surface plain = Render(0, l);
  EXPECT_EQ(Render(33, l).pixels, plain.pixels);
  EXPECT_EQ(Render(-5, l).pixels, plain.pixels);
}

TEST(LightingEdges, BrokenLayersSaturateInsteadOfWrapping) {
  // Tree paint above what the weight leaves room for.
  TestLayers l = Uniform(4, 4, 250, 250, 250, 200, 255);
  Surface out = Render(0, l);
  EXPECT_EQ(At(out, 1, 1)[0], 255);
  Surface dim = Render(5, l);
  EXPECT_EQ(At(dim, 1, 1)[0], 255);  // 200 * 0.8 + 250 = 410
}

TEST(LightingEdges, RenderCanvasUsesTheCurrentMode) {
  testing::RecordingPlatform platform;
  platform.now.hour = 12;
  platform.now.minute = 0;
  Canvas canvas;
  TestLayers l = MakeLayers(33, 17, 8);
  canvas.background = l.background;
  canvas.trees = l.trees;
  canvas.weight = l.weight;
  const int before = CurrentLightingMode();
  SetLightingMode(1);  // 12:00 -> renderer 8
  Surface out;
  ASSERT_EQ(RenderCanvas(canvas, out), kRenderOk);
  EXPECT_EQ(out.pixels, Render(8, l).pixels);
  SetLightingMode(before);
}

}  // namespace
}  // namespace sylvane
