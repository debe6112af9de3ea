#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/image/surface.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

TEST(Surface, StrideRoundsWidthTimesThreeUpToFour) {
  EXPECT_EQ(StrideFor(1), 4);
  EXPECT_EQ(StrideFor(2), 8);
  EXPECT_EQ(StrideFor(3), 12);
  EXPECT_EQ(StrideFor(4), 12);
  EXPECT_EQ(StrideFor(5), 16);
  Surface s;
  ASSERT_TRUE(s.Create(5, 3));
  EXPECT_EQ(s.stride, 16);
  EXPECT_EQ(s.byte_count(), 48);
}

TEST(Surface, StartsEmpty) {
  Surface s;
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(s.width, 0);
  EXPECT_EQ(s.height, 0);
  EXPECT_EQ(s.stride, 0);
  EXPECT_EQ(s.byte_count(), 0);
  EXPECT_TRUE(s.path.empty());
}

TEST(Surface, FilledWith255SetsThePaddingToo) {
  Surface s;
  ASSERT_TRUE(s.CreateFilled(1, 3, 255));
  ASSERT_EQ(s.byte_count(), 12);
  EXPECT_TRUE(std::all_of(s.pixels.begin(), s.pixels.end(), [](uint8_t b) { return b == 255; }));
  ASSERT_TRUE(s.CreateFilled(5, 2, 0));
  EXPECT_TRUE(std::all_of(s.pixels.begin(), s.pixels.end(), [](uint8_t b) { return b == 0; }));
}

TEST(Surface, PixelAtCountsRowsFromTheTopOfABottomUpBuffer) {
  Surface s;
  ASSERT_TRUE(s.CreateFilled(2, 3, 0));
  s.PixelAt(1, 0)[2] = 77;  // top row, red
  EXPECT_EQ(s.pixels[size_t(2 * s.stride + 3 + 2)], 77);
}

TEST(Surface, RefreshHeadersDescribesA24BitBottomUpBitmap) {
  Surface s;
  ASSERT_TRUE(s.Create(5, 7));
  s.RefreshHeaders();
  EXPECT_EQ(s.file_header.type, 0x4D42);
  EXPECT_EQ(s.file_header.size, 16u * 7 + 54);
  EXPECT_EQ(s.file_header.reserved1, 0);
  EXPECT_EQ(s.file_header.reserved2, 0);
  EXPECT_EQ(s.file_header.off_bits, 54u);
  EXPECT_EQ(s.info.size, 40u);
  EXPECT_EQ(s.info.width, 5);
  EXPECT_EQ(s.info.height, 7);
  EXPECT_EQ(s.info.planes, 1);
  EXPECT_EQ(s.info.bit_count, 24);
  EXPECT_EQ(s.info.compression, 0u);
  EXPECT_EQ(s.info.size_image, 16u * 7);
  EXPECT_EQ(s.info.x_pels_per_meter, 0);
  EXPECT_EQ(s.info.clr_used, 0u);
}

TEST(Surface, CopyFromCopiesEveryByteAndRefreshesHeaders) {
  Surface src = testing::PatternSurface(5, 4, 3);
  Surface dst;
  dst.CopyFrom(src);
  EXPECT_EQ(dst.width, 5);
  EXPECT_EQ(dst.height, 4);
  EXPECT_EQ(dst.pixels, src.pixels);
  EXPECT_EQ(dst.info.width, 5);
  EXPECT_EQ(dst.file_header.size, 16u * 4 + 54);
}

TEST(Surface, RefusesSidesAboveTheLimit) {
  Surface s;
  ASSERT_TRUE(s.CreateFilled(2, 2, 9));
  EXPECT_FALSE(s.Create(kMaxSurfaceSide + 1, 1));
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(s.width, 0);
  AlphaPlane a;
  EXPECT_FALSE(a.CreateFilled(1, kMaxSurfaceSide + 1, 255));
  EXPECT_TRUE(a.empty());
}

TEST(AlphaPlane, RowsAreExactlyWidthBytes) {
  AlphaPlane a;
  ASSERT_TRUE(a.CreateFilled(3, 2, 255));
  EXPECT_EQ(a.bytes.size(), 6u);
  a.BufferRow(1)[0] = 4;
  EXPECT_EQ(a.bytes[3], 4);
}

TEST(PartImage, CopyTakesParametersAlwaysAndPicturesOnlyWhenPresent) {
  PartImage src;
  for (int i = 0; i < 12; ++i) src.params[size_t(i)] = i * 10 - 3;
  PartImage dst;
  dst.surface = testing::PatternSurface(2, 2, 1);
  ASSERT_TRUE(dst.alpha.CreateFilled(2, 2, 7));
  dst.CopyFrom(src);  // src has neither picture nor alpha
  EXPECT_EQ(dst.params, src.params);
  EXPECT_EQ(dst.surface.width, 2);
  EXPECT_EQ(dst.alpha.bytes, std::vector<uint8_t>(4, 7));

  src.surface = testing::PatternSurface(3, 1, 5);
  ASSERT_TRUE(src.alpha.CreateFilled(3, 1, 200));
  dst.CopyFrom(src);
  EXPECT_EQ(dst.surface.width, 3);
  EXPECT_EQ(dst.surface.pixels, src.surface.pixels);
  EXPECT_EQ(dst.alpha.bytes, src.alpha.bytes);
}

}  // namespace
}  // namespace sylvane
