#include <gtest/gtest.h>

#include <vector>

#include "base/bytes.h"
#include "base/grid.h"

namespace sylvane {
namespace {

TEST(FloatGrid, AllocateFilledSetsEveryCell) {
  FloatGrid g;
  ASSERT_TRUE(g.AllocateFilled(3, 2, 0.25f));
  EXPECT_EQ(g.columns, 3);
  EXPECT_EQ(g.rows, 2);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(g.At(c, r), 0.25f);
  g.At(2, 1) = 7.0f;
  EXPECT_EQ(g.Row(1)[2], 7.0f);
  EXPECT_EQ(g.cells[5], 7.0f);  // row by row
}

TEST(FloatGrid, SizesThatAreNotPositiveLeaveItEmpty) {
  FloatGrid g;
  ASSERT_TRUE(g.AllocateFilled(4, 4, 1.0f));
  EXPECT_FALSE(g.Allocate(0, 5));
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.columns, 0);
  EXPECT_EQ(g.rows, 0);
  // Two negative counts have a positive product but still hold nothing.
  EXPECT_FALSE(g.Allocate(-3, -4));
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.columns, 0);
  EXPECT_FALSE(g.AllocateFilled(5, -1, 2.0f));
  EXPECT_EQ(g.rows, 0);
}

TEST(FloatGrid, RefusesGridsTooLargeForMemory) {
  FloatGrid g;
  EXPECT_FALSE(g.Allocate(1 << 20, 1 << 20));
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.columns, 0);
}

TEST(FloatGrid, ReleaseEmptiesIt) {
  FloatGrid g;
  ASSERT_TRUE(g.Allocate(2, 2));
  g.Release();
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.columns, 0);
  EXPECT_EQ(g.rows, 0);
}

TEST(ByteGrid, NewGridIsEmpty) {
  ByteGrid g;
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.columns, 0);
  EXPECT_EQ(g.rows, 0);
}

ByteGrid Sample() {
  ByteGrid g;
  g.AllocateFilled(3, 2, 0);
  uint8_t v = 1;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) g.At(c, r) = v++;
  return g;
}

TEST(ByteGrid, WritesCountsThenCellsRowByRow) {
  std::vector<uint8_t> out{0xEE};
  Sample().Write(out);
  const std::vector<uint8_t> expected{0xEE, 3, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(out, expected);
}

TEST(ByteGrid, EmptyGridWritesOnlyTheCounts) {
  ByteWriter w;
  ByteGrid().Write(w);
  EXPECT_EQ(w.bytes(), std::vector<uint8_t>(8, 0));
}

TEST(ByteGrid, RoundTrip) {
  ByteWriter w;
  ByteGrid a = Sample();
  a.Write(w);
  w.WriteU8(0x77);
  ByteGrid b;
  ByteReader r(w.bytes());
  ASSERT_TRUE(b.Read(r));
  EXPECT_EQ(b.columns, 3);
  EXPECT_EQ(b.rows, 2);
  EXPECT_EQ(b.cells, a.cells);
  EXPECT_EQ(r.remaining(), 1u);
}

TEST(ByteGrid, EitherCountZeroLeavesTheGridAsItWas) {
  for (auto counts : {std::pair{0, 5}, std::pair{4, 0}, std::pair{0, 0}}) {
    ByteWriter w;
    w.WriteI32(counts.first);
    w.WriteI32(counts.second);
    w.WriteU8(9);  // not part of the grid
    ByteGrid g = Sample();
    ByteReader r(w.bytes());
    ASSERT_TRUE(g.Read(r));
    EXPECT_EQ(g.columns, 3);
    EXPECT_EQ(g.rows, 2);
    EXPECT_EQ(g.cells, Sample().cells);
    EXPECT_EQ(r.position(), 8u) << "only the two counts are read";
  }
}

TEST(ByteGrid, DamagedFormsAreRefusedAndChangeNothing) {
  ByteWriter good;
  Sample().Write(good);
  // Every shorter prefix.
  for (size_t n = 0; n < good.bytes().size(); ++n) {
    std::vector<uint8_t> cut(good.bytes().begin(), good.bytes().begin() + n);
    ByteGrid g;
    g.AllocateFilled(1, 1, 42);
    ByteReader r(cut);
    EXPECT_FALSE(g.Read(r)) << n;
    EXPECT_EQ(g.columns, 1);
    EXPECT_EQ(g.rows, 1);
    EXPECT_EQ(g.At(0, 0), 42);
  }
  // Negative and huge counts are refused before anything is allocated.
  for (auto counts : {std::pair{-1, 5}, std::pair{5, -1}, std::pair{-2, -2},
                      std::pair{0x7FFFFFFF, 0x7FFFFFFF}, std::pair{1 << 16, 1 << 16}}) {
    ByteWriter w;
    w.WriteI32(counts.first);
    w.WriteI32(counts.second);
    w.WriteBytes("abcd", 4);
    ByteGrid g = Sample();
    ByteReader r(w.bytes());
    EXPECT_FALSE(g.Read(r)) << counts.first << "x" << counts.second;
    EXPECT_EQ(g.cells, Sample().cells);
  }
}

TEST(ByteGrid, CopyFromCopiesSizeAndCells) {
  ByteGrid a = Sample();
  ByteGrid b;
  b.AllocateFilled(10, 10, 1);
  b.CopyFrom(a);
  EXPECT_EQ(b.columns, 3);
  EXPECT_EQ(b.rows, 2);
  EXPECT_EQ(b.cells, a.cells);
  b.CopyFrom(ByteGrid());
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.columns, 0);
}

}  // namespace
}  // namespace sylvane
