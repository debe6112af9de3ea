// The discrete Gaussian pick: its refusals, its buckets, and the table cache,
// whose picks must equal those of a table rebuilt on every call.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"
#include "trees/growth.h"

namespace sylvane {
namespace {

TEST(GaussianPick, NegativeMeanOrEmptyRangeGivesMinusOneWithoutADraw) {
  SeedRandom(77);
  const uint32_t before = RandomState();
  EXPECT_EQ(GaussianPick(-1, 10, 90), -1);
  EXPECT_EQ(GaussianPick(5, 10, 0), -1);
  EXPECT_EQ(GaussianPick(5, 10, -3), -1);
  EXPECT_EQ(GaussianPickUncached(-1, 10, 90), -1);
  EXPECT_EQ(RandomState(), before);
}

TEST(GaussianPick, ZeroOrNegativeVarianceGivesTheMeanAfterOneDraw) {
  for (int variance : {0, -4}) {
    SeedRandom(9);
    Rand();
    const uint32_t after_one = RandomState();
    SeedRandom(9);
    EXPECT_EQ(GaussianPick(0, variance, 90), 0);
    EXPECT_EQ(RandomState(), after_one);
    SeedRandom(9);
    EXPECT_EQ(GaussianPick(500, variance, 600), 500);
    EXPECT_EQ(RandomState(), after_one);
  }
}

// With variance 2 the first bucket holds 28216 of the 100000 (p = 1/sqrt(12.56)
// = 0.28216633 as a float), the second 21974 (exp(-1/4) p), so a draw of
// 0..32767 lands only in buckets 0 and 1.
TEST(GaussianPick, VarianceTwoTurnsByZeroOrOneDegree) {
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    SeedRandom(seed);
    const int r = Rand() % 100000;
    SeedRandom(seed);
    const int pick = GaussianPick(0, 2, 90);
    EXPECT_EQ(pick, r < 28216 ? 0 : 1) << "r = " << r;
  }
}

// Mass that cannot be reached leaves the mean: a mean far beyond the range.
TEST(GaussianPick, NoBucketHitGivesTheMean) {
  SeedRandom(1);
  EXPECT_EQ(GaussianPick(500, 136, 300), 500);
  SeedRandom(1);
  EXPECT_EQ(GaussianPickUncached(500, 136, 300), 500);
}

TEST(GaussianPick, SplitOffsetsFollowTheBuckets) {
  // Mean 100, variance 50 over 600 values: a bucket walk written out here.
  std::vector<long long> ends;
  long long lo = 0;
  for (int i = 0; i < 600; ++i) {
    const double d = 100.0 - i;
    const float p = static_cast<float>(std::exp(-(d * d) / 100.0) / std::sqrt(6.28 * 50));
    lo += static_cast<long long>(p * 100000.0f);
    ends.push_back(lo);
  }
  for (uint32_t seed = 0; seed < 2000; ++seed) {
    SeedRandom(seed * 7919u);
    const int r = Rand();
    int expected = 100;
    for (size_t i = 0; i < ends.size(); ++i) {
      if (r < ends[i]) {
        expected = static_cast<int>(i);
        break;
      }
    }
    SeedRandom(seed * 7919u);
    EXPECT_EQ(GaussianPick(100, 50, 600), expected);
  }
}

// The cache must not change a single pick nor the number of draws.
TEST(GaussianPick, CachedPicksEqualRebuiltPicks) {
  struct Case {
    int mean, variance, n;
  };
  const std::vector<Case> cases = {
      {0, 2, 90},       {0, 0, 90},     {0, 1, 90},      {0, 50, 90},    {0, 3000, 90},
      {500, 136, 600},  {500, 136, 500}, {300, 5000, 1920}, {10, 7, 1},    {0, 2, 1},
      {45, 900, 90},    {1000, 20000, 16384}, {7, 1000000, 50}, {2, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mean << " " << c.variance << " " << c.n);
    SeedRandom(4242);
    std::vector<int> cached;
    for (int i = 0; i < 400; ++i) cached.push_back(GaussianPick(c.mean, c.variance, c.n));
    const uint32_t cached_state = RandomState();
    SeedRandom(4242);
    std::vector<int> rebuilt;
    for (int i = 0; i < 400; ++i) rebuilt.push_back(GaussianPickUncached(c.mean, c.variance, c.n));
    EXPECT_EQ(cached, rebuilt);
    EXPECT_EQ(cached_state, RandomState());
  }
}

TEST(GaussianPick, InterleavedKeysUseTheirOwnTables) {
  SeedRandom(31);
  std::vector<int> cached;
  for (int i = 0; i < 300; ++i) {
    cached.push_back(GaussianPick(0, 2 + i % 5, 90));
    cached.push_back(GaussianPick(200, 136, 640 + i % 3));
  }
  SeedRandom(31);
  std::vector<int> rebuilt;
  for (int i = 0; i < 300; ++i) {
    rebuilt.push_back(GaussianPickUncached(0, 2 + i % 5, 90));
    rebuilt.push_back(GaussianPickUncached(200, 136, 640 + i % 3));
  }
  EXPECT_EQ(cached, rebuilt);
}

TEST(GaussianPick, TurningTheCacheOffGivesTheSamePicks) {
  SeedRandom(5);
  std::vector<int> on;
  for (int i = 0; i < 200; ++i) on.push_back(GaussianPick(0, 9, 90));
  SetGaussianCache(false);
  SeedRandom(5);
  std::vector<int> off;
  for (int i = 0; i < 200; ++i) off.push_back(GaussianPick(0, 9, 90));
  SetGaussianCache(true);
  EXPECT_EQ(on, off);
}

}  // namespace
}  // namespace sylvane
