#include "trees/part_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "base/random.h"
#include "canvas/image/luma_hue.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "tree_fixtures.h"

namespace sylvane {
namespace {

using testing::MakePart;
using testing::RecordingPlatform;
using testing::TempDir;

const std::string kDataFolder = std::string(SYLVANE_SOURCE_DIR) + "/data";

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteFileAtomically(path, text.data(), text.size()));
}

TEST(PartDescription, AllSevenLines) {
  std::string name = "old";
  std::array<int32_t, 12> p{};
  p.fill(-7);
  EXPECT_EQ(ParsePartDescription("flower.png\r\nHANA_ROOT_X=14\r\nHANA_ROOT_Y=-29\r\nHANA_ALPHA=200\r\n"
                                 "HANA_BGC_R=1\r\nHANA_BGC_G=2\r\nHANA_BGC_B= 3\r\n",
                                 name, p),
            7);
  EXPECT_EQ(name, "flower.png");
  EXPECT_EQ(p[kParamRootX], 14);
  EXPECT_EQ(p[kParamRootY], -29);
  EXPECT_EQ(p[kParamAlpha], 200);
  EXPECT_EQ(p[kParamBackRed], 1);
  EXPECT_EQ(p[kParamBackGreen], 2);
  EXPECT_EQ(p[kParamBackBlue], 3);
  for (int i = 6; i < 12; ++i) EXPECT_EQ(p[size_t(i)], -7) << i;  // the colour parameters are not read
}

TEST(PartDescription, KeysOutOfOrderStopReading) {
  std::string name;
  std::array<int32_t, 12> p{};
  p.fill(5);
  EXPECT_EQ(ParsePartDescription("a.png\nHANA_ROOT_X=1\nHANA_ALPHA=9\nHANA_ROOT_Y=8\nHANA_BGC_R=7\n", name, p), 2);
  EXPECT_EQ(p[kParamRootX], 1);
  EXPECT_EQ(p[kParamRootY], 5);
  EXPECT_EQ(p[kParamAlpha], 5);
  EXPECT_EQ(p[kParamBackRed], 5);
}

TEST(PartDescription, NameIsCutAtTheBlankAndShortFilesKeepTheRest) {
  std::string name;
  std::array<int32_t, 12> p{};
  p.fill(3);
  EXPECT_EQ(ParsePartDescription("  my flower.png\nHANA_ROOT_X=4", name, p), 2);
  EXPECT_EQ(name, "my");
  EXPECT_EQ(p[kParamRootX], 4);
  EXPECT_EQ(p[kParamRootY], 3);
}

TEST(PartDescription, MalformedLines) {
  std::string name = "keep";
  std::array<int32_t, 12> p{};
  EXPECT_EQ(ParsePartDescription("\nHANA_ROOT_X=4\n", name, p), 0);  // blank first line
  EXPECT_EQ(name, "keep");
  EXPECT_EQ(p[kParamRootX], 0);
  EXPECT_EQ(ParsePartDescription("x.png\n HANA_ROOT_X=4\n", name, p), 1);  // key not at the start
  EXPECT_EQ(p[kParamRootX], 0);
  EXPECT_EQ(ParsePartDescription("x.png\nHANA_ROOT_X=\n", name, p), 1);  // no number
  EXPECT_EQ(ParsePartDescription("x.png\nHANA_ROOT_X=99999999999\n", name, p), 2);
  EXPECT_EQ(p[kParamRootX], INT32_MAX);
  EXPECT_EQ(ParsePartDescription("x.png\nHANA_ROOT_X=12abc\n", name, p), 2);  // trailing text ignored
  EXPECT_EQ(p[kParamRootX], 12);
}

TEST(PartDescription, MissingFileShowsItsNameAsCaption) {
  RecordingPlatform platform;
  TempDir dir;
  PartImage part;
  part.params.fill(1);
  std::string name = "unchanged";
  EXPECT_EQ(ReadPartDescription(dir.File("none.txt"), "imgb/none.txt", name, part), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "投影情報ファイルが読み込めませんでした。");
  EXPECT_EQ(platform.messages[0].caption, "imgb/none.txt");
  EXPECT_EQ(name, "unchanged");
  EXPECT_EQ(part.params[kParamRootX], 1);
}

TEST(SampleParts, ShippedDataLoads) {
  RecordingPlatform platform;
  Tree t;
  t.part_present = {0, 0, 0, 0};
  int loaded = -1;
  EXPECT_EQ(LoadSampleParts(t, kDataFolder, kSamplePartDescriptions, &loaded), 0);
  EXPECT_EQ(loaded, 4);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(t.part_present, (std::array<uint8_t, 4>{1, 1, 1, 1}));
  const int sizes[4][2] = {{28, 30}, {18, 22}, {26, 30}, {8, 8}};
  const int roots[4][2] = {{14, 29}, {9, 21}, {13, 29}, {4, 4}};
  for (size_t i = 0; i < 4; ++i) {
    const PartImage& p = t.parts[i];
    EXPECT_EQ(p.surface.width, sizes[i][0]) << i;
    EXPECT_EQ(p.surface.height, sizes[i][1]) << i;
    EXPECT_EQ(p.alpha.bytes.size(), size_t(sizes[i][0] * sizes[i][1])) << i;
    EXPECT_EQ(p.params[kParamRootX], roots[i][0]) << i;
    EXPECT_EQ(p.params[kParamRootY], roots[i][1]) << i;
    EXPECT_EQ(p.params[kParamAlpha], 255) << i;
    // The pivot sits on the stalk (or the dab's centre): it is opaque.
    const size_t row = size_t(p.surface.height - 1 - std::min(roots[i][1], p.surface.height - 2));
    EXPECT_GT(p.alpha.bytes[row * size_t(p.surface.width) + size_t(roots[i][0])], 0) << i;
    // Corners of the sprites are transparent.
    EXPECT_EQ(p.alpha.bytes[0], 0) << i;
  }
}

TEST(SampleParts, MissingDescriptionLeavesThatPartEmpty) {
  RecordingPlatform platform;
  TempDir dir;
  Tree t;
  t.parts[1] = MakePart(3, 3, 1);
  auto names = kSamplePartDescriptions;
  names[1] = "imgb/none.txt";
  int loaded = 0;
  EXPECT_EQ(LoadSampleParts(t, kDataFolder, names, &loaded), 0);
  EXPECT_EQ(loaded, 3);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "imgb/none.txt");
  EXPECT_TRUE(t.parts[1].surface.empty());
  EXPECT_EQ(t.parts[1].params, (std::array<int32_t, 12>{}));
  EXPECT_EQ(t.part_present[1], 1);
}

TEST(ProjectionParts, ListedSortedAndFiltered) {
  TempDir dir;
  const std::string folder = JoinPath(dir.path(), "prj_data");
  EXPECT_TRUE(ListProjectionDescriptions(dir.path()).empty());  // no folder
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  for (std::string n : {"m.dat", "b.DAT", "z.dat", "a.txt", "c.dat.png", "a.dat"}) WriteText(JoinPath(folder, n), "x");
  auto names = ListProjectionDescriptions(dir.path());
  EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "b.DAT", "m.dat", "z.dat"}));
  for (int i = 0; i < 25; ++i) WriteText(JoinPath(folder, "n" + std::to_string(100 + i) + ".dat"), "x");
  names = ListProjectionDescriptions(dir.path());
  ASSERT_EQ(names.size(), 20u);
  EXPECT_EQ(names[0], "a.dat");
  EXPECT_EQ(names[19], "n116.dat");
}

TEST(ProjectionParts, ShippedFolderHoldsAtLeastEight) {
  auto names = ListProjectionDescriptions(kDataFolder);
  EXPECT_GE(names.size(), 8u);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  RecordingPlatform platform;
  for (const auto& n : names) {
    Tree t;
    SeedRandom(3);
    EXPECT_EQ(LoadProjectionPart(t, kDataFolder, n), 0) << n;
    EXPECT_FALSE(t.parts[0].surface.empty()) << n;
    EXPECT_EQ(t.parts[0].alpha.bytes.size(), size_t(t.parts[0].surface.width * t.parts[0].surface.height)) << n;
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ProjectionParts, MirrorAndFlipArePixelExact) {
  PartImage p = MakePart(3, 2, 0);
  PartImage m = p;
  MirrorPart(m);
  for (int r = 0; r < 2; ++r)
    for (int x = 0; x < 3; ++x) {
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(m.surface.BufferRow(r)[3 * x + c], p.surface.BufferRow(r)[3 * (2 - x) + c]);
      EXPECT_EQ(m.alpha.BufferRow(r)[x], p.alpha.BufferRow(r)[2 - x]);
    }
  PartImage f = p;
  FlipPart(f);
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(0, std::memcmp(f.surface.BufferRow(r), p.surface.BufferRow(1 - r), size_t(p.surface.stride)));
    EXPECT_EQ(0, std::memcmp(f.alpha.BufferRow(r), p.alpha.BufferRow(1 - r), 3));
  }
  EXPECT_EQ(m.params, p.params);  // the root point is not adjusted
}

TEST(ProjectionParts, VariationUsesThreeFactorsThenAnOrientation) {
  PartImage p = MakePart(4, 3, 50);
  PartImage v = p;
  SeedRandom(12);
  VaryProjectionPart(v);
  SeedRandom(12);
  const double lf = (Rand() % 7) * 0.1 + 0.8;
  const double hf = (Rand() % 190) * 0.01 + 0.1;
  const double cf = (Rand() % 10) * 0.1 + 0.5;
  const int orientation = Rand() % 3;
  PartImage expect = p;
  for (int r = 0; r < 3; ++r)
    for (int x = 0; x < 4; ++x) {
      uint8_t* px = expect.surface.BufferRow(r) + 3 * x;
      LumaHue c = LumaHueForward(px[2], px[1], px[0]);
      int red, green, blue;
      LumaHueInverse(int(c.luma * lf), float(c.hue * hf), float(c.chroma * cf), red, green, blue);
      px[0] = uint8_t(blue);
      px[1] = uint8_t(green);
      px[2] = uint8_t(red);
    }
  if (orientation == 0) MirrorPart(expect);
  if (orientation == 1) FlipPart(expect);
  for (int r = 0; r < 3; ++r)
    EXPECT_EQ(0, std::memcmp(v.surface.BufferRow(r), expect.surface.BufferRow(r), 12)) << r;
  EXPECT_EQ(v.alpha.bytes, expect.alpha.bytes);
}

TEST(ProjectionParts, ThreeLoadsDifferInColourAndOrientation) {
  RecordingPlatform platform;
  Tree a;
  SeedRandom(2024);
  std::vector<PartImage> loads;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(LoadProjectionPart(a, kDataFolder, "prj_spotted_petal.dat"), 0);
    loads.push_back(a.parts[0]);
  }
  EXPECT_NE(loads[0].surface.pixels, loads[1].surface.pixels);
  EXPECT_NE(loads[1].surface.pixels, loads[2].surface.pixels);
  // The petal's alpha is not symmetric top to bottom, so orientations show in it.
  bool orientation_differs = loads[0].alpha.bytes != loads[1].alpha.bytes ||
                             loads[1].alpha.bytes != loads[2].alpha.bytes;
  EXPECT_TRUE(orientation_differs);
}

TEST(ProjectionParts, MissingPictureFails) {
  RecordingPlatform platform;
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(JoinPath(dir.path(), "prj_data")));
  WriteText(JoinPath(JoinPath(dir.path(), "prj_data"), "x.dat"), "gone.png\nHANA_ROOT_X=1\n");
  Tree t;
  SeedRandom(1);
  EXPECT_EQ(LoadProjectionPart(t, dir.path(), "x.dat"), -1);
  EXPECT_FALSE(platform.messages.empty());
  EXPECT_TRUE(t.parts[0].surface.empty());
  EXPECT_EQ(t.parts[0].params[kParamRootX], 1);
  EXPECT_EQ(LoadProjectionPart(t, dir.path(), "none.dat"), -1);
  EXPECT_EQ(platform.messages.back().text, "投影情報ファイルが読み込めませんでした。");
  EXPECT_EQ(platform.messages.back().caption, "none.dat");
}

}  // namespace
}  // namespace sylvane
