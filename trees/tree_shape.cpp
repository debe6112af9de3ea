#include "trees/tree_shape.h"

#include <algorithm>

namespace sylvane {
namespace {

class ShapeBuilder {
 public:
  ShapeBuilder(const TreeShape& shape, Tree& tree) : s_(shape), t_(tree) {}

  bool Build() {
    t_.ClearOps();
    if (t_.AppendBranch(s_.trunk_heading, 0, 0, 0) != 0) return false;
    BranchFrom(0, s_.trunk_heading, s_.trunk_length, s_.trunk_segments, 0, 1);
    return !too_big_;
  }

 private:
  int Last() const { return static_cast<int>(t_.ops.size()) - 1; }

  bool Room(int more) {
    if (static_cast<int>(t_.ops.size()) + more > kMaxShapeOps) too_big_ = true;
    return !too_big_;
  }

  // Sprite angles flip with the side so that left and right parts mirror each other.
  static int32_t SideAngle(int32_t angle, int side) { return side < 0 ? -angle : angle; }

  void Leaves(int node, int32_t heading, int s, int level) {
    if (s_.leaf_every <= 0 || level < s_.leaf_min_level || level > s_.leaf_max_level || s % s_.leaf_every != 0 || !Room(2)) return;
    if (s_.leaf_pairs) {
      t_.AppendPart(kOpLeaf, heading + s_.leaf_angle, s_.leaf_stalk, node, 0, s_.leaf_part_angle);
      t_.AppendPart(kOpLeaf, heading - s_.leaf_angle, s_.leaf_stalk, node, 0, -s_.leaf_part_angle);
    } else {
      const int side = (leaf_side_++ % 2 == 0) ? 1 : -1;
      t_.AppendPart(kOpLeaf, heading + side * s_.leaf_angle, s_.leaf_stalk, node, 0,
                    SideAngle(s_.leaf_part_angle, side));
    }
  }

  void SecondFlower(int node, int32_t heading, int s, int level) {
    if (s_.second_every <= 0 || level < s_.second_min_level || s % s_.second_every != 0 || !Room(1)) return;
    const int side = (second_side_++ % 2 == 0) ? 1 : -1;
    t_.AppendPart(kOpSecondFlower, heading + side * s_.second_angle, s_.second_stalk, node, 0, 0);
  }

  void LoopPoint(int node, int32_t heading, int s, int level) {
    if (s_.loop_every <= 0 || level != 1 || s % s_.loop_every != 0 || !Room(1)) return;
    GrowthOp op;
    op.code = kOpLoopPoint;
    op.heading_offset = heading;
    op.length = 1;
    op.parent = node;
    op.loop_branch = node;
    t_.AppendCopy(op);
  }

  // A branch of `segments` segments from op `parent`, heading `heading`.
  void BranchFrom(int parent, int32_t heading, int32_t length, int segments, int level, int side) {
    int prev = parent;
    int32_t h = heading;
    bool forked = false;
    int forks = 0;
    for (int s = 0; s < segments && !too_big_; ++s) {
      if (level == 0) {
        h = heading + s * s_.trunk_bend + (s_.trunk_sway == 0 ? 0 : (s % 2 == 0 ? s_.trunk_sway : -s_.trunk_sway));
      } else {
        h = heading + side * s_.droop * s;
      }
      if (!Room(1)) return;
      t_.AppendBranch(h, std::max<int32_t>(1, length), prev, 0);
      const int node = Last();
      Leaves(node, h, s, level);
      SecondFlower(node, h, s, level);
      LoopPoint(node, h, s, level);
      if (level < s_.depth && s >= s_.first_fork && (s - s_.first_fork) % std::max(1, s_.fork_every) == 0) {
        const int32_t angle = s_.fork_angle + s_.fork_angle_step * level + s_.fork_fan * forks;
        forked = true;
        ++forks;
        const int child_segments = std::max(1, s_.side_segments + s_.side_segments_step * level);
        const int32_t child_length = std::max<int32_t>(1, length * s_.side_length / 100);
        if (s_.paired) {
          BranchFrom(node, h + angle, child_length, child_segments, level + 1, 1);
          BranchFrom(node, h - angle, child_length, child_segments, level + 1, -1);
        } else {
          const int fork_side = (fork_side_[size_t(std::min(level, 7))]++ % 2 == 0) ? 1 : -1;
          BranchFrom(node, h + fork_side * angle, child_length, child_segments, level + 1, fork_side);
        }
      }
      prev = node;
      length = std::max<int32_t>(1, length * s_.taper / 100);
    }
    const bool tip = s_.flower_all_tips || level == s_.depth || !forked;
    if (s_.flower_tips && tip && Room(1))
      t_.AppendPart(kOpFlower, s_.flower_hangs ? s_.trunk_heading + s_.flower_heading : h, s_.flower_stalk, prev, 0,
                    SideAngle(s_.flower_part_angle, side));
  }

  const TreeShape& s_;
  Tree& t_;
  bool too_big_ = false;
  int leaf_side_ = 0;
  int second_side_ = 0;
  int fork_side_[8] = {};
};

}  // namespace

int BuildTreeShape(const TreeShape& shape, Tree& tree) {
  if (shape.trunk_segments < 1 || shape.trunk_length < 1 || shape.taper < 1 || shape.side_length < 1 ||
      shape.depth < 0 || shape.depth > 6) {
    tree.ClearOps();
    return -1;
  }
  ShapeBuilder builder(shape, tree);
  if (!builder.Build()) {
    tree.ClearOps();
    return -1;
  }
  return static_cast<int>(tree.ops.size());
}

}  // namespace sylvane
