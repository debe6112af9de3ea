// sylvane-cli render with the real sun (--sun, --at), run in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "cli/command.h"
#include "cli/render_input.h"
#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "test_layers.h"

namespace sylvane::testing {
namespace {

class SunRenderTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  std::string garden;
  std::string background;
  std::string trees;

  void SetUp() override {
    platform.program_folder = dir.path();
    garden = dir.File("g.syl");
    ASSERT_EQ(Run("new", {garden, "--size", "48x32", "--color", "#406080"}), 0);
    // Layers with tree paint, which the renderers light differently.
    const TestLayers layers = MakeLayers(48, 32, 3);
    background = dir.File("bg.bmp");
    trees = dir.File("trees.png");
    ASSERT_EQ(WriteBmp(background, layers.background), 0);
    ASSERT_EQ(WritePng(trees, layers.trees, &layers.weight), 0);
  }

  int Run(const std::string& name, std::vector<std::string> args) {
    const cli::Command* command = cli::FindCommand(name);
    EXPECT_NE(command, nullptr) << name;
    if (!command) return -1;
    cli::GlobalOptions global;
    global.has_seed = true;
    global.seed = 7;
    return command->run(global, args);
  }

  std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk) << path;
    return bytes;
  }
};

TEST_F(SunRenderTest, RendersWithTheRendererOfTheSunsPhase) {
  const std::string winter = dir.File("winter.png");
  const std::string summer = dir.File("summer.png");
  // 4:30 in Tokyo: night before the December dawn, dawn after the June sunrise.
  const std::string tokyo = "35.6581,139.7414,9";
  ASSERT_EQ(Run("render", {"--layers", background, trees, winter, "--sun", tokyo, "--at", "2024-12-21 04:30"}), 0);
  ASSERT_EQ(Run("render", {"--layers", background, trees, summer, "--sun", tokyo, "--at", "2024-06-21 04:30"}), 0);
  const std::string night = dir.File("night.png");
  const std::string dawn = dir.File("dawn.png");
  ASSERT_EQ(Run("render", {"--layers", background, trees, night, "--renderer", "5"}), 0);
  ASSERT_EQ(Run("render", {"--layers", background, trees, dawn, "--renderer", "1"}), 0);
  EXPECT_EQ(Bytes(winter), Bytes(night));
  EXPECT_EQ(Bytes(summer), Bytes(dawn));
  EXPECT_NE(Bytes(winter), Bytes(summer));
}

TEST_F(SunRenderTest, RefusesBadPlacesDatesAndMixedOptions) {
  const std::string out = dir.File("o.png");
  const std::vector<std::vector<std::string>> refused = {
      {garden, out, "--sun", "91,0,0"},
      {garden, out, "--sun", "0,181,0"},
      {garden, out, "--sun", "0,0,15"},
      {garden, out, "--sun", "35,139"},
      {garden, out, "--sun", "35,139,9,1"},
      {garden, out, "--sun", "north,139,9"},
      {garden, out, "--sun", "35,139,9", "--at", "2024-02-30 12:00"},
      {garden, out, "--sun", "35,139,9", "--at", "2024-06-21 24:00"},
      {garden, out, "--sun", "35,139,9", "--at", "2024-06-21"},
      {garden, out, "--sun", "35,139,9", "--mode", "1"},
      {garden, out, "--sun", "35,139,9", "--renderer", "3"},
      {garden, out, "--at", "2024-06-21 12:00"},
  };
  for (const auto& args : refused) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(Run("render", args), 2) << joined;
  }
}

TEST(SunOptionsParsing, PlacesAndDates) {
  SunPlace place;
  ASSERT_TRUE(cli::ParseSunPlace("-33.87,151.21,10.5", place));
  EXPECT_DOUBLE_EQ(place.latitude, -33.87);
  EXPECT_DOUBLE_EQ(place.longitude, 151.21);
  EXPECT_DOUBLE_EQ(place.utc_offset, 10.5);
  EXPECT_FALSE(cli::ParseSunPlace("1e400,0,0", place));
  EXPECT_FALSE(cli::ParseSunPlace(",0,0", place));
  LocalTime t;
  ASSERT_TRUE(cli::ParseLocalDateTime("2024-02-29 23:59", t));
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.day_of_week, 4);  // a Thursday
  EXPECT_FALSE(cli::ParseLocalDateTime("2023-02-29 10:00", t));
  EXPECT_FALSE(cli::ParseLocalDateTime("2024-13-01 10:00", t));
  EXPECT_FALSE(cli::ParseLocalDateTime("2024-1-01 10:00", t));
}

}  // namespace
}  // namespace sylvane::testing
