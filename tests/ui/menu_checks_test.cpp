#include "ui/menu_checks.h"
#include "res/commands.h"

#include <gtest/gtest.h>

#include <set>

namespace sylvane {
namespace {

TEST(MenuChecks, LightingModeItems) {
  const int expected[28] = {CMD_LIGHT_FIRST, CMD_LIGHT_FIRST + 1, CMD_LIGHT_FIRST + 2, CMD_LIGHT_FIRST + 8, CMD_LIGHT_FIRST + 3, CMD_LIGHT_FIRST + 4, CMD_LIGHT_FIRST + 5, CMD_LIGHT_FIRST + 6, CMD_LIGHT_FIRST + 7, CMD_LIGHT_FIRST + 9,
                            CMD_LIGHT_FIRST + 10, CMD_LIGHT_FIRST + 11, CMD_LIGHT_FIRST + 12, CMD_LIGHT_FIRST + 13, CMD_LIGHT_FIRST + 14, CMD_LIGHT_FIRST + 15, CMD_LIGHT_FIRST + 16, CMD_LIGHT_FIRST + 18, CMD_LIGHT_FIRST + 17, CMD_LIGHT_FIRST + 19,
                            CMD_LIGHT_FIRST + 20, CMD_LIGHT_FIRST + 21, CMD_LIGHT_FIRST + 22, CMD_LIGHT_BG_FIRST, CMD_LIGHT_BG_FIRST + 1, CMD_LIGHT_BG_FIRST + 2, CMD_LIGHT_BG_FIRST + 3, CMD_LIGHT_BG_FIRST + 4};
  for (int mode = 0; mode < 28; ++mode) EXPECT_EQ(LightingMenuItem(mode), expected[mode]) << mode;
  EXPECT_EQ(LightingMenuItem(-1), CMD_LIGHT_FIRST);
  EXPECT_EQ(LightingMenuItem(28), CMD_LIGHT_FIRST);
  EXPECT_EQ(LightingMenuItem(1000), CMD_LIGHT_FIRST);
}

TEST(MenuChecks, EveryLightingItemOnceInTheListOfItems) {
  std::set<int> items(LightingMenuItems().begin(), LightingMenuItems().end());
  EXPECT_EQ(items.size(), 28u);
  for (int id = CMD_LIGHT_FIRST; id <= CMD_LIGHT_FIRST + 22; ++id) EXPECT_TRUE(items.count(id)) << id;
  for (int id = CMD_LIGHT_BG_FIRST; id <= CMD_LIGHT_BG_FIRST + 4; ++id) EXPECT_TRUE(items.count(id)) << id;
}

TEST(MenuChecks, WindowItemsFollowTheStateAndOneLightingItemIsChecked) {
  MenuCheckState state;
  state.changer_shown = true;
  state.canvas_window_shown = false;
  state.names_are_tree_names = true;
  state.lighting_mode = 17;
  auto checks = MenuChecksFor(state);
  EXPECT_EQ(checks[0].item, CMD_CHANGER);
  EXPECT_TRUE(checks[0].checked);
  EXPECT_EQ(checks[1].item, CMD_CANVAS_WINDOW);
  EXPECT_FALSE(checks[1].checked);
  EXPECT_EQ(checks[2].item, CMD_SHOW_NAMES);
  EXPECT_TRUE(checks[2].checked);
  EXPECT_EQ(checks[3].item, CMD_LIGHT_FOLLOW_SUN);
  EXPECT_FALSE(checks[3].checked);
  int checked = 0;
  for (size_t i = 4; i < checks.size(); ++i) {
    if (checks[i].checked) {
      ++checked;
      EXPECT_EQ(checks[i].item, CMD_LIGHT_FIRST + 18);
    }
  }
  EXPECT_EQ(checked, 1);
}

TEST(MenuChecks, FollowingTheSunChecksOnlyTheSunItem) {
  MenuCheckState state;
  state.lighting_mode = 5;
  state.follow_sun = true;
  int checked = 0;
  for (const MenuCheck& c : MenuChecksFor(state)) {
    if (c.item == CMD_CHANGER || c.item == CMD_CANVAS_WINDOW || c.item == CMD_SHOW_NAMES) continue;
    if (c.checked) {
      ++checked;
      EXPECT_EQ(c.item, CMD_LIGHT_FOLLOW_SUN);
    }
  }
  EXPECT_EQ(checked, 1);
  // The sun item is not one of the 28 lighting commands.
  EXPECT_FALSE(IsLightingCommand(CMD_LIGHT_FOLLOW_SUN));
  for (int item : LightingMenuItems()) EXPECT_NE(item, CMD_LIGHT_FOLLOW_SUN);
}

}  // namespace
}  // namespace sylvane
