#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::BmpFields;
using testing::BuildBmp;
using testing::RecordingPlatform;
using testing::TempDir;

constexpr const char* kOpenFailure = "BMPファイルオープンに失敗しました。";
constexpr const char* kFullColourOnly =
    "BMPは、フルカラーのみ対応しています。256色、16色フォーマット等は使用できません。";

struct LoadOutcome {
  int result;
  std::vector<testing::RecordedMessage> messages;
};

LoadOutcome LoadFromBytes(const std::vector<uint8_t>& bytes, Surface& out) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  testing::WriteBytes(path, bytes);
  LoadOutcome o;
  o.result = LoadBmp(path, out);
  o.messages = platform.messages;
  return o;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, int code, const char* text, const char* caption) {
  Surface out = testing::PatternSurface(3, 2);
  const Surface before = out;
  LoadOutcome o = LoadFromBytes(bytes, out);
  EXPECT_EQ(o.result, code);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0].text, text);
  EXPECT_EQ(o.messages[0].caption, caption);
  EXPECT_EQ(out.pixels, before.pixels);  // untouched
  EXPECT_EQ(out.width, 3);
  EXPECT_TRUE(out.path.empty());
  // The same bytes from memory give the same code.
  RecordingPlatform quiet;
  Surface mem;
  EXPECT_EQ(DecodeBmp(bytes.data(), bytes.size(), mem, false), code);
  EXPECT_TRUE(quiet.messages.empty());
}

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i + 1);
  return v;
}

TEST(BmpWrite, WritesTheExactFileLayout) {
  RecordingPlatform platform;
  TempDir dir;
  Surface s = testing::PatternSurface(5, 3, 2);
  ASSERT_EQ(WriteBmp(dir.File("a.bmp"), s), 0);
  const std::vector<uint8_t> file = testing::ReadBytes(dir.File("a.bmp"));
  BmpFields f;
  f.width = 5;
  f.height = 3;
  std::vector<uint8_t> expected = BuildBmp(f, s.pixels);
  // The writer leaves the resolution at 0.
  std::fill(expected.begin() + 38, expected.begin() + 46, 0);
  EXPECT_EQ(file, expected);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(BmpRoundTrip, IsIdenticalAndReturnsFileSizeMinus14) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("round.BMP");
  Surface s = testing::PatternSurface(7, 4, 9);
  ASSERT_EQ(WriteBmp(path, s), 0);
  Surface back;
  EXPECT_EQ(LoadBmp(path, back), int(24 * 4 + 54 - 14));
  EXPECT_EQ(back.pixels, s.pixels);  // padding bytes too
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 4);
  EXPECT_EQ(back.stride, 24);
  EXPECT_EQ(back.path, path);
  EXPECT_EQ(back.info.height, 4);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(BmpRead, PixelsAreReadFromOffset54WhateverTheHeaderSays) {
  BmpFields f;
  f.width = 1;
  f.height = 2;
  f.off_bits = 60;
  f.gap = 6;
  f.gap_value = 0xEE;
  Surface s;
  LoadOutcome o = LoadFromBytes(BuildBmp(f, Counting(8)), s);
  ASSERT_GE(o.result, 0);
  // The six gap bytes come first, then the start of the real rows.
  EXPECT_EQ(s.pixels, (std::vector<uint8_t>{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 1, 2}));
  EXPECT_EQ(s.file_header.off_bits, 60u);  // headers kept as read
}

TEST(BmpRead, NegativeHeightKeepsRowsInStoredOrder) {
  BmpFields f;
  f.width = 1;
  f.height = -2;
  Surface s;
  LoadOutcome o = LoadFromBytes(BuildBmp(f, {1, 2, 3, 0, 4, 5, 6, 0}), s);
  ASSERT_GE(o.result, 0);
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(s.info.height, -2);
  EXPECT_EQ(s.BufferRow(0)[0], 1);  // first stored row is buffer row 0 (drawn at the bottom)
  EXPECT_EQ(s.PixelAt(0, 0)[0], 4);
}

TEST(BmpRead, SmallFileSizeFieldIsStillSuccess) {
  BmpFields f;
  f.file_size = 2;  // some writers leave bfSize wrong; the picture is fine
  Surface s;
  LoadOutcome o = LoadFromBytes(BuildBmp(f, {1, 2, 3, 0}), s);
  EXPECT_EQ(o.result, 0);
  EXPECT_TRUE(o.messages.empty());
  f.file_size = 0xFFFFFFF0u;
  o = LoadFromBytes(BuildBmp(f, {1, 2, 3, 0}), s);
  EXPECT_EQ(o.result, INT_MAX);
}

TEST(BmpRead, OtherDepthsGetTheFullColourMessage) {
  for (uint16_t bits : {1, 4, 8, 16, 32}) {
    BmpFields f;
    f.bit_count = bits;
    f.width = 2;
    f.height = 2;
    ExpectRefused(BuildBmp(f, Counting(16)), kBmpNotFullColour, kFullColourOnly, "エラー");
  }
}

TEST(BmpRead, CompressedGetsTheOpenFailure) {
  for (uint32_t compression : {1u, 2u, 3u}) {
    BmpFields f;
    f.compression = compression;
    f.bit_count = compression == 3 ? 32 : 8;
    ExpectRefused(BuildBmp(f, Counting(8)), kBmpCompressed, kOpenFailure, "失敗");
  }
  BmpFields rle24;
  rle24.compression = 1;
  ExpectRefused(BuildBmp(rle24, Counting(4)), kBmpCompressed, kOpenFailure, "失敗");
}

TEST(BmpRead, ShortPixelDataIsRefusedNotReadPastTheEnd) {
  BmpFields f;
  f.width = 3;
  f.height = 3;  // needs 36 bytes
  ExpectRefused(BuildBmp(f, Counting(35)), kBmpShortPixels, kOpenFailure, "失敗");
  ExpectRefused(BuildBmp(f, {}), kBmpShortPixels, kOpenFailure, "失敗");
  Surface s;
  EXPECT_GE(LoadFromBytes(BuildBmp(f, Counting(36)), s).result, 0);
  f.height = 1000000;  // tiny file claiming a tall picture
  ExpectRefused(BuildBmp(f, Counting(36)), kBmpTooLarge, "画像が大きすぎます。", "失敗");
  f.height = 16000;
  f.width = 16000;
  ExpectRefused(BuildBmp(f, Counting(36)), kBmpShortPixels, kOpenFailure, "失敗");
}

TEST(BmpRead, ZeroNegativeAndAbsurdSizesAreRefused) {
  const int32_t bad_sizes[][2] = {{0, 1}, {1, 0}, {-1, 1}, {INT_MIN, 1}};
  for (const auto& size : bad_sizes) {
    BmpFields f;
    f.width = size[0];
    f.height = size[1];
    ExpectRefused(BuildBmp(f, Counting(4)), kBmpBadSize, kOpenFailure, "失敗");
  }
  const int32_t large_sizes[][2] = {{kMaxSurfaceSide + 1, 1}, {1, -(kMaxSurfaceSide + 1)}, {INT_MAX, INT_MAX},
                                    {1, INT_MIN}};
  for (const auto& size : large_sizes) {
    BmpFields f;
    f.width = size[0];
    f.height = size[1];
    ExpectRefused(BuildBmp(f, Counting(4)), kBmpTooLarge, "画像が大きすぎます。", "失敗");
  }
}

TEST(BmpRead, ShortHeadersAndWrongSignature) {
  std::vector<uint8_t> good = BuildBmp(BmpFields{}, {1, 2, 3, 0});
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 10), kBmpShortFileHeader, kOpenFailure, "失敗");
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 30), kBmpShortInfoHeader, kOpenFailure, "失敗");
  std::vector<uint8_t> not_bm = good;
  not_bm[1] = 'A';
  ExpectRefused(not_bm, kBmpNotBmp, kOpenFailure, "失敗");
  ExpectRefused({}, kBmpNotBmp, kOpenFailure, "失敗");
}

TEST(BmpRead, MissingFile) {
  RecordingPlatform platform;
  TempDir dir;
  Surface s;
  EXPECT_EQ(LoadBmp(dir.File("none.bmp"), s), kBmpCannotOpen);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, kOpenFailure);
  EXPECT_EQ(platform.messages[0].caption, "失敗");
}

TEST(BmpWrite, UncreatableFileShowsTheCreationMessage) {
  RecordingPlatform platform;
  TempDir dir;
  EXPECT_EQ(WriteBmp(dir.File("no/such/x.bmp"), testing::PatternSurface(2, 2)), -3);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイル生成に失敗しました。");
  EXPECT_EQ(platform.messages[0].caption, "Error");
}

TEST(BmpWrite, FailedWriteKeepsTheOldFile) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("keep.bmp");
  ASSERT_EQ(WriteBmp(path, testing::PatternSurface(2, 2)), 0);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  EXPECT_EQ(WriteBmp(path, Surface{}), -3);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。");
  EXPECT_EQ(platform.messages[0].caption, "Error");
  EXPECT_EQ(testing::ReadBytes(path), before);
  EXPECT_EQ(testing::FolderEntries(dir.path()), std::vector<std::string>{"keep.bmp"});
}

TEST(BmpWrite, UnflushedWritingReplacesWithTheSameBytesOrKeepsTheOldFile) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("wallpaper.bmp");
  const Surface old_picture = testing::PatternSurface(4, 3, 1);
  const Surface picture = testing::PatternSurface(7, 5, 2);
  std::vector<uint8_t> expected;
  ASSERT_TRUE(EncodeBmp(picture, expected));
  ASSERT_EQ(WriteBmp(path, old_picture, Durability::kCached), 0);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  ASSERT_EQ(WriteBmp(path, picture, Durability::kCached), 0);
  EXPECT_EQ(testing::ReadBytes(path), expected);
  // A refused picture leaves the last one whole and no temporary file.
  ASSERT_EQ(WriteBmp(path, old_picture, Durability::kCached), 0);
  EXPECT_EQ(WriteBmp(path, Surface{}, Durability::kCached), -3);
  EXPECT_EQ(testing::ReadBytes(path), before);
  EXPECT_EQ(testing::FolderEntries(dir.path()), std::vector<std::string>{"wallpaper.bmp"});
}

TEST(BmpEncode, MatchesTheFileWriter) {
  RecordingPlatform platform;
  TempDir dir;
  Surface s = testing::PatternSurface(3, 5, 4);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeBmp(s, bytes));
  ASSERT_EQ(WriteBmp(dir.File("x.bmp"), s), 0);
  EXPECT_EQ(bytes, testing::ReadBytes(dir.File("x.bmp")));
  Surface back;
  EXPECT_GE(DecodeBmp(bytes.data(), bytes.size(), back, true), 0);
  EXPECT_EQ(back.pixels, s.pixels);
}

}  // namespace
}  // namespace sylvane
