// Breeding in the program: "交配させる" crosses the two trees marked in the
// canvas window and plants the child exactly as a tree file is planted (the
// scatter dialog when asked for, then the map; the map click scatters it with
// mutation handling and its name label comes with its first flower).
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "canvas/garden.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "platform/platform.h"
#include "trees/breeding.h"
#include "trees/crossover.h"
#include "trees/ki_dialogs_win.h"
#include "trees/planting.h"
#include "trees/tree.h"
#include "ui/breed_marks.h"
#include "ui/canvas_window_win.h"

namespace sylvane::app {
namespace {

inline constexpr char kChildBornText[] = "「%s」が生まれました。樹ファイルに保存しますか？";

// The child waiting for the map click: its slot (-1 when none) and name. A
// map that was cancelled leaves them behind; the name tells a later planting
// into the same slot apart.
int g_child_slot = -1;
std::string g_child_name;

// Where a parent whose tree is no longer in the garden is looked for, by its
// label's file name.
std::vector<std::string> ParentFolders() {
  const MInitInfo& s = Settings();
  return {s.folders[kFolderOpenTrees], s.folders[kFolderSaveTrees], s.folders[kFolderMutantArchive],
          GetPlatform().ProgramFolder()};
}

// The child has no file of its own yet: offered once, before it is planted,
// so that every scattered copy carries the file name it was saved under.
void OfferToSaveChild(HWND main, Tree& child) {
  char text[700];
  std::snprintf(text, sizeof text, kChildBornText, child.name.c_str());
  if (Ask(text, kCrossCaption, QuestionButtons::kYesNo) != Answer::kYes) return;
  // The file holds the tree as it starts (state 1, cursor 0), as "樹を保存する" writes it.
  Tree copy = child;
  copy.state = 1;
  copy.cursor = 0;
  if (SaveTreeDialog(main, copy, Settings().folders[kFolderSaveTrees]) == 0) child.file_name = copy.file_name;
}

}  // namespace

void OnBreed(HWND main, int) {
  // The map window is waiting with a tree for its position: that planting comes first.
  if (PlantingPending()) return;
  LabelEntry first, second;
  if (!CanvasWindowBreedPair(first, second)) {
    ShowMessage(kBreedNeedsTwoText, kCrossCaption);
    return;
  }
  const std::vector<std::string> folders = ParentFolders();
  int slot = -1;
  const int shown = PlantWithLoader(main, [&](Garden& g) {
    Tree a, b;
    if (FindLabelledTree(first, g.table, folders, a) == kLabelledMissing) return int(kPlantLoadFailed);
    if (FindLabelledTree(second, g.table, folders, b) == kLabelledMissing) return int(kPlantLoadFailed);
    slot = BreedForPlanting(g.canvas, g.table, a, b);
    if (slot >= 0) OfferToSaveChild(main, g.table[slot]);
    return slot;
  });
  g_child_slot = shown == 0 ? slot : -1;
  g_child_name = shown == 0 ? Engine().garden().table[slot].name : std::string();
}

void AfterPlanted(int slot) {
  if (slot < 0 || slot != g_child_slot || Engine().garden().table[slot].name != g_child_name) return;
  g_child_slot = -1;
  g_child_name.clear();
  ClearCanvasWindowBreedMarks();
}

}  // namespace sylvane::app
