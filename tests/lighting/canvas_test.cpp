// Setting up the canvas layers and the background fill rules.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "paint/canvas.h"
#include "support/recording_platform.h"
#include "test_layers.h"

namespace sylvane {
namespace {

// A picture whose every pixel encodes its own column and buffer row.
Surface Picture(int w, int h, const char* path = "C:\\pictures\\bg.png") {
  Surface p;
  p.CreateFilled(w, h, 0);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      uint8_t* px = p.BufferRow(r) + 3 * x;
      px[0] = uint8_t(x);
      px[1] = uint8_t(r);
      px[2] = uint8_t(200);
    }
  }
  p.path = path;
  return p;
}

// (column, buffer row) of the picture pixel shown at canvas pixel (x, row r).
std::pair<int, int> Source(const Surface& layer, int x, int r) {
  const uint8_t* px = layer.BufferRow(r) + 3 * x;
  EXPECT_EQ(px[2], 200) << "x " << x << " row " << r;
  return {px[0], px[1]};
}

TEST(CanvasSetUp, ColourCanvasUsesColorrefOrder) {
  testing::RecordingPlatform platform;
  platform.now.year = 2031;
  platform.now.day = 17;
  platform.now.hour = 8;
  Canvas canvas;
  canvas.has_file = 1;
  canvas.file_path = "old.syl";
  // Bits 16..23 = 255 (blue), 8..15 = 128 (green), 0..7 = 0 (red).
  ASSERT_EQ(SetUpCanvasLayers(canvas, 13, 7, 0x00FF8000u, kBackgroundColour, Surface(), 15, false), kCanvasOk);
  for (int r = 0; r < 7; ++r) {
    for (int x = 0; x < 13; ++x) {
      const uint8_t* px = canvas.background.BufferRow(r) + 3 * x;
      ASSERT_EQ(px[0], 255);
      ASSERT_EQ(px[1], 128);
      ASSERT_EQ(px[2], 0);
    }
  }
  EXPECT_EQ(canvas.width(), 13);
  EXPECT_EQ(canvas.height(), 7);
  EXPECT_EQ(canvas.background.width, 13);
  EXPECT_EQ(canvas.background.info.width, 13);
  EXPECT_EQ(canvas.trees.info.height, 7);
  for (uint8_t v : canvas.trees.pixels) ASSERT_EQ(v, 0);
  ASSERT_EQ(canvas.weight.bytes.size(), 13u * 7u);
  for (uint8_t v : canvas.weight.bytes) ASSERT_EQ(v, 255);
  EXPECT_EQ(canvas.background_colour, 0x00FF8000u);
  EXPECT_EQ(canvas.background_kind, kBackgroundColour);
  EXPECT_EQ(canvas.background_path, "");
  EXPECT_EQ(canvas.update_interval, 15);
  EXPECT_EQ(canvas.remaining_minutes, 15);
  EXPECT_EQ(canvas.last_daily_update.year, 2031);
  EXPECT_EQ(canvas.last_daily_update.day, 17);
  EXPECT_EQ(canvas.last_daily_update.hour, 8);
  EXPECT_EQ(canvas.exists, 1);
  EXPECT_EQ(canvas.has_file, 0);
  EXPECT_EQ(canvas.file_path, "");
  EXPECT_EQ(canvas.stretch, 0);
}

TEST(CanvasSetUp, StretchedPictureIsScaledToExactlyTheCanvas) {
  testing::RecordingPlatform platform;
  for (auto [pw, ph, w, h] : {std::array<int, 4>{3, 2, 7, 5}, {50, 40, 17, 11}, {10, 10, 10, 10}, {1, 1, 4, 3}}) {
    SCOPED_TRACE(std::to_string(pw) + "x" + std::to_string(ph) + " on " + std::to_string(w) + "x" + std::to_string(h));
    Canvas canvas;
    const Surface picture = Picture(pw, ph);
    ASSERT_EQ(SetUpCanvasLayers(canvas, w, h, 0, kBackgroundPicture, picture, 0, true), kCanvasOk);
    EXPECT_EQ(canvas.background_kind, kBackgroundPicture);
    EXPECT_EQ(canvas.background_path, "C:\\pictures\\bg.png");
    EXPECT_EQ(canvas.stretch, 1);
    for (int r = 0; r < h; ++r) {
      for (int x = 0; x < w; ++x) {
        const auto [sx, sr] = Source(canvas.background, x, r);
        ASSERT_EQ(sx, int(double(x) * pw / w)) << x;
        ASSERT_EQ(sr, int(double(r) * ph / h)) << r;
      }
    }
    // The last column and row of the canvas show the picture's last ones.
    EXPECT_EQ(Source(canvas.background, w - 1, h - 1).first, (w - 1) * pw / w);
  }
}

TEST(CanvasSetUp, StretchOfASmallerPictureShowsAllOfIt) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 8, 4, 0, kBackgroundPicture, Picture(4, 2), 0, true), kCanvasOk);
  // Columns 0,0,1,1,2,2,3,3 and rows 0,0,1,1.
  const int columns[8] = {0, 0, 1, 1, 2, 2, 3, 3};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(Source(canvas.background, x, 0).first, columns[x]);
  EXPECT_EQ(Source(canvas.background, 0, 1).second, 0);
  EXPECT_EQ(Source(canvas.background, 0, 2).second, 1);
  EXPECT_EQ(Source(canvas.background, 0, 3).second, 1);
}

TEST(CanvasSetUp, TiledPictureRepeatsFromTheTopLeft) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  // 30 x 20 on 100 x 50: four copies across (the last cut), three down (the last cut).
  const Surface picture = Picture(30, 20);
  ASSERT_EQ(SetUpCanvasLayers(canvas, 100, 50, 0, kBackgroundPicture, picture, 0, false), kCanvasOk);
  for (int t = 0; t < 50; ++t) {
    for (int x = 0; x < 100; ++x) {
      const auto [sx, sr] = Source(canvas.background, x, 50 - 1 - t);
      ASSERT_EQ(sx, x % 30);
      // Row t from the top shows the picture's row t mod 20 from its top.
      ASSERT_EQ(sr, 20 - 1 - t % 20) << t;
    }
  }
}

TEST(CanvasSetUp, TiledPictureLargerThanTheCanvasShowsItsTopLeft) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 6, 4, 0, kBackgroundPicture, Picture(10, 9), 0, false), kCanvasOk);
  // Top row of the canvas = top row of the picture (buffer row 8), left column 0.
  EXPECT_EQ(Source(canvas.background, 0, 3), std::make_pair(0, 8));
  EXPECT_EQ(Source(canvas.background, 5, 0), std::make_pair(5, 5));
}

TEST(CanvasSetUp, FailedPictureFillsWithTheColour) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  Surface failed;  // width and height 0
  failed.path = "missing.jpg";
  ASSERT_EQ(SetUpCanvasLayers(canvas, 5, 3, 0x000A141Eu, kBackgroundPicture, failed, 0, true), kCanvasOk);
  for (int r = 0; r < 3; ++r) {
    for (int x = 0; x < 5; ++x) {
      const uint8_t* px = canvas.background.BufferRow(r) + 3 * x;
      ASSERT_EQ(px[0], 0x0A);
      ASSERT_EQ(px[1], 0x14);
      ASSERT_EQ(px[2], 0x1E);
    }
  }
  EXPECT_EQ(canvas.background_kind, kBackgroundColour);
  EXPECT_EQ(canvas.background_path, "");
}

TEST(CanvasSetUp, ColourKindIgnoresAPicture) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 4, 4, 0x00010203u, kBackgroundColour, Picture(4, 4), 0, false), kCanvasOk);
  EXPECT_EQ(canvas.background.BufferRow(2)[3], 0x01);
  EXPECT_EQ(canvas.background.BufferRow(2)[5], 0x03);
  EXPECT_EQ(canvas.background_path, "");
}

TEST(CanvasSetUp, BadSizeChangesNothing) {
  testing::RecordingPlatform platform;
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 4, 4, 0x00FFFFFFu, kBackgroundColour, Surface(), 5, false), kCanvasOk);
  canvas.trees.pixels[0] = 9;
  EXPECT_EQ(SetUpCanvasLayers(canvas, 0, 4, 0, kBackgroundColour, Surface(), 7, false), kCanvasBadSize);
  EXPECT_EQ(SetUpCanvasLayers(canvas, 4, -1, 0, kBackgroundColour, Surface(), 7, false), kCanvasBadSize);
  EXPECT_EQ(SetUpCanvasLayers(canvas, kMaxSurfaceSide + 1, 4, 0, kBackgroundColour, Surface(), 7, false),
            kCanvasBadSize);
  EXPECT_EQ(ChangeBackground(canvas, 0, 0, 0, kBackgroundColour, Surface(), 7, false), kCanvasBadSize);
  EXPECT_EQ(canvas.width(), 4);
  EXPECT_EQ(canvas.trees.pixels[0], 9);
  EXPECT_EQ(canvas.update_interval, 5);
  EXPECT_EQ(canvas.background_colour, 0x00FFFFFFu);
}

TEST(CanvasSetUp, ChangeBackgroundKeepsTheTreesAndWeights) {
  testing::RecordingPlatform platform;
  platform.now.day = 3;
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 9, 6, 0, kBackgroundColour, Surface(), 10, false), kCanvasOk);
  testing::TestLayers painted = testing::MakeLayers(9, 6, 4);
  canvas.trees = painted.trees;
  canvas.weight = painted.weight;
  canvas.remaining_minutes = 2;
  canvas.has_file = 1;
  canvas.file_path = "garden.syl";
  platform.now.day = 4;
  ASSERT_EQ(ChangeBackground(canvas, 9, 6, 0, kBackgroundPicture, Picture(3, 3, "tile.bmp"), 30, false),
            kCanvasOk);
  EXPECT_EQ(canvas.trees.pixels, painted.trees.pixels);
  EXPECT_EQ(canvas.weight.bytes, painted.weight.bytes);
  EXPECT_EQ(canvas.update_interval, 30);
  EXPECT_EQ(canvas.remaining_minutes, 30);
  EXPECT_EQ(canvas.background_kind, kBackgroundPicture);
  EXPECT_EQ(canvas.background_path, "tile.bmp");
  EXPECT_EQ(canvas.has_file, 1);
  EXPECT_EQ(canvas.file_path, "garden.syl");
  EXPECT_EQ(canvas.last_daily_update.day, 3) << "only a new canvas restarts the daily clock";
  // Tiled 3 x 3 from the top-left: top-left canvas pixel = picture's top-left.
  EXPECT_EQ(Source(canvas.background, 0, 5), std::make_pair(0, 2));
  EXPECT_EQ(Source(canvas.background, 4, 5), std::make_pair(1, 2));
  EXPECT_EQ(Source(canvas.background, 4, 2), std::make_pair(1, 2));

  // Stretched the same picture: column trunc(x * 3 / 9).
  ASSERT_EQ(ChangeBackground(canvas, 9, 6, 0, kBackgroundPicture, Picture(3, 3), 30, true), kCanvasOk);
  EXPECT_EQ(Source(canvas.background, 8, 5), std::make_pair(2, 2));
  EXPECT_EQ(Source(canvas.background, 2, 1), std::make_pair(0, 0));
  EXPECT_EQ(canvas.stretch, 1);
}

TEST(CanvasSetUp, ComposePlainRefusesLayersOfDifferentSizes) {
  testing::TestLayers l = testing::MakeLayers(5, 5, 1);
  AlphaPlane other;
  other.CreateFilled(5, 4, 255);
  Surface out;
  EXPECT_FALSE(ComposePlain(l.background, l.trees, other, out));
  EXPECT_TRUE(out.empty());
  ASSERT_TRUE(ComposePlain(l.background, l.trees, l.weight, out));
  for (int r = 0; r < 5; ++r) {
    for (int i = 0; i < 15; ++i) {
      const int expected = l.background.BufferRow(r)[i] * l.weight.BufferRow(r)[i / 3] / 255 + l.trees.BufferRow(r)[i];
      ASSERT_EQ(out.BufferRow(r)[i], expected);
    }
  }
}

}  // namespace
}  // namespace sylvane
