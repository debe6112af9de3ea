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

TEST(Random, TakingManyDrawsAtOnceIsOneStepThatNoOtherDrawSplits) {
  SeedRandom(99);
  EXPECT_EQ(TakeDraws(0), 99u);
  const uint32_t before = RandomState();
  EXPECT_EQ(TakeDraws(3), before);
  std::vector<int> next;
  SetRandomState(before);
  for (int i = 0; i < 4; ++i) next.push_back(Rand());
  SetRandomState(AdvanceState(before, 3));
  EXPECT_EQ(Rand(), next[3]);

  // One thread draws one by one while another takes blocks of draws: the
  // generator ends exactly as many draws on as both took together, so no
  // draw was overwritten (and then repeated) between a read and a write.
  SeedRandom(5);
  constexpr int kSingles = 200000;
  constexpr int kBlocks = 20000;
  constexpr uint64_t kBlock = 1000;
  std::thread singles([] {
    for (int i = 0; i < kSingles; ++i) Rand();
  });
  for (int i = 0; i < kBlocks; ++i) TakeDraws(kBlock);
  singles.join();
  EXPECT_EQ(RandomState(), AdvanceState(5, kSingles + kBlocks * kBlock));
}

}  // namespace
}  // namespace sylvane
