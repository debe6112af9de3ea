#include "ui/menu_checks.h"
#include "res/commands.h"

#include <cstddef>

namespace sylvane {
namespace {

// Index = lighting mode.
constexpr std::array<int, kLightingMenuItemCount> kItemOfMode = {
    CMD_LIGHT_FIRST, CMD_LIGHT_FIRST + 1, CMD_LIGHT_FIRST + 2, CMD_LIGHT_FIRST + 8, CMD_LIGHT_FIRST + 3, CMD_LIGHT_FIRST + 4, CMD_LIGHT_FIRST + 5, CMD_LIGHT_FIRST + 6, CMD_LIGHT_FIRST + 7, CMD_LIGHT_FIRST + 9,  // 0-9
    CMD_LIGHT_FIRST + 10, CMD_LIGHT_FIRST + 11, CMD_LIGHT_FIRST + 12, CMD_LIGHT_FIRST + 13, CMD_LIGHT_FIRST + 14, CMD_LIGHT_FIRST + 15, CMD_LIGHT_FIRST + 16, CMD_LIGHT_FIRST + 18, CMD_LIGHT_FIRST + 17, CMD_LIGHT_FIRST + 19,  // 10-19
    CMD_LIGHT_FIRST + 20, CMD_LIGHT_FIRST + 21, CMD_LIGHT_FIRST + 22, CMD_LIGHT_BG_FIRST, CMD_LIGHT_BG_FIRST + 1, CMD_LIGHT_BG_FIRST + 2, CMD_LIGHT_BG_FIRST + 3, CMD_LIGHT_BG_FIRST + 4,                // 20-27
};

constexpr std::array<int, kLightingMenuItemCount> kLightingItems = [] {
  std::array<int, kLightingMenuItemCount> items{};
  for (int i = 0; i < kLightingMenuItemCount; ++i) items[std::size_t(i)] = LightingCommand(i);
  return items;
}();

}  // namespace

const std::array<int, kLightingMenuItemCount>& LightingMenuItems() { return kLightingItems; }

int LightingMenuItem(int mode) {
  if (mode < 0 || mode >= kLightingMenuItemCount) return kItemOfMode[0];
  return kItemOfMode[std::size_t(mode)];
}

std::array<MenuCheck, kMenuCheckCount> MenuChecksFor(const MenuCheckState& state) {
  std::array<MenuCheck, kMenuCheckCount> checks{};
  checks[0] = {CMD_CHANGER, state.changer_shown};
  checks[1] = {CMD_CANVAS_WINDOW, state.canvas_window_shown};
  checks[2] = {CMD_SHOW_NAMES, state.names_are_tree_names};
  checks[3] = {CMD_LIGHT_FOLLOW_SUN, state.follow_sun};
  // Following the sun replaces the mode's check; the mode itself stays stored.
  const int current = state.follow_sun ? 0 : LightingMenuItem(state.lighting_mode);
  for (std::size_t i = 0; i < kLightingItems.size(); ++i) checks[4 + i] = {kLightingItems[i], kLightingItems[i] == current};
  return checks;
}

}  // namespace sylvane
