#include <gtest/gtest.h>
#include <png.h>

#include <jpeglib.h>

#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

constexpr const char* kUnsupported = "ファイルの読み込みに失敗しました。未対応のファイルです。";

std::vector<uint8_t> SmallPng() {
  return testing::LibpngEncode(2, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, {{10, 20, 30, 40, 50, 60, 70, 80}});
}

std::vector<uint8_t> SmallJpeg() {
  return testing::LibjpegEncode(8, 8, 3, JCS_RGB, std::vector<uint8_t>(8 * 8 * 3, 128));
}

std::vector<uint8_t> SmallBmp() {
  testing::BmpFields f;
  f.width = 2;
  f.height = 1;
  return testing::BuildBmp(f, {1, 2, 3, 4, 5, 6, 0, 0});
}

TEST(DetectImageType, PngSignatureWinsWhateverTheName) {
  TempDir dir;
  testing::WriteBytes(dir.File("photo.bmp"), SmallPng());
  testing::WriteBytes(dir.File("photo.jpg"), SmallPng());
  testing::WriteBytes(dir.File("photo"), SmallPng());
  EXPECT_EQ(DetectImageType(dir.File("photo.bmp")), ImageType::kPng);
  EXPECT_EQ(DetectImageType(dir.File("photo.jpg")), ImageType::kPng);
  EXPECT_EQ(DetectImageType(dir.File("photo")), ImageType::kPng);
}

TEST(DetectImageType, BmpNeedsTheNameAndTheMagic) {
  TempDir dir;
  for (const char* name : {"a.bmp", "b.BMP", "c.BmP", "d.bMp"}) {
    testing::WriteBytes(dir.File(name), SmallBmp());
    EXPECT_EQ(DetectImageType(dir.File(name)), ImageType::kBmp) << name;
  }
  testing::WriteBytes(dir.File("e.dib"), SmallBmp());
  EXPECT_EQ(DetectImageType(dir.File("e.dib")), ImageType::kUnknown);
  testing::WriteBytes(dir.File("f.bmp"), {'M', 'B', 0, 0});
  EXPECT_EQ(DetectImageType(dir.File("f.bmp")), ImageType::kUnknown);
  EXPECT_EQ(DetectImageType(dir.File("missing.bmp")), ImageType::kUnknown);
}

TEST(DetectImageType, JpegByNameOnly) {
  TempDir dir;
  for (const char* name : {"photo.jpeg", "photo.JPG", "photo.JpG", "photo.JPEG", "photo.jpg"}) {
    testing::WriteBytes(dir.File(name), {1, 2, 3});
    EXPECT_EQ(DetectImageType(dir.File(name)), ImageType::kJpeg) << name;
  }
  EXPECT_EQ(DetectImageType(dir.File("missing.jpg")), ImageType::kJpeg);  // content not looked at
  for (const char* name : {"photo.jpe", "photo.png", "photo.gif", "jpg", ""})
    EXPECT_EQ(DetectImageType(dir.File(name)), ImageType::kUnknown) << name;
  EXPECT_EQ(DetectImageType("jpg"), ImageType::kUnknown);  // shorter than four characters
}

TEST(LoadImage, BmpNamedPngContentIsReadAsPng) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("photo.bmp");
  testing::WriteBytes(path, SmallPng());
  Surface s;
  ASSERT_EQ(LoadImage(path, s), 0);
  EXPECT_EQ(s.width, 2);
  EXPECT_EQ(s.PixelAt(1, 0)[2], 50);
  EXPECT_EQ(s.path, path);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(LoadImage, PngNamedJpegContentIsRefusedAsUnsupported) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("photo.png");
  testing::WriteBytes(path, SmallJpeg());
  Surface s = testing::PatternSurface(2, 2);
  const std::vector<uint8_t> before = s.pixels;
  EXPECT_EQ(LoadImage(path, s, false), -1);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(LoadImage(path, s), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kUnsupported);
  EXPECT_EQ(platform.messages[0].caption, path);
  EXPECT_EQ(s.pixels, before);
}

TEST(LoadImage, EachTypeLoadsAndSetsThePath) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("a.png"), SmallPng());
  testing::WriteBytes(dir.File("b.bmp"), SmallBmp());
  testing::WriteBytes(dir.File("c.jpeg"), SmallJpeg());
  for (const char* name : {"a.png", "b.bmp", "c.jpeg"}) {
    Surface s;
    ASSERT_EQ(LoadImage(dir.File(name), s), 0) << name;
    EXPECT_EQ(s.path, dir.File(name));
    EXPECT_GT(s.width, 0);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST(LoadImage, JpegFailureIsQuietUnlessAskedButBmpAlwaysSpeaks) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("bad.jpg"), {0xFF, 0xD8, 0xFF});
  testing::BmpFields f;
  f.bit_count = 8;
  testing::WriteBytes(dir.File("bad.bmp"), testing::BuildBmp(f, {0, 0, 0, 0}));
  Surface s;
  EXPECT_EQ(LoadImage(dir.File("bad.jpg"), s, false), -1);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(LoadImage(dir.File("bad.bmp"), s, false), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(LoadImage(dir.File("bad.jpg"), s, true), -1);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[1].text, "JPEGファイルオープンに失敗しました。2");
}

TEST(LoadImageWithAlpha, PngKeepsItsAlpha) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("a.png"), SmallPng());
  Surface s;
  AlphaPlane a;
  ASSERT_EQ(LoadImageWithAlpha(dir.File("a.png"), s, a), 0);
  EXPECT_EQ(a.bytes, (std::vector<uint8_t>{40, 80}));
  EXPECT_EQ(a.width, 2);
  EXPECT_EQ(s.path, dir.File("a.png"));
}

TEST(LoadImageWithAlpha, BmpAndJpegAreFullyOpaque) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("b.bmp"), SmallBmp());
  testing::WriteBytes(dir.File("c.jpg"), SmallJpeg());
  Surface s;
  AlphaPlane a;
  ASSERT_EQ(LoadImageWithAlpha(dir.File("b.bmp"), s, a), 0);
  EXPECT_EQ(a.bytes, std::vector<uint8_t>(2, 255));
  EXPECT_EQ(s.PixelAt(1, 0)[0], 4);
  ASSERT_EQ(LoadImageWithAlpha(dir.File("c.jpg"), s, a), 0);
  EXPECT_EQ(a.bytes, std::vector<uint8_t>(64, 255));
  EXPECT_EQ(a.height, 8);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(LoadImageWithAlpha, FailuresReportFailureAndLeaveBothAlone) {
  RecordingPlatform platform;
  TempDir dir;
  testing::WriteBytes(dir.File("x.gif"), {'G', 'I', 'F'});
  testing::WriteBytes(dir.File("pal.png"),
                      testing::LibpngEncode(2, 1, 8, PNG_COLOR_TYPE_PALETTE, testing::FlatRows(1, 2, 0), false, 2));
  Surface s = testing::PatternSurface(2, 2);
  AlphaPlane a;
  a.CreateFilled(2, 2, 9);
  const std::vector<uint8_t> before = s.pixels;

  EXPECT_EQ(LoadImageWithAlpha(dir.File("x.gif"), s, a), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kUnsupported);
  EXPECT_EQ(platform.messages[0].caption, dir.File("x.gif"));

  EXPECT_EQ(LoadImageWithAlpha(dir.File("pal.png"), s, a), -1);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[1].caption, "失敗");

  EXPECT_EQ(LoadImageWithAlpha(dir.File("none.jpg"), s, a), -1);
  EXPECT_EQ(s.pixels, before);
  EXPECT_EQ(a.bytes, std::vector<uint8_t>(4, 9));
}

}  // namespace
}  // namespace sylvane
