// The tree object and the tree table: construction values, the append
// operations and their refusals, placing, the child initialisers, the
// built-in sample tree, program validation and the slot table.
#include <gtest/gtest.h>

#include <vector>

#include "base/random.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

// The generator state after n draws from `seed`.
uint32_t StateAfter(uint32_t seed, int n) {
  SeedRandom(seed);
  for (int i = 0; i < n; ++i) Rand();
  return RandomState();
}

TEST(Pen, ConstructionValuesAndBrushBuiltWithDraws) {
  SeedRandom(99);
  Pen pen;
  // A 2 x 2 pattern of type 1 makes one density test per cell of each of the six variants.
  EXPECT_EQ(RandomState(), StateAfter(99, 24));
  EXPECT_EQ(pen.heading, 0);
  EXPECT_EQ(pen.step_count, 0);
  EXPECT_EQ(pen.heading_variance, 0);
  EXPECT_EQ(pen.x, 0);
  EXPECT_EQ(pen.y, 0);
  EXPECT_EQ(pen.mode, 1);
  EXPECT_EQ(pen.red, 221);
  EXPECT_EQ(pen.green, 213);
  EXPECT_EQ(pen.blue, 159);
  EXPECT_EQ(pen.stamp_interval, 0);
  EXPECT_EQ(pen.stamp_countdown, 0);
  const BrushParams b = pen.brush_params();
  EXPECT_EQ(b.type, 1);
  EXPECT_EQ(b.width, 2);
  EXPECT_EQ(b.height, 2);
  EXPECT_EQ(b.strength, 100);
  EXPECT_EQ(b.edge, 60);
  EXPECT_EQ(b.density, 80);
}

TEST(Tree, ConstructionClearsEverything) {
  Tree t;
  EXPECT_EQ(t.kind, 0);
  EXPECT_EQ(t.mutant, 0);
  EXPECT_EQ(t.growth_speed, 0);
  EXPECT_EQ(t.split_spread, 0);
  EXPECT_EQ(t.state, 0);
  EXPECT_EQ(t.op_count(), 0u);
  EXPECT_EQ(t.cursor, 0u);
  EXPECT_EQ(t.label_state, 0);
  EXPECT_TRUE(t.name.empty());
  EXPECT_TRUE(t.file_name.empty());
  for (uint8_t p : t.part_present) EXPECT_EQ(p, 0);
  EXPECT_TRUE(t.finished());
}

TEST(Tree, AppendBranchCreatesRootIgnoringLengthAndParent) {
  Tree t;
  ASSERT_EQ(t.AppendBranch(30, 99, 7, 5), 0);
  ASSERT_EQ(t.op_count(), 1u);
  const GrowthOp& root = t.ops[0];
  EXPECT_EQ(root.code, kOpBranch);
  EXPECT_EQ(root.heading_offset, 30);
  EXPECT_EQ(root.length, 0);
  EXPECT_EQ(root.parent, 0);
  EXPECT_EQ(root.aux, 5);
  EXPECT_EQ(root.part_angle, 0);
  ASSERT_EQ(t.AppendBranch(-10, 12, 0, 2), 0);
  EXPECT_EQ(t.ops[1].length, 12);
  EXPECT_EQ(t.ops[1].parent, 0);
  EXPECT_EQ(t.ops[1].heading_offset, -10);
  EXPECT_EQ(t.ops[1].aux, 2);
}

TEST(Tree, AppendToAFlowerOrMissingParentFails) {
  Tree t;
  EXPECT_EQ(t.AppendPart(kOpFlower, 0, 5, 0, 0, 0), -2);  // empty list
  EXPECT_EQ(t.op_count(), 0u);
  t.AppendBranch(0, 0, 0, 1);
  ASSERT_EQ(t.AppendPart(kOpFlower, 10, 5, 0, 3, -20), 0);
  const GrowthOp& f = t.ops[1];
  EXPECT_EQ(f.code, kOpFlower);
  EXPECT_EQ(f.heading_offset, 10);
  EXPECT_EQ(f.length, 5);
  EXPECT_EQ(f.parent, 0);
  EXPECT_EQ(f.aux, 0);
  EXPECT_EQ(f.spare, 3);
  EXPECT_EQ(f.part_angle, -20);
  EXPECT_EQ(t.AppendBranch(0, 5, 1, 2), -1);  // parent is a flower
  EXPECT_EQ(t.AppendPart(kOpLeaf, 0, 5, 1, 0, 0), -1);
  EXPECT_EQ(t.AppendPart(kOpLeaf, 0, 5, 2, 0, 0), -1);   // out of range
  EXPECT_EQ(t.AppendPart(kOpLeaf, 0, 5, -1, 0, 0), -1);  // negative
  EXPECT_EQ(t.AppendBranch(0, 5, 9, 2), -1);
  EXPECT_EQ(t.AppendPart(kOpLoopPoint, 0, 5, 0, 0, 0), -1);  // not a part op
  EXPECT_EQ(t.op_count(), 2u);
}

TEST(Tree, AppendCopyKeepsAllTenFields) {
  Tree t;
  GrowthOp op{103, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  t.AppendCopy(op);
  const GrowthOp& c = t.ops[0];
  EXPECT_EQ(c.code, 103);
  EXPECT_EQ(c.heading_offset, 1);
  EXPECT_EQ(c.length, 2);
  EXPECT_EQ(c.parent, 3);
  EXPECT_EQ(c.aux, 4);
  EXPECT_EQ(c.spare, 5);
  EXPECT_EQ(c.part_angle, 6);
  EXPECT_EQ(c.loop_branch, 7);
  EXPECT_EQ(c.fired_x, 8);
  EXPECT_EQ(c.fired_y, 9);
}

TEST(Tree, PlacingARisingTreeHeadsUpWithoutADraw) {
  Tree t;
  t.kind = 1;
  t.AppendBranch(0, 0, 0, 1);
  t.AppendPart(kOpLeaf, 0, 4, 0, 0, 0);
  t.pen.step_count = 17;
  t.cursor = 2;
  SeedRandom(5);
  t.Place(40, 70);
  EXPECT_EQ(RandomState(), StateAfter(5, 0));
  EXPECT_EQ(t.pen.heading, 90);
  EXPECT_EQ(t.plant_x, 40);
  EXPECT_EQ(t.plant_y, 70);
  EXPECT_EQ(t.pen.x, 40);
  EXPECT_EQ(t.pen.y, 70);
  EXPECT_EQ(t.cursor, 0u);
  EXPECT_EQ(t.state, 1);
  EXPECT_EQ(t.label_state, 2);      // no flower: the label waits for the first leaf
  EXPECT_EQ(t.pen.step_count, 17);  // kept
}

TEST(Tree, PlacingASpreadingTreeDrawsItsHeading) {
  for (uint32_t seed = 1; seed < 200; ++seed) {
    Tree t;
    t.kind = 0;
    t.AppendBranch(0, 0, 0, 1);
    t.AppendPart(kOpFlower, 0, 4, 0, 0, 0);
    SeedRandom(seed);
    const int expected = Rand() % 360;
    SeedRandom(seed);
    t.Place(1, 2);
    EXPECT_EQ(t.pen.heading, expected);
    EXPECT_GE(t.pen.heading, 0);
    EXPECT_LT(t.pen.heading, 360);
    EXPECT_EQ(t.label_state, 0);
  }
}

TEST(Tree, InitFromParametersKeepsLowEightBitsOfSpreadAndTheCountdown) {
  Tree source;
  source.pen.heading_variance = 7;
  source.pen.red = 1;
  source.pen.green = 2;
  source.pen.blue = 3;
  source.pen.stamp_interval = 9;
  source.pen.SetBrush(BrushParams{2, 6, 4, 120, 30, 70});

  Tree t;
  t.AppendBranch(0, 0, 0, 0);
  t.pen.stamp_countdown = 33;
  t.pen.step_count = 12;
  t.cursor = 4;
  t.label_state = 1;
  TreeInit init;
  init.name = "name";
  init.file_name = "file.ki";
  init.kind = 1;
  init.mutant = 1;
  init.x = 11;
  init.y = 22;
  init.heading = 135;
  init.pen_mode = 0;
  init.split_distance = 500;
  init.split_spread = 5000;
  init.growth_speed = 22;
  init.split_chance = 25;
  init.split_max = 3;
  init.loop_chance = 40;
  init.mutation_chance = 12;
  init.part_jitter = 1;
  init.branch_jitter = 4;
  SeedRandom(3);
  t.InitFromParameters(init, source.pen);
  EXPECT_EQ(RandomState(), StateAfter(3, 6 * 6 * 4));  // the 6 x 4 brush rebuilt
  EXPECT_EQ(t.op_count(), 0u);
  EXPECT_EQ(t.name, "name");
  EXPECT_EQ(t.file_name, "file.ki");
  EXPECT_EQ(t.kind, 1);
  EXPECT_EQ(t.mutant, 1);
  EXPECT_EQ(t.split_spread, 136);  // 5000 & 0xFF
  EXPECT_EQ(t.split_distance, 500);
  EXPECT_EQ(t.split_max, 3);
  EXPECT_EQ(t.loop_chance, 40);
  EXPECT_EQ(t.plant_x, 11);
  EXPECT_EQ(t.plant_y, 22);
  EXPECT_EQ(t.pen.x, 11);
  EXPECT_EQ(t.pen.y, 22);
  EXPECT_EQ(t.pen.heading, 135);
  EXPECT_EQ(t.pen.step_count, 0);
  EXPECT_EQ(t.pen.mode, 0);
  EXPECT_EQ(t.pen.heading_variance, 7);
  EXPECT_EQ(t.pen.red, 1);
  EXPECT_EQ(t.pen.green, 2);
  EXPECT_EQ(t.pen.blue, 3);
  EXPECT_EQ(t.pen.stamp_interval, 9);
  EXPECT_EQ(t.pen.stamp_countdown, 33);  // not touched
  EXPECT_EQ(t.pen.brush_params().type, 2);
  EXPECT_EQ(t.pen.brush_params().width, 6);
  EXPECT_EQ(t.pen.brush_params().height, 4);
  EXPECT_EQ(t.cursor, 0u);
  EXPECT_EQ(t.label_state, 0);
}

TEST(Tree, InitDefaultSetsTheDefaultsAndClearsPartColours) {
  Tree t;
  for (PartImage& p : t.parts) {
    for (int k = 0; k < 12; ++k) p.params[size_t(k)] = 50 + k;
  }
  t.cursor = 3;
  SeedRandom(8);
  t.InitDefault("a", "b", 1, 0, 300, 350, 90);
  EXPECT_EQ(RandomState(), StateAfter(8, 8 * 8 * 6));
  EXPECT_EQ(t.kind, 1);
  EXPECT_EQ(t.growth_speed, 22);
  EXPECT_EQ(t.split_distance, 500);
  EXPECT_EQ(t.split_spread, 5000);
  EXPECT_EQ(t.split_chance, 25);
  EXPECT_EQ(t.split_max, 1);
  EXPECT_EQ(t.loop_chance, 0);
  EXPECT_EQ(t.mutation_chance, 12);
  EXPECT_EQ(t.part_jitter, 1);
  EXPECT_EQ(t.branch_jitter, 4);
  EXPECT_EQ(t.pen.heading, 90);
  EXPECT_EQ(t.pen.heading_variance, 2);
  EXPECT_EQ(t.pen.mode, 1);
  EXPECT_EQ(t.pen.red, 95);
  EXPECT_EQ(t.pen.green, 165);
  EXPECT_EQ(t.pen.blue, 19);
  EXPECT_EQ(t.pen.stamp_interval, 4);
  EXPECT_EQ(t.pen.stamp_countdown, 0);
  const BrushParams b = t.pen.brush_params();
  EXPECT_EQ(b.type, 1);
  EXPECT_EQ(b.width, 8);
  EXPECT_EQ(b.height, 8);
  EXPECT_EQ(b.strength, 150);
  EXPECT_EQ(b.edge, 100);
  EXPECT_EQ(b.density, 90);
  EXPECT_EQ(t.cursor, 0u);
  for (const PartImage& p : t.parts) {
    for (int k = 0; k < 6; ++k) EXPECT_EQ(p.params[size_t(k)], 50 + k);
    for (int k = 6; k < 12; ++k) EXPECT_EQ(p.params[size_t(k)], 0);
  }
}

TEST(Tree, TheBuiltInSampleTree) {
  Tree t;
  MakeSampleTree(t, 350, 350, 90);
  EXPECT_EQ(t.name, "エゾイチヤクソウ");
  EXPECT_EQ(t.file_name, "ファイル名");
  EXPECT_EQ(t.kind, 1);
  EXPECT_EQ(t.mutant, 0);
  ASSERT_EQ(t.op_count(), 33u);
  struct Row {
    int code, heading, length, parent, aux, angle;
  };
  const std::vector<Row> expected = {
      {100, 0, 0, 0, 1, 0},     {100, 0, 40, 0, 2, 0},
      {102, 45, 10, 1, 0, -215}, {100, 0, 15, 1, 2, 0},
      {102, -45, 10, 3, 0, 215}, {100, 0, 15, 3, 2, 0},
      {102, 45, 10, 5, 0, -215}, {100, 0, 15, 5, 2, 0},
      {102, -45, 10, 7, 0, 235}, {100, 0, 120, 7, 2, 0},
      {101, 25, 20, 9, 0, -25},  {100, 0, 10, 9, 2, 0},
      {101, -25, 20, 11, 0, 25}, {100, 0, 10, 11, 2, 0},
      {101, 25, 20, 13, 0, -25}, {100, 0, 10, 13, 2, 0},
      {101, -25, 20, 15, 0, 25}, {100, 0, 10, 15, 2, 0},
      {101, 25, 20, 17, 0, -25}, {100, 0, 10, 17, 2, 0},
      {101, -25, 20, 19, 0, 25}, {100, 0, 10, 19, 2, 0},
      {101, 25, 20, 21, 0, -25}, {100, 0, 10, 21, 2, 0},
      {104, -25, 15, 23, 0, 0},  {100, 0, 10, 23, 2, 0},
      {104, 25, 15, 25, 0, 0},   {100, 0, 10, 25, 2, 0},
      {104, -25, 15, 27, 0, 0},  {100, 0, 10, 27, 2, 0},
      {104, 25, 15, 29, 0, 0},   {100, 0, 10, 29, 1, 0},
      {104, 0, 15, 31, 0, 0},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t.ops[i].code, expected[i].code);
    EXPECT_EQ(t.ops[i].heading_offset, expected[i].heading);
    EXPECT_EQ(t.ops[i].length, expected[i].length);
    EXPECT_EQ(t.ops[i].parent, expected[i].parent);
    EXPECT_EQ(t.ops[i].aux, expected[i].aux);
    EXPECT_EQ(t.ops[i].part_angle, expected[i].angle);
  }
  EXPECT_TRUE(ValidateGrowthProgram(t));
}

TEST(Tree, ValidationRefusesProgramsGrowthCannotRun) {
  Tree t;
  EXPECT_TRUE(ValidateGrowthProgram(t));  // empty: finishes at once
  t.AppendCopy(GrowthOp{kOpFlower, 0, 0, 0});
  EXPECT_FALSE(ValidateGrowthProgram(t));  // root is not a branch
  t.ops.clear();
  t.AppendBranch(0, 0, 0, 0);
  t.AppendPart(kOpFlower, 0, 3, 0, 0, 0);
  EXPECT_TRUE(ValidateGrowthProgram(t));
  t.AppendCopy(GrowthOp{kOpLeaf, 0, 3, 1});  // parent is the flower
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[2].parent = 2;  // itself
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[2].parent = 7;  // beyond the list
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[2].parent = -1;
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[2].parent = 0;
  EXPECT_TRUE(ValidateGrowthProgram(t));
  GrowthOp loop{kOpLoopPoint, 0, 3, 0};
  loop.loop_branch = 1;  // a flower
  t.AppendCopy(loop);
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[3].loop_branch = 40;
  EXPECT_FALSE(ValidateGrowthProgram(t));
  t.ops[3].loop_branch = 0;
  EXPECT_TRUE(ValidateGrowthProgram(t));
}

TEST(Tree, ReleaseFreesOpsAndPartsWithoutDraws) {
  Tree t;
  MakeSampleTree(t, 0, 0, 90);
  t.parts[0].surface.CreateFilled(4, 4, 9);
  t.part_present = {1, 1, 1, 1};
  SeedRandom(4);
  t.Release();
  EXPECT_EQ(RandomState(), StateAfter(4, 0));
  EXPECT_EQ(t.op_count(), 0u);
  EXPECT_TRUE(t.parts[0].surface.empty());
  EXPECT_EQ(t.part_present[0], 0);
}

TEST(Tree, CopyPartsMakesIndependentCopies) {
  Tree a, b;
  a.parts[2].surface.CreateFilled(3, 2, 77);
  a.parts[2].alpha.CreateFilled(3, 2, 200);
  a.parts[2].params[1] = 5;
  b.CopyParts(a.parts);
  EXPECT_EQ(b.part_present[2], 1);
  EXPECT_EQ(b.parts[2].surface.width, 3);
  EXPECT_EQ(b.parts[2].alpha.bytes, a.parts[2].alpha.bytes);
  EXPECT_EQ(b.parts[2].params[1], 5);
  a.parts[2].surface.pixels[0] = 1;
  EXPECT_EQ(b.parts[2].surface.pixels[0], 77);
}

TEST(TreeTable, BuildsAHundredPensWithTheirDraws) {
  SeedRandom(21);
  TreeTable table;
  EXPECT_EQ(RandomState(), StateAfter(21, 100 * 24));
  EXPECT_EQ(table.growing_count(), 0);
  EXPECT_EQ(table.FirstEmptySlot(), 0);
}

TEST(TreeTable, ClearingKeepsContentsButEmptiesSlots) {
  TreeTable table;
  std::vector<int> counts;
  table.SetCountListener([&](int n) { counts.push_back(n); });
  MakeSampleTree(table[3], 1, 2, 90);
  table[3].state = 2;
  table[3].cursor = 5;
  table[0].state = 1;
  table.SetCount(2);
  table.ClearAll();
  EXPECT_EQ(table.growing_count(), 0);
  EXPECT_EQ(table[3].state, 0);
  EXPECT_EQ(table[3].cursor, 0u);
  EXPECT_EQ(table[3].name, "エゾイチヤクソウ");
  EXPECT_EQ(table[3].op_count(), 33u);
  EXPECT_EQ(counts, (std::vector<int>{2, 0}));
}

TEST(TreeTable, FirstEmptySlotAndAFullTable) {
  TreeTable table;
  std::vector<int> counts;
  table.SetCountListener([&](int n) { counts.push_back(n); });
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    ASSERT_EQ(table.FirstEmptySlot(), i);
    table[i].state = (i % 2) ? 1 : 2;
    table.CountUp();
  }
  EXPECT_EQ(table.FirstEmptySlot(), -1);  // the 101st tree finds no slot
  EXPECT_EQ(table.growing_count(), 100);
  EXPECT_EQ(counts.size(), 100u);
  EXPECT_EQ(counts.back(), 100);
  table[57].state = 0;
  table[80].state = 0;
  EXPECT_EQ(table.FirstEmptySlot(), 57);
  EXPECT_EQ(table.FirstEmptySlotExcept(57), 80);
  table.CountDown();
  EXPECT_EQ(counts.back(), 99);
}

}  // namespace
}  // namespace sylvane
