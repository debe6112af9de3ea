#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "base/random.h"

namespace sylvane {
namespace {

TEST(Random, FollowsTheClassicSequenceFromSeedOne) {
  SeedRandom(1);
  // The first draws of the classic linear congruential generator seeded with 1.
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int e : expected) EXPECT_EQ(Rand(), e);
}

TEST(Random, StateCanBeSavedAndRestored) {
  SeedRandom(12345);
  Rand();
  uint32_t saved = RandomState();
  std::vector<int> first;
  for (int i = 0; i < 5; ++i) first.push_back(Rand());
  SetRandomState(saved);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Rand(), first[i]);
}

TEST(Random, TwoThreadsNeitherLoseNorRepeatDraws) {
  SeedRandom(7);
  constexpr int kDraws = 20000;
  auto draw = [] {
    for (int i = 0; i < kDraws; ++i) Rand();
  };
  std::thread a(draw), b(draw);
  a.join();
  b.join();
  uint32_t together = RandomState();
  SeedRandom(7);
  for (int i = 0; i < 2 * kDraws; ++i) Rand();
  EXPECT_EQ(RandomState(), together);
}

}  // namespace
}  // namespace sylvane
