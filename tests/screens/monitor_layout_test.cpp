// The wallpaper pictures of several monitors: placement per style, each
// monitor's picture and the virtual-desktop picture, pixel for pixel.
#include "canvas/monitor_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace sylvane {
namespace {

using Bgr = std::array<uint8_t, 3>;

// A garden whose every pixel differs: blue 10 + x * 20, green 10 + y * 30, red 200.
Surface MakeGarden(int w, int h) {
  Surface s;
  EXPECT_TRUE(s.Create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = uint8_t(10 + x * 20);
      p[1] = uint8_t(10 + y * 30);
      p[2] = 200;
    }
  }
  s.RefreshHeaders();
  return s;
}

Bgr At(const Surface& s, int x, int y) {
  const uint8_t* p = s.PixelAt(x, y);
  return {p[0], p[1], p[2]};
}

Bgr GardenPixel(int x, int y) { return {uint8_t(10 + x * 20), uint8_t(10 + y * 30), 200}; }

constexpr uint32_t kColour = 0x00336699;  // red 0x99, green 0x66, blue 0x33
const Bgr kBgr = {0x33, 0x66, 0x99};

TEST(PlaceGarden, CentreKeepsTheGardenSizeWhenItFits) {
  GardenPlacement at = PlaceGarden(600, 500, 1920, 1080, MonitorFit::kCentre);
  EXPECT_EQ(at.width, 600);
  EXPECT_EQ(at.height, 500);
  EXPECT_EQ(at.x, 660);
  EXPECT_EQ(at.y, 290);
}

TEST(PlaceGarden, CentreShrinksAGardenLargerThanAPortraitMonitor) {
  // 1920 x 1080 on 1080 x 1920: the width limits, 1080 x 607 in the middle.
  GardenPlacement at = PlaceGarden(1920, 1080, 1080, 1920, MonitorFit::kCentre);
  EXPECT_EQ(at.width, 1080);
  EXPECT_EQ(at.height, 607);
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 656);
}

TEST(PlaceGarden, StretchFillsTheLimitingSide) {
  GardenPlacement wide = PlaceGarden(600, 500, 1920, 1080, MonitorFit::kStretch);
  EXPECT_EQ(wide.height, 1080);
  EXPECT_EQ(wide.width, 1296);
  EXPECT_EQ(wide.x, 312);
  EXPECT_EQ(wide.y, 0);
  GardenPlacement tall = PlaceGarden(600, 500, 768, 1366, MonitorFit::kStretch);
  EXPECT_EQ(tall.width, 768);
  EXPECT_EQ(tall.height, 640);
  EXPECT_EQ(tall.y, 363);
  // A very thin garden never becomes zero pixels tall.
  EXPECT_EQ(PlaceGarden(10000, 1, 100, 100, MonitorFit::kStretch).height, 1);
}

TEST(MonitorPicture, StretchDoublesEveryPixelWithTheColourAround) {
  Surface garden = MakeGarden(4, 2);
  Surface out;
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kStretch, 8, 8, out), LayoutStatus::kOk);
  ASSERT_EQ(out.width, 8);
  ASSERT_EQ(out.height, 8);
  EXPECT_EQ(out.info.width, 8);  // headers ready for writing
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      Bgr want = (y >= 2 && y < 6) ? GardenPixel(x / 2, (y - 2) / 2) : kBgr;
      ASSERT_EQ(At(out, x, y), want) << x << "," << y;
    }
  }
}

TEST(MonitorPicture, CentreOnAPortraitMonitorKeepsTheGardenWhole) {
  Surface garden = MakeGarden(3, 2);
  Surface out;
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kCentre, 5, 9, out), LayoutStatus::kOk);
  // At its own size in the middle: columns 1..3, rows 3..4.
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 5; ++x) {
      bool inside = x >= 1 && x < 4 && y >= 3 && y < 5;
      ASSERT_EQ(At(out, x, y), inside ? GardenPixel(x - 1, y - 3) : kBgr) << x << "," << y;
    }
  }
}

TEST(MonitorPicture, ShrinkingAveragesAndEqualSizesCopy) {
  Surface garden = MakeGarden(4, 4);
  Surface same;
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kStretch, 4, 4, same), LayoutStatus::kOk);
  EXPECT_EQ(same.pixels, garden.pixels);
  Surface half;
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kStretch, 2, 2, half), LayoutStatus::kOk);
  // No pixel of the colour: the shrunken garden covers the whole monitor, and
  // its blue grows from left to right as the garden's does.
  for (int y = 0; y < 2; ++y) {
    EXPECT_NE(At(half, 0, y), kBgr);
    EXPECT_LT(At(half, 0, y)[0], At(half, 1, y)[0]);
    EXPECT_EQ(At(half, 0, y)[2], 200);
  }
}

TEST(MonitorPicture, TileRepeatsFromTheMonitorsCorner) {
  Surface garden = MakeGarden(2, 3);
  Surface out;
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kTile, 5, 7, out), LayoutStatus::kOk);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 5; ++x) ASSERT_EQ(At(out, x, y), GardenPixel(x % 2, y % 3)) << x << "," << y;
  }
}

TEST(DesktopPicture, MixedSizesNegativeOriginsAndPortrait) {
  Surface garden = MakeGarden(4, 2);
  // Primary 8 x 4 at 0,0; a portrait 4 x 8 left of it and higher; a 6 x 3
  // lower right, leaving a gap of colour between them.
  std::vector<MonitorRect> monitors = {{0, 0, 8, 4}, {-4, -2, 4, 8}, {8, 5, 6, 3}};
  MonitorRect box = VirtualDesktop(monitors);
  EXPECT_EQ(box, (MonitorRect{-4, -2, 18, 10}));
  Surface out;
  ASSERT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kStretch, monitors, out), LayoutStatus::kOk);
  ASSERT_EQ(out.width, 18);
  ASSERT_EQ(out.height, 10);
  // Primary: the height limits, 8 x 4 filling it; at picture column 4, row 2.
  EXPECT_EQ(At(out, 4, 2), GardenPixel(0, 0));
  EXPECT_EQ(At(out, 11, 5), GardenPixel(3, 1));
  // Portrait: 4 x 2 at its own size, rows 3..4 of the monitor, picture rows 3..4.
  EXPECT_EQ(At(out, 0, 2), kBgr);
  EXPECT_EQ(At(out, 0, 3), GardenPixel(0, 0));
  EXPECT_EQ(At(out, 3, 4), GardenPixel(3, 1));
  EXPECT_EQ(At(out, 3, 5), kBgr);
  // Lower right 6 x 3: the height limits, 6 x 3 (garden width 4 * 3 / 2 = 6).
  EXPECT_EQ(At(out, 12, 7), GardenPixel(0, 0));
  EXPECT_EQ(At(out, 17, 9), GardenPixel(3, 1));
  // Outside every monitor: the colour.
  EXPECT_EQ(At(out, 12, 0), kBgr);
  EXPECT_EQ(At(out, 0, 9), kBgr);
  // Every monitor's area equals that monitor's own picture.
  for (const MonitorRect& m : monitors) {
    Surface own;
    ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kStretch, m.width, m.height, own), LayoutStatus::kOk);
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) {
        ASSERT_EQ(At(out, m.x - box.x + x, m.y - box.y + y), At(own, x, y)) << m.x << "," << m.y << ": " << x << "," << y;
      }
    }
  }
}

TEST(DesktopPicture, OneMonitorIsThatMonitorsPicture) {
  Surface garden = MakeGarden(3, 3);
  for (MonitorFit fit : {MonitorFit::kCentre, MonitorFit::kTile, MonitorFit::kStretch}) {
    Surface desktop, own;
    ASSERT_EQ(ComposeDesktopPicture(garden, kColour, fit, {{-7, 3, 10, 6}}, desktop), LayoutStatus::kOk);
    ASSERT_EQ(ComposeMonitorPicture(garden, kColour, fit, 10, 6, own), LayoutStatus::kOk);
    EXPECT_EQ(desktop.pixels, own.pixels);
    EXPECT_EQ(desktop.width, 10);
  }
}

TEST(DesktopPicture, TileStartsAtEachMonitor) {
  Surface garden = MakeGarden(3, 2);
  Surface out;
  ASSERT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kTile, {{0, 0, 4, 4}, {4, 1, 4, 3}}, out),
            LayoutStatus::kOk);
  EXPECT_EQ(At(out, 3, 0), GardenPixel(0, 0));
  EXPECT_EQ(At(out, 4, 0), kBgr);               // above the second monitor
  EXPECT_EQ(At(out, 4, 1), GardenPixel(0, 0));  // its own first tile
  EXPECT_EQ(At(out, 7, 3), GardenPixel(0, 0));
}

TEST(DesktopPicture, SideBySideMonitorsAndOverlapsLeaveNoUnsetPixel) {
  Surface garden = MakeGarden(2, 1);
  Surface out;
  // Side by side, covering their box: every pixel is some monitor's.
  ASSERT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kStretch, {{0, 0, 4, 2}, {4, 0, 4, 2}}, out),
            LayoutStatus::kOk);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(At(out, x, 0), GardenPixel((x % 4) / 2, 0));
    EXPECT_EQ(At(out, x, 1), GardenPixel((x % 4) / 2, 0));
  }
  // Overlapping monitors whose areas add up to the box's still leave a gap
  // (lower right) that must be the colour.
  ASSERT_EQ(
      ComposeDesktopPicture(garden, kColour, MonitorFit::kStretch, {{0, 0, 4, 2}, {2, 0, 4, 2}, {0, 2, 4, 2}}, out),
      LayoutStatus::kOk);
  ASSERT_EQ(out.width, 6);
  ASSERT_EQ(out.height, 4);
  EXPECT_EQ(At(out, 5, 3), kBgr);
  EXPECT_EQ(At(out, 4, 2), kBgr);
  EXPECT_EQ(At(out, 5, 0), GardenPixel(1, 0));  // the later monitor covers the earlier
}

TEST(DesktopPicture, AReusedPictureKeepsNothingOfTheLastOne) {
  // The program composes into the same picture at every update.
  Surface old_garden = MakeGarden(5, 5);
  Surface garden = MakeGarden(2, 3);
  const std::vector<MonitorRect> layout = {{0, 0, 6, 6}, {6, 2, 3, 4}};
  for (MonitorFit fit : {MonitorFit::kCentre, MonitorFit::kTile, MonitorFit::kStretch}) {
    Surface reused, fresh;
    ASSERT_EQ(ComposeDesktopPicture(old_garden, 0x00FFFFFF, MonitorFit::kTile, layout, reused), LayoutStatus::kOk);
    ASSERT_EQ(ComposeDesktopPicture(garden, kColour, fit, layout, reused), LayoutStatus::kOk);
    ASSERT_EQ(ComposeDesktopPicture(garden, kColour, fit, layout, fresh), LayoutStatus::kOk);
    EXPECT_EQ(reused.pixels, fresh.pixels);
    Surface monitor;
    ASSERT_EQ(ComposeMonitorPicture(old_garden, 0x00FFFFFF, MonitorFit::kTile, 4, 4, monitor), LayoutStatus::kOk);
    ASSERT_EQ(ComposeMonitorPicture(garden, kColour, fit, 4, 4, monitor), LayoutStatus::kOk);
    ASSERT_EQ(ComposeMonitorPicture(garden, kColour, fit, 4, 4, fresh), LayoutStatus::kOk);
    EXPECT_EQ(monitor.pixels, fresh.pixels);
  }
}

TEST(DesktopPicture, AGridOfEqualMonitorsIsOneMonitorRepeated) {
  EXPECT_TRUE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}}));
  EXPECT_TRUE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {6, 0, 6, 4}}));
  EXPECT_TRUE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {-6, 0, 6, 4}, {0, -4, 6, 4}, {-6, -4, 6, 4}}));
  EXPECT_FALSE(DesktopRepeatsOneMonitor({}));
  EXPECT_FALSE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {6, 0, 4, 6}}));    // portrait beside landscape
  EXPECT_FALSE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {6, 1, 6, 4}}));    // shifted down
  EXPECT_FALSE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {12, 0, 6, 4}}));   // a gap between
  EXPECT_FALSE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {0, 0, 6, 4}}));    // mirrored, same place
  EXPECT_FALSE(DesktopRepeatsOneMonitor({{0, 0, 6, 4}, {6, 0, 6, 4}, {0, 4, 6, 4}}));  // an L

  // Where it holds, tiling one monitor's picture gives the desktop's, pixel for pixel.
  Surface garden = MakeGarden(5, 3);
  const std::vector<MonitorRect> grid = {{0, 0, 7, 4}, {-7, 0, 7, 4}, {0, 4, 7, 4}, {-7, 4, 7, 4}};
  ASSERT_TRUE(DesktopRepeatsOneMonitor(grid));
  for (MonitorFit fit : {MonitorFit::kCentre, MonitorFit::kTile, MonitorFit::kStretch}) {
    Surface desktop, one;
    ASSERT_EQ(ComposeDesktopPicture(garden, kColour, fit, grid, desktop), LayoutStatus::kOk);
    ASSERT_EQ(ComposeMonitorPicture(garden, kColour, fit, 7, 4, one), LayoutStatus::kOk);
    for (int y = 0; y < desktop.height; ++y)
      for (int x = 0; x < desktop.width; ++x) ASSERT_EQ(At(desktop, x, y), At(one, x % 7, y % 4)) << x << "," << y;
  }
}

// The desktop picture by its definition: the colour everywhere, then every
// monitor's own picture pasted at its place in order.
Surface ReferenceDesktop(const Surface& garden, uint32_t colour, MonitorFit fit,
                         const std::vector<MonitorRect>& monitors) {
  const MonitorRect box = VirtualDesktop(monitors);
  Surface out;
  EXPECT_TRUE(out.Create(box.width, box.height));
  const Bgr bgr = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  for (int y = 0; y < box.height; ++y)
    for (int x = 0; x < box.width; ++x) std::copy(bgr.begin(), bgr.end(), out.PixelAt(x, y));
  for (const MonitorRect& m : monitors) {
    Surface own;
    EXPECT_EQ(ComposeMonitorPicture(garden, colour, fit, m.width, m.height, own), LayoutStatus::kOk);
    for (int y = 0; y < m.height; ++y)
      std::copy_n(own.PixelAt(0, y), size_t(m.width) * 3, out.PixelAt(m.x - box.x, m.y - box.y + y));
  }
  return out;
}

TEST(DesktopPicture, EveryLayoutMatchesTheMonitorsPicturesOnTheColour) {
  const Surface garden = MakeGarden(5, 3);
  const Surface old_garden = MakeGarden(4, 4);
  const std::vector<std::vector<MonitorRect>> layouts = {
      {{0, 0, 8, 6}, {8, 2, 8, 6}},                // equal, the second lower: colour above and below
      {{0, 0, 8, 6}, {-8, -3, 8, 6}, {8, 4, 8, 6}},  // three equal, negative origin, steps
      {{0, 0, 8, 6}, {20, 1, 8, 6}},               // a gap between them in the middle rows
      {{0, 0, 8, 6}, {8, 0, 4, 9}, {12, 3, 8, 6}},  // equal monitors with a portrait between
      {{0, 0, 8, 6}, {4, 2, 8, 6}},                // equal and overlapping: the later covers
      {{0, 0, 8, 6}, {2, 1, 3, 3}, {1, 0, 8, 6}},  // a small one inside, covered again
  };
  for (const auto& layout : layouts) {
    for (MonitorFit fit : {MonitorFit::kCentre, MonitorFit::kTile, MonitorFit::kStretch}) {
      const Surface expected = ReferenceDesktop(garden, kColour, fit, layout);
      // Composed into a picture that held another garden on another colour.
      Surface out;
      ASSERT_EQ(ComposeDesktopPicture(old_garden, 0x00FFFFFF, MonitorFit::kTile, layout, out), LayoutStatus::kOk);
      ASSERT_EQ(ComposeDesktopPicture(garden, kColour, fit, layout, out), LayoutStatus::kOk);
      ASSERT_EQ(out.width, expected.width);
      ASSERT_EQ(out.height, expected.height);
      for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
          ASSERT_EQ(At(out, x, y), At(expected, x, y)) << "layout of " << layout.size() << " at " << x << "," << y;
    }
  }
}

TEST(DesktopPicture, TheTiledPictureIsOneMonitorsOnlyForAGrid) {
  const Surface garden = MakeGarden(5, 3);
  const std::vector<MonitorRect> grid = {{0, 0, 8, 6}, {8, 0, 8, 6}};
  const std::vector<MonitorRect> offset = {{0, 0, 8, 6}, {8, 2, 8, 6}};
  Surface tiled, expected;
  ASSERT_EQ(ComposeTiledDesktopPicture(garden, kColour, MonitorFit::kStretch, grid, tiled), LayoutStatus::kOk);
  ASSERT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kStretch, 8, 6, expected), LayoutStatus::kOk);
  EXPECT_EQ(tiled.width, 8);
  EXPECT_EQ(tiled.pixels, expected.pixels);
  ASSERT_EQ(ComposeTiledDesktopPicture(garden, kColour, MonitorFit::kStretch, offset, tiled), LayoutStatus::kOk);
  ASSERT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kStretch, offset, expected), LayoutStatus::kOk);
  EXPECT_EQ(tiled.width, 16);
  EXPECT_EQ(tiled.height, 8);
  EXPECT_EQ(tiled.pixels, expected.pixels);
}

TEST(DesktopPicture, RefusesWhatCannotBeComposed) {
  Surface garden = MakeGarden(2, 2);
  Surface out = MakeGarden(1, 1);
  const std::vector<uint8_t> before = out.pixels;
  EXPECT_EQ(ComposeDesktopPicture(Surface{}, kColour, MonitorFit::kCentre, {{0, 0, 4, 4}}, out),
            LayoutStatus::kNoGarden);
  EXPECT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kCentre, {}, out), LayoutStatus::kBadMonitor);
  EXPECT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kCentre, {{0, 0, 0, 4}}, out),
            LayoutStatus::kBadMonitor);
  EXPECT_EQ(ComposeDesktopPicture(garden, kColour, MonitorFit::kCentre, {{0, 0, 4, 4}, {20000, 0, 4, 4}}, out),
            LayoutStatus::kTooLarge);
  EXPECT_EQ(ComposeMonitorPicture(garden, kColour, MonitorFit::kCentre, 4, -1, out), LayoutStatus::kBadMonitor);
  EXPECT_EQ(out.pixels, before);  // a refused picture leaves out as it was
}

TEST(FitForStyle, FollowsTheWallpaperStyleStrings) {
  EXPECT_EQ(FitForStyleString("0"), MonitorFit::kCentre);
  EXPECT_EQ(FitForStyleString("1"), MonitorFit::kTile);
  EXPECT_EQ(FitForStyleString("2"), MonitorFit::kStretch);
  EXPECT_EQ(FitForStyleString("7"), MonitorFit::kCentre);
}

TEST(MonitorList, ParsesSignedOrigins) {
  std::vector<MonitorRect> m;
  std::string error;
  ASSERT_TRUE(ParseMonitorList("1920x1080+0+0,1080x1920+-1080+-400,3840X2160-5000+1080", m, error)) << error;
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0], (MonitorRect{0, 0, 1920, 1080}));
  EXPECT_EQ(m[1], (MonitorRect{-1080, -400, 1080, 1920}));
  EXPECT_EQ(m[2], (MonitorRect{-5000, 1080, 3840, 2160}));
}

TEST(MonitorList, RefusesMalformedItemsAndKeepsTheList) {
  std::vector<MonitorRect> m = {{1, 2, 3, 4}};
  std::string error;
  for (const char* bad : {"", "1920x1080", "1920x1080+0", "1920x1080+0+0,", "0x1080+0+0", "1920x-5+0+0",
                          "1920x1080+0+0x", "axb+0+0", "1920x1080++1+0", "20000x10+0+0", "+5x5+0+0"}) {
    EXPECT_FALSE(ParseMonitorList(bad, m, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(m.size(), 1u);
}

}  // namespace
}  // namespace sylvane
