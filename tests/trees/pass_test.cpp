// Loop children, split children and the growth pass over the table.
#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "base/random.h"
#include "canvas/records/name_labels.h"
#include "trees/growth.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

struct Layers {
  Surface trees;
  AlphaPlane weight;
  Layers(int w, int h) {
    trees.CreateFilled(w, h, 0);
    weight.CreateFilled(w, h, 255);
  }
};

// Parent program: 0 root; 1 branch; 2 loop point (loop branch 1); 3 flower;
// 4 branch; 5 leaf on 4; 6 branch on the root (not below 1).
Tree LoopParent() {
  Tree p;
  p.name = "oya";
  p.file_name = "oya.ki";
  p.kind = 0;
  p.split_spread = 5000;
  p.growth_speed = 30;
  p.AppendBranch(0, 0, 0, 1);
  p.AppendBranch(15, 8, 0, 7);
  GrowthOp loop{kOpLoopPoint, 5, 3, 1};
  loop.loop_branch = 1;
  p.AppendCopy(loop);
  p.AppendPart(kOpFlower, 20, 4, 1, 9, -30);
  p.AppendBranch(-10, 6, 1, 2);
  p.AppendPart(kOpLeaf, 40, 2, 4, 0, 100);
  p.AppendBranch(60, 5, 0, 2);
  return p;
}

LoopSeeds OneSeed(int x, int y, int heading, int branch) {
  LoopSeeds s;
  s.count = 1;
  s.x[0] = x;
  s.y[0] = y;
  s.heading[0] = heading;
  s.loop_branch[0] = branch;
  return s;
}

TEST(LoopChild, CopiesTheSubtreeBelowTheLoopBranchBreadthFirst) {
  const Tree p = LoopParent();
  Tree child;
  SeedRandom(17);
  LoopChild(child, OneSeed(33, 44, 200, 1), 0, 1, p, 0);
  EXPECT_EQ(child.pen.heading, 200);  // irregularity 0: the seed's heading
  EXPECT_EQ(child.plant_x, 33);
  EXPECT_EQ(child.plant_y, 44);
  EXPECT_EQ(child.name, "oya");
  EXPECT_EQ(child.split_spread, 136);
  ASSERT_EQ(child.op_count(), 5u);
  // Root from op 1: its heading offset and aux, length 0.
  EXPECT_EQ(child.ops[0].code, kOpBranch);
  EXPECT_EQ(child.ops[0].heading_offset, 15);
  EXPECT_EQ(child.ops[0].aux, 7);
  EXPECT_EQ(child.ops[0].length, 0);
  // Generation 1: ops 2, 3, 4 of the parent, all on the root.
  EXPECT_EQ(child.ops[1].code, kOpLoopPoint);
  EXPECT_EQ(child.ops[1].parent, 0);
  EXPECT_EQ(child.ops[1].loop_branch, 0);  // remapped: op 1 became the root
  EXPECT_EQ(child.ops[2].code, kOpFlower);
  EXPECT_EQ(child.ops[2].length, 4);  // copied unchanged
  EXPECT_EQ(child.ops[2].spare, 9);
  EXPECT_EQ(child.ops[2].part_angle, -30);
  EXPECT_EQ(child.ops[3].code, kOpBranch);
  EXPECT_EQ(child.ops[3].parent, 0);
  // Generation 2: the leaf on op 4, now on op 3.
  EXPECT_EQ(child.ops[4].code, kOpLeaf);
  EXPECT_EQ(child.ops[4].parent, 3);
  EXPECT_EQ(child.label_state, 0);
  EXPECT_TRUE(ValidateGrowthProgram(child));
}

TEST(LoopChild, IrregularityJittersTheHeadingEitherWay) {
  const Tree p = LoopParent();
  std::set<int> headings;
  for (uint32_t seed = 0; seed < 300; ++seed) {
    Tree child;
    SeedRandom(seed);
    const int delta = Rand() % 21;
    const int expected = (Rand() & 1) ? (5 - delta + 360) % 360 : 5 + delta;
    SeedRandom(seed);
    LoopChild(child, OneSeed(1, 1, 5, 1), 0, 1, p, 10);
    EXPECT_EQ(child.pen.heading, expected);
    headings.insert(child.pen.heading);
  }
  EXPECT_GT(headings.size(), 30u);
}

TEST(LoopChild, AGenerationExpandsAtMostFiveBranches) {
  Tree p;
  p.AppendBranch(0, 0, 0, 1);
  for (int i = 0; i < 7; ++i) p.AppendBranch(i, 2, 0, 2);  // ops 1..7 on the root
  for (int i = 1; i <= 7; ++i) p.AppendPart(kOpLeaf, 0, 2, i, 0, 0);  // ops 8..14, one on each
  Tree child;
  LoopChild(child, OneSeed(0, 0, 90, 0), 0, 1, p, 0);
  // The root, the seven branches, and the leaves of the first five only.
  ASSERT_EQ(child.op_count(), 1u + 7u + 5u);
  for (int i = 8; i < 13; ++i) {
    EXPECT_EQ(child.ops[size_t(i)].code, kOpLeaf);
    EXPECT_EQ(child.ops[size_t(i)].parent, i - 7);
  }
  EXPECT_TRUE(ValidateGrowthProgram(child));
}

TEST(LoopChild, AnUnsoundSeedRegrowsFromTheRoot) {
  const Tree p = LoopParent();
  Tree child;
  LoopChild(child, OneSeed(0, 0, 90, 3), 0, 1, p, 0);  // op 3 is a flower
  EXPECT_EQ(child.op_count(), p.op_count());
  EXPECT_TRUE(ValidateGrowthProgram(child));
}

TEST(SplitChild, CopiesTheProgramWithJitteredLengths) {
  Tree p = LoopParent();
  p.plant_x = 100;
  p.plant_y = 80;
  p.split_distance = 40;
  p.split_spread = 20;
  p.part_jitter = 2;
  p.branch_jitter = 5;
  p.kind = 0;
  for (uint32_t seed = 0; seed < 50; ++seed) {
    Tree child;
    SeedRandom(seed);
    const int dx = GaussianPick(40, 20, 300);
    const int dy = GaussianPick(40, 20, 200);
    const int g = Rand(), sx = Rand(), sy = Rand();
    SeedRandom(seed);
    SplitChild(child, p, 300, 200, false);
    EXPECT_EQ(child.plant_x, ((100 + ((sx & 1) ? -dx : dx)) % 300 + 300) % 300);
    EXPECT_EQ(child.plant_y, ((80 + ((sy & 1) ? -dy : dy)) % 200 + 200) % 200);
    EXPECT_EQ(child.pen.heading, g % 360);
    ASSERT_EQ(child.op_count(), p.op_count());
    EXPECT_EQ(child.ops[0].heading_offset, 0);
    EXPECT_EQ(child.ops[0].aux, 1);
    for (size_t q = 1; q < p.ops.size(); ++q) {
      const int range = p.ops[q].code == kOpBranch ? 5 : 2;
      EXPECT_GE(child.ops[q].length, 1);
      EXPECT_LE(std::abs(child.ops[q].length - p.ops[q].length), range - 1);
      EXPECT_EQ(child.ops[q].parent, p.ops[q].parent);
      EXPECT_EQ(child.ops[q].code, p.ops[q].code);
    }
    EXPECT_EQ(child.label_state, 0);
  }
}

TEST(SplitChild, ARisingChildLandsOnTheBottomEdgeUnlessAllowedAnywhere) {
  Tree p = LoopParent();
  p.kind = 1;
  p.pen.SetBrush(BrushParams{1, 8, 9, 150, 100, 90});
  p.plant_x = 10;
  p.plant_y = 10;
  p.split_distance = 5;
  p.split_spread = 3;
  Tree child;
  SplitChild(child, p, 100, 120, false);
  EXPECT_EQ(child.pen.heading, 90);
  EXPECT_EQ(child.plant_y, 120 - 4 - 1);  // trunc(9 * 0.5) = 4
  EXPECT_EQ(child.pen.y, 115);
  SplitChild(child, p, 100, 120, true);
  EXPECT_NE(child.plant_y, 115);
}

TEST(SplitChild, WithoutJitterOnlyTheSignsAreDrawn) {
  Tree p = LoopParent();
  p.part_jitter = 0;
  p.branch_jitter = 0;
  Tree child;
  SplitChild(child, p, 50, 50, true);
  for (size_t q = 0; q < p.ops.size(); ++q) EXPECT_EQ(child.ops[q].length, p.ops[q].length);
}

// A tree that finishes in its first grow call and may split.
void PlantFinishing(TreeTable& table, int slot, int split_chance, int split_max) {
  Tree& t = table[slot];
  t.ClearOps();
  t.AppendBranch(0, 0, 0, 1);
  t.growth_speed = 100;
  t.split_chance = split_chance;
  t.split_max = split_max;
  t.split_distance = 20;
  t.split_spread = 10;
  t.kind = 0;
  t.Place(30, 30);
  table.CountUp();
}

GrowthEnv Env(Layers& c) {
  GrowthEnv env;
  env.tree_layer = &c.trees;
  env.weight = &c.weight;
  return env;
}

TEST(GrowthPass, SplitMaximumOneGivesOneChildAndThreeGivesOneOrTwo) {
  std::set<int> seen_for_three;
  for (uint32_t seed = 0; seed < 60; ++seed) {
    for (int max : {1, 3}) {
      TreeTable table;
      Layers c(100, 100);
      PlantFinishing(table, 0, 100, max);
      SeedRandom(seed);
      GrowthPass(table, Env(c), 200);
      EXPECT_EQ(table[0].state, 0);
      int children = 0;
      for (int i = 1; i < TreeTable::kSlots; ++i) children += table[i].state == 2;
      EXPECT_EQ(table.growing_count(), children);
      if (max == 1) {
        EXPECT_EQ(children, 1);
      } else {
        EXPECT_GE(children, 1);
        EXPECT_LE(children, 2);
        seen_for_three.insert(children);
      }
    }
  }
  EXPECT_EQ(seen_for_three.size(), 2u);
}

TEST(GrowthPass, SplittingDisabledOnlyFreesTheSlot) {
  TreeTable table;
  Layers c(100, 100);
  PlantFinishing(table, 0, 100, 1);
  GrowthEnv env = Env(c);
  env.split_enabled = false;
  GrowthPass(table, env, 200);
  EXPECT_EQ(table.growing_count(), 0);
  for (int i = 0; i < TreeTable::kSlots; ++i) EXPECT_EQ(table[i].state, 0);
}

TEST(GrowthPass, ChildrenAreBornWaitingForTheNextPass) {
  TreeTable table;
  Layers c(100, 100);
  PlantFinishing(table, 0, 100, 1);
  table[1].state = 2;  // handled in an earlier pass: waits again
  table[1].ClearOps();
  table[1].AppendBranch(0, 0, 0, 1);
  table[1].AppendBranch(0, 1000, 0, 2);
  table[1].growth_speed = 1;
  table.CountUp();
  GrowthStats stats;
  GrowthPass(table, Env(c), 200, &stats);
  EXPECT_EQ(stats.trees_handled, 2);
  EXPECT_EQ(stats.split_children, 1);
  EXPECT_EQ(table[1].state, 2);
  EXPECT_EQ(table[2].state, 2);  // the split child of slot 0 (slot 0 itself is never given)
  EXPECT_EQ(table[2].cursor, 0u);
  EXPECT_EQ(table.growing_count(), 2);
}

TEST(GrowthPass, TheStopFlagEndsThePassAfterATree) {
  TreeTable table;
  Layers c(100, 100);
  for (int slot : {0, 1}) {
    Tree& t = table[slot];
    t.ClearOps();
    t.AppendBranch(0, 0, 0, 1);
    t.AppendBranch(0, 500, 0, 2);
    t.growth_speed = 10;
    t.Place(10, 10);
    table.CountUp();
  }
  std::atomic<uint8_t> stop{1};
  GrowthEnv env = Env(c);
  env.stop = &stop;
  GrowthPass(table, env, 200);
  EXPECT_EQ(table[0].state, 2);
  EXPECT_EQ(table[1].state, 1);  // never reached
  stop = 0;
  GrowthPass(table, env, 200);
  EXPECT_EQ(table[1].state, 2);
}

// A tree that fires a loop point at once.
void PlantLooping(TreeTable& table, int loop_chance) {
  Tree& t = table[0];
  t = LoopParent();
  t.loop_chance = loop_chance;
  t.growth_speed = 100;
  t.split_max = 0;
  t.Place(50, 50);
  table.CountUp();
}

TEST(GrowthPass, LoopChildrenFollowTheSettingAndTheChance) {
  {
    TreeTable table;
    Layers c(100, 100);
    PlantLooping(table, 100);
    GrowthEnv env = Env(c);
    env.loop_enabled = false;
    GrowthStats stats;
    GrowthPass(table, env, 200, &stats);
    EXPECT_EQ(stats.loop_children, 0);
    EXPECT_EQ(table[1].state, 0);
  }
  {
    TreeTable table;
    Layers c(100, 100);
    PlantLooping(table, 100);
    GrowthStats stats;
    GrowthPass(table, Env(c), 200, &stats);
    EXPECT_EQ(stats.loop_children, 1);
    EXPECT_EQ(table[1].state, 2);
    EXPECT_EQ(table[1].op_count(), 5u);
    EXPECT_EQ(table[1].name, "oya");
    EXPECT_EQ(table.growing_count(), 1);  // the parent finished; its loop child grows
  }
  {
    TreeTable table;
    Layers c(100, 100);
    PlantLooping(table, 0);
    GrowthStats stats;
    GrowthPass(table, Env(c), 200, &stats);
    EXPECT_EQ(stats.loop_children, 0);
  }
}

TEST(GrowthPass, MutationHandlingSeesEveryChild) {
  static int calls;
  calls = 0;
  TreeTable table;
  Layers c(100, 100);
  PlantFinishing(table, 0, 100, 1);
  GrowthEnv env = Env(c);
  env.mutate = [](const GrowthEnv&, Tree& parent, Tree& child) {
    ++calls;
    child.CopyParts(parent.parts);
    child.mutant = 1;
    return 0;
  };
  GrowthStats stats;
  GrowthPass(table, env, 200, &stats);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(stats.mutants, 1);
}

TEST(GrowthPass, AnInheritedMutantFlagIsKeptButNotCountedAsANewMutant) {
  TreeTable table;
  Layers c(100, 100);
  PlantFinishing(table, 0, 100, 1);
  table[0].mutant = 1;
  GrowthEnv env = Env(c);
  env.mutate = [](const GrowthEnv&, Tree& parent, Tree& child) {
    child.CopyParts(parent.parts);
    return 0;
  };
  GrowthStats stats;
  GrowthPass(table, env, 200, &stats);
  EXPECT_EQ(stats.split_children, 1);
  EXPECT_EQ(stats.mutants, 0);
  EXPECT_EQ(table[1].mutant, 1);
}

TEST(GrowthPass, NoGrowingTreesDoesNothing) {
  TreeTable table;
  Layers c(10, 10);
  table[4].state = 2;  // a stale state with a count of 0
  SeedRandom(1);
  const uint32_t before = RandomState();
  GrowthPass(table, Env(c), 200);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(table[4].state, 1);
}

}  // namespace
}  // namespace sylvane
