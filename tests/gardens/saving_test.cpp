// Saving canvas files through a temporary file, and exporting the lit picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "garden_fixtures.h"
#include "paint/lighting.h"
#include "platform/text.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class SavingTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  TestGarden garden;
  void SetUp() override {
    SeedRandom(3);
    FillGarden(garden);
  }
};

TEST_F(SavingTest, FailedWriteKeepsTheOldFile) {
  const std::string path = dir.File("g.syl");
  ASSERT_EQ(SaveCanvasFile(garden.refs(), path), kSylSaveOk);
  std::vector<uint8_t> old_bytes;
  ASSERT_EQ(ReadWholeFile(path, old_bytes), ReadFileStatus::kOk);

  // A garden that cannot be encoded part-way through (its weight plane does
  // not fit its tree layer) fails after the file was opened.
  TestGarden broken;
  FillGarden(broken);
  broken.canvas.weight.CreateFilled(3, 3, 255);
  broken.canvas.file_path = "before.syl";
  EXPECT_EQ(SaveCanvasFile(broken.refs(), path), kSylWriteFailed);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。SaveKi3");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  std::vector<uint8_t> now;
  ASSERT_EQ(ReadWholeFile(path, now), ReadFileStatus::kOk);
  EXPECT_EQ(now, old_bytes);
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"g.syl"}) << "no temporary file left";
  EXPECT_EQ(broken.canvas.file_path, "before.syl");

  platform.messages.clear();
  EXPECT_EQ(SaveDefaultCanvasFile(broken.refs(), dir.path()), kSylWriteFailed);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。SaveKi2");
  EXPECT_FALSE(FileExists(dir.File("default.syl")));
}

TEST_F(SavingTest, FailedReplaceKeepsWhatWasThere) {
  // The target is a folder with something in it: the finished temporary file
  // cannot replace it.
  const std::string path = dir.File("taken.syl");
  fs::create_directory(path);
  const std::string inside = (fs::path(path) / "keep.txt").string();
  ASSERT_TRUE(WriteFileAtomically(inside, "x", 1));
  EXPECT_EQ(SaveCanvasFile(garden.refs(), path), kSylWriteFailed);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_TRUE(FileExists(inside));
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"taken.syl"});
  EXPECT_EQ(garden.canvas.has_file, 0);
}

TEST_F(SavingTest, UnopenableTargetNamesTheOperation) {
  const std::string missing_folder = (fs::path(dir.path()) / "no" / "such").string();
  EXPECT_EQ(SaveCanvasFile(garden.refs(), JoinPath(missing_folder, "g.syl")), kSylCannotOpen);
  EXPECT_EQ(SaveDefaultCanvasFile(garden.refs(), missing_folder), kSylCannotOpen);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。SaveKi3");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(platform.messages[1].text, "ファイルのオープンに失敗しました。SaveKi2");
  EXPECT_EQ(platform.messages[1].caption, "エラー");
  EXPECT_EQ(garden.canvas.has_file, 0);
  EXPECT_EQ(garden.canvas.file_path, "");
}

TEST_F(SavingTest, SavingReplacesTheOldFileWhole) {
  const std::string path = dir.File("g.syl");
  ASSERT_TRUE(WriteFileAtomically(path, std::vector<uint8_t>(100000, 0xEE)));
  ASSERT_EQ(SaveCanvasFile(garden.refs(), path), kSylSaveOk);
  std::vector<uint8_t> now;
  ASSERT_EQ(ReadWholeFile(path, now), ReadFileStatus::kOk);
  EXPECT_EQ(now, Encode(garden));
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"g.syl"});
}

class ExportTest : public SavingTest {
 protected:
  Surface Plain() {
    Surface out;
    EXPECT_TRUE(ComposePlain(garden.canvas.background, garden.canvas.trees, garden.canvas.weight, out));
    return out;
  }
  static void ExpectSamePixels(const Surface& a, const Surface& b) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    for (int r = 0; r < a.height; ++r)
      ASSERT_EQ(std::memcmp(a.BufferRow(r), b.BufferRow(r), size_t(a.width) * 3), 0) << r;
  }
};

TEST_F(ExportTest, JpegIsTheLitPictureAtQuality80) {
  SetLightingMode(0);
  const Surface lit = Plain();
  const std::string path = dir.File("lit.jpg");
  ASSERT_EQ(ExportLitCanvas(garden.canvas, path, CanvasPictureType::kJpeg), 0);
  std::vector<uint8_t> written, expected;
  ASSERT_EQ(ReadWholeFile(path, written), ReadFileStatus::kOk);
  ASSERT_TRUE(EncodeJpeg(lit, 80, expected));
  EXPECT_EQ(written, expected);
  std::vector<uint8_t> other_quality;
  ASSERT_TRUE(EncodeJpeg(lit, 90, other_quality));
  EXPECT_NE(written, other_quality);
  EXPECT_NE(written.size(), Encode(garden).size()) << "not the canvas file";
}

TEST_F(ExportTest, BmpAndPngHoldTheLitPixels) {
  SetLightingMode(0);
  const Surface lit = Plain();
  const std::string bmp = dir.File("lit.bmp");
  const std::string png = dir.File("lit.png");
  ASSERT_EQ(ExportLitCanvas(garden.canvas, bmp, CanvasPictureType::kBmp), 0);
  ASSERT_EQ(ExportLitCanvas(garden.canvas, png, CanvasPictureType::kPng), 0);
  Surface from_bmp, from_png;
  ASSERT_EQ(LoadImage(bmp, from_bmp, true), 0);
  ASSERT_EQ(LoadImage(png, from_png, true), 0);
  ExpectSamePixels(from_bmp, lit);
  ExpectSamePixels(from_png, lit);
  std::vector<uint8_t> png_bytes;
  ASSERT_EQ(ReadWholeFile(png, png_bytes), ReadFileStatus::kOk);
  ASSERT_GT(png_bytes.size(), 25u);
  EXPECT_EQ(png_bytes[25], 2) << "colour type RGB";
}

TEST_F(ExportTest, LightingModeIsApplied) {
  SetLightingMode(8);  // upper light: the trees are lit
  const std::string path = dir.File("lit.bmp");
  ASSERT_EQ(ExportLitCanvas(garden.canvas, path, CanvasPictureType::kBmp), 0);
  Surface written, expected;
  ASSERT_EQ(LoadImage(path, written, true), 0);
  ASSERT_EQ(RenderCanvas(garden.canvas, expected), kRenderOk);
  ExpectSamePixels(written, expected);
  SetLightingMode(0);
}

TEST_F(ExportTest, NoPictureWritesNothing) {
  TestGarden empty;
  const std::string path = dir.File("none.png");
  EXPECT_EQ(ExportLitCanvas(empty.canvas, path, CanvasPictureType::kPng), -1);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace sylvane::testing
