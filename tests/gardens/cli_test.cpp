// The garden commands of sylvane-cli, run in-process: new, plant, grow and
// save-tree, each saving its result as a canvas (or tree) file.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/records/settings.h"
#include "cli/command.h"
#include "garden_fixtures.h"
#include "support/recording_platform.h"
#include "trees/planting.h"

namespace sylvane::testing {
namespace {

class CliGardenTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  std::string garden_file;
  std::string tree_file;

  void SetUp() override {
    platform.program_folder = dir.path();
    garden_file = dir.File("g.syl");
    Tree tree;
    MakeFixtureTree(tree, 1);
    tree.kind = 0;  // spreading: planted where it is put
    tree.mutation_chance = 0;
    tree_file = dir.File("t.ki");
    ASSERT_EQ(SaveTreeFile(tree, tree_file), 0);
  }

  int Run(const std::string& name, std::vector<std::string> args, uint32_t seed = 1) {
    const cli::Command* command = cli::FindCommand(name);
    EXPECT_NE(command, nullptr) << name;
    if (!command) return -1;
    cli::GlobalOptions global;
    global.has_seed = true;
    global.seed = seed;
    return command->run(global, args);
  }

  std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk) << path;
    return bytes;
  }

  // Reads the garden file into a garden of the test's own.
  void ReadInto(TestGarden& g, const std::string& path) {
    const std::vector<uint8_t> bytes = FileBytes(path);
    ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), path), kSylOk);
  }

  int NewGarden() { return Run("new", {garden_file, "--size", "160x90", "--color", "#102030", "--interval", "7"}); }
};

TEST_F(CliGardenTest, NewCreatesTheCanvasFile) {
  ASSERT_EQ(NewGarden(), 0);
  TestGarden g;
  ReadInto(g, garden_file);
  EXPECT_EQ(g.canvas.exists, 1);
  EXPECT_EQ(g.canvas.width(), 160);
  EXPECT_EQ(g.canvas.height(), 90);
  EXPECT_EQ(g.canvas.background_colour, 0x00302010u);
  EXPECT_EQ(g.canvas.update_interval, 7);
  EXPECT_EQ(g.canvas.background.PixelAt(5, 5)[0], 0x30);
  EXPECT_EQ(g.canvas.background.PixelAt(5, 5)[2], 0x10);
  EXPECT_EQ(g.table->growing_count(), 0);
  EXPECT_EQ(g.labels.count(), 0);
  for (int r = 0; r < 90; ++r) {
    for (int x = 0; x < 160; ++x) {
      ASSERT_EQ(g.canvas.weight.BufferRow(r)[x], 255);
      ASSERT_EQ(g.canvas.trees.BufferRow(r)[3 * x], 0);
    }
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(CliGardenTest, NewWithAStretchedPicture) {
  Surface picture;
  ASSERT_TRUE(picture.CreateFilled(4, 4, 0));
  picture.PixelAt(0, 0)[2] = 255;  // red top-left corner
  picture.RefreshHeaders();
  const std::string image = dir.File("bg.png");
  ASSERT_EQ(WritePng(image, picture), 0);
  ASSERT_EQ(Run("new", {garden_file, "--size", "40x40", "--image", image, "--fit"}), 0);
  TestGarden g;
  ReadInto(g, garden_file);
  EXPECT_EQ(g.canvas.background_kind, kBackgroundPicture);
  EXPECT_EQ(g.canvas.stretch, 1);
  EXPECT_EQ(g.canvas.background_path, image);
  EXPECT_EQ(g.canvas.background.PixelAt(9, 9)[2], 255);
  EXPECT_EQ(g.canvas.background.PixelAt(10, 10)[2], 0);
}

TEST_F(CliGardenTest, BadArgumentsWriteNothing) {
  EXPECT_EQ(Run("new", {garden_file, "--size", "0x10"}), 2);
  EXPECT_EQ(Run("new", {garden_file, "--size", "10x10", "--color", "#12345"}), 2);
  EXPECT_EQ(Run("new", {garden_file, "--size", "10x10", "--interval", "1441"}), 2);
  EXPECT_EQ(Run("new", {garden_file}), 2);
  EXPECT_FALSE(FileExists(garden_file));
  ASSERT_EQ(NewGarden(), 0);
  EXPECT_EQ(Run("plant", {garden_file, tree_file}), 2) << "--at is needed";
  EXPECT_EQ(Run("plant", {garden_file, tree_file, "--at", "1,1", "--count", "101"}), 2);
  EXPECT_EQ(Run("plant", {garden_file, tree_file, "--at", "1,1", "--radius", "-1"}), 2);
  EXPECT_EQ(Run("save-tree", {garden_file, "100", dir.File("x.ki")}), 2);
}

TEST_F(CliGardenTest, PlantScattersAroundThePoint) {
  ASSERT_EQ(NewGarden(), 0);
  ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "100,50", "--count", "5", "--radius", "0"}), 0);
  TestGarden g;
  ReadInto(g, garden_file);
  EXPECT_EQ(g.table->growing_count(), 5);
  for (int slot = 0; slot < 5; ++slot) {
    SCOPED_TRACE(slot);
    const Tree& t = (*g.table)[slot];
    EXPECT_EQ(t.state, 1);
    EXPECT_EQ(t.plant_x, 100);
    EXPECT_EQ(t.plant_y, 50);
  }
  EXPECT_EQ((*g.table)[5].state, 0);
}

TEST_F(CliGardenTest, PlantIsTheLibraryPlantingSeededAfterTheTable) {
  ASSERT_EQ(NewGarden(), 0);
  const std::vector<uint8_t> start = FileBytes(garden_file);
  ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "30,20", "--count", "3", "--radius", "25"}, 555), 0);
  const std::vector<uint8_t> by_command = FileBytes(garden_file);

  // The same steps through the library on a garden of its own.
  ASSERT_TRUE(WriteFileAtomically(garden_file, start));
  auto garden = std::make_unique<Garden>();
  SeedRandom(555);
  ASSERT_EQ(OpenCanvasFile(garden->refs(), garden_file), 0);
  const int slot = LoadTreeFileForPlanting(garden->canvas, garden->table, tree_file);
  ASSERT_EQ(slot, 0);
  ScatterOptions options = ScatterOptionsFromSettings(Settings());
  options.count = 3;
  options.radius = 25;
  ASSERT_EQ(ScatterTree(garden->table, slot, 30, 20, garden->canvas.width(), garden->canvas.height(), options), 3);
  ASSERT_EQ(SaveCanvasFile(garden->refs(), garden_file), 0);
  EXPECT_EQ(FileBytes(garden_file), by_command);
}

TEST_F(CliGardenTest, PlantIntoAFullTableChangesNothing) {
  ASSERT_EQ(NewGarden(), 0);
  ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "10,10", "--count", "100"}), 0);
  const std::vector<uint8_t> full = FileBytes(garden_file);
  platform.messages.clear();
  EXPECT_EQ(Run("plant", {garden_file, tree_file, "--at", "10,10"}), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "只今樹が満杯です。");
  EXPECT_EQ(platform.messages[0].caption, "満杯");
  EXPECT_EQ(FileBytes(garden_file), full);
}

TEST_F(CliGardenTest, PlantWithoutACanvasShowsTheNoCanvasMessage) {
  TestGarden empty;
  ASSERT_TRUE(WriteFileAtomically(garden_file, Encode(empty)));
  EXPECT_EQ(Run("plant", {garden_file, tree_file, "--at", "10,10"}), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "まだキャンバスが作成されていません。");
  EXPECT_EQ(platform.messages[0].caption, "キャンバスを作成してちょ。");
  EXPECT_EQ(Run("grow", {garden_file}), 1);
}

TEST_F(CliGardenTest, GrowPaintsAndIsDeterministic) {
  ASSERT_EQ(NewGarden(), 0);
  ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "80,45", "--count", "2", "--radius", "10"}), 0);
  const std::vector<uint8_t> planted = FileBytes(garden_file);
  TestGarden before;
  ReadInto(before, garden_file);

  ::testing::internal::CaptureStderr();
  ASSERT_EQ(Run("grow", {garden_file, "--passes", "3", "--budget", "300", "--report"}, 9), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("\"passes\":3"), std::string::npos) << err;
  EXPECT_NE(err.find("\"random_state\":"), std::string::npos) << err;
  const std::vector<uint8_t> grown = FileBytes(garden_file);
  TestGarden after;
  ReadInto(after, garden_file);
  EXPECT_NE(after.canvas.trees.pixels, before.canvas.trees.pixels) << "the pens painted";
  EXPECT_GT((*after.table)[0].cursor + (*after.table)[0].pen.step_count, 0u);

  ASSERT_TRUE(WriteFileAtomically(garden_file, planted));
  ASSERT_EQ(Run("grow", {garden_file, "--passes", "3", "--budget", "300"}, 9), 0);
  EXPECT_EQ(FileBytes(garden_file), grown);
}

TEST_F(CliGardenTest, SaveTreeWritesALivingTree) {
  ASSERT_EQ(NewGarden(), 0);
  ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "20,30"}), 0);
  ASSERT_EQ(Run("grow", {garden_file}), 0);
  const std::vector<uint8_t> garden_bytes = FileBytes(garden_file);
  const std::string out = dir.File("saved.ki");
  ASSERT_EQ(Run("save-tree", {garden_file, "0", out}), 0);
  Tree saved;
  ASSERT_EQ(LoadTreeFile(saved, out), 0);
  EXPECT_EQ(saved.state, 1);
  EXPECT_EQ(saved.cursor, 0u);
  EXPECT_EQ(saved.file_name, "saved.ki");
  EXPECT_EQ(saved.name, "エゾイチヤクソウ");
  EXPECT_EQ(saved.plant_x, 20);
  EXPECT_EQ(FileBytes(garden_file), garden_bytes) << "the garden file is not touched";

  EXPECT_EQ(Run("save-tree", {garden_file, "50", dir.File("none.ki")}), 1);
  EXPECT_FALSE(FileExists(dir.File("none.ki")));
}

TEST_F(CliGardenTest, MissingGardenFails) {
  EXPECT_EQ(Run("grow", {dir.File("missing.syl")}), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。SaveKi");
}

}  // namespace
}  // namespace sylvane::testing
