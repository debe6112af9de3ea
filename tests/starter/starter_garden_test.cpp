// The plan of the welcome's recommended garden (canvas/starter_garden.h).
#include <gtest/gtest.h>

#include <set>

#include "canvas/starter_garden.h"
#include "support/recording_platform.h"

namespace sylvane {
namespace {

const std::vector<std::string> kAll = {"ajisai.ki", "fuji.ki",     "himawari.ki", "kosumosu.ki", "lavender.ki",
                                       "matsu.ki",  "mikan.ki",    "momiji.ki",   "suzuran.ki",  "take.ki",
                                       "tsubaki.ki", "ume.ki",     "yamazakura.ki"};

TEST(StarterGardenPlan, OneTreePerSpacingBetweenThreeAndEightSpreadEvenly) {
  EXPECT_EQ(PlanStarterGarden(600, kAll).size(), 3u);
  EXPECT_EQ(PlanStarterGarden(1280, kAll).size(), 4u);
  EXPECT_EQ(PlanStarterGarden(1920, kAll).size(), 6u);
  EXPECT_EQ(PlanStarterGarden(3840, kAll).size(), 8u);
  const std::vector<StarterPlanting> plan = PlanStarterGarden(1920, kAll);
  std::set<std::string> files;
  for (size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].x, int32_t((2 * i + 1) * 1920 / 12));
    files.insert(plan[i].file);
  }
  EXPECT_EQ(files.size(), plan.size()) << "no species twice";
  EXPECT_EQ(plan[0].file, "yamazakura.ki");
}

TEST(StarterGardenPlan, TakesWhatThereIsAndUnknownNamesAfterTheListedOnes) {
  const std::vector<StarterPlanting> plan = PlanStarterGarden(3840, {"zzz.ki", "ajisai.ki", "aaa.ki"});
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].file, "ajisai.ki");
  EXPECT_EQ(plan[1].file, "aaa.ki");
  EXPECT_EQ(plan[2].file, "zzz.ki");
  EXPECT_TRUE(PlanStarterGarden(1280, {}).empty());
  EXPECT_TRUE(PlanStarterGarden(0, kAll).empty());
}

TEST(StarterGardenPlan, ListsTheShippedStarterFolder) {
  const std::vector<std::string> names = ListStarterTrees(std::string(SYLVANE_SOURCE_DIR) + "/data");
  EXPECT_GE(names.size(), 12u);
  for (const char* expected : {"yamazakura.ki", "ajisai.ki", "himawari.ki"})
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  testing::TempDir empty;
  EXPECT_TRUE(ListStarterTrees(empty.path()).empty());
}

}  // namespace
}  // namespace sylvane
