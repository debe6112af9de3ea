// The starter trees shipped in the "trees" folder beside the program
// (data/trees, made by scripts/make-trees from data/src/trees): each loads
// with the tree-file loader, has a sound program with flowers and leaves and
// its own pictures, grows to its end on a small and on a 4K garden, and no
// two of them are the same species under another name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/random.h"
#include "support/recording_platform.h"
#include "trees/growth.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

namespace fs = std::filesystem;
using testing::RecordingPlatform;

std::vector<std::string> StarterFiles() {
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(fs::path(SYLVANE_SOURCE_DIR) / "data" / "trees"))
    if (e.path().extension() == ".ki") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// A fingerprint of a part picture: size and every pixel byte.
std::string PartPixels(const PartImage& part) {
  const Surface& s = part.surface;
  std::string out = std::to_string(s.width) + "x" + std::to_string(s.height) + ":";
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) out.append(reinterpret_cast<const char*>(s.PixelAt(x, y)), 3);
  return out;
}

std::vector<int32_t> ProgramShape(const Tree& t) {
  std::vector<int32_t> v;
  for (const GrowthOp& op : t.ops) {
    v.push_back(op.code);
    v.push_back(op.heading_offset);
    v.push_back(op.parent);
  }
  return v;
}

TEST(StarterTrees, AtLeastTwelveLoadAndHaveSoundProgramsWithFlowersLeavesAndPictures) {
  RecordingPlatform platform;
  const std::vector<std::string> files = StarterFiles();
  ASSERT_GE(files.size(), 12u);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    Tree t;
    ASSERT_EQ(LoadTreeFile(t, path), 0);
    EXPECT_TRUE(platform.messages.empty()) << "the loader complained";
    EXPECT_TRUE(ValidateGrowthProgram(t));
    EXPECT_FALSE(t.name.empty());
    EXPECT_EQ(t.kind, 1) << "starter trees rise from the ground";
    EXPECT_GE(t.op_count(), 20u);
    EXPECT_LE(t.op_count(), 4000u);
    EXPECT_GT(t.growth_speed, 0);
    int flowers = 0, leaves = 0;
    for (const GrowthOp& op : t.ops) {
      flowers += op.code == kOpFlower;
      leaves += op.code == kOpLeaf;
    }
    EXPECT_GT(flowers, 0);
    EXPECT_GT(leaves, 0);
    for (int p = 0; p < 3; ++p) EXPECT_FALSE(t.parts[size_t(p)].surface.empty()) << "part " << p;
    if (t.pen.mode != 1) {
      EXPECT_FALSE(t.parts[kPartBranch].surface.empty()) << "the branch stamp";
    }
  }
}

TEST(StarterTrees, NoTwoShareANameAProgramOrAFlower) {
  RecordingPlatform platform;
  std::map<std::string, std::string> names, flowers, leaves;
  std::map<std::vector<int32_t>, std::string> programs;
  std::set<std::vector<int32_t>> parameters;
  for (const std::string& path : StarterFiles()) {
    Tree t;
    ASSERT_EQ(LoadTreeFile(t, path), 0) << path;
    EXPECT_TRUE(names.emplace(t.name, path).second) << path << " has the name of " << names[t.name];
    const std::string flower = PartPixels(t.parts[kPartFlower]);
    EXPECT_TRUE(flowers.emplace(flower, path).second) << path << " has the flower of " << flowers[flower];
    const std::string leaf = PartPixels(t.parts[kPartLeaf]);
    EXPECT_TRUE(leaves.emplace(leaf, path).second) << path << " has the leaf of " << leaves[leaf];
    const std::vector<int32_t> program = ProgramShape(t);
    EXPECT_TRUE(programs.emplace(program, path).second) << path << " has the program of " << programs[program];
    const std::vector<int32_t> params = {t.growth_speed, t.split_distance, t.split_chance, t.split_max,
                                         t.pen.red,      t.pen.green,      t.pen.blue,    t.pen.mode};
    EXPECT_TRUE(parameters.insert(params).second) << path << " repeats another tree's parameters";
  }
}

struct GrowthResult {
  int passes = 0;           // passes until the planted tree had finished
  int64_t painted = 0;      // pixels of the tree layer that were painted
  int height = 0;           // rows from the highest painted pixel down to the planting row
  bool finished = false;
  int growing = 0;          // trees growing at the end
  int64_t wrapped = 0;      // painted pixels in the top half of a tall garden
};

// Plants the tree at the bottom centre of a garden of the given size and runs
// growth passes (periodic budget) until it is finished. With `offspring` the
// passes split finished trees and start loop children and go on for a while
// after the tree's end; without, the painted pixels are the tree's own.
GrowthResult GrowOnGarden(const std::string& path, int width, int height, bool offspring) {
  GrowthResult r;
  TreeTable table;
  SeedRandom(99);
  if (LoadTreeFile(table[0], path) != 0) return r;
  // Planted where the program plants a rising tree: on the bottom edge, its
  // brush just inside the garden.
  const int ground = height - int(table[0].pen.brush.height * 0.5) - 1;
  table[0].Place(width / 2, ground);
  table.SetCount(1);
  Surface layer;
  AlphaPlane weight;
  layer.CreateFilled(width, height, 0);
  weight.CreateFilled(width, height, 255);
  GrowthEnv env;
  env.tree_layer = &layer;
  env.weight = &weight;
  env.table = &table;
  env.split_enabled = offspring;
  env.loop_enabled = offspring;
  for (r.passes = 1; r.passes <= 2000; ++r.passes) {
    GrowthPass(table, env, 200);
    if (table[0].finished() || table[0].state == 0) {
      r.finished = true;
      break;
    }
  }
  for (int more = 0; offspring && more < 100; ++more) GrowthPass(table, env, 200);
  r.growing = table.growing_count();
  // On a tall garden, paint in the top half came over the bottom edge.
  const int sky = height >= 1000 ? height / 2 : 0;
  for (int y = 0; y < sky; ++y)
    for (int x = 0; x < width; ++x) r.wrapped += weight.BufferRow(height - 1 - y)[x] != 255;
  int top = height;
  for (int y = sky; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (weight.BufferRow(height - 1 - y)[x] != 255) {
        ++r.painted;
        top = std::min(top, y);
      }
  r.height = ground - top;
  return r;
}

TEST(StarterTrees, EachGrowsToItsEndOnASmallAndOnA4kGarden) {
  RecordingPlatform platform;
  for (const std::string& path : StarterFiles()) {
    SCOPED_TRACE(path);
    const GrowthResult small = GrowOnGarden(path, 600, 400, false);
    EXPECT_TRUE(small.finished);
    // Something shows after the first minutes: the whole tree within a day of 10-minute passes.
    EXPECT_LE(small.passes, 144);
    EXPECT_GT(small.painted, 1200) << "a visible plant";
    EXPECT_GE(small.height, 60) << "it stands up from the ground";
    EXPECT_LE(small.height, 360) << "it fits a small garden";
    const GrowthResult big = GrowOnGarden(path, 3840, 2160, false);
    EXPECT_TRUE(big.finished);
    EXPECT_EQ(big.painted > 0, true);
    EXPECT_EQ(big.height, small.height) << "the same seed grows the same tree on any garden";
    EXPECT_EQ(big.wrapped, 0) << "nothing grew below the bottom edge and came back at the top";
    EXPECT_TRUE(platform.messages.empty());
  }
}

TEST(StarterTrees, TheirOffspringGrowOnBothGardensWithinTheTable) {
  RecordingPlatform platform;
  for (const std::string& path : StarterFiles()) {
    SCOPED_TRACE(path);
    for (const auto& [w, h] : {std::pair{600, 400}, std::pair{3840, 2160}}) {
      const GrowthResult r = GrowOnGarden(path, w, h, true);
      EXPECT_TRUE(r.finished);
      EXPECT_GE(r.growing, 0);
      EXPECT_LE(r.growing, TreeTable::kSlots);
      EXPECT_GT(r.painted, 1200);
    }
    EXPECT_TRUE(platform.messages.empty());
  }
}

}  // namespace
}  // namespace sylvane
