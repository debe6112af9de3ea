// The recommended garden of the welcome: a canvas the size of the desktop
// with a few of the starter trees (the "trees" folder beside the program)
// planted side by side along its bottom edge, and a 10-minute clock, so that
// the first growth shows within minutes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sylvane {

constexpr int kRecommendedInterval = 10;     // minutes between growth passes
constexpr int kRecommendedFirstPasses = 3;   // passes grown at once, so the seedlings show on the wallpaper
constexpr int kRecommendedMinTrees = 3;
constexpr int kRecommendedMaxTrees = 8;
constexpr int kRecommendedTreeSpacing = 320;  // pixels of width per tree

// One tree to plant.
struct StarterPlanting {
  std::string file;  // file name inside the starter folder
  int32_t x = 0;     // planting column, canvas pixels from the left (the program puts rising trees on the bottom edge)
};

// Which starter trees go where on a garden `width` pixels wide: one per
// kRecommendedTreeSpacing pixels (3 to 8), chosen from `available` (file names of the starter
// folder) in the order of a list of species that look well together, then
// any others in name order; spread evenly over the width. Empty when
// nothing is available.
std::vector<StarterPlanting> PlanStarterGarden(int width, const std::vector<std::string>& available);

// The ".ki" file names of the starter folder beside the program, sorted.
std::vector<std::string> ListStarterTrees(const std::string& program_folder);

}  // namespace sylvane
