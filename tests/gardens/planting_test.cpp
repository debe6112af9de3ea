// Planting a tree file and scattering it over the canvas.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/file_io.h"
#include "canvas/records/settings.h"
#include "garden_fixtures.h"
#include "support/recording_platform.h"
#include "trees/growth.h"
#include "trees/planting.h"

namespace sylvane::testing {
namespace {

class PlantingTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  TestGarden garden;
  std::string tree_file;

  void SetUp() override {
    SeedRandom(11);
    FillCanvas(garden.canvas, 200, 120);
    Tree tree;
    MakeFixtureTree(tree, 1);
    tree.state = 2;  // saved from a growing garden
    tree.part_jitter = 4;
    tree.branch_jitter = 6;
    tree_file = dir.File("plant.ki");
    ASSERT_EQ(SaveTreeFile(tree, tree_file), 0);
    // Mutation handling must not ask or archive during these tests.
    Settings().mutant_handling = 1;
  }

  void FillTable(int living) {
    for (int i = 0; i < living; ++i) (*garden.table)[i].state = 1;
    garden.table->SetCount(living);
  }
};

TEST_F(PlantingTest, FullTableIsRefusedBeforeAnythingIsLoaded) {
  FillTable(100);
  bool loader_called = false;
  const int result = LoadTreeForPlanting(garden.canvas, *garden.table, [&](Tree&) {
    loader_called = true;
    return 0;
  });
  EXPECT_EQ(result, kPlantTableFull);
  EXPECT_FALSE(loader_called);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "只今樹が満杯です。");
  EXPECT_EQ(platform.messages[0].caption, "満杯");
}

TEST_F(PlantingTest, NoCanvasIsRefusedFirst) {
  TestGarden bare;
  FillTable(100);
  EXPECT_EQ(LoadTreeFileForPlanting(bare.canvas, *bare.table, tree_file), kPlantNoCanvas);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "まだキャンバスが作成されていません。");
  EXPECT_EQ(platform.messages[0].caption, "キャンバスを作成してちょ。");
}

TEST_F(PlantingTest, TreeLoadsIntoTheFirstEmptySlotAndWaits) {
  FillTable(7);
  (*garden.table)[3].state = 0;
  garden.table->SetCount(6);
  const int slot = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  EXPECT_EQ(slot, 3);
  EXPECT_TRUE(platform.messages.empty());
  const Tree& tree = (*garden.table)[3];
  EXPECT_EQ(tree.state, 0) << "unplaced, whatever state the file stored";
  EXPECT_EQ(tree.file_name, "plant.ki");
  EXPECT_EQ(tree.name, "エゾイチヤクソウ");
  EXPECT_EQ(garden.table->growing_count(), 6);
}

TEST_F(PlantingTest, FailedLoadLeavesTheSlotEmpty) {
  const std::string junk = dir.File("junk.ki");
  ASSERT_TRUE(WriteFileAtomically(junk, "not a tree at all", 17));
  EXPECT_EQ(LoadTreeFileForPlanting(garden.canvas, *garden.table, junk), kPlantLoadFailed);
  EXPECT_EQ((*garden.table)[0].state, 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "このファイルはKIファイルではありません。LoadKi");
}

TEST_F(PlantingTest, FiveTreesOnThePointWithRadiusZero) {
  FillTable(2);
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ASSERT_EQ(s, 2);
  (*garden.table)[4].state = 1;  // a growing tree in between
  garden.table->CountUp();
  (*garden.table)[s].kind = 0;  // spreading: stays where it is put
  const std::vector<GrowthOp> original = (*garden.table)[s].ops;
  ScatterOptions options;
  options.count = 5;
  options.radius = 0;
  options.mutation_handling = false;
  ScatterStats stats;
  EXPECT_EQ(ScatterTree(*garden.table, s, 123, 45, 200, 120, options, &stats), 5);
  EXPECT_EQ(stats.planted, 5);
  EXPECT_EQ(stats.copies, 4);
  EXPECT_EQ(garden.table->growing_count(), 3 + 5);
  // The waiting tree itself, then the lowest empty slots above it.
  for (int slot : {2, 3, 5, 6, 7}) {
    SCOPED_TRACE(slot);
    const Tree& t = (*garden.table)[slot];
    EXPECT_EQ(t.state, 1);
    EXPECT_EQ(t.plant_x, 123);
    EXPECT_EQ(t.plant_y, 45);
    EXPECT_EQ(t.pen.x, 123);
    EXPECT_EQ(t.pen.y, 45);
    EXPECT_EQ(t.cursor, 0u);
    EXPECT_EQ(t.name, "エゾイチヤクソウ");
    ASSERT_EQ(t.ops.size(), original.size());
    // Copies carry the jittered lengths of a split child.
    for (size_t i = 1; i < original.size(); ++i) {
      const int32_t range = original[i].code == kOpBranch ? 6 : 4;
      EXPECT_LE(std::abs(t.ops[i].length - original[i].length), range) << i;
    }
    ExpectPartsEqual(t.parts[0], (*garden.table)[2].parts[0]);
  }
  EXPECT_EQ((*garden.table)[8].state, 0);
  bool any_jitter = false;
  for (int slot : {3, 5, 6, 7})
    for (size_t i = 1; i < original.size(); ++i) any_jitter |= (*garden.table)[slot].ops[i].length != original[i].length;
  EXPECT_TRUE(any_jitter);
}

TEST_F(PlantingTest, RisingTreeLandsOnTheBottomEdge) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ASSERT_EQ(s, 0);
  ASSERT_EQ((*garden.table)[s].kind, 1);
  const int brush_height = (*garden.table)[s].pen.brush.height;
  ASSERT_EQ(brush_height, 7);
  ScatterOptions options;
  options.count = 3;
  options.radius = 40;
  options.rising_anywhere = false;
  EXPECT_EQ(ScatterTree(*garden.table, s, 50, 10, 200, 120, options), 3);
  for (int slot = 0; slot < 3; ++slot) {
    SCOPED_TRACE(slot);
    const Tree& t = (*garden.table)[slot];
    EXPECT_EQ(t.plant_y, 120 - 3 - 1);  // trunc(7 * 0.5) = 3
    EXPECT_EQ(t.pen.heading, 90);
    EXPECT_GE(t.plant_x, 0);
    EXPECT_LT(t.plant_x, 200);
  }
}

TEST_F(PlantingTest, RisingTreeAnywhereKeepsTheClickedRow) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ScatterOptions options;
  options.rising_anywhere = true;
  EXPECT_EQ(ScatterTree(*garden.table, s, 50, 10, 200, 120, options), 1);
  EXPECT_EQ((*garden.table)[s].plant_y, 10);
}

TEST_F(PlantingTest, OffsetsFollowTheDrawsAndWrap) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  (*garden.table)[s].kind = 0;
  ScatterOptions options;
  options.count = 1;
  options.radius = 300;  // larger than the canvas: positions wrap
  SeedRandom(2024);
  // The expected draws: sign, x offset, y offset, then the heading of Place.
  const int sign = (Rand() & 1) ? -1 : 1;
  const int ox = Rand() % 300;
  const int oy = Rand() % 300;
  const int heading = Rand() % 360;
  const uint32_t after = RandomState();
  SeedRandom(2024);
  EXPECT_EQ(ScatterTree(*garden.table, s, 190, 5, 200, 120, options), 1);
  EXPECT_EQ(RandomState(), after);
  const Tree& t = (*garden.table)[s];
  EXPECT_EQ(t.plant_x, (((190 + sign * ox) % 200) + 200) % 200);
  EXPECT_EQ(t.plant_y, (((5 + sign * oy) % 120) + 120) % 120);
  EXPECT_EQ(t.pen.heading, heading);
}

TEST_F(PlantingTest, CopiesWithoutAFreeSlotAreSkipped) {
  FillTable(97);
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ASSERT_EQ(s, 97);
  ScatterOptions options;
  options.count = 10;
  EXPECT_EQ(ScatterTree(*garden.table, s, 1, 1, 200, 120, options), 3);
  EXPECT_EQ(garden.table->growing_count(), 100);
}

TEST_F(PlantingTest, CountBelowOnePlantsTheTreeAlone) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ScatterOptions options;
  options.count = 0;
  options.radius = -5;  // counts as 0: no offset
  (*garden.table)[s].kind = 0;
  EXPECT_EQ(ScatterTree(*garden.table, s, 60, 70, 200, 120, options), 1);
  EXPECT_EQ((*garden.table)[s].state, 1);
  EXPECT_EQ((*garden.table)[s].plant_x, 60);
  EXPECT_EQ((*garden.table)[s].plant_y, 70);
  EXPECT_EQ(garden.table->growing_count(), 1);
}

TEST_F(PlantingTest, ScatteringTwiceDoesNotPlantAGrowingTreeAgain) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  ScatterOptions options;
  ASSERT_EQ(ScatterTree(*garden.table, s, 60, 70, 200, 120, options), 1);
  EXPECT_EQ(ScatterTree(*garden.table, s, 10, 10, 200, 120, options), kPlantBadSlot);
  EXPECT_EQ(ScatterTree(*garden.table, -1, 10, 10, 200, 120, options), kPlantBadSlot);
  EXPECT_EQ(ScatterTree(*garden.table, 100, 10, 10, 200, 120, options), kPlantBadSlot);
  EXPECT_EQ(garden.table->growing_count(), 1);
}

TEST_F(PlantingTest, CopiesPassThroughMutationHandling) {
  const int s = LoadTreeFileForPlanting(garden.canvas, *garden.table, tree_file);
  Tree& source = (*garden.table)[s];
  source.mutant = 0;
  source.mutation_chance = 100;  // every copy becomes a mutant
  ScatterOptions options;
  options.count = 3;
  ScatterStats stats;
  EXPECT_EQ(ScatterTree(*garden.table, s, 20, 20, 200, 120, options, &stats), 3);
  EXPECT_EQ(stats.copies, 2);
  EXPECT_EQ(stats.mutants, 2);
  EXPECT_EQ((*garden.table)[s].mutant, 0) << "the planted tree itself is not handled";
  EXPECT_EQ((*garden.table)[s + 1].mutant, 1);
  EXPECT_EQ((*garden.table)[s + 2].mutant, 1);
}

TEST_F(PlantingTest, ScatterOptionsComeFromTheSettings) {
  MInitInfo settings;
  settings.scatter_count = 12;
  settings.scatter_radius = 345;
  settings.rising_anywhere = 1;
  const ScatterOptions options = ScatterOptionsFromSettings(settings);
  EXPECT_EQ(options.count, 12);
  EXPECT_EQ(options.radius, 345);
  EXPECT_TRUE(options.rising_anywhere);
  EXPECT_TRUE(options.mutation_handling);
}

}  // namespace
}  // namespace sylvane::testing
