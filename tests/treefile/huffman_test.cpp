#include "trees/huffman.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "base/random.h"

namespace sylvane {
namespace {

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& in, int64_t* bits_out = nullptr) {
  std::vector<uint8_t> block;
  int64_t bits = HuffmanEncode(in.data(), in.size(), block);
  EXPECT_GE(bits, 0);
  if (bits_out) *bits_out = bits;
  if (in.empty()) {
    EXPECT_TRUE(block.empty());
    return {};
  }
  EXPECT_EQ(block.size(), HuffmanBlockSize(bits));
  std::vector<uint8_t> out(in.size(), 0);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), bits, out.data(), out.size()),
            int64_t(in.size()));
  return out;
}

uint16_t StoredCount(const std::vector<uint8_t>& block, int v) {
  return uint16_t((block[2 * v] << 8) | block[2 * v + 1]);
}

TEST(Huffman, TwoValuesGiveOneBitEach) {
  // Three zeros and one 255: 255 is the lighter node, so it is child 0 and the
  // zeros are coded as single 1 bits.
  std::vector<uint8_t> in = {0, 0, 0, 255};
  std::vector<uint8_t> block;
  ASSERT_EQ(HuffmanEncode(in.data(), in.size(), block), 4);
  ASSERT_EQ(block.size(), 515u);
  EXPECT_EQ(StoredCount(block, 0), 3);
  EXPECT_EQ(StoredCount(block, 255), 1);
  EXPECT_EQ(block[0], 0);  // high byte first
  EXPECT_EQ(block[1], 3);
  EXPECT_EQ(block[512], 0xE0);  // 1110 then zero padding
  EXPECT_EQ(block[513], 0);
  EXPECT_EQ(block[514], 0);
}

TEST(Huffman, AllZeroButOneCodesZerosAsOneBit) {
  std::vector<uint8_t> in(1000, 0);
  in[500] = 255;
  int64_t bits = 0;
  EXPECT_EQ(RoundTrip(in, &bits), in);
  EXPECT_EQ(bits, 1000);
}

TEST(Huffman, TiesGoToTheHigherIndexFirst) {
  // Values 1, 2, 3 once each: 3 and 2 are joined first (node 257), then 1 with
  // 257. Codes: 1 -> 0, 3 -> 10, 2 -> 11.
  std::vector<uint8_t> in = {1, 2, 3};
  std::vector<uint8_t> block;
  ASSERT_EQ(HuffmanEncode(in.data(), in.size(), block), 5);
  EXPECT_EQ(block[512], 0x70);  // 0 11 10 000
}

TEST(Huffman, SingleValueGetsOneBitCode) {
  std::vector<uint8_t> in(37, 0x5A);
  std::vector<uint8_t> block;
  int64_t bits = HuffmanEncode(in.data(), in.size(), block);
  ASSERT_EQ(bits, 37);
  ASSERT_EQ(block.size(), 512u + 37 / 8 + 3);
  EXPECT_EQ(StoredCount(block, 0x5A), 37);
  EXPECT_EQ(StoredCount(block, 0x5B), 1);  // the partner that never occurs
  for (int v = 0; v < 256; ++v)
    if (v != 0x5A && v != 0x5B) {
      EXPECT_EQ(StoredCount(block, v), 0) << v;
    }
  std::vector<uint8_t> out(37, 0);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), bits, out.data(), out.size()), 37);
  EXPECT_EQ(out, in);
}

TEST(Huffman, SingleValue255WrapsItsPartnerToZero) {
  std::vector<uint8_t> in(9, 255);
  std::vector<uint8_t> block;
  ASSERT_EQ(HuffmanEncode(in.data(), in.size(), block), 9);
  EXPECT_EQ(StoredCount(block, 0), 1);
  EXPECT_EQ(RoundTrip(in), in);
}

TEST(Huffman, SingleByteInput) {
  std::vector<uint8_t> in = {0};
  EXPECT_EQ(RoundTrip(in), in);
}

TEST(Huffman, EmptyInputGivesNoBlock) {
  std::vector<uint8_t> block = {1, 2, 3};
  EXPECT_EQ(HuffmanEncode(nullptr, 0, block), 0);
  EXPECT_TRUE(block.empty());
}

TEST(Huffman, LargeCountsAreScaledAndKeepRareValues) {
  // 200,000 zeros, 70,000 ones and a single 7: counts must fit 16 bits and
  // the single 7 must keep a count of at least 1.
  std::vector<uint8_t> in(200000, 0);
  for (int i = 0; i < 70000; ++i) in[size_t(i) * 2 + 1] = 1;
  in[12344] = 7;  // an even index: one zero fewer, 129,999 zeros
  auto counts = HuffmanCounts(in.data(), in.size());
  EXPECT_EQ(counts[0], 65535);
  EXPECT_EQ(counts[1], uint16_t(uint64_t(70000) * 65535 / 129999));
  EXPECT_EQ(counts[7], 1);
  EXPECT_EQ(RoundTrip(in), in);
}

TEST(Huffman, LargeSingleValue) {
  std::vector<uint8_t> in(100000, 3);
  auto counts = HuffmanCounts(in.data(), in.size());
  EXPECT_EQ(counts[3], 65535);
  EXPECT_EQ(counts[4], 1);
  int64_t bits = 0;
  EXPECT_EQ(RoundTrip(in, &bits), in);
  EXPECT_EQ(bits, 100000);
}

TEST(Huffman, AllByteValuesUniform) {
  std::vector<uint8_t> in(256 * 40);
  for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7);
  int64_t bits = 0;
  EXPECT_EQ(RoundTrip(in, &bits), in);
  EXPECT_EQ(bits, int64_t(in.size()) * 8);
}

TEST(Huffman, SkewedDistributionsRoundTrip) {
  SeedRandom(4711);
  for (int round = 0; round < 20; ++round) {
    size_t n = size_t(Rand() % 5000) + 1;
    int spread = Rand() % 256 + 1;
    std::vector<uint8_t> in(n);
    for (auto& b : in) {
      int r = Rand() % spread;
      b = uint8_t((r * r) / spread);  // a skewed distribution
    }
    EXPECT_EQ(RoundTrip(in), in) << "round " << round;
  }
}

TEST(Huffman, FibonacciCountsGiveDeepCodes) {
  // Fibonacci counts make the deepest possible tree for their total.
  std::vector<uint8_t> in;
  uint32_t a = 1, b = 1;
  for (int v = 0; v < 24; ++v) {
    in.insert(in.end(), a, uint8_t(v));
    uint32_t c = a + b;
    a = b;
    b = c;
  }
  EXPECT_EQ(RoundTrip(in), in);
}

TEST(Huffman, DecodeStopsAfterExactlyBBits) {
  std::vector<uint8_t> in = {0, 0, 0, 255};
  std::vector<uint8_t> block;
  ASSERT_EQ(HuffmanEncode(in.data(), in.size(), block), 4);
  std::vector<uint8_t> out(6, 0x11);
  // Only three bits: three zeros decoded, the rest left as it was.
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), 3, out.data(), out.size()), 3);
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 0x11, 0x11, 0x11}));
}

TEST(Huffman, DecodeRefusesOverflowShortBlockAndEmptyCounts) {
  std::vector<uint8_t> in = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<uint8_t> block;
  int64_t bits = HuffmanEncode(in.data(), in.size(), block);
  ASSERT_GT(bits, 0);
  std::vector<uint8_t> out(7);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), bits, out.data(), out.size()), -1);
  out.resize(8);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size() - 1, bits, out.data(), out.size()), -1);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), -5, out.data(), out.size()), -1);
  std::vector<uint8_t> zeros(600, 0);
  EXPECT_EQ(HuffmanDecode(zeros.data(), zeros.size(), 8, out.data(), out.size()), -1);
  EXPECT_EQ(HuffmanDecode(zeros.data(), zeros.size(), 0, out.data(), out.size()), 0);
}

TEST(Huffman, ForeignBlockWithOneCountedValue) {
  // A block with one counted value: each bit stands for that value.
  std::vector<uint8_t> block(515, 0);
  block[2 * 9 + 1] = 5;
  std::vector<uint8_t> out(5, 0);
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), 5, out.data(), out.size()), 5);
  EXPECT_EQ(out, std::vector<uint8_t>(5, 9));
  EXPECT_EQ(HuffmanDecode(block.data(), block.size(), 6, out.data(), out.size()), -1);
}

}  // namespace
}  // namespace sylvane
