// Trees and part images for the tree-file tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "canvas/image/surface.h"
#include "trees/tree.h"

namespace sylvane::testing {

// A w x h part image with varied pixels (padding bytes included), an alpha
// plane with a transparent border, and the twelve parameters base .. base + 11.
inline PartImage MakePart(int w, int h, int base) {
  PartImage p;
  p.surface.Create(w, h);
  for (size_t i = 0; i < p.surface.pixels.size(); ++i) p.surface.pixels[i] = uint8_t((i * 37 + size_t(base)) % 251);
  p.surface.RefreshHeaders();
  p.alpha.CreateFilled(w, h, 255);
  for (int x = 0; x < w; ++x) {
    p.alpha.BufferRow(0)[x] = 0;
    p.alpha.BufferRow(h - 1)[x] = uint8_t(x * 9);
  }
  for (int i = 0; i < 12; ++i) p.params[size_t(i)] = base + i;
  return p;
}

// The built-in sample tree with small part images and distinct values in
// every stored field.
inline void MakeFixtureTree(Tree& t, int pen_mode) {
  MakeSampleTree(t, 350, 300, 90);
  t.loop_chance = 7;
  t.mutant = 1;
  t.branch_jitter = 3;
  t.growth_speed = 44;
  t.split_distance = 123;
  t.split_spread = 5000;
  t.split_chance = 25;
  t.split_max = 3;
  t.mutation_chance = 12;
  t.part_jitter = 2;
  t.state = 2;
  t.plant_x = 351;
  t.plant_y = -302;
  t.part_present = {1, 0, 1, 1};
  t.cursor = 5;
  for (size_t i = 0; i < t.ops.size(); ++i) {
    t.ops[i].spare = int32_t(i * 3);
    t.ops[i].fired_x = int32_t(i * 11);
    t.ops[i].fired_y = -int32_t(i * 13);
  }
  t.pen.mode = pen_mode;
  t.pen.heading = 93;
  t.pen.step_count = 17;
  t.pen.heading_variance = 2;
  t.pen.x = 349;
  t.pen.y = 280;
  t.pen.red = 95;
  t.pen.green = 165;
  t.pen.blue = 19;
  t.pen.stamp_interval = 4;
  t.pen.stamp_countdown = 1;
  if (pen_mode == 1) t.pen.SetBrush(BrushParams{3, 8, 7, 150, 100, 90});
  t.parts[0] = MakePart(5, 4, 100);
  t.parts[1] = MakePart(3, 3, 200);
  t.parts[2] = MakePart(7, 2, 300);
  t.parts[3] = MakePart(2, 6, 400);
}

inline void ExpectPartsEqual(const PartImage& a, const PartImage& b) {
  EXPECT_EQ(a.params, b.params);
  EXPECT_EQ(a.surface.width, b.surface.width);
  EXPECT_EQ(a.surface.height, b.surface.height);
  EXPECT_EQ(a.surface.stride, b.surface.stride);
  EXPECT_EQ(a.surface.pixels, b.surface.pixels);
  EXPECT_EQ(a.alpha.width, b.alpha.width);
  EXPECT_EQ(a.alpha.height, b.alpha.height);
  EXPECT_EQ(a.alpha.bytes, b.alpha.bytes);
}

inline void ExpectOpsEqual(const std::vector<GrowthOp>& a, const std::vector<GrowthOp>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].code, b[i].code) << i;
    EXPECT_EQ(a[i].heading_offset, b[i].heading_offset) << i;
    EXPECT_EQ(a[i].length, b[i].length) << i;
    EXPECT_EQ(a[i].parent, b[i].parent) << i;
    EXPECT_EQ(a[i].aux, b[i].aux) << i;
    EXPECT_EQ(a[i].spare, b[i].spare) << i;
    EXPECT_EQ(a[i].part_angle, b[i].part_angle) << i;
    EXPECT_EQ(a[i].loop_branch, b[i].loop_branch) << i;
    EXPECT_EQ(a[i].fired_x, b[i].fired_x) << i;
    EXPECT_EQ(a[i].fired_y, b[i].fired_y) << i;
  }
}

}  // namespace sylvane::testing
