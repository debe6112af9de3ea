#include "ui/menu_checks.h"

#include <gtest/gtest.h>

#include <set>

namespace sylvane {
namespace {

TEST(MenuChecks, LightingModeItems) {
  const int expected[28] = {40035, 40036, 40037, 40043, 40038, 40039, 40040, 40041, 40042, 40044,
                            40045, 40046, 40047, 40048, 40049, 40050, 40051, 40053, 40052, 40054,
                            40055, 40056, 40057, 40078, 40079, 40080, 40081, 40082};
  for (int mode = 0; mode < 28; ++mode) EXPECT_EQ(LightingMenuItem(mode), expected[mode]) << mode;
  EXPECT_EQ(LightingMenuItem(-1), 40035);
  EXPECT_EQ(LightingMenuItem(28), 40035);
  EXPECT_EQ(LightingMenuItem(1000), 40035);
}

TEST(MenuChecks, EveryLightingItemOnceInTheListOfItems) {
  std::set<int> items(LightingMenuItems().begin(), LightingMenuItems().end());
  EXPECT_EQ(items.size(), 28u);
  for (int id = 40035; id <= 40057; ++id) EXPECT_TRUE(items.count(id)) << id;
  for (int id = 40078; id <= 40082; ++id) EXPECT_TRUE(items.count(id)) << id;
}

TEST(MenuChecks, WindowItemsFollowTheStateAndOneLightingItemIsChecked) {
  MenuCheckState state;
  state.changer_shown = true;
  state.canvas_window_shown = false;
  state.names_are_tree_names = true;
  state.lighting_mode = 17;
  auto checks = MenuChecksFor(state);
  EXPECT_EQ(checks[0].item, 40073);
  EXPECT_TRUE(checks[0].checked);
  EXPECT_EQ(checks[1].item, 40031);
  EXPECT_FALSE(checks[1].checked);
  EXPECT_EQ(checks[2].item, 40058);
  EXPECT_TRUE(checks[2].checked);
  int checked = 0;
  for (size_t i = 3; i < checks.size(); ++i) {
    if (checks[i].checked) {
      ++checked;
      EXPECT_EQ(checks[i].item, 40053);
    }
  }
  EXPECT_EQ(checked, 1);
}

}  // namespace
}  // namespace sylvane
