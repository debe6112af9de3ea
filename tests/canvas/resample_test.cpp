#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/image/image_io.h"
#include "canvas/image/resample.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

// A w x 1 surface whose pixel x has blue = values[x], green = values[x] + 1, red = values[x] + 2.
Surface Row(const std::vector<int>& values) {
  Surface s;
  s.CreateFilled(int(values.size()), 1, 0);
  for (size_t x = 0; x < values.size(); ++x) {
    uint8_t* p = s.PixelAt(int(x), 0);
    p[0] = uint8_t(values[x]);
    p[1] = uint8_t(values[x] + 1);
    p[2] = uint8_t(values[x] + 2);
  }
  return s;
}

std::vector<int> Blues(const Surface& s, int y = 0) {
  std::vector<int> out;
  for (int x = 0; x < s.width; ++x) out.push_back(s.PixelAt(x, y)[0]);
  return out;
}

TEST(NearestScale, TwoByTwoToFourByFourRepeatsEachPixelInABlock) {
  Surface src;
  src.CreateFilled(2, 2, 0);
  const uint8_t colours[2][2][3] = {{{1, 2, 3}, {4, 5, 6}}, {{7, 8, 9}, {10, 11, 12}}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) std::copy(colours[y][x], colours[y][x] + 3, src.PixelAt(x, y));
  Surface dst;
  ASSERT_EQ(NearestScale(src, dst, 4, 4), 0);
  ASSERT_EQ(dst.width, 4);
  ASSERT_EQ(dst.height, 4);
  EXPECT_EQ(dst.info.width, 4);  // headers refreshed
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint8_t* p = dst.PixelAt(x, y);
      const uint8_t* e = colours[y / 2][x / 2];
      EXPECT_TRUE(p[0] == e[0] && p[1] == e[1] && p[2] == e[2]) << x << "," << y;
    }
}

TEST(NearestScale, ShrinkingPicksTruncatedSourceColumns) {
  Surface dst;
  ASSERT_EQ(NearestScale(Row({10, 20, 30, 40, 50}), dst, 3, 1), 0);
  // ratio 5/3: columns 0, 1 (1.67), 3 (3.33)
  EXPECT_EQ(Blues(dst), (std::vector<int>{10, 20, 40}));
  EXPECT_EQ(dst.PixelAt(2, 0)[1], 41);
  EXPECT_EQ(dst.PixelAt(2, 0)[2], 42);
}

TEST(NearestScale, RatioIsSinglePrecision) {
  // 2 -> 82 columns: float(2/82) * 41 falls just below 1, so column 41 still
  // takes source column 0 (a double ratio would give 1).
  Surface dst;
  ASSERT_EQ(NearestScale(Row({100, 200}), dst, 82, 1), 0);
  EXPECT_EQ(dst.PixelAt(40, 0)[0], 100);
  EXPECT_EQ(dst.PixelAt(41, 0)[0], 100);
  EXPECT_EQ(dst.PixelAt(42, 0)[0], 200);
  EXPECT_EQ(dst.PixelAt(81, 0)[0], 200);
}

TEST(NearestScale, RowsMapLikeColumnsInBufferOrder) {
  Surface src = testing::PatternSurface(3, 4);
  Surface dst;
  ASSERT_EQ(NearestScale(src, dst, 3, 2), 0);
  // ratio 2: buffer rows 0 and 2 of the source
  for (int r = 0; r < 2; ++r)
    EXPECT_TRUE(std::equal(dst.BufferRow(r), dst.BufferRow(r) + 9, src.BufferRow(2 * r))) << r;
}

TEST(NearestScale, EmptySourceFailsButLeavesTargetCreated) {
  Surface empty;
  Surface dst;
  EXPECT_EQ(NearestScale(empty, dst, 6, 5), -1);
  EXPECT_EQ(dst.width, 6);
  EXPECT_EQ(dst.height, 5);
  EXPECT_EQ(dst.byte_count(), 20 * 5);
  EXPECT_EQ(dst.info.width, 6);
}

TEST(NearestScale, TargetMayBeTheSource) {
  Surface s = Row({1, 2, 3, 4});
  ASSERT_EQ(NearestScale(s, s, 2, 1), 0);
  EXPECT_EQ(Blues(s), (std::vector<int>{1, 3}));
}

TEST(NearestScale, UncreatableTargetFails) {
  Surface dst;
  EXPECT_EQ(NearestScale(Row({1}), dst, 0, 4), -1);
  EXPECT_EQ(NearestScale(Row({1}), dst, kMaxSurfaceSide + 1, 1), -1);
  EXPECT_TRUE(dst.empty());
}

TEST(NearestScaleIntoBlack, EmptySourceGivesBlackWithoutHeaders) {
  Surface empty;
  Surface dst;
  EXPECT_EQ(NearestScaleIntoBlack(empty, dst, 3, 2), 0);
  EXPECT_EQ(dst.width, 3);
  EXPECT_TRUE(std::all_of(dst.pixels.begin(), dst.pixels.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(dst.info.width, 0);  // headers untouched
}

TEST(NearestScaleIntoBlack, ScalesLikeNearestAndKeepsPaddingBlack) {
  Surface src = testing::PatternSurface(4, 3, 9);
  Surface a, b;
  ASSERT_EQ(NearestScale(src, a, 7, 5), 0);
  ASSERT_EQ(NearestScaleIntoBlack(src, b, 7, 5), 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_TRUE(std::equal(a.PixelAt(x, y), a.PixelAt(x, y) + 3, b.PixelAt(x, y)));
  for (int r = 0; r < 5; ++r)
    for (int i = 21; i < b.stride; ++i) EXPECT_EQ(b.BufferRow(r)[i], 0);
}

TEST(SmoothShrink, SameSizeIsAnExactCopy) {
  Surface src = testing::PatternSurface(5, 3, 2);
  Surface dst;
  ASSERT_EQ(SmoothShrink(src, dst, 5, 3), 0);
  EXPECT_EQ(dst.pixels, src.pixels);
  EXPECT_EQ(dst.info.height, 3);
}

TEST(SmoothShrink, RefusesToEnlarge) {
  Surface src = testing::PatternSurface(4, 4);
  Surface dst;
  EXPECT_EQ(SmoothShrink(src, dst, 5, 4), -1);
  EXPECT_EQ(dst.width, 5);  // created, contents unspecified
  EXPECT_EQ(SmoothShrink(src, dst, 4, 8), -1);
  Surface empty;
  EXPECT_EQ(SmoothShrink(empty, dst, 2, 2), -1);
}

TEST(SmoothShrink, HalfSizeAveragesEachBlockAndTruncates) {
  Surface src;
  src.CreateFilled(4, 2, 0);
  const int blues[2][4] = {{10, 11, 0, 255}, {20, 21, 255, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.PixelAt(x, y)[0] = uint8_t(blues[y][x]);
  Surface dst;
  ASSERT_EQ(SmoothShrink(src, dst, 2, 1), 0);
  EXPECT_EQ(dst.PixelAt(0, 0)[0], 15);   // 15.5 truncated
  EXPECT_EQ(dst.PixelAt(1, 0)[0], 191);  // 191.25 truncated
  EXPECT_EQ(dst.PixelAt(1, 0)[1], 0);
}

TEST(SmoothShrink, ThreeToTwoSamplesAtQuarterPositions) {
  Surface dst;
  ASSERT_EQ(SmoothShrink(Row({0, 100, 200}), dst, 2, 1), 0);
  // ratio 1.5: sample points 0.25 and 1.75
  EXPECT_EQ(Blues(dst), (std::vector<int>{25, 175}));
  EXPECT_EQ(dst.PixelAt(1, 0)[2], 177);
}

TEST(SmoothShrink, FiveToTwo) {
  Surface dst;
  ASSERT_EQ(SmoothShrink(Row({0, 40, 80, 120, 160}), dst, 2, 1), 0);
  // ratio 2.5: sample points 0.75 and 3.25
  EXPECT_EQ(Blues(dst), (std::vector<int>{30, 130}));
}

TEST(SmoothShrink, TargetMayBeTheSource) {
  Surface s = Row({0, 100, 200});
  ASSERT_EQ(SmoothShrink(s, s, 2, 1), 0);
  EXPECT_EQ(Blues(s), (std::vector<int>{25, 175}));
}

TEST(SmoothShrinkPlane, ShrinksOneChannel) {
  AlphaPlane src;
  src.CreateFilled(4, 2, 0);
  const uint8_t v[8] = {0, 255, 100, 100, 255, 0, 100, 101};  // bottom row first
  std::copy(v, v + 8, src.bytes.begin());
  AlphaPlane dst;
  ASSERT_EQ(SmoothShrinkPlane(src, 4, 2, dst, 2, 1), 0);
  ASSERT_EQ(dst.bytes.size(), 2u);
  EXPECT_EQ(dst.bytes[0], 127);  // 127.5
  EXPECT_EQ(dst.bytes[1], 100);  // 100.25
}

TEST(SmoothShrinkPlane, SameSizeCopiesAndBadInputFails) {
  AlphaPlane src;
  src.CreateFilled(3, 3, 0);
  for (size_t i = 0; i < 9; ++i) src.bytes[i] = uint8_t(i * 20);
  AlphaPlane dst;
  ASSERT_EQ(SmoothShrinkPlane(src, 3, 3, dst, 3, 3), 0);
  EXPECT_EQ(dst.bytes, src.bytes);
  EXPECT_EQ(SmoothShrinkPlane(src, 3, 3, dst, 4, 3), -1);
  EXPECT_EQ(SmoothShrinkPlane(src, 4, 3, dst, 2, 2), -1);  // the plane holds only 9 bytes
  EXPECT_EQ(SmoothShrinkPlane(src, 0, 3, dst, 2, 2), -1);
}

TEST(LoadAndFit, ScalesALoadedPictureAndReportsItsSize) {
  testing::RecordingPlatform platform;
  testing::TempDir dir;
  const std::string path = dir.File("p.png");
  Surface src = testing::PatternSurface(2, 2, 4);
  ASSERT_EQ(WritePng(path, src), 0);
  Surface dst;
  int w = -1, h = -1;
  ASSERT_EQ(LoadAndFit(path, dst, 4, 4, &w, &h), 0);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 2);
  ASSERT_EQ(dst.width, 4);
  EXPECT_TRUE(std::equal(dst.PixelAt(3, 3), dst.PixelAt(3, 3) + 3, src.PixelAt(1, 1)));
  EXPECT_TRUE(platform.messages.empty());
}

TEST(LoadAndFit, FailureGivesBlackAndNoMessageForUnknownOrJpeg) {
  testing::RecordingPlatform platform;
  testing::TempDir dir;
  testing::WriteBytes(dir.File("x.txt"), {1, 2, 3});
  testing::WriteBytes(dir.File("x.jpg"), {1, 2, 3});
  for (const char* name : {"x.txt", "x.jpg"}) {
    Surface dst = testing::PatternSurface(3, 3);
    int w = -1, h = -1;
    EXPECT_EQ(LoadAndFit(dir.File(name), dst, 70, 70, &w, &h), -1);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    ASSERT_EQ(dst.width, 70);
    EXPECT_TRUE(std::all_of(dst.pixels.begin(), dst.pixels.end(), [](uint8_t b) { return b == 0; }));
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST(LoadAndFit, PngFailureStillShowsItsMessage) {
  testing::RecordingPlatform platform;
  testing::TempDir dir;
  std::vector<uint8_t> bytes = testing::LibpngEncode(2, 2, 8, 3 /*palette*/, testing::FlatRows(2, 2, 0), false, 4);
  testing::WriteBytes(dir.File("pal.png"), bytes);
  Surface dst;
  EXPECT_EQ(LoadAndFit(dir.File("pal.png"), dst, 8, 8), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "申し訳有りませんが、本ソフトはカラーパレット付きPNGファイルに対応していません。");
  EXPECT_EQ(dst.width, 8);
}

}  // namespace
}  // namespace sylvane
