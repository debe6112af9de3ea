// sylvane-cli wallpaper, run in-process: the picture across the virtual
// desktop is the lit garden composed for the monitors given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/monitor_layout.h"
#include "cli/command.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

class WallpaperCliTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  std::string garden_file;

  void SetUp() override {
    platform.program_folder = dir.path();
    garden_file = dir.File("g.syl");
    // A background picture whose every pixel differs, so that any other
    // placement of the garden would show.
    Surface picture;
    ASSERT_TRUE(picture.Create(40, 30));
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        uint8_t* p = picture.PixelAt(x, y);
        p[0] = uint8_t(x * 6);
        p[1] = uint8_t(y * 8);
        p[2] = 90;
      }
    }
    picture.RefreshHeaders();
    const std::string picture_file = dir.File("bg.bmp");
    ASSERT_EQ(WriteBmp(picture_file, picture), 0);
    ASSERT_EQ(Run("new", {garden_file, "--size", "40x30", "--color", "#203040", "--image", picture_file}), 0);
  }

  int Run(const std::string& name, std::vector<std::string> args) {
    const cli::Command* command = cli::FindCommand(name);
    EXPECT_NE(command, nullptr) << name;
    if (!command) return -1;
    cli::GlobalOptions global;
    global.has_seed = true;
    global.seed = 1;
    return command->run(global, args);
  }
};

TEST_F(WallpaperCliTest, WritesTheDesktopAsTheLayoutComposesIt) {
  const std::string lit_file = dir.File("lit.bmp");
  ASSERT_EQ(Run("render", {garden_file, lit_file, "--renderer", "0"}), 0);
  // The settings' lighting mode of a fresh program folder draws no lighting,
  // as renderer 0 does.
  const std::string out = dir.File("desk.bmp");
  ASSERT_EQ(Run("wallpaper", {garden_file, out, "--monitors", "80x60+0+0,30x40+-30+-10", "--style", "stretch"}), 0);
  Surface lit, desk;
  ASSERT_EQ(LoadImage(lit_file, lit, false), 0);
  ASSERT_EQ(LoadImage(out, desk, false), 0);
  ASSERT_EQ(desk.width, 110);
  ASSERT_EQ(desk.height, 70);
  Surface want;
  ASSERT_EQ(ComposeDesktopPicture(lit, 0x00403020, MonitorFit::kStretch, {{0, 0, 80, 60}, {-30, -10, 30, 40}}, want),
            LayoutStatus::kOk);
  EXPECT_EQ(desk.pixels, want.pixels);
  // The primary monitor shows the garden doubled (80 x 60) from its corner.
  const uint8_t* corner = desk.PixelAt(30 + 79, 10 + 59);
  EXPECT_EQ(corner[0], 39 * 6);
  EXPECT_EQ(corner[1], 29 * 8);
  // Below the portrait monitor, left of the primary one: the garden's colour.
  const uint8_t* gap = desk.PixelAt(0, 65);
  EXPECT_EQ(gap[0], 0x40);
  EXPECT_EQ(gap[1], 0x30);
  EXPECT_EQ(gap[2], 0x20);
}

TEST_F(WallpaperCliTest, RefusesBadMonitorsAndStyles) {
  const std::string out = dir.File("bad.bmp");
  EXPECT_EQ(Run("wallpaper", {garden_file, out, "--monitors", "80x60"}), 2);
  EXPECT_EQ(Run("wallpaper", {garden_file, out}), 2);
  EXPECT_EQ(Run("wallpaper", {garden_file, out, "--monitors", "80x60+0+0", "--style", "fill"}), 2);
  EXPECT_EQ(Run("wallpaper", {garden_file, out, "--monitors", "9000x60+0+0,9000x60+9000+0"}), 1);
  Surface none;
  EXPECT_NE(LoadImage(out, none, false), 0);  // nothing written
}

}  // namespace
}  // namespace sylvane::testing
