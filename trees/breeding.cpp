#include "trees/breeding.h"

#include <cstdio>
#include <limits>

#include "base/file_io.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "trees/ki_file.h"
#include "trees/planting.h"

namespace sylvane {

int FindLabelledTree(const LabelEntry& label, const TreeTable& table, const std::vector<std::string>& folders,
                     Tree& out) {
  int best = -1;
  int64_t best_distance = std::numeric_limits<int64_t>::max();
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    const Tree& t = table[i];
    if (t.state != 1 && t.state != 2) continue;
    if (t.file_name != label.file_name || LabelDisplayName(t.name, t.mutant) != label.name) continue;
    const int64_t dx = int64_t(t.plant_x) - label.x, dy = int64_t(t.plant_y) - label.y;
    const int64_t distance = dx * dx + dy * dy;
    if (distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  if (best >= 0) {
    out = table[best];
    return kLabelledLiving;
  }
  if (!label.file_name.empty()) {
    for (const std::string& folder : folders) {
      if (folder.empty()) continue;
      const std::string path = JoinPath(folder, label.file_name);
      if (!FileExists(path)) continue;
      Tree loaded;
      if (LoadTreeFile(loaded, path) != 0) return kLabelledMissing;  // the loader told why
      out = std::move(loaded);
      return kLabelledFile;
    }
  }
  char text[600];
  std::snprintf(text, sizeof text, kLabelledMissingText, label.name.c_str());
  ShowMessage(text, kCrossCaption);
  return kLabelledMissing;
}

int BreedForPlanting(const Canvas& canvas, TreeTable& table, const Tree& a, const Tree& b,
                     CrossoverReport* report) {
  // The child is built aside and moved in at the end, so a parent may sit in
  // the slot that receives it.
  return LoadTreeForPlanting(canvas, table,
                             [&](Tree& slot) { return CrossTrees(a, b, slot, report) == kCrossOk ? 0 : -1; });
}

}  // namespace sylvane
