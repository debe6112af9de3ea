// The garden side of breeding: finding the trees behind two name labels the
// user chose in the canvas window, and putting their child into the tree
// table the way a loaded tree file waits there to be placed (trees/planting.h),
// so that the map window plants it exactly as it plants a tree file.
//
// Both change or read the tree table: the Windows program calls them only
// while no growth pass runs.
#pragma once
#include <string>
#include <vector>

#include "canvas/records/name_labels.h"
#include "trees/crossover.h"
#include "trees/tree.h"

namespace sylvane {

struct Canvas;

// Results of FindLabelledTree.
constexpr int kLabelledLiving = 0;    // a living tree of the table
constexpr int kLabelledFile = 1;      // the tree file named by the label
constexpr int kLabelledMissing = -1;  // neither: "「%s」の樹が見つかりません。" (caption "交配")

inline constexpr char kLabelledMissingText[] = "「%s」の樹が見つかりません。";

// Copies into out the tree a name label stands for:
//  1. among the living trees of the table (state 1 or 2) whose shown name
//     (LabelDisplayName) and file name are the label's, the one planted
//     nearest to the label's spot;
//  2. otherwise the tree file with the label's file name in the first of
//     `folders` that holds one (LoadTreeFile, with its messages).
// When neither is found, shows the message above; when the file is there but
// refused, the loader's message. Either way out is left as it was.
int FindLabelledTree(const LabelEntry& label, const TreeTable& table, const std::vector<std::string>& folders,
                     Tree& out);

// Crosses a with b into the first empty slot of the table, where the child
// waits unplaced (state 0) for its position like a tree loaded for planting.
// The canvas and free-slot checks come first, with their messages. Returns
// the slot; kPlantNoCanvas or kPlantTableFull (trees/planting.h) after their
// messages; kPlantLoadFailed after the refusal of CrossTrees (slot left empty).
int BreedForPlanting(const Canvas& canvas, TreeTable& table, const Tree& a, const Tree& b,
                     CrossoverReport* report = nullptr);

}  // namespace sylvane
