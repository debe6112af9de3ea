// Planting a tree file into the garden: the first empty slot takes the tree,
// which then waits there (state 0) until the user picks a point on the map;
// there it is scattered: the tree itself and jittered copies of it placed
// around the point. The Windows program and the command line share these.
//
// A planting changes the tree table, so the Windows program calls these only
// while no growth pass runs (it stops the worker first and starts none while
// a loaded tree waits for its position: a pass could hand its empty slot to a
// new child).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "trees/mutation_settings.h"

namespace sylvane {

struct Canvas;
struct MInitInfo;
class TreeTable;
struct Tree;

// The message of commands that need a canvas, and of planting without one.
inline constexpr char kNoCanvasText[] = "まだキャンバスが作成されていません。";
inline constexpr char kNoCanvasCaption[] = "キャンバスを作成してちょ。";
void ShowNoCanvasMessage();

// The message of planting into a full table.
inline constexpr char kTableFullText[] = "只今樹が満杯です。";
inline constexpr char kTableFullCaption[] = "満杯";

// Failures of the planting steps (each reported once).
constexpr int kPlantNoCanvas = -1;    // the no-canvas message
constexpr int kPlantTableFull = -2;   // "只今樹が満杯です。" (caption "満杯")
constexpr int kPlantLoadFailed = -3;  // the loader's own message (or a cancelled dialog); slot left empty
constexpr int kPlantBadSlot = -4;     // scatter: no tree waits in that slot, or the canvas is empty

// The checks made before anything is loaded: a canvas must exist and a slot
// be free. Returns the first empty slot, or kPlantNoCanvas / kPlantTableFull
// after the message.
int FindPlantingSlot(const Canvas& canvas, const TreeTable& table);

// The loader fills the tree of the slot (a tree file, or the open-tree
// dialog); 0 when it did, anything else when it failed or was cancelled.
using TreeLoader = std::function<int(Tree& tree)>;

// Checks, then loads into the first empty slot. On success the slot's state is
// 0 (not yet placed) and its index is returned; on failure the slot stays
// empty and a negative code is returned.
int LoadTreeForPlanting(const Canvas& canvas, TreeTable& table, const TreeLoader& load);
// The same with the tree file at path (LoadTreeFile and its messages).
int LoadTreeFileForPlanting(const Canvas& canvas, TreeTable& table, const std::string& path);

// How a scatter plants.
struct ScatterOptions {
  int32_t count = 1;             // trees planted, the waiting tree included; below 1 plants the tree alone
  int32_t radius = 0;            // largest offset from the point, pixels; below 0 counts as 0
  bool rising_anywhere = false;  // "上昇樹を任意の位置に配置できるようにする": off puts rising trees on the bottom edge
  bool mutation_handling = true; // copies pass through mutation handling (which gives them the part images);
                                 // off: they only receive copies of the part images
  MutationSettings mutation;     // what mutation handling reads
};

// The scatter settings of the application settings (scatter count, radius,
// rising trees anywhere, mutation handling).
ScatterOptions ScatterOptionsFromSettings(const MInitInfo& settings);

// What a scatter did.
struct ScatterStats {
  int planted = 0;  // trees placed, the waiting tree included
  int copies = 0;   // jittered copies made
  int mutants = 0;  // copies that came out of mutation handling as mutants
};

// Scatters the tree waiting in `slot` around (cx, cy) on a width x height
// canvas: for n = 0 .. count - 1 the target is the slot itself for n = 0 and
// otherwise the lowest slot at or above it whose state is 0 (none: that copy
// is skipped). A copy is made with the split-child copy (jittered lengths) and
// passes through mutation handling. Each target then draws its offset (a sign,
// odd rand() -1, then rand() % radius for x and for y, no draws for radius 0),
// is wrapped into the canvas, put on the bottom edge when it is a rising tree
// and rising trees anywhere is off, placed (state 1) and counted. Returns the
// number of trees planted, or kPlantBadSlot when slot is not 0..99, its state
// is not 0 (nothing waits there) or the canvas size is not positive.
int ScatterTree(TreeTable& table, int slot, int32_t cx, int32_t cy, int32_t width, int32_t height,
                const ScatterOptions& options, ScatterStats* stats = nullptr);

}  // namespace sylvane
