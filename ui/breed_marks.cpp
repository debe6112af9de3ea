#include "ui/breed_marks.h"

#include <algorithm>

namespace sylvane {
namespace {

bool Listed(const LabelEntry& label, const std::vector<LabelEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(), [&](const LabelEntry& e) { return SameLabel(e, label); });
}

// The first mark went: the second, if any, takes its place.
void MoveSecondUp(BreedMarks& marks) {
  marks.has_first = marks.has_second;
  marks.first = marks.has_second ? marks.second : LabelEntry{};
  marks.has_second = false;
  marks.second = LabelEntry{};
}

}  // namespace

bool SameLabel(const LabelEntry& a, const LabelEntry& b) {
  return a.name == b.name && a.kind == b.kind && a.mutant == b.mutant && a.x == b.x && a.y == b.y &&
         a.file_name == b.file_name;
}

void MarkByClick(BreedMarks& marks, const LabelEntry& tree) {
  marks.Clear();
  marks.has_first = true;
  marks.first = tree;
}

void MarkByCtrlClick(BreedMarks& marks, const LabelEntry& tree) {
  if (marks.has_first && SameLabel(marks.first, tree)) {
    MoveSecondUp(marks);
    return;
  }
  if (marks.has_second && SameLabel(marks.second, tree)) {
    marks.has_second = false;
    marks.second = LabelEntry{};
    return;
  }
  if (!marks.has_first) {
    marks.has_first = true;
    marks.first = tree;
    return;
  }
  marks.has_second = true;
  marks.second = tree;
}

bool DropStaleMarks(BreedMarks& marks, const std::vector<LabelEntry>& entries) {
  bool dropped = false;
  if (marks.has_second && !Listed(marks.second, entries)) {
    marks.has_second = false;
    marks.second = LabelEntry{};
    dropped = true;
  }
  if (marks.has_first && !Listed(marks.first, entries)) {
    MoveSecondUp(marks);
    dropped = true;
  }
  return dropped;
}

std::vector<MarkDraw> LayOutMarks(const BreedMarks& marks, float factor) {
  std::vector<MarkDraw> out;
  if (marks.has_first) out.push_back({MarkerTopLeft(ZoomedTreePoint(marks.first, factor)), kMarkFirst});
  if (marks.has_second) out.push_back({MarkerTopLeft(ZoomedTreePoint(marks.second, factor)), kMarkSecond});
  return out;
}

}  // namespace sylvane
