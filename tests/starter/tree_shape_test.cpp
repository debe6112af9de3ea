// Growth programs built from shape numbers (trees/tree_shape.h).
#include <gtest/gtest.h>

#include "trees/tree.h"
#include "trees/tree_shape.h"

namespace sylvane {
namespace {

int Count(const Tree& t, int32_t code) {
  int n = 0;
  for (const GrowthOp& op : t.ops) n += op.code == code;
  return n;
}

TEST(TreeShape, ABareTrunkIsAChainOfBranchesWithAFlowerOnTop) {
  TreeShape s;
  s.trunk_segments = 3;
  s.trunk_length = 10;
  s.taper = 50;
  s.depth = 0;
  s.leaf_every = 0;
  Tree t;
  ASSERT_EQ(BuildTreeShape(s, t), 5);
  EXPECT_TRUE(ValidateGrowthProgram(t));
  // Root, three segments each on the one before, halving in length, and the flower.
  EXPECT_EQ(t.ops[0].code, kOpBranch);
  EXPECT_EQ(t.ops[1].parent, 0);
  EXPECT_EQ(t.ops[1].length, 10);
  EXPECT_EQ(t.ops[2].parent, 1);
  EXPECT_EQ(t.ops[2].length, 5);
  EXPECT_EQ(t.ops[3].parent, 2);
  EXPECT_EQ(t.ops[3].length, 2);
  EXPECT_EQ(t.ops[4].code, kOpFlower);
  EXPECT_EQ(t.ops[4].parent, 3);
  EXPECT_EQ(t.ops[4].length, s.flower_stalk);
}

TEST(TreeShape, PairedForksGrowOnBothSidesAndAlternatingOnesTakeTurns) {
  TreeShape s;
  s.trunk_segments = 4;
  s.depth = 1;
  s.first_fork = 1;
  s.side_segments = 2;
  s.leaf_every = 0;
  s.fork_angle = 30;
  s.paired = 1;
  Tree paired;
  ASSERT_GT(BuildTreeShape(s, paired), 0);
  // Three forks (segments 1..3) of two branches of two segments, plus the trunk and root.
  EXPECT_EQ(Count(paired, kOpBranch), 1 + 4 + 3 * 2 * 2);
  // One flower per side branch; the trunk forked, so it carries none.
  EXPECT_EQ(Count(paired, kOpFlower), 6);
  s.paired = 0;
  Tree alternating;
  ASSERT_GT(BuildTreeShape(s, alternating), 0);
  EXPECT_EQ(Count(alternating, kOpBranch), 1 + 4 + 3 * 2);
  std::vector<int32_t> first_side_headings;
  for (size_t i = 1; i < alternating.ops.size(); ++i) {
    const GrowthOp& op = alternating.ops[i];
    const GrowthOp& parent = alternating.ops[size_t(op.parent)];
    if (op.code == kOpBranch && op.heading_offset != parent.heading_offset && op.parent != 0)
      first_side_headings.push_back(op.heading_offset - parent.heading_offset);
  }
  ASSERT_EQ(first_side_headings.size(), 3u);
  EXPECT_EQ(first_side_headings[0], 30);
  EXPECT_EQ(first_side_headings[1], -30);
  EXPECT_EQ(first_side_headings[2], 30);
}

TEST(TreeShape, LeavesSecondFlowersAndLoopPointsFollowTheirLevels) {
  TreeShape s;
  s.trunk_segments = 2;
  s.depth = 1;
  s.first_fork = 0;
  s.side_segments = 3;
  s.side_segments_step = 0;
  s.leaf_every = 1;
  s.leaf_min_level = 1;
  s.leaf_pairs = 1;
  s.second_every = 3;
  s.loop_every = 2;
  Tree t;
  ASSERT_GT(BuildTreeShape(s, t), 0);
  EXPECT_TRUE(ValidateGrowthProgram(t));
  // Two side branches of three segments: a leaf pair on each segment, a second
  // flower on segment 0, loop points on segments 0 and 2.
  EXPECT_EQ(Count(t, kOpLeaf), 2 * 3 * 2);
  EXPECT_EQ(Count(t, kOpSecondFlower), 2);
  EXPECT_EQ(Count(t, kOpLoopPoint), 4);
  for (const GrowthOp& op : t.ops) {
    if (op.code != kOpLeaf) continue;
    EXPECT_NE(t.ops[size_t(op.parent)].heading_offset, 0) << "no leaves on the trunk (level 0)";
  }
  for (const GrowthOp& op : t.ops) {
    if (op.code != kOpLoopPoint) continue;
    EXPECT_EQ(op.loop_branch, op.parent);
  }
}

TEST(TreeShape, HangingFlowersPointDownWhateverTheBranchDoes) {
  TreeShape s;
  s.trunk_segments = 2;
  s.depth = 1;
  s.first_fork = 0;
  s.fork_angle = 70;
  s.droop = 15;
  s.leaf_every = 0;
  s.flower_hangs = 1;
  Tree t;
  ASSERT_GT(BuildTreeShape(s, t), 0);
  int flowers = 0;
  for (const GrowthOp& op : t.ops) {
    if (op.code != kOpFlower) continue;
    EXPECT_EQ(op.heading_offset, 180);
    ++flowers;
  }
  EXPECT_EQ(flowers, 2);
}

TEST(TreeShape, UnusableOrTooLargeShapesAreRefusedLeavingNoOps) {
  Tree t;
  TreeShape none;
  none.trunk_segments = 0;
  EXPECT_EQ(BuildTreeShape(none, t), -1);
  EXPECT_TRUE(t.ops.empty());
  TreeShape huge;
  huge.trunk_segments = 40;
  huge.depth = 4;
  huge.first_fork = 0;
  huge.paired = 1;
  huge.side_segments = 10;
  huge.side_segments_step = 0;
  EXPECT_EQ(BuildTreeShape(huge, t), -1);
  EXPECT_TRUE(t.ops.empty());
}

}  // namespace
}  // namespace sylvane
