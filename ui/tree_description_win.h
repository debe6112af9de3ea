// The tree description dialog "樹の説明" (resource 121), opened modally from
// the canvas window when a tree is clicked: the tree's name, origin and
// growth type, file name, and a strip of the lit canvas around the tree;
// "交配させる" (enabled while two trees are marked for breeding) closes it
// for the breeding command.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace sylvane {

// What the dialog shows, copied from the clicked tree's name label.
struct TreeDescriptionInput {
  std::string name;       // tree name (Shift-JIS)
  std::string file_name;  // tree file name (Shift-JIS)
  int32_t kind = 0;       // growth type: 0 spreading, 1 rising
  int32_t mutant = 0;     // 1 for a mutant
  int32_t x = 0;          // the tree's canvas position, pixels from the left
  int32_t y = 0;          // pixels from the top
  bool can_breed = false; // two trees are marked for breeding: "交配させる" is enabled
};

// ShowTreeDescription's result when "交配させる" closed the dialog.
constexpr int kDescriptionBreed = 3;

// Runs the dialog; returns when OK or Cancel closed it (1 or 2) or
// "交配させる" did (kDescriptionBreed), -1 when it could not be shown.
int ShowTreeDescription(HWND owner, const TreeDescriptionInput& input);

}  // namespace sylvane
