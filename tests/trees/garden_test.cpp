// The sample garden and garden canvases, with the shipped sample parts, and
// determinism: the same seed grows the same garden.
#include <gtest/gtest.h>

#include "base/random.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "support/recording_platform.h"
#include "canvas/garden.h"
#include "trees/growth.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

const std::string kDataFolder = std::string(SYLVANE_SOURCE_DIR) + "/data";

struct Garden {
  testing::RecordingPlatform platform;
  TreeTable table;
  Canvas canvas;
  LabelList labels;
  MInitInfo settings;
  GrowthStats stats;
  Garden() {
    platform.program_folder = kDataFolder;
    settings.mutant_handling = 1;  // never archive
  }
};

TEST(SampleGarden, GrowsTheSampleTreeAtOnceOnANewCanvas) {
  Garden g;
  g.settings.background_red = 10;
  g.settings.background_green = 20;
  g.settings.background_blue = 30;
  MakeSampleTree(g.table[7], 1, 1, 90);
  g.table[7].state = 1;
  g.table.SetCount(1);
  g.labels.Add(LabelEntry{});
  SeedRandom(1);
  ASSERT_EQ(MakeSampleGarden(g.canvas, g.table, g.labels, g.settings, kDataFolder, &g.stats), 0);
  EXPECT_EQ(g.canvas.width(), 600);
  EXPECT_EQ(g.canvas.height(), 500);
  EXPECT_EQ(g.canvas.update_interval, 0);
  const uint8_t* bg = g.canvas.background.PixelAt(0, 0);
  EXPECT_EQ(bg[0], 30);
  EXPECT_EQ(bg[1], 20);
  EXPECT_EQ(bg[2], 10);
  EXPECT_EQ(g.table[7].state, 0);  // the table was emptied
  // The sample program is short enough to finish within 5000 x 22 % steps.
  EXPECT_EQ(g.stats.trees_handled, 1);
  EXPECT_EQ(g.stats.trees_finished, 1);
  EXPECT_EQ(g.table[0].state, 0);
  EXPECT_EQ(g.table.growing_count(), 0);
  EXPECT_EQ(g.table[0].name, "エゾイチヤクソウ");
  for (uint8_t present : g.table[0].part_present) EXPECT_EQ(present, 1);
  // One label, at the first flower, the old ones gone.
  ASSERT_EQ(g.labels.count(), 1);
  EXPECT_EQ(g.labels.entries[0].name, "エゾイチヤクソウ");
  EXPECT_EQ(g.labels.entries[0].x, g.table[0].ops[10].fired_x);
  EXPECT_EQ(g.labels.entries[0].y, g.table[0].ops[10].fired_y);
  // The stem starts at the planting point, heading up.
  EXPECT_EQ(g.table[0].ops[0].fired_x, 350);
  EXPECT_EQ(g.table[0].ops[0].fired_y, 350);
  EXPECT_LT(g.table[0].ops[9].fired_y, 350 - 100);
  int painted = 0;
  for (uint8_t w : g.canvas.weight.bytes) painted += w < 255;
  EXPECT_GT(painted, 1000);
  EXPECT_TRUE(g.platform.messages.empty());
}

TEST(SampleGarden, TheSameSeedGrowsTheSameGarden) {
  Garden a, b, c;
  SeedRandom(424242);
  MakeSampleGarden(a.canvas, a.table, a.labels, a.settings, kDataFolder);
  SeedRandom(424242);
  MakeSampleGarden(b.canvas, b.table, b.labels, b.settings, kDataFolder);
  SeedRandom(424243);
  MakeSampleGarden(c.canvas, c.table, c.labels, c.settings, kDataFolder);
  EXPECT_EQ(a.canvas.trees.pixels, b.canvas.trees.pixels);
  EXPECT_EQ(a.canvas.weight.bytes, b.canvas.weight.bytes);
  EXPECT_EQ(a.labels.entries[0].x, b.labels.entries[0].x);
  EXPECT_NE(a.canvas.weight.bytes, c.canvas.weight.bytes);
}

// Many passes of a garden with splits, loops and mutation handling.
void GrowForPasses(Garden& g, uint32_t seed, int passes) {
  g.settings.loop_irregularity = 20;
  SeedRandom(seed);
  CreateGardenCanvas(g.canvas, g.table, g.labels, 320, 240, 0x00302010, kBackgroundColour, Surface{}, 0, false);
  Tree& t = g.table[0];
  LoadSampleParts(t, kDataFolder, kSamplePartDescriptions);
  MakeSampleTree(t, 160, 200, 90);
  t.split_chance = 100;
  t.split_max = 4;
  t.split_distance = 60;
  t.split_spread = 200;
  t.mutation_chance = 50;
  t.growth_speed = 60;
  t.loop_chance = 100;
  GrowthOp loop{kOpLoopPoint, 10, 5, 9};
  loop.loop_branch = 9;
  t.AppendCopy(loop);
  t.state = 1;
  g.table.SetCount(1);
  const GrowthEnv env = MakeGrowthEnv(g.canvas, g.table, g.labels, g.settings);
  for (int p = 0; p < passes; ++p) GrowthPass(g.table, env, 200, &g.stats);
}

TEST(GardenGrowth, SameSeedSameLayersAfterManyPasses) {
  Garden a, b;
  GrowForPasses(a, 99, 12);
  const uint32_t state_a = RandomState();
  GrowForPasses(b, 99, 12);
  EXPECT_EQ(RandomState(), state_a);
  EXPECT_GT(a.stats.split_children + a.stats.loop_children, 2);
  EXPECT_EQ(a.stats.split_children, b.stats.split_children);
  EXPECT_EQ(a.stats.loop_children, b.stats.loop_children);
  EXPECT_EQ(a.stats.mutants, b.stats.mutants);
  EXPECT_EQ(a.canvas.trees.pixels, b.canvas.trees.pixels);
  EXPECT_EQ(a.canvas.weight.bytes, b.canvas.weight.bytes);
  EXPECT_EQ(a.labels.count(), b.labels.count());
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    EXPECT_EQ(a.table[i].state, b.table[i].state);
    EXPECT_EQ(a.table[i].op_count(), b.table[i].op_count());
  }
}

TEST(GardenGrowth, GrowingAtOnceMakesLoopChildrenWithoutAChanceDraw) {
  Garden g;
  g.settings.tree_loop = 0;  // ignored when growing at once
  CreateGardenCanvas(g.canvas, g.table, g.labels, 200, 200, 0, kBackgroundColour, Surface{}, 0, false);
  Tree& t = g.table[0];
  t.InitDefault("loop", "loop.ki", 1, 0, 100, 150, 90);
  t.loop_chance = 0;
  t.mutation_chance = 0;
  t.AppendBranch(0, 0, 0, 1);
  t.AppendBranch(0, 10, 0, 2);
  GrowthOp loop{kOpLoopPoint, 0, 3, 1};
  loop.loop_branch = 1;
  t.AppendCopy(loop);
  t.AppendBranch(20, 5, 1, 2);
  t.state = 1;
  g.table.SetCount(1);
  GrowAtOnce(g.table, MakeGrowthEnv(g.canvas, g.table, g.labels, g.settings), 5000, &g.stats);
  EXPECT_EQ(g.stats.loop_children, 1);
  EXPECT_EQ(g.stats.split_children, 0);
  EXPECT_EQ(g.table[0].state, 0);
  EXPECT_EQ(g.table[1].state, 2);
  EXPECT_EQ(g.table[1].op_count(), 3u);  // root (op 1), loop point, branch
  EXPECT_EQ(g.table.growing_count(), 1);
}

TEST(GardenCanvas, CreatingEmptiesTableAndLabelsAndRefusesBadSizes) {
  Garden g;
  g.table[3].state = 1;
  g.table.SetCount(1);
  g.labels.Add(LabelEntry{});
  g.labels.font_height = 16;
  ASSERT_EQ(CreateGardenCanvas(g.canvas, g.table, g.labels, 64, 48, 0x00FF8040, kBackgroundColour, Surface{}, 5,
                               false),
            kCanvasOk);
  EXPECT_EQ(g.table[3].state, 0);
  EXPECT_EQ(g.table.growing_count(), 0);
  EXPECT_EQ(g.labels.count(), 0);
  EXPECT_EQ(g.labels.font_height, 16);
  EXPECT_EQ(g.canvas.trees.width, 64);
  EXPECT_EQ(g.canvas.weight.bytes.size(), 64u * 48u);
  EXPECT_EQ(g.canvas.remaining_minutes, 5);
  EXPECT_EQ(g.canvas.background.PixelAt(5, 5)[0], 0xFF);
  EXPECT_EQ(g.canvas.background.PixelAt(5, 5)[2], 0x40);
  // A refused size changes nothing: the growing trees and labels stay.
  g.table[5].state = 1;
  g.table.SetCount(1);
  g.labels.Add(LabelEntry{});
  EXPECT_EQ(CreateGardenCanvas(g.canvas, g.table, g.labels, 0, 48, 0, kBackgroundColour, Surface{}, 0, false),
            kCanvasBadSize);
  EXPECT_EQ(CreateGardenCanvas(g.canvas, g.table, g.labels, 64, 16385, 0, kBackgroundColour, Surface{}, 0, false),
            kCanvasBadSize);
  EXPECT_EQ(g.table[5].state, 1);
  EXPECT_EQ(g.table.growing_count(), 1);
  EXPECT_EQ(g.labels.count(), 1);
  EXPECT_EQ(g.canvas.trees.width, 64);
}

TEST(GardenCanvas, SettingsColourIsAColorref) {
  MInitInfo s;
  s.background_red = 0x12;
  s.background_green = 0x34;
  s.background_blue = 0x56;
  EXPECT_EQ(SettingsBackgroundColour(s), 0x00563412u);
}

}  // namespace
}  // namespace sylvane
