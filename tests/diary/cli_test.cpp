// The timelapse and diary commands of sylvane-cli, run in-process.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "animation_fixtures.h"
#include "base/file_io.h"
#include "canvas/diary.h"
#include "canvas/image/image_io.h"
#include "cli/command.h"
#include "support/recording_platform.h"
#include "treefile/tree_fixtures.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

class TimelapseCliTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  std::string garden_file;

  void SetUp() override {
    platform.program_folder = dir.path();
    garden_file = dir.File("g.syl");
    Tree tree;
    MakeFixtureTree(tree, 1);
    tree.kind = 0;
    tree.mutation_chance = 0;
    const std::string tree_file = dir.File("t.ki");
    ASSERT_EQ(SaveTreeFile(tree, tree_file), 0);
    ASSERT_EQ(Run("new", {garden_file, "--size", "160x90", "--color", "#203040"}), 0);
    ASSERT_EQ(Run("plant", {garden_file, tree_file, "--at", "80,80", "--count", "3", "--radius", "30"}), 0);
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

  std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk) << path;
    return bytes;
  }

  static size_t ChangedPixels(const DecodedAnimation& a, size_t f0, size_t f1) {
    size_t n = 0;
    for (size_t i = 0; i < a.frames[f0].size(); i += 4)
      if (std::abs(a.frames[f0][i] - a.frames[f1][i]) + std::abs(a.frames[f0][i + 1] - a.frames[f1][i + 1]) +
              std::abs(a.frames[f0][i + 2] - a.frames[f1][i + 2]) > 30)
        ++n;
    return n;
  }
};

TEST_F(TimelapseCliTest, WritesAFrameEveryKPassesAsTheGardenGrows) {
  const std::vector<uint8_t> garden_before = Bytes(garden_file);
  const std::string out = dir.File("t.webp");
  ASSERT_EQ(Run("timelapse", {garden_file, out, "--passes", "20", "--every", "4", "--fps", "5", "--renderer", "0"}),
            0);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeWebpAnimation(out, a));
  EXPECT_EQ(a.width, 160);
  EXPECT_EQ(a.height, 90);
  // The garden as opened, then after passes 4, 8, ..., 20; WebP may merge a
  // frame identical to the one before, but the length is six frames.
  EXPECT_EQ(a.end_times.back(), 6 * 200);
  ASSERT_GE(a.frames.size(), 2u);
  // The trees grow: the last frame differs from the first in many places.
  EXPECT_GT(ChangedPixels(a, 0, a.frames.size() - 1), 50u);
  // The garden file itself is never written.
  EXPECT_EQ(Bytes(garden_file), garden_before);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(TimelapseCliTest, GifFramesInOrderAtTheGivenSize) {
  const std::string out = dir.File("t.gif");
  ASSERT_EQ(Run("timelapse", {garden_file, out, "--passes", "9", "--every", "3", "--size", "80x45"}), 0);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeGifAnimation(out, a));
  EXPECT_EQ(a.width, 80);
  EXPECT_EQ(a.height, 45);
  ASSERT_EQ(a.frames.size(), 4u);
  EXPECT_EQ(a.end_times, (std::vector<int>{10, 20, 30, 40}));
  // Growth only adds: each frame differs at least as much from the first as
  // the frame before it did.
  size_t last = 0;
  for (size_t f = 1; f < 4; ++f) {
    const size_t changed = ChangedPixels(a, 0, f);
    EXPECT_GE(changed, last) << f;
    last = changed;
  }
  EXPECT_GT(last, 10u);
}

TEST_F(TimelapseCliTest, TheSameSeedMakesTheSameAnimation) {
  const std::string a = dir.File("a.webp"), b = dir.File("b.webp"), c = dir.File("c.gif"), d = dir.File("d.gif");
  ASSERT_EQ(Run("timelapse", {garden_file, a, "--passes", "6", "--every", "2"}, 7), 0);
  ASSERT_EQ(Run("timelapse", {garden_file, b, "--passes", "6", "--every", "2"}, 7), 0);
  ASSERT_EQ(Run("timelapse", {garden_file, c, "--passes", "6", "--every", "2"}, 7), 0);
  ASSERT_EQ(Run("timelapse", {garden_file, d, "--passes", "6", "--every", "2"}, 7), 0);
  EXPECT_EQ(Bytes(a), Bytes(b));
  EXPECT_EQ(Bytes(c), Bytes(d));
}

TEST_F(TimelapseCliTest, RefusesBadArguments) {
  const std::string out = dir.File("t.webp");
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--every", "1"}), 2) << "--passes is needed";
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "1"}), 2) << "--every is needed";
  EXPECT_EQ(Run("timelapse", {garden_file, dir.File("t.png"), "--passes", "1", "--every", "1"}), 2);
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "1", "--every", "0"}), 2);
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "1", "--every", "1", "--fps", "60"}), 2);
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "1", "--every", "1", "--mode", "1", "--renderer", "2"}),
            2);
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "1", "--every", "1", "--size", "0x5"}), 2);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(TimelapseCliTest, AGardenThatCannotBeOpenedGivesItsLoadersMessage) {
  const std::string bad = dir.File("bad.syl");
  ASSERT_TRUE(WriteFileAtomically(bad, "not a garden", 12));
  const std::string out = dir.File("t.webp");
  EXPECT_NE(Run("timelapse", {bad, out, "--passes", "2", "--every", "1"}), 0);
  EXPECT_FALSE(platform.messages.empty());
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(TimelapseCliTest, AnOutputThatCannotBeWrittenLeavesNoFile) {
  const std::string out = dir.File("missing/t.gif");
  EXPECT_EQ(Run("timelapse", {garden_file, out, "--passes", "2", "--every", "1"}), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルオープンに失敗しました。WRITE_GIF");
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

class DiaryCliTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  std::string folder;

  void SetUp() override {
    platform.program_folder = dir.path();
    folder = dir.File("diary");
    fs::create_directories(folder);
  }

  int Run(std::vector<std::string> args) { return cli::FindCommand("diary")->run(cli::GlobalOptions(), args); }

  // A picture whose red channel tells its day.
  void Picture(const DiaryDate& date, int w = 64, int h = 40) {
    const Surface s = PatternFrame(w, h, uint8_t(date.day * 8), 100, 50, 0);
    ASSERT_EQ(WriteJpeg(folder + "/" + DiaryPictureName(date), s, 95), 0);
  }
};

TEST_F(DiaryCliTest, AssemblesThePicturesInDateOrder) {
  // Written out of order, across a month and a year.
  Picture({2026, 1, 3});
  Picture({2025, 12, 30});
  Picture({2026, 1, 1});
  Picture({2025, 12, 2});
  const std::string out = dir.File("d.gif");
  ASSERT_EQ(Run({folder, out, "--fps", "2"}), 0);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeGifAnimation(out, a));
  EXPECT_EQ(a.width, 64);
  EXPECT_EQ(a.height, 40);
  ASSERT_EQ(a.frames.size(), 4u);
  EXPECT_EQ(a.end_times, (std::vector<int>{50, 100, 150, 200}));
  const int days[] = {2, 30, 1, 3};
  for (size_t f = 0; f < 4; ++f) EXPECT_NEAR(a.Pixel(f, 40, 30)[0], days[f] * 8, 6) << f;
}

TEST_F(DiaryCliTest, SkipsForeignAndDamagedPicturesWithANoteEach) {
  Picture({2026, 3, 1});
  Picture({2026, 3, 2}, 128, 80);  // another size: fitted
  Picture({2026, 3, 4});
  ASSERT_TRUE(WriteFileAtomically(folder + "/2026-03-03.jpg", "damaged", 7));
  ASSERT_TRUE(WriteFileAtomically(folder + "/holiday.jpg", "x", 1));
  const std::string out = dir.File("d.webp");
  ::testing::internal::CaptureStderr();
  const int status = Run({folder, out, "--size", "32x20"});
  const std::string notes = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(status, 0) << notes;
  EXPECT_NE(notes.find("skipped 2026-03-03.jpg"), std::string::npos) << notes;
  EXPECT_NE(notes.find("skipped holiday.jpg"), std::string::npos) << notes;
  EXPECT_EQ(std::count(notes.begin(), notes.end(), '\n'), 2) << notes;
  DecodedAnimation a;
  ASSERT_TRUE(DecodeWebpAnimation(out, a));
  EXPECT_EQ(a.width, 32);
  EXPECT_EQ(a.height, 20);
  ASSERT_EQ(a.frames.size(), 3u);
  const int days[] = {1, 2, 4};
  for (size_t f = 0; f < 3; ++f) EXPECT_NEAR(a.Pixel(f, 25, 15)[0], days[f] * 8, 10) << f;
}

TEST_F(DiaryCliTest, FailuresExitNonZeroWithoutAPartialFile) {
  EXPECT_EQ(Run({folder, dir.File("d.webp")}), 1) << "no pictures";
  Picture({2026, 3, 1});
  EXPECT_EQ(Run({dir.File("nowhere"), dir.File("d.webp")}), 1);
  EXPECT_EQ(Run({folder, dir.File("d.png")}), 2);
  EXPECT_EQ(Run({folder, dir.File("missing/d.webp")}), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルオープンに失敗しました。WRITE_WEBP");
  EXPECT_FALSE(fs::exists(dir.File("d.webp")));
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

}  // namespace
}  // namespace sylvane::testing
