// The two trees chosen for breeding in the canvas window, free of Win32.
//
// A click on a tree marks it as the first parent (and drops the second); a
// Ctrl+click adds the tree as the second parent, or takes a mark away again
// when the tree is already marked. A mark remembers the tree's name label;
// the garden finds the tree behind it when the two are crossed
// (trees/breeding.h). A mark whose label is no longer in the list (another
// canvas was made or opened) is dropped when the window rebuilds its picture.
#pragma once
#include <cstdint>
#include <vector>

#include "canvas/records/name_labels.h"
#include "ui/canvas_view.h"

namespace sylvane {

// The menu text of the command and the message when it is given without two
// marked trees (Shift-JIS; caption kCrossCaption of trees/crossover.h).
inline constexpr char kBreedMenuText[] = "交配させる";
inline constexpr char kBreedNeedsTwoText[] =
    "交配させる樹を二本選んでください。キャンバスウインドウで一本目をクリックし、"
    "二本目を Ctrl キーを押しながらクリックします。";

struct BreedMarks {
  bool has_first = false;   // a first parent is marked
  LabelEntry first;         // its label (valid when has_first)
  bool has_second = false;  // a second parent is marked (only with a first)
  LabelEntry second;        // its label (valid when has_second)

  int count() const { return int(has_first) + int(has_second); }
  // Both parents are marked: the command can run.
  bool complete() const { return has_first && has_second; }
  void Clear() { *this = BreedMarks{}; }
};

// True when two labels are the same label of the list (every field equal).
bool SameLabel(const LabelEntry& a, const LabelEntry& b);

// A plain click on a tree: it becomes the first parent, the second mark is dropped.
void MarkByClick(BreedMarks& marks, const LabelEntry& tree);
// A Ctrl+click on a tree: a marked tree loses its mark (a second parent then
// moves up to first); otherwise the tree becomes the first parent when none
// is marked, else the second (replacing an earlier second).
void MarkByCtrlClick(BreedMarks& marks, const LabelEntry& tree);

// Drops each mark whose label is not among entries (a second parent moves up
// when the first goes). True when a mark was dropped.
bool DropStaleMarks(BreedMarks& marks, const std::vector<LabelEntry>& entries);

// Which mark a drawn circle shows.
constexpr int kMarkFirst = 0;
constexpr int kMarkSecond = 1;

struct MarkDraw {
  ViewPoint top_left;  // the 12 x 12 circle's top-left, picture pixels (as the hover marker)
  int which = kMarkFirst;
};
// The circles of the marks at the zoom factor, first parent first.
std::vector<MarkDraw> LayOutMarks(const BreedMarks& marks, float factor);

}  // namespace sylvane
