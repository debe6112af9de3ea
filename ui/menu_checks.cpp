#include "ui/menu_checks.h"

#include <cstddef>

namespace sylvane {
namespace {

// Index = lighting mode.
constexpr std::array<int, kLightingMenuItemCount> kItemOfMode = {
    40035, 40036, 40037, 40043, 40038, 40039, 40040, 40041, 40042, 40044,  // 0-9
    40045, 40046, 40047, 40048, 40049, 40050, 40051, 40053, 40052, 40054,  // 10-19
    40055, 40056, 40057, 40078, 40079, 40080, 40081, 40082,                // 20-27
};

constexpr std::array<int, kLightingMenuItemCount> kLightingItems = {
    40035, 40036, 40037, 40038, 40039, 40040, 40041, 40042, 40043, 40044,
    40045, 40046, 40047, 40048, 40049, 40050, 40051, 40052, 40053, 40054,
    40055, 40056, 40057, 40078, 40079, 40080, 40081, 40082,
};

}  // namespace

const std::array<int, kLightingMenuItemCount>& LightingMenuItems() { return kLightingItems; }

int LightingMenuItem(int mode) {
  if (mode < 0 || mode >= kLightingMenuItemCount) return kItemOfMode[0];
  return kItemOfMode[std::size_t(mode)];
}

std::array<MenuCheck, 3 + kLightingMenuItemCount> MenuChecksFor(const MenuCheckState& state) {
  std::array<MenuCheck, 3 + kLightingMenuItemCount> checks{};
  checks[0] = {40073, state.changer_shown};
  checks[1] = {40031, state.canvas_window_shown};
  checks[2] = {40058, state.names_are_tree_names};
  int current = LightingMenuItem(state.lighting_mode);
  for (std::size_t i = 0; i < kLightingItems.size(); ++i) checks[3 + i] = {kLightingItems[i], kLightingItems[i] == current};
  return checks;
}

}  // namespace sylvane
