#include "trees/planting.h"

#include "base/random.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "trees/growth.h"
#include "trees/ki_file.h"
#include "trees/mutation.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

// Brings v into 0..size-1 by adding or subtracting size as often as needed.
int32_t Wrap(int64_t v, int32_t size) {
  int64_t r = v % size;
  if (r < 0) r += size;
  return int32_t(r);
}

}  // namespace

void ShowNoCanvasMessage() { ShowMessage(kNoCanvasText, kNoCanvasCaption); }

int FindPlantingSlot(const Canvas& canvas, const TreeTable& table) {
  if (!canvas.exists) {
    ShowNoCanvasMessage();
    return kPlantNoCanvas;
  }
  const int slot = table.FirstEmptySlot();
  if (slot < 0) {
    ShowMessage(kTableFullText, kTableFullCaption);
    return kPlantTableFull;
  }
  return slot;
}

int LoadTreeForPlanting(const Canvas& canvas, TreeTable& table, const TreeLoader& load) {
  const int slot = FindPlantingSlot(canvas, table);
  if (slot < 0) return slot;
  Tree& tree = table[slot];
  if (!load || load(tree) != 0) {
    tree.state = 0;
    return kPlantLoadFailed;
  }
  // The record's own state does not count: the tree waits, unplaced, for its
  // position (a growing state would let a pass grow it where it was saved).
  tree.state = 0;
  return slot;
}

int LoadTreeFileForPlanting(const Canvas& canvas, TreeTable& table, const std::string& path) {
  return LoadTreeForPlanting(canvas, table, [&path](Tree& tree) { return LoadTreeFile(tree, path); });
}

ScatterOptions ScatterOptionsFromSettings(const MInitInfo& settings) {
  ScatterOptions options;
  options.count = settings.scatter_count;
  options.radius = settings.scatter_radius;
  options.rising_anywhere = settings.rising_anywhere != 0;
  options.mutation = MutationSettingsFrom(settings);
  return options;
}

int ScatterTree(TreeTable& table, int slot, int32_t cx, int32_t cy, int32_t width, int32_t height,
                const ScatterOptions& options, ScatterStats* stats) {
  if (slot < 0 || slot >= TreeTable::kSlots || table[slot].state != 0 || width <= 0 || height <= 0)
    return kPlantBadSlot;
  // Values the scatter dialog stores unchecked must not lose the tree or
  // divide by zero: the waiting tree is always planted.
  const int32_t count = options.count < 1 ? 1 : options.count;
  const int32_t radius = options.radius < 0 ? 0 : options.radius;
  Tree& source = table[slot];
  int planted = 0;
  for (int32_t n = 0; n < count; ++n) {
    int t = slot;
    if (n > 0) {
      t = -1;
      for (int k = slot + 1; k < TreeTable::kSlots; ++k) {
        if (table[k].state == 0) {
          t = k;
          break;
        }
      }
      if (t < 0) continue;
      Tree& copy = table[t];
      SplitChild(copy, source, width, height, options.rising_anywhere);
      if (options.mutation_handling) {
        HandleMutationIn(table, options.mutation, source, copy);
      } else {
        copy.CopyParts(source.parts);
      }
      if (stats) {
        ++stats->copies;
        if (copy.mutant == 1) ++stats->mutants;
      }
    }
    Tree& tree = table[t];
    tree.state = 0;
    const int sign = (Rand() & 1) ? -1 : 1;
    const int32_t ox = radius != 0 ? Rand() % radius : 0;
    const int32_t oy = radius != 0 ? Rand() % radius : 0;
    const int32_t x = Wrap(int64_t(cx) + int64_t(sign) * ox, width);
    int32_t y = Wrap(int64_t(cy) + int64_t(sign) * oy, height);
    if (tree.kind == 1 && !options.rising_anywhere) y = height - int32_t(tree.pen.brush.height * 0.5) - 1;
    tree.Place(x, y);
    table.CountUp();
    ++planted;
  }
  if (stats) stats->planted += planted;
  return planted;
}

}  // namespace sylvane
