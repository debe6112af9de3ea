#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

constexpr const char* kReadFailure = "JPEGファイルオープンに失敗しました。2";

// Offset of the first byte after the SOFn marker of a JPEG stream (the
// segment length), or 0 when there is none.
size_t FindSof(const std::vector<uint8_t>& jpeg, uint8_t* marker = nullptr) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      if (marker) *marker = jpeg[i + 1];
      return i + 2;
    }
  }
  return 0;
}

// A picture of flat colour bands: top half red, bottom half blue (BGR surface).
Surface Bands(int w, int h) {
  Surface s;
  s.CreateFilled(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      if (y < h / 2) {
        p[2] = 220;
      } else {
        p[0] = 200;
      }
    }
  s.RefreshHeaders();
  return s;
}

void ExpectFailsWithMessage(const std::vector<uint8_t>& bytes, const char* text) {
  RecordingPlatform platform;
  Surface s = testing::PatternSurface(2, 2);
  const std::vector<uint8_t> before = s.pixels;
  EXPECT_EQ(DecodeJpeg(bytes.data(), bytes.size(), s, true), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, text);
  EXPECT_EQ(platform.messages[0].caption, "失敗");
  EXPECT_EQ(s.pixels, before);
  EXPECT_EQ(DecodeJpeg(bytes.data(), bytes.size(), s, false), -1);
  EXPECT_EQ(platform.messages.size(), 1u);  // quiet when asked
}

TEST(JpegRoundTrip, KeepsTheSizeTheColoursAndTheRowOrder) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("out.jpg");
  ASSERT_EQ(WriteJpeg(path, Bands(33, 20), 80), 0);
  Surface back;
  ASSERT_EQ(ReadJpeg(path, back, true), 0);
  EXPECT_EQ(back.width, 33);
  EXPECT_EQ(back.height, 20);
  EXPECT_EQ(back.stride, StrideFor(33));
  EXPECT_EQ(back.path, path);
  EXPECT_EQ(back.info.width, 33);
  const uint8_t* top = back.PixelAt(16, 2);
  EXPECT_NEAR(top[2], 220, 6);
  EXPECT_NEAR(top[0], 0, 6);
  const uint8_t* bottom = back.PixelAt(16, 17);
  EXPECT_NEAR(bottom[0], 200, 6);
  EXPECT_NEAR(bottom[2], 0, 6);
  for (int r = 0; r < back.height; ++r)  // padding bytes are 0
    for (int i = 33 * 3; i < back.stride; ++i) EXPECT_EQ(back.BufferRow(r)[i], 0);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(JpegWrite, IsProgressiveAndHonoursQuality) {
  RecordingPlatform platform;
  Surface s = testing::PatternSurface(64, 48, 3);
  std::vector<uint8_t> low, high;
  ASSERT_TRUE(EncodeJpeg(s, 10, low));
  ASSERT_TRUE(EncodeJpeg(s, 95, high));
  EXPECT_LT(low.size(), high.size());
  uint8_t marker = 0;
  ASSERT_NE(FindSof(high, &marker), 0u);
  EXPECT_EQ(marker, 0xC2);  // progressive DCT
  EXPECT_EQ(high[0], 0xFF);
  EXPECT_EQ(high[1], 0xD8);
  EXPECT_EQ(high[high.size() - 2], 0xFF);
  EXPECT_EQ(high[high.size() - 1], 0xD9);
  EXPECT_FALSE(EncodeJpeg(Surface{}, 80, low));
}

TEST(JpegRead, GreyscaleGivesGreyPixels) {
  const int w = 16, h = 8;
  std::vector<uint8_t> samples(size_t(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) samples[size_t(y * w + x)] = uint8_t(x < 8 ? 40 : 210);
  const std::vector<uint8_t> jpeg = testing::LibjpegEncode(w, h, 1, JCS_GRAYSCALE, samples, 95);
  RecordingPlatform platform;
  Surface s;
  ASSERT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), s, true), 0);
  ASSERT_EQ(s.width, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = s.PixelAt(x, y);
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_NEAR(p[0], x < 8 ? 40 : 210, 4);
    }
}

TEST(JpegRead, CmykIsRefused) {
  const std::vector<uint8_t> samples(8 * 8 * 4, 100);
  ExpectFailsWithMessage(testing::LibjpegEncode(8, 8, 4, JCS_CMYK, samples), kReadFailure);
}

TEST(JpegRead, TwelveBitIsRefused) {
  std::vector<uint8_t> jpeg = testing::LibjpegEncode(8, 8, 3, JCS_RGB, std::vector<uint8_t>(8 * 8 * 3, 50));
  const size_t sof = FindSof(jpeg);
  ASSERT_NE(sof, 0u);
  jpeg[sof + 2] = 12;  // sample precision
  ExpectFailsWithMessage(jpeg, kReadFailure);
}

TEST(JpegRead, OversizedIsRefusedWithTheSizeMessage) {
  std::vector<uint8_t> jpeg = testing::LibjpegEncode(8, 8, 3, JCS_RGB, std::vector<uint8_t>(8 * 8 * 3, 50));
  const size_t sof = FindSof(jpeg);
  ASSERT_NE(sof, 0u);
  jpeg[sof + 3] = 0x40;  // height 16385
  jpeg[sof + 4] = 0x01;
  ExpectFailsWithMessage(jpeg, "画像が大きすぎます。");
}

TEST(JpegRead, NonJpegContentFailsWithItsMessageOnlyWhenAsked) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("fake.jpg");
  testing::WriteBytes(path, {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  Surface s;
  EXPECT_EQ(ReadJpeg(path, s, false), -1);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadJpeg(path, s, true), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kReadFailure);
  EXPECT_EQ(platform.messages[0].caption, "失敗");
  EXPECT_TRUE(s.empty());
}

TEST(JpegRead, MissingFileFailsQuietly) {
  RecordingPlatform platform;
  TempDir dir;
  Surface s;
  EXPECT_EQ(ReadJpeg(dir.File("none.jpg"), s, true), -1);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(JpegWrite, UncreatableFileShowsTheOpenMessage) {
  RecordingPlatform platform;
  TempDir dir;
  EXPECT_EQ(WriteJpeg(dir.File("no/such/x.jpg"), Bands(8, 8), 80), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルオープンに失敗しました。WRITE_JPEG");
  EXPECT_EQ(platform.messages[0].caption, "失敗");
}

TEST(JpegWrite, FailedWriteKeepsTheOldFile) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("keep.jpg");
  ASSERT_EQ(WriteJpeg(path, Bands(8, 8), 80), 0);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  EXPECT_EQ(WriteJpeg(path, Surface{}, 80), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。WRITE_JPEG");
  EXPECT_EQ(testing::ReadBytes(path), before);
  EXPECT_EQ(testing::FolderEntries(dir.path()), std::vector<std::string>{"keep.jpg"});
}

TEST(JpegWrite, LargePictureGrowsTheStreamBuffer) {
  // Noise does not compress: the stream outgrows the first 64 KiB buffer.
  Surface s = testing::PatternSurface(300, 200, 1);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint8_t((i * 2654435761u) >> 13);
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(s, 100, jpeg));
  EXPECT_GT(jpeg.size(), 65536u);
  RecordingPlatform platform;
  Surface back;
  ASSERT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), back, true), 0);
  EXPECT_EQ(back.width, 300);
  EXPECT_EQ(back.height, 200);
}

}  // namespace
}  // namespace sylvane
