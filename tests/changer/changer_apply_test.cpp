// The changer's OK step and its quiet picture reading, with real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/records/settings.h"
#include "canvas/image/surface.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "ui/changer_list.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

// A w x h picture whose every pixel differs from its neighbours.
Surface Pattern(int w, int h) {
  Surface s;
  EXPECT_TRUE(s.CreateFilled(w, h, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = uint8_t(x * 7 + y);
      p[1] = uint8_t(x + y * 11);
      p[2] = uint8_t(200 - x - y);
    }
  s.RefreshHeaders();
  return s;
}

void ExpectSamePixels(const Surface& a, const Surface& b) {
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(a.PixelAt(x, y)[c], b.PixelAt(x, y)[c]) << x << "," << y;
}

void WriteText(const std::string& path, const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
}

TEST(ChangerApply, GardenClearsTheFlagOnly) {
  RecordingPlatform platform;
  TempDir dir;
  MInitInfo s;
  s.changer_active = 1;
  s.changer_mode = 1;
  ChangerChoice choice;
  choice.garden = true;
  choice.display_mode = 2;
  choice.selected_path = "ignored.jpg";
  ChangerApplied out;
  EXPECT_EQ(ApplyChangerChoice(s, choice, dir.path(), out), kChangerUseGarden);
  EXPECT_EQ(s.changer_active, 0);
  EXPECT_EQ(s.changer_mode, 1);
  EXPECT_FALSE(FileExists(JoinPath(dir.path(), kOtherWallpaperFile)));
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ChangerApply, NoSelectionChangesFlagAndModeOnly) {
  RecordingPlatform platform;
  TempDir dir;
  MInitInfo s;
  ChangerChoice choice;
  choice.garden = false;
  choice.display_mode = 2;
  ChangerApplied out;
  EXPECT_EQ(ApplyChangerChoice(s, choice, dir.path(), out), kChangerNoSelection);
  EXPECT_EQ(s.changer_active, 1);
  EXPECT_EQ(s.changer_mode, 2);
  EXPECT_TRUE(out.wallpaper_path.empty());
  EXPECT_FALSE(FileExists(JoinPath(dir.path(), kOtherWallpaperFile)));
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ChangerApply, PictureBecomesOtherWallpaperBmp) {
  RecordingPlatform platform;
  TempDir dir;
  const Surface picture = Pattern(13, 7);
  const std::string source = JoinPath(dir.path(), "sea.png");
  ASSERT_EQ(WritePng(source, picture), 0);
  const char* const styles[] = {"0", "1", "2"};
  for (int mode = 0; mode < 3; ++mode) {
    MInitInfo s;
    ChangerChoice choice;
    choice.garden = false;
    choice.display_mode = mode;
    choice.selected_path = source;
    ChangerApplied out;
    ASSERT_EQ(ApplyChangerChoice(s, choice, dir.path(), out), kChangerUsePicture);
    EXPECT_EQ(out.wallpaper_path, JoinPath(dir.path(), "other_wallpaper.bmp"));
    EXPECT_EQ(out.style, styles[mode]);
    EXPECT_EQ(s.changer_mode, mode);
    EXPECT_EQ(s.changer_active, 1);
    Surface written;
    ASSERT_EQ(LoadImage(out.wallpaper_path, written, true), 0);
    ExpectSamePixels(written, picture);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ChangerApply, NoComboSelectionKeepsTheStoredMode) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string source = JoinPath(dir.path(), "a.bmp");
  ASSERT_EQ(WriteBmp(source, Pattern(4, 4)), 0);
  MInitInfo s;
  s.changer_mode = 1;
  ChangerChoice choice;
  choice.garden = false;
  choice.display_mode = -1;
  choice.selected_path = source;
  ChangerApplied out;
  ASSERT_EQ(ApplyChangerChoice(s, choice, dir.path(), out), kChangerUsePicture);
  EXPECT_EQ(s.changer_mode, 1);
  EXPECT_EQ(out.style, "1");
}

TEST(ChangerApply, UnsupportedFileGetsTheReadersMessage) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string source = JoinPath(dir.path(), "notes.txt");
  WriteText(source, "no picture");
  MInitInfo s;
  ChangerChoice choice;
  choice.garden = false;
  choice.selected_path = source;
  ChangerApplied out;
  EXPECT_EQ(ApplyChangerChoice(s, choice, dir.path(), out), kChangerUnreadable);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの読み込みに失敗しました。未対応のファイルです。");
  EXPECT_EQ(platform.messages[0].caption, source);
  EXPECT_FALSE(FileExists(JoinPath(dir.path(), kOtherWallpaperFile)));
  EXPECT_EQ(s.changer_active, 1);
}

TEST(ChangerApply, FailedWriteDoesNotOfferTheOldPicture) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string source = JoinPath(dir.path(), "a.bmp");
  ASSERT_EQ(WriteBmp(source, Pattern(4, 4)), 0);
  MInitInfo s;
  ChangerChoice choice;
  choice.garden = false;
  choice.selected_path = source;
  ChangerApplied out;
  EXPECT_EQ(ApplyChangerChoice(s, choice, JoinPath(dir.path(), "missing-folder"), out), kChangerWriteFailed);
  EXPECT_TRUE(out.wallpaper_path.empty());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイル生成に失敗しました。");
}

TEST(ChangerPictures, ReadableWithoutMessages) {
  RecordingPlatform platform;
  TempDir dir;
  ASSERT_EQ(WriteBmp(JoinPath(dir.path(), "ok.bmp"), Pattern(3, 3)), 0);
  ASSERT_EQ(WritePng(JoinPath(dir.path(), "ok.png"), Pattern(3, 3)), 0);
  ASSERT_EQ(WriteJpeg(JoinPath(dir.path(), "ok.jpg"), Pattern(8, 8), 90), 0);
  WriteText(JoinPath(dir.path(), "bad.png"), "\x89PNG\r\n\x1a\n broken");
  WriteText(JoinPath(dir.path(), "bad.bmp"), "BM broken");
  WriteText(JoinPath(dir.path(), "bad.jpg"), "broken");
  WriteText(JoinPath(dir.path(), "text.txt"), "text");
  EXPECT_TRUE(IsReadablePictureQuietly(JoinPath(dir.path(), "ok.bmp")));
  EXPECT_TRUE(IsReadablePictureQuietly(JoinPath(dir.path(), "ok.png")));
  EXPECT_TRUE(IsReadablePictureQuietly(JoinPath(dir.path(), "ok.jpg")));
  EXPECT_FALSE(IsReadablePictureQuietly(JoinPath(dir.path(), "bad.png")));
  EXPECT_FALSE(IsReadablePictureQuietly(JoinPath(dir.path(), "bad.bmp")));
  EXPECT_FALSE(IsReadablePictureQuietly(JoinPath(dir.path(), "bad.jpg")));
  EXPECT_FALSE(IsReadablePictureQuietly(JoinPath(dir.path(), "text.txt")));
  EXPECT_FALSE(IsReadablePictureQuietly(JoinPath(dir.path(), "missing.png")));
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ChangerPictures, PreviewIsScaledOrBlack) {
  RecordingPlatform platform;
  TempDir dir;
  const Surface picture = Pattern(20, 10);
  ASSERT_EQ(WriteBmp(JoinPath(dir.path(), "p.bmp"), picture), 0);
  Surface preview;
  ASSERT_TRUE(LoadChangerPreview(JoinPath(dir.path(), "p.bmp"), preview, 10, 5));
  ASSERT_EQ(preview.width, 10);
  ASSERT_EQ(preview.height, 5);
  // Nearest neighbour at half size: column j shows column 2j, buffer row i buffer row 2i.
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 10; ++j)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(preview.BufferRow(i)[3 * j + c], picture.BufferRow(2 * i)[6 * j + c]);
  WriteText(JoinPath(dir.path(), "bad.png"), "\x89PNG\r\n\x1a\n broken");
  EXPECT_FALSE(LoadChangerPreview(JoinPath(dir.path(), "bad.png"), preview, 7, 6));
  ASSERT_EQ(preview.width, 7);
  ASSERT_EQ(preview.height, 6);
  for (uint8_t b : preview.pixels) ASSERT_EQ(b, 0);
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace sylvane
