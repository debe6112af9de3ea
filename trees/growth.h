// Growth: a growth pass visits every growing tree once and runs its growth
// program a little further. The pen walks pixel by pixel over the canvas
// (a torus), painting the branch; when it has walked as far as the next op
// asks, the op fires: a branch fork is recorded, a flower or leaf sprite drawn
// (trees/draw_part.h) or a loop point noted. Finished trees free their slot
// and may split; loop points may start loop children. Every new tree passes
// through mutation handling.
//
// A pass may run on the growth worker: it makes no interface calls, reads the
// stop flag after every tree, and reports only through the platform seam
// (inside mutation handling).
#pragma once
#include <array>
#include <atomic>
#include <cstdint>

#include "canvas/image/surface.h"
#include "trees/mutation_settings.h"
#include "trees/tree.h"

namespace sylvane {

struct LabelList;

// Loop seeds handed back by one grow call: entry k is the k-th loop point
// fired in that call.
struct LoopSeeds {
  static constexpr int kMax = 5;  // at most five seeds per call; later loop points are not recorded
  int32_t count = 0;
  std::array<int32_t, kMax> x{};            // pen x when the loop point fired, canvas pixels
  std::array<int32_t, kMax> y{};            // pen y, canvas pixels from the top
  std::array<int32_t, kMax> heading{};      // pen heading, degrees
  std::array<int32_t, kMax> loop_branch{};  // the op's loop branch index
};

// Result of grow for a tree whose program is finished.
constexpr int kGrowFinished = -100;

// Where a pass paints and what it may do.
struct GrowthEnv {
  Surface* tree_layer = nullptr;  // the canvas's tree layer
  AlphaPlane* weight = nullptr;   // its background-weight plane (same size)
  LabelList* labels = nullptr;    // receives the name labels; none when null
  bool loop_enabled = true;       // "樹のループを有効にする"
  bool split_enabled = true;      // "樹の分裂を有効にする"
  bool rising_anywhere = false;   // "上昇樹を任意の位置に配置できるようにする"; off: rising split children on the bottom edge
  int32_t loop_irregularity = 0;  // 0..100, heading jitter of loop children, degrees
  // Read after every tree; the pass ends when it is set. Null: never stops.
  const std::atomic<uint8_t>* stop = nullptr;
  // Mutation handling for each new child (trees/mutation.h); null: none.
  // It gets this environment: the table (crossover partners) and the
  // mutation settings below.
  int (*mutate)(const GrowthEnv& env, Tree& parent, Tree& child) = nullptr;
  TreeTable* table = nullptr;     // the garden's table, for mutation handling
  MutationSettings mutation;      // a copy taken when the pass was set up
};

// What a pass (or the sample garden's growth) did.
struct GrowthStats {
  int64_t trees_handled = 0;   // grow calls
  int64_t trees_finished = 0;  // trees whose program ended (slot freed)
  int64_t loop_children = 0;
  int64_t split_children = 0;
  int64_t mutants = 0;         // children that mutation handling turned into mutants
};

// Mutation handling of a new child (env.mutate; without one the child only
// receives copies of the parent's part images), counting new mutants.
void HandleNewChild(const GrowthEnv& env, Tree& parent, Tree& child, GrowthStats* stats);

// One growth pass with step budget `budget` (200 periodic, 300 daily).
// Returns 0.
int GrowthPass(TreeTable& table, const GrowthEnv& env, int budget, GrowthStats* stats = nullptr);

// Advances one tree by budget x growth speed / 100 iterations (at least one).
// Returns 0 while its program goes on and kGrowFinished when it is finished
// (also when it was finished on entry, or when its program is unsound and
// cannot be run).
int Grow(Tree& tree, Surface& tree_layer, AlphaPlane& weight, LabelList* labels, int budget,
         LoopSeeds& seeds);

// One pixel of walking plus a stamp when due (brush pattern in mode 1, the
// branch sprite otherwise).
void PenStep(Pen& pen, Surface& tree_layer, AlphaPlane& weight, const PartImage& branch_sprite);

// Stamps a sprite with its alpha plane centred at (x, y) (canvas pixels from
// the top left), wrapping at the canvas edges.
void StampSprite(const PartImage& sprite, int x, int y, Surface& tree_layer, AlphaPlane& weight);

// Makes `child` the loop child of `parent` for seed j: a new tree that regrows
// the part of the parent's program below the seed's loop branch.
void LoopChild(Tree& child, const LoopSeeds& seeds, int j, int32_t parent_pen_mode, const Tree& parent,
               int32_t loop_irregularity);

// Makes `child` a split child of `parent` on a canvas_width x canvas_height
// canvas: placed at a Gaussian offset from the parent's plant point, with the
// parent's whole program and jittered lengths.
void SplitChild(Tree& child, const Tree& parent, int canvas_width, int canvas_height, bool rising_anywhere);

// A random integer 0..n-1 from a discrete Gaussian of the given mean and
// variance; the mean when no bucket is hit; -1 when mean < 0 or n < 1 (no
// draw). Draws one random number. Each table is built once and kept.
int GaussianPick(int mean, int variance, int n);
// The same pick with the table built afresh for this call (the reference).
int GaussianPickUncached(int mean, int variance, int n);
// Turns the table cache of GaussianPick off (every call rebuilds) or on.
void SetGaussianCache(bool enabled);

}  // namespace sylvane
