// A tree's growth program built from a handful of shape numbers: a trunk of
// branch ops, side branches forking from it level by level, leaves along the
// branches and flowers at their tips. The starter trees beside the program are
// made this way, one shape per species.
#pragma once
#include <cstdint>

#include "trees/tree.h"

namespace sylvane {

// The shape of a growth program. Lengths are pen steps (pixels), angles
// degrees counter-clockwise relative to the branch a part grows from.
struct TreeShape {
  int32_t trunk_segments = 6;     // branch ops along the trunk (at least 1)
  int32_t trunk_length = 30;      // steps of the first trunk segment
  int32_t taper = 90;             // percent: each next segment of a branch is this long relative to the last
  int32_t trunk_heading = 0;      // heading offset of the trunk from the tree's heading
  int32_t trunk_sway = 0;         // the trunk's segments turn alternately by this much
  int32_t trunk_bend = 0;         // each next trunk segment turns this much further (an arching stem)
  int32_t depth = 2;              // levels of side branches below the trunk (0: none)
  int32_t first_fork = 1;         // no side branch on a branch's first `first_fork` segments
  int32_t fork_every = 1;         // a fork on every n-th segment after that
  int32_t fork_angle = 40;        // heading of a side branch relative to its parent branch
  int32_t fork_angle_step = 0;    // added to the fork angle per level
  int32_t fork_fan = 0;           // added to the fork angle for each further fork along the same branch
  int32_t paired = 0;             // 1: a side branch on both sides of every fork; 0: alternating sides
  int32_t droop = 0;              // each segment of a side branch turns this much further outwards (negative: inwards)
  int32_t side_segments = 4;      // segments of a first-level side branch
  int32_t side_segments_step = -1;  // added per level (at least 1 segment)
  int32_t side_length = 60;       // percent of the parent's segment length a side branch's first segment has
  int32_t leaf_every = 1;         // leaves on every n-th segment (0: none)
  int32_t leaf_min_level = 1;     // the shallowest level with leaves (0: the trunk too)
  int32_t leaf_max_level = 99;    // the deepest level with leaves
  int32_t leaf_angle = 55;        // heading of a leaf stalk relative to its branch
  int32_t leaf_stalk = 3;         // steps of the stalk before the leaf is drawn
  int32_t leaf_pairs = 1;         // 1: a leaf on both sides; 0: alternating sides
  int32_t leaf_part_angle = 0;    // sprite angle of a leaf relative to its stalk
  int32_t flower_tips = 1;        // 1: a flower at the end of every branch of the deepest level
  int32_t flower_all_tips = 0;    // 1: at the end of every branch, the trunk included
  int32_t flower_stalk = 4;       // steps of a flower's stalk
  int32_t flower_part_angle = 0;  // sprite angle of a flower relative to its stalk
  int32_t flower_hangs = 0;       // 1: flower stalks point at flower_heading from the tree's heading
                                  // whatever the branch does (hanging racemes, nodding bells)
  int32_t flower_heading = 180;   // that heading, relative to the tree's heading (180: straight down)
  int32_t second_every = 0;       // a second flower on every n-th segment (0: none)
  int32_t second_min_level = 1;   // the shallowest level with second flowers
  int32_t second_angle = 30;      // heading of a second flower's stalk relative to its branch
  int32_t second_stalk = 3;       // steps of its stalk
  int32_t loop_every = 0;         // a loop point on every n-th segment of the first level (0: none)
};

// Replaces tree's ops by the program the shape describes (the root branch
// first). Returns the number of ops, or -1 when the shape is unusable
// (no trunk, lengths below 1, more than kMaxShapeOps ops); the ops are then empty.
int BuildTreeShape(const TreeShape& shape, Tree& tree);

// The largest program BuildTreeShape makes.
constexpr int kMaxShapeOps = 4000;

}  // namespace sylvane
