// Which items of the main popup menu carry a check mark when the menu opens.
#pragma once
#include <array>

namespace sylvane {

// The menu items of the lighting modes: 40035..40057 and 40078..40082.
inline constexpr int kLightingMenuItemCount = 28;
const std::array<int, kLightingMenuItemCount>& LightingMenuItems();

// The item of lighting mode 0..27; 40035 (mode 0) for any other value.
int LightingMenuItem(int mode);

// What the check marks follow; the caller fills it just before the menu opens.
struct MenuCheckState {
  bool changer_shown = false;        // changer open or collapsed: 40073
  bool canvas_window_shown = false;  // canvas window open or collapsed: 40031
  bool names_are_tree_names = false; // the names mode shows tree names: 40058
  int lighting_mode = 0;             // current lighting mode
  bool follow_sun = false;           // the lighting follows the real sun: its item instead of a mode
};

// The menu item ids with their check state for a given state: the three
// window items, the sun item, then every lighting item. Exactly one of the
// sun item and the 28 lighting items is checked.
struct MenuCheck {
  int item;
  bool checked;
};
inline constexpr int kMenuCheckCount = 4 + kLightingMenuItemCount;
std::array<MenuCheck, kMenuCheckCount> MenuChecksFor(const MenuCheckState& state);

}  // namespace sylvane
