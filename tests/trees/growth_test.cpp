// Pen steps, branch-sprite stamps and the grow call of one tree.
#include <gtest/gtest.h>

#include "base/random.h"
#include "canvas/records/name_labels.h"
#include "trees/growth.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

struct Layers {
  Surface trees;
  AlphaPlane weight;
  Layers(int w, int h) {
    trees.CreateFilled(w, h, 0);
    weight.CreateFilled(w, h, 255);
  }
  uint8_t Weight(int x, int y) const { return weight.bytes[size_t(weight.height - 1 - y) * size_t(weight.width) + size_t(x)]; }
};

// A pen that walks without turning and stamps nothing visible (mode 0 with
// an empty branch sprite).
Pen QuietPen(int x, int y, int heading) {
  Pen p;
  p.x = x;
  p.y = y;
  p.heading = heading;
  p.heading_variance = 0;
  p.mode = 0;
  p.stamp_interval = 1000;
  p.stamp_countdown = 1000;
  return p;
}

TEST(PenStep, ZeroVarianceWalksStraightAndWrapsAtTheRightEdge) {
  Layers c(10, 5);
  Pen pen = QuietPen(8, 2, 0);
  PartImage none;
  SeedRandom(3);
  PenStep(pen, c.trees, c.weight, none);
  EXPECT_EQ(pen.x, 9);
  EXPECT_EQ(pen.y, 2);
  PenStep(pen, c.trees, c.weight, none);
  EXPECT_EQ(pen.x, 0);  // re-enters on the same row
  EXPECT_EQ(pen.y, 2);
  EXPECT_EQ(pen.heading, 0);
  EXPECT_EQ(pen.step_count, 2);
  // Three draws a step: the turn, its sign and the move.
  SeedRandom(3);
  for (int i = 0; i < 6; ++i) Rand();
  const uint32_t expected = RandomState();
  Pen again = QuietPen(8, 2, 0);
  SeedRandom(3);
  PenStep(again, c.trees, c.weight, none);
  PenStep(again, c.trees, c.weight, none);
  EXPECT_EQ(RandomState(), expected);
}

TEST(PenStep, SectorStartsMoveByTheFirstMove) {
  struct Case {
    int heading, dx, dy;
  };
  // At the start of a sector f = 0, so the first move is always taken.
  const Case cases[] = {{0, 1, 0},    {45, 1, -1},  {90, 0, -1}, {135, -1, -1},
                        {180, -1, 0}, {225, -1, 1}, {270, 0, 1}, {315, 1, 1}};
  Layers c(50, 50);
  PartImage none;
  for (const Case& k : cases) {
    for (uint32_t seed = 0; seed < 20; ++seed) {
      Pen pen = QuietPen(25, 25, k.heading);
      SeedRandom(seed);
      PenStep(pen, c.trees, c.weight, none);
      EXPECT_EQ(pen.x, 25 + k.dx) << k.heading;
      EXPECT_EQ(pen.y, 25 + k.dy) << k.heading;
    }
  }
}

TEST(PenStep, InsideASectorTheSecondMoveWinsWhenTheDrawIsBelowTheOffset) {
  Layers c(50, 50);
  PartImage none;
  int second = 0;
  for (uint32_t seed = 0; seed < 300; ++seed) {
    SeedRandom(seed);
    Rand();
    Rand();
    const int r = Rand() % 45;
    Pen pen = QuietPen(25, 25, 210);  // sector 180..224, f = 30: left, or left and down
    SeedRandom(seed);
    PenStep(pen, c.trees, c.weight, none);
    EXPECT_EQ(pen.x, 24);
    EXPECT_EQ(pen.y, r < 30 ? 26 : 25);
    second += r < 30;
  }
  EXPECT_GT(second, 150);
  EXPECT_LT(second, 250);
}

TEST(PenStep, WrapsAtAllFourEdges) {
  Layers c(6, 4);
  PartImage none;
  Pen up = QuietPen(3, 0, 90);
  PenStep(up, c.trees, c.weight, none);
  EXPECT_EQ(up.y, 3);
  Pen down = QuietPen(3, 3, 270);
  PenStep(down, c.trees, c.weight, none);
  EXPECT_EQ(down.y, 0);
  Pen left = QuietPen(0, 1, 180);
  PenStep(left, c.trees, c.weight, none);
  EXPECT_EQ(left.x, 5);
}

TEST(PenStep, StampsEveryIntervalPlusOneSteps) {
  Layers c(20, 3);
  PartImage dot;
  dot.surface.CreateFilled(1, 1, 200);
  dot.alpha.CreateFilled(1, 1, 255);
  Pen pen = QuietPen(0, 1, 0);
  pen.stamp_interval = 2;
  pen.stamp_countdown = 0;
  SeedRandom(1);
  for (int i = 0; i < 8; ++i) PenStep(pen, c.trees, c.weight, dot);
  // Steps 1, 4 and 7 stamp (at x = 1, 4, 7).
  for (int x = 0; x < 20; ++x) {
    const bool stamped = x == 1 || x == 4 || x == 7;
    EXPECT_EQ(c.Weight(x, 1), stamped ? 0 : 255) << x;
    EXPECT_EQ(c.trees.PixelAt(x, 1)[0], stamped ? 200 : 0) << x;
  }
  EXPECT_EQ(pen.stamp_countdown, 1);
}

TEST(StampSprite, BlendsByAlphaAndWrapsAroundTheCorner) {
  Layers c(4, 4);
  for (auto& b : c.trees.pixels) b = 100;
  PartImage s;
  s.surface.CreateFilled(3, 2, 0);
  s.alpha.CreateFilled(3, 2, 0);
  // Top row (buffer row 1): alphas 255, 128, 0; bottom row: 51, 0, 255.
  const uint8_t alphas_top[3] = {255, 128, 0};
  const uint8_t alphas_bottom[3] = {51, 0, 255};
  for (int j = 0; j < 3; ++j) {
    s.alpha.BufferRow(1)[j] = alphas_top[j];
    s.alpha.BufferRow(0)[j] = alphas_bottom[j];
    uint8_t* top = s.surface.PixelAt(j, 0);
    uint8_t* bottom = s.surface.PixelAt(j, 1);
    top[0] = top[1] = top[2] = 250;
    bottom[0] = bottom[1] = bottom[2] = 10;
  }
  // Centre (0, 0): the sprite's top-left lands at (-1, -1), i.e. (3, 3).
  StampSprite(s, 0, 0, c.trees, c.weight);
  EXPECT_EQ(c.trees.PixelAt(3, 3)[0], 250);                         // alpha 255
  EXPECT_EQ(c.Weight(3, 3), 0);
  EXPECT_EQ(c.trees.PixelAt(0, 3)[1], (128 * 250 + 100 * 127) / 255);  // 174
  EXPECT_EQ(c.Weight(0, 3), 255 * 127 / 255);
  EXPECT_EQ(c.trees.PixelAt(1, 3)[2], 100);  // alpha 0 leaves the pixel
  EXPECT_EQ(c.Weight(1, 3), 255);
  EXPECT_EQ(c.trees.PixelAt(3, 0)[0], (51 * 10 + 100 * 204) / 255);  // 82
  EXPECT_EQ(c.Weight(3, 0), 204);
  EXPECT_EQ(c.trees.PixelAt(1, 0)[0], 10);
  EXPECT_EQ(c.trees.PixelAt(2, 2)[0], 100);  // outside the sprite
}

// A program of a root and one branch, walked quietly.
Tree QuietTree(int speed) {
  Tree t;
  t.growth_speed = speed;
  t.pen = QuietPen(5, 5, 90);
  t.AppendBranch(0, 0, 0, 1);
  return t;
}

TEST(Grow, SpeedZeroStillMakesOneIterationPerCall) {
  Layers c(20, 20);
  Tree t = QuietTree(0);
  t.AppendBranch(0, 3, 0, 2);
  LoopSeeds seeds;
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), 0);  // the root fires, one step
  EXPECT_EQ(t.cursor, 1u);
  EXPECT_EQ(t.pen.step_count, 1);
  EXPECT_EQ(t.ops[0].fired_x, 5);
  EXPECT_EQ(t.ops[0].fired_y, 5);
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), 0);
  EXPECT_EQ(t.pen.step_count, 2);
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), 0);
  EXPECT_EQ(t.pen.step_count, 3);
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(t.ops[1].fired_x, 5);
  EXPECT_EQ(t.ops[1].fired_y, 2);  // three steps up
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(seeds.count, 0);
}

TEST(Grow, AProgramOfZeroLengthsFiresOneOpPerIteration) {
  for (int budget : {6, 7}) {  // speed 100: m = budget
    Layers c(20, 20);
    Tree t = QuietTree(100);
    for (int i = 0; i < 6; ++i) t.AppendBranch(0, 0, i, 2);  // 7 ops in all
    LoopSeeds seeds;
    const int result = Grow(t, c.trees, c.weight, nullptr, budget, seeds);
    if (budget == 7) {
      EXPECT_EQ(result, kGrowFinished);
      EXPECT_EQ(t.cursor, 7u);
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(t.cursor, 6u);
    }
  }
}

TEST(Grow, EmptyOrFinishedProgramReturnsAtOnceWithoutDrawing) {
  Layers c(8, 8);
  Tree empty;
  Tree done = QuietTree(100);
  done.cursor = 1;
  LoopSeeds seeds;
  seeds.count = 3;
  SeedRandom(2);
  const uint32_t before = RandomState();
  EXPECT_EQ(Grow(empty, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(seeds.count, 0);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(Grow(done, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(RandomState(), before);
}

TEST(Grow, UnsoundProgramIsNeverRun) {
  Layers c(8, 8);
  Tree t = QuietTree(100);
  t.AppendBranch(0, 2, 0, 2);
  t.ops[1].parent = 1000;  // as a damaged file might say
  LoopSeeds seeds;
  SeedRandom(2);
  const uint32_t before = RandomState();
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(t.pen.x, 5);
}

TEST(Grow, HeadingFollowsOffsetDifferencesAndPenReturnsToTheParent) {
  Layers c(40, 40);
  Tree t = QuietTree(100);
  t.AppendBranch(0, 4, 0, 2);    // 1: straight up from the root
  t.AppendBranch(30, 2, 1, 2);   // 2: from 1, heading +30
  t.AppendBranch(-20, 3, 1, 2);  // 3: from 1 again, heading 90 - 20 (relative to 2: -50)
  LoopSeeds seeds;
  Grow(t, c.trees, c.weight, nullptr, 6, seeds);  // root, 4 steps, op 1 fires
  EXPECT_EQ(t.cursor, 2u);
  EXPECT_EQ(t.ops[1].fired_x, 5);
  EXPECT_EQ(t.ops[1].fired_y, 1);
  EXPECT_EQ(t.pen.heading, 120);
  Grow(t, c.trees, c.weight, nullptr, 1, seeds);  // op 2 fires, one step
  EXPECT_EQ(t.cursor, 3u);
  EXPECT_EQ(t.pen.heading, 70);
  EXPECT_EQ(t.pen.step_count, 1);  // back at op 1's position, then one step
  EXPECT_EQ(t.pen.y, 0);
}

TEST(Grow, HeadingWrapsBelowZero) {
  Layers c(40, 40);
  Tree t = QuietTree(100);
  t.pen.heading = 10;
  t.AppendBranch(-40, 5, 0, 2);
  LoopSeeds seeds;
  Grow(t, c.trees, c.weight, nullptr, 1, seeds);
  EXPECT_EQ(t.pen.heading, 330);
}

TEST(Grow, UnknownOpCodeKeepsThePenWalking) {
  Layers c(40, 40);
  Tree t = QuietTree(100);
  t.AppendCopy(GrowthOp{99, 0, 0, 0});
  LoopSeeds seeds;
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 50, seeds), 0);
  EXPECT_EQ(t.cursor, 1u);
  EXPECT_EQ(t.pen.step_count, 50);
}

TEST(Grow, OnlyFiveLoopSeedsAreRecordedPerCall) {
  Layers c(40, 40);
  Tree t = QuietTree(100);
  for (int i = 0; i < 7; ++i) {
    GrowthOp loop{kOpLoopPoint, 0, 1, 0};
    loop.loop_branch = 0;
    t.AppendCopy(loop);
  }
  LoopSeeds seeds;
  EXPECT_EQ(Grow(t, c.trees, c.weight, nullptr, 200, seeds), kGrowFinished);
  EXPECT_EQ(seeds.count, 5);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(seeds.x[size_t(k)], 5);
    EXPECT_EQ(seeds.y[size_t(k)], 4);  // one step up from the root
    EXPECT_EQ(seeds.heading[size_t(k)], 90);
    EXPECT_EQ(seeds.loop_branch[size_t(k)], 0);
  }
}

TEST(Grow, TheFirstFlowerRegistersTheLabelOnce) {
  Layers c(40, 40);
  LabelList labels;
  Tree t = QuietTree(100);
  t.name = "ki";
  t.file_name = "ki.ki";
  t.kind = 1;
  t.mutant = 1;
  t.AppendPart(kOpLeaf, 0, 1, 0, 0, 0);
  t.AppendPart(kOpFlower, 0, 2, 0, 0, 0);
  t.AppendPart(kOpFlower, 0, 3, 0, 0, 0);
  t.Place(5, 5);
  t.pen.heading_variance = 0;
  ASSERT_EQ(t.label_state, 0);
  LoopSeeds seeds;
  Grow(t, c.trees, c.weight, &labels, 200, seeds);
  ASSERT_EQ(labels.count(), 1);
  EXPECT_EQ(labels.entries[0].name, "ki_var");
  EXPECT_EQ(labels.entries[0].file_name, "ki.ki");
  EXPECT_EQ(labels.entries[0].kind, 1);
  EXPECT_EQ(labels.entries[0].mutant, 1);
  EXPECT_EQ(labels.entries[0].x, 5);
  EXPECT_EQ(labels.entries[0].y, 3);  // the flower two steps up
  EXPECT_EQ(t.label_state, 1);
}

TEST(Grow, AFlowerlessTreeIsLabelledAtItsFirstLeafAndOneWithNeitherNever) {
  Layers c(40, 40);
  LabelList labels;
  Tree t = QuietTree(100);
  t.name = "ha";
  t.kind = 1;  // planted heading up
  t.AppendPart(kOpLeaf, 0, 2, 0, 0, 0);
  t.AppendPart(kOpLeaf, 0, 1, 0, 0, 0);
  t.Place(5, 5);
  t.pen.heading_variance = 0;
  ASSERT_EQ(t.label_state, 2);
  LoopSeeds seeds;
  Grow(t, c.trees, c.weight, &labels, 200, seeds);
  ASSERT_EQ(labels.count(), 1);
  EXPECT_EQ(labels.entries[0].name, "ha");
  EXPECT_EQ(labels.entries[0].y, 3);

  Tree bare = QuietTree(100);
  bare.AppendBranch(0, 3, 0, 2);
  bare.Place(5, 5);
  Grow(bare, c.trees, c.weight, &labels, 200, seeds);
  EXPECT_EQ(labels.count(), 1);
  EXPECT_EQ(bare.label_state, 2);
}

}  // namespace
}  // namespace sylvane

namespace sylvane {
namespace {

// Values a damaged or edited tree file may carry: growth stays inside the
// canvas and the program and ends in bounded time.
TEST(Grow, HostileValuesStayInBounds) {
  Layers c(30, 20);
  Tree t;
  t.growth_speed = 2000000000;  // far beyond 100 %
  t.pen.x = -5000;
  t.pen.y = 99999;
  t.pen.heading = -123456;
  t.pen.heading_variance = 2000000000;
  t.pen.stamp_countdown = INT32_MIN;
  t.pen.stamp_interval = -7;
  t.pen.step_count = INT32_MAX - 3;
  t.AppendBranch(0, 0, 0, 1);
  t.AppendPart(kOpFlower, 2000000000, 1, 0, 0, -2000000000);
  t.AppendBranch(-2000000000, 3, 0, 2);
  t.AppendPart(kOpLeaf, 7, 2147483647, 2, 0, 2147483647);
  t.ops[0].fired_x = 1 << 30;
  PartImage sprite;
  sprite.surface.CreateFilled(5, 4, 200);
  sprite.alpha.CreateFilled(5, 4, 255);
  sprite.params[1] = 1 << 30;   // root far outside the sprite
  sprite.params[2] = -(1 << 30);
  sprite.params[9] = 1000;      // colour ranges and offsets far out of 0..255
  sprite.params[7] = 2000000000;
  sprite.params[8] = -2000000000;
  for (PartImage& p : t.parts) p = sprite;
  t.label_state = 0;
  LoopSeeds seeds;
  for (int call = 0; call < 5; ++call) {
    Grow(t, c.trees, c.weight, nullptr, 200, seeds);
    EXPECT_GE(t.pen.x, 0);
    EXPECT_LT(t.pen.x, 30);
    EXPECT_GE(t.pen.y, 0);
    EXPECT_LT(t.pen.y, 20);
    EXPECT_GE(t.pen.heading, 0);
    EXPECT_LT(t.pen.heading, 360);
  }
  EXPECT_EQ(t.cursor, 3u);  // the last op waits for its enormous length
}

}  // namespace
}  // namespace sylvane
