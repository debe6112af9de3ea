// The "convert" command of sylvane-cli, run in-process.
#include <gtest/gtest.h>
#include <png.h>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "cli/command.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

int Convert(const std::vector<std::string>& args) {
  const cli::Command* c = cli::FindCommand("convert");
  EXPECT_NE(c, nullptr);
  if (!c) return -1000;
  cli::GlobalOptions global;
  return c->run(global, args);
}

TEST(ConvertCommand, PngToBmpToPngKeepsEveryPixel) {
  RecordingPlatform platform;
  TempDir dir;
  Surface src = testing::PatternSurface(9, 6, 3);
  ASSERT_EQ(WritePng(dir.File("in.png"), src), 0);
  EXPECT_EQ(Convert({dir.File("in.png"), dir.File("mid.BMP")}), 0);
  EXPECT_EQ(Convert({dir.File("mid.BMP"), dir.File("out.png")}), 0);
  Surface back;
  ASSERT_EQ(ReadPng(dir.File("out.png"), back, nullptr), kPngOk);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_TRUE(std::equal(src.PixelAt(x, y), src.PixelAt(x, y) + 3, back.PixelAt(x, y)));
  EXPECT_TRUE(platform.messages.empty());
}

TEST(ConvertCommand, JpegQualityAndCaseInsensitiveExtension) {
  RecordingPlatform platform;
  TempDir dir;
  Surface src = testing::PatternSurface(40, 30, 1);
  ASSERT_EQ(WriteBmp(dir.File("in.bmp"), src), 0);
  EXPECT_EQ(Convert({dir.File("in.bmp"), dir.File("low.JPEG"), "--quality", "5"}), 0);
  EXPECT_EQ(Convert({dir.File("in.bmp"), dir.File("default.jpg")}), 0);
  EXPECT_LT(testing::ReadBytes(dir.File("low.JPEG")).size(), testing::ReadBytes(dir.File("default.jpg")).size());
  // Quality 80 unless told: the same bytes as the writer at 80.
  std::vector<uint8_t> at80;
  ASSERT_TRUE(EncodeJpeg(src, 80, at80));
  EXPECT_EQ(testing::ReadBytes(dir.File("default.jpg")), at80);
}

TEST(ConvertCommand, AlphaGoesThroughToRgbaPng) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("in.png"),
                      testing::LibpngEncode(2, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, {{1, 2, 3, 4, 5, 6, 7, 8}}));
  EXPECT_EQ(Convert({dir.File("in.png"), dir.File("out.png"), "--alpha"}), 0);
  Surface s;
  AlphaPlane a;
  ASSERT_EQ(ReadPng(dir.File("out.png"), s, &a), kPngOk);
  EXPECT_EQ(a.bytes, (std::vector<uint8_t>{4, 8}));
  EXPECT_EQ(testing::ReadBytes(dir.File("out.png"))[25], 6);
  // Without --alpha the output is plain RGB.
  EXPECT_EQ(Convert({dir.File("in.png"), dir.File("rgb.png")}), 0);
  EXPECT_EQ(testing::ReadBytes(dir.File("rgb.png"))[25], 2);
}

TEST(ConvertCommand, FailuresExitNonZero) {
  RecordingPlatform platform;
  TempDir dir;
  ASSERT_EQ(WriteBmp(dir.File("in.bmp"), testing::PatternSurface(2, 2)), 0);
  EXPECT_NE(Convert({dir.File("in.bmp"), dir.File("out.gif")}), 0);     // unknown output type
  EXPECT_NE(Convert({dir.File("in.bmp"), dir.File("noext")}), 0);
  EXPECT_NE(Convert({dir.File("in.bmp")}), 0);                          // missing OUT
  EXPECT_NE(Convert({dir.File("in.bmp"), dir.File("o.jpg"), "--quality", "x"}), 0);
  EXPECT_NE(Convert({dir.File("in.bmp"), dir.File("o.jpg"), "--bogus"}), 0);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(FileExists(dir.File("o.jpg")));

  // A failure is one line on stderr that carries the loader's or writer's
  // own message (in UTF-8), not a message box of its own.
  testing::WriteBytes(dir.File("x.txt"), {1, 2});
  ::testing::internal::CaptureStderr();
  EXPECT_NE(Convert({dir.File("x.txt"), dir.File("o.png")}), 0);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "convert: cannot read '" + dir.File("x.txt") + "' (" +
                     SjisToUtf8("ファイルの読み込みに失敗しました。未対応のファイルです。") + ")\n");
  ::testing::internal::CaptureStderr();
  EXPECT_NE(Convert({dir.File("in.bmp"), dir.File("none/o.png")}), 0);
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "convert: cannot write '" + dir.File("none/o.png") + "' (" +
                     SjisToUtf8("ファイルオープンに失敗しました。WRITE_PNG") + ")\n");
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace sylvane
