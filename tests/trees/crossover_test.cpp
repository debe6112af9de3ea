// Breeding: the spliced program, the crossed parameters and parts, the name,
// determinism, the tree file of a child, its growth and its mutants, and many
// random pairs of very different trees.
#include "trees/crossover.h"

#include "trees/breeding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/random.h"
#include "paint/canvas.h"
#include "platform/folder_list.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "treefile/tree_fixtures.h"
#include "trees/growth.h"
#include "trees/ki_file.h"
#include "trees/mutation.h"
#include "trees/part_data.h"
#include "trees/planting.h"

namespace sylvane {
namespace {

using testing::MakeFixtureTree;
using testing::MakePart;
using testing::RecordingPlatform;
using testing::TempDir;

const std::string kDataFolder = std::string(SYLVANE_SOURCE_DIR) + "/data";
const std::string kKiCorpus = std::string(SYLVANE_SOURCE_DIR) + "/tests/fuzz/corpus/kifile";

GrowthOp Op(int32_t code, int32_t parent, int32_t length = 5, int32_t loop_branch = 0) {
  GrowthOp op;
  op.code = code;
  op.parent = parent;
  op.length = length;
  op.loop_branch = loop_branch;
  op.fired_x = 77;
  op.fired_y = 88;
  return op;
}

bool Sound(const std::vector<GrowthOp>& ops) {
  Tree t;
  t.ops = ops;
  return ValidateGrowthProgram(t);
}

// Two parents that differ in every crossed value, kind, spread, pen and parts.
void MakeParents(Tree& a, Tree& b) {
  MakeFixtureTree(a, 1);
  a.name = "ははおや";
  a.mutant = 0;
  MakeFixtureTree(b, 0);
  b.name = "ちちおや";
  b.mutant = 0;
  b.kind = 0;
  b.split_spread = 77;
  for (int i = 0; i < kCrossedParameterCount; ++i) {
    CrossedParameterOf(a, i) = 2 + i;
    CrossedParameterOf(b, i) = 20 + 3 * i;
  }
  b.pen.red = 1;
  // B's program: a fork with a loop point, so splices move loop branches.
  b.ClearOps();
  b.AppendBranch(10, 0, 0, 1);           // 0
  b.AppendBranch(-30, 12, 0, 2);         // 1
  b.AppendBranch(30, 14, 0, 2);          // 2
  b.AppendPart(kOpLeaf, 40, 6, 1, 0, 90);  // 3
  b.AppendBranch(0, 9, 1, 2);            // 4
  GrowthOp loop = Op(kOpLoopPoint, 4, 3, 2);
  b.AppendCopy(loop);                    // 5
  b.AppendPart(kOpFlower, -40, 6, 2, 0, -90);  // 6
  b.AppendPart(kOpSecondFlower, 0, 4, 4, 0, 0);  // 7
  for (int i = 0; i < kPartCount; ++i) b.parts[size_t(i)] = MakePart(4 + i, 5, 900 + 10 * i);
}

std::vector<uint8_t> Record(const Tree& t) {
  ByteWriter out;
  EXPECT_EQ(WriteTreeRecord(out, t), 0);
  return out.bytes();
}

TEST(BredName, JoinsTheParentsWithATimesSign) {
  EXPECT_EQ(BredName("ab", "cd"), "ab\x81\x7E" "cd");
  EXPECT_EQ(BredName("ははおや", "ちちおや"), "ははおや×ちちおや");
}

TEST(BredName, LongNamesShareTheFieldWithoutSplittingACharacter) {
  std::string kana;
  for (int i = 0; i < 129; ++i) kana += "あ";  // 258 bytes
  const std::string ascii(200, 'x');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kana, kana}, {"x" + kana, kana}, {ascii, kana}, {kana, ascii}, {"ab", kana}, {kana, "ab"}};
  for (const auto& [first, second] : cases) {
    const std::string name = BredName(first, second);
    EXPECT_LE(name.size(), Tree::kMaxText);
    EXPECT_GE(name.size(), Tree::kMaxText - 1);  // shortened no more than a character needs
    // Walked as Shift-JIS: no character runs past the end, and the joint is
    // a whole character between the two sides.
    size_t i = 0, joint = std::string::npos;
    while (i < name.size()) {
      const bool lead = IsSjisLeadByte(static_cast<unsigned char>(name[i]));
      ASSERT_LE(i + (lead ? 2 : 1), name.size());
      if (name.compare(i, 2, "×") == 0) joint = i;
      i += lead ? 2 : 1;
    }
    ASSERT_NE(joint, std::string::npos);
    EXPECT_EQ(first.compare(0, joint, name, 0, joint), 0);   // a front part of the first name
    EXPECT_EQ(second.compare(0, name.size() - joint - 2, name, joint + 2), 0);  // and of the second
    EXPECT_GE(joint, 2u);
    EXPECT_GE(name.size() - joint - 2, 2u);
  }
  // A short side keeps its whole name.
  EXPECT_EQ(BredName("ab", kana).substr(0, 4), "ab×");
  const std::string tail = BredName(kana, "ab");
  EXPECT_EQ(tail.substr(tail.size() - 4), "×ab");
}

TEST(Splice, RenumbersParentsAndLoopBranches) {
  // Prefix parent: 0 root, 1 branch, 2 leaf, 3 branch, 4 loop point -> 3.
  const std::vector<GrowthOp> p = {Op(kOpBranch, 0, 0), Op(kOpBranch, 0), Op(kOpLeaf, 1), Op(kOpBranch, 1),
                                   Op(kOpLoopPoint, 1, 2, 3)};
  // Suffix parent: 0 root, 1 branch, 2 branch, 3 leaf, 4 loop -> 1, 5 flower on 1, 6 loop -> 6? no: -> 2.
  const std::vector<GrowthOp> s = {Op(kOpBranch, 0, 0), Op(kOpBranch, 0), Op(kOpBranch, 1), Op(kOpLeaf, 2),
                                   Op(kOpLoopPoint, 2, 1, 1), Op(kOpFlower, 1), Op(kOpLoopPoint, 0, 1, 2)};
  SplicePlan plan;
  plan.prefix_ops = 3;    // ops 0..2; op 3 is a branch
  plan.suffix_start = 2;  // from branch 2 on
  const std::vector<GrowthOp> out = SplicePrograms(p, s, plan);
  ASSERT_EQ(out.size(), 8u);
  // The prefix as it was.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(out[size_t(i)].parent, p[size_t(i)].parent) << i;
  // s2 hangs from the prefix's last branch (1); s3, s4 from the copy of s2 (3).
  EXPECT_EQ(out[3].parent, 1);
  EXPECT_EQ(out[4].parent, 3);
  EXPECT_EQ(out[5].parent, 3);
  // s4's loop branch s1 is s2's parent, so it lines up with the graft branch.
  EXPECT_EQ(out[5].loop_branch, 1);
  // s5 on s1 likewise; s6 on s0 is one branch further back: the prefix's 0.
  EXPECT_EQ(out[6].parent, 1);
  EXPECT_EQ(out[7].parent, 0);
  EXPECT_EQ(out[7].loop_branch, 3);  // s2 is the suffix's first op, now index 3
  for (const GrowthOp& op : out) {
    EXPECT_EQ(op.fired_x, 0);
    EXPECT_EQ(op.fired_y, 0);
  }
  EXPECT_TRUE(Sound(out));

  // A loop point of the prefix that pointed past the cut moves to the graft.
  plan.prefix_ops = 5;
  plan.suffix_start = 0;
  std::vector<GrowthOp> p2 = p;
  p2.push_back(Op(kOpBranch, 3));      // 5
  p2[4].loop_branch = 5;
  plan.prefix_ops = 5;                 // ops 0..4, cut before branch 5
  const std::vector<GrowthOp> out2 = SplicePrograms(p2, s, plan);
  EXPECT_EQ(out2[4].loop_branch, 3);   // the last prefix branch
  EXPECT_EQ(out2[5].parent, 3);        // the suffix's root hangs there too
  EXPECT_EQ(out2[5].code, kOpBranch);
  EXPECT_TRUE(Sound(out2));
}

TEST(Splice, UnsoundReferencesStayUnsound) {
  const std::vector<GrowthOp> p = {Op(kOpBranch, 0, 0), Op(kOpBranch, 0)};
  // s3's parent is a leaf: no branch to line it up with.
  const std::vector<GrowthOp> s = {Op(kOpBranch, 0, 0), Op(kOpLeaf, 0), Op(kOpBranch, 0), Op(kOpFlower, 1)};
  SplicePlan plan;
  plan.prefix_ops = 2;
  plan.suffix_start = 2;
  const std::vector<GrowthOp> out = SplicePrograms(p, s, plan);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[3].parent, -1);
  EXPECT_FALSE(Sound(out));
  // A loop branch out of range likewise.
  std::vector<GrowthOp> s2 = {Op(kOpBranch, 0, 0), Op(kOpLoopPoint, 0, 1, 40)};
  plan.suffix_start = 0;
  EXPECT_FALSE(Sound(SplicePrograms(p, s2, plan)));
}

TEST(Crossover, ChildTakesEachPieceFromTheParentTheReportNames) {
  RecordingPlatform platform;
  Tree a, b;
  MakeParents(a, b);
  int grafted = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SeedRandom(seed);
    Tree child;
    CrossoverReport r;
    ASSERT_EQ(CrossTrees(a, b, child, &r), kCrossOk);
    EXPECT_TRUE(ValidateGrowthProgram(child));
    // Program: a prefix of one parent, a suffix of the other.
    const Tree& pre = r.program.prefix_parent == 0 ? a : b;
    const Tree& suf = r.program.prefix_parent == 0 ? b : a;
    ASSERT_EQ(child.ops.size(), size_t(r.program.prefix_ops + r.program.suffix_ops));
    ASSERT_GE(r.program.prefix_ops, 1);
    ASSERT_GE(r.program.suffix_ops, 1);
    EXPECT_EQ(suf.ops[size_t(r.program.suffix_start)].code, kOpBranch);
    for (int i = 0; i < r.program.prefix_ops; ++i) {
      EXPECT_EQ(child.ops[size_t(i)].code, pre.ops[size_t(i)].code);
      EXPECT_EQ(child.ops[size_t(i)].length, pre.ops[size_t(i)].length);
    }
    for (int i = 0; i < r.program.suffix_ops; ++i) {
      const GrowthOp& got = child.ops[size_t(r.program.prefix_ops + i)];
      const GrowthOp& want = suf.ops[size_t(r.program.suffix_start + i)];
      EXPECT_EQ(got.code, want.code);
      EXPECT_EQ(got.heading_offset, want.heading_offset);
      EXPECT_EQ(got.length, want.length);
      EXPECT_EQ(got.part_angle, want.part_angle);
    }
    // Parameters.
    for (int i = 0; i < kCrossedParameterCount; ++i) {
      const int32_t va = CrossedParameterOf(a, i), vb = CrossedParameterOf(b, i);
      const int32_t want = r.parameters[size_t(i)] == Inherited::kFirst    ? va
                           : r.parameters[size_t(i)] == Inherited::kSecond ? vb
                                                                          : std::min((va + vb) / 2, CrossedParameterInfo(i).max);
      EXPECT_EQ(CrossedParameterOf(child, i), want) << CrossedParameterInfo(i).name;
    }
    EXPECT_EQ(child.kind, (r.kind == Inherited::kFirst ? a : b).kind);
    EXPECT_EQ(child.split_spread, (r.split_spread == Inherited::kFirst ? a : b).split_spread);
    const Tree& pen = r.pen == Inherited::kFirst ? a : b;
    EXPECT_EQ(child.pen.mode, pen.pen.mode);
    EXPECT_EQ(child.pen.red, pen.pen.red);
    EXPECT_EQ(child.pen.brush_params().width, pen.pen.brush_params().width);
    // Parts: the base parent's, with the other's grafted in the reported way.
    for (int i = 0; i < kPartCount; ++i) {
      const CrossoverReport::Part& part = r.parts[size_t(i)];
      const Tree& base = part.base == Inherited::kFirst ? a : b;
      const Tree& other = part.base == Inherited::kFirst ? b : a;
      PartImage expected;
      expected.CopyFrom(base.parts[size_t(i)]);
      GraftPart(expected, other.parts[size_t(i)], part.graft);
      testing::ExpectPartsEqual(child.parts[size_t(i)], expected);
      if (expected.surface.pixels != base.parts[size_t(i)].surface.pixels) ++grafted;
      EXPECT_EQ(child.part_present[size_t(i)], 1);
    }
    if (pen.pen.mode != 1) {
      EXPECT_EQ(r.parts[kPartBranch].base, r.pen);
    }
    // A fresh unplaced tree.
    EXPECT_EQ(child.name, "ははおや×ちちおや");
    EXPECT_EQ(child.state, 0);
    EXPECT_EQ(child.cursor, 0u);
    EXPECT_EQ(child.mutant, 0);
  }
  EXPECT_GT(grafted, 10);  // grafts visibly change parts
  EXPECT_TRUE(platform.messages.empty());
}

TEST(Crossover, SameSeedSameChildOtherSeedsOtherChildren) {
  RecordingPlatform platform;
  Tree a, b;
  MakeParents(a, b);
  std::vector<std::vector<uint8_t>> records;
  for (uint32_t seed : {5u, 5u, 6u, 7u}) {
    SeedRandom(seed);
    Tree child;
    ASSERT_EQ(CrossTrees(a, b, child), kCrossOk);
    records.push_back(Record(child));
  }
  EXPECT_EQ(records[0], records[1]);
  EXPECT_TRUE(records[2] != records[0] || records[3] != records[0]);
}

TEST(Crossover, ChildrenDifferFromBothParentsAndInheritFromBoth) {
  RecordingPlatform platform;
  Tree a, b;
  MakeParents(a, b);
  int from_a = 0, from_b = 0, blends = 0;
  for (uint32_t seed = 100; seed < 160; ++seed) {
    SeedRandom(seed);
    Tree child;
    CrossoverReport r;
    ASSERT_EQ(CrossTrees(a, b, child, &r), kCrossOk);
    EXPECT_FALSE(SameProgram(child.ops, a.ops)) << seed;
    EXPECT_FALSE(SameProgram(child.ops, b.ops)) << seed;
    // The program always holds ops of both.
    EXPECT_GE(r.program.prefix_ops, 1);
    EXPECT_GE(r.program.suffix_ops, 1);
    for (Inherited from : r.parameters) {
      from_a += from == Inherited::kFirst;
      from_b += from == Inherited::kSecond;
      blends += from == Inherited::kBlend;
    }
  }
  // 540 draws: each source turns up often (expected about 175, 175, 190).
  EXPECT_GT(from_a, 100);
  EXPECT_GT(from_b, 100);
  EXPECT_GT(blends, 100);
}

TEST(Crossover, ChildIsAnOrdinaryTreeFile) {
  RecordingPlatform platform;
  TempDir dir;
  Tree a, b;
  MakeParents(a, b);
  SeedRandom(11);
  Tree child;
  ASSERT_EQ(CrossTrees(a, b, child), kCrossOk);
  const std::string path = dir.File("child.ki");
  ASSERT_EQ(SaveTreeFile(child, path), 0);
  Tree loaded;
  ASSERT_EQ(LoadTreeFile(loaded, path), 0);
  EXPECT_EQ(loaded.name, "ははおや×ちちおや");
  EXPECT_EQ(loaded.file_name, "child.ki");
  ASSERT_EQ(loaded.ops.size(), child.ops.size());
  for (size_t i = 0; i < child.ops.size(); ++i) {
    EXPECT_EQ(loaded.ops[i].code, child.ops[i].code);
    EXPECT_EQ(loaded.ops[i].parent, child.ops[i].parent);
    EXPECT_EQ(loaded.ops[i].loop_branch, child.ops[i].loop_branch);
  }
  for (int i = 0; i < kCrossedParameterCount; ++i) EXPECT_EQ(CrossedParameterOf(loaded, i), CrossedParameterOf(child, i));
  EXPECT_EQ(loaded.pen.mode, child.pen.mode);
  testing::ExpectPartsEqual(loaded.parts[0], child.parts[0]);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(Crossover, RefusesParentsWithoutAProgramAndLeavesTheChild) {
  RecordingPlatform platform;
  Tree a, b, child;
  MakeParents(a, b);
  b.ClearOps();
  child.name = "まえのまま";
  SeedRandom(3);
  EXPECT_EQ(CrossTrees(a, b, child), kCrossRefused);
  EXPECT_EQ(child.name, "まえのまま");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, kCrossCaption);
  EXPECT_NE(platform.messages[0].text.find("ははおや"), std::string::npos);

  // An unsound parent is not copied into a child: every kept splice is sound.
  platform.messages.clear();
  MakeParents(a, b);
  b.ops[3].parent = 3;  // refers to itself
  b.ops[5].loop_branch = 6;  // a flower
  for (uint32_t seed = 0; seed < 50; ++seed) {
    SeedRandom(seed);
    Tree c;
    if (CrossTrees(a, b, c) == kCrossOk) {
      EXPECT_TRUE(ValidateGrowthProgram(c)) << seed;
    }
  }
}

// A garden big enough for the sample shape.
struct Garden {
  Surface trees;
  AlphaPlane weight;
  GrowthEnv env;
  Garden(int w, int h) {
    trees.CreateFilled(w, h, 0);
    weight.CreateFilled(w, h, 255);
    env.tree_layer = &trees;
    env.weight = &weight;
  }
  int Painted() const {
    int n = 0;
    for (uint8_t v : weight.bytes) n += v != 255;
    return n;
  }
};

TEST(Crossover, ChildGrowsToTheEndAndPaints) {
  RecordingPlatform platform;
  Tree a, b;
  MakeParents(a, b);
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    SeedRandom(seed);
    Tree child;
    ASSERT_EQ(CrossTrees(a, b, child), kCrossOk);
    Garden garden(200, 200);
    child.pen.mode = 1;  // paint with the brush so the walk is visible
    child.Place(100, 150);
    LoopSeeds seeds;
    int result = 0, calls = 0;
    while ((result = Grow(child, garden.trees, garden.weight, nullptr, 300, seeds)) == 0 && calls < 10000) ++calls;
    EXPECT_EQ(result, kGrowFinished) << seed;
    EXPECT_EQ(child.cursor, child.op_count());
    EXPECT_GT(garden.Painted(), 0) << seed;
  }
}

// Mutation handling of the garden, for GrowthEnv::mutate; the clock moves on
// a millisecond per child so that archived mutants get names of their own.
RecordingPlatform* g_clock = nullptr;
int MutateInGarden(const GrowthEnv& env, Tree& parent, Tree& child) {
  ++g_clock->now.milliseconds;
  return HandleMutation(env, parent, child);
}

class BredMutants : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.mutant_handling = 2;
    settings_.archive_folder = archive_.path();
    settings_.archive_limit = 100;
    settings_.program_folder = kDataFolder;  // with prj_data
    platform_.program_folder = kDataFolder;  // with prj_data
    g_clock = &platform_;
  }

  RecordingPlatform platform_;
  TempDir archive_;
  MutationSettings settings_;
  TreeTable table_;
};

TEST_F(BredMutants, OffspringOfAPlantedChildAreArchivedLikeAnyMutant) {
  Tree a, b;
  MakeParents(a, b);
  for (Tree* t : {&a, &b}) {
    t->mutation_chance = 100;  // every copy and child mutates
    t->split_chance = 100;
    t->split_max = 1;
    t->growth_speed = 100;
  }
  SeedRandom(21);
  // Planted as a tree file is: bred into the first empty slot, then scattered.
  TreeTable& table = table_;
  Canvas canvas;
  canvas.exists = 1;
  const int slot = BreedForPlanting(canvas, table, a, b);
  ASSERT_GE(slot, 0);
  const Tree child = table[slot];
  EXPECT_EQ(child.state, 0);
  ASSERT_EQ(child.mutation_chance, 100);
  ScatterOptions options;
  options.count = 2;
  options.radius = 20;
  options.rising_anywhere = true;
  options.mutation = settings_;
  ScatterStats stats;
  ASSERT_EQ(ScatterTree(table, slot, 100, 100, 300, 300, options, &stats), 2);
  EXPECT_EQ(stats.mutants, 1);
  EXPECT_EQ(table[slot].mutant, 0);  // the planted child itself is no mutant

  // Growing on, split children of the child mutate too.
  Garden garden(300, 300);
  garden.env.mutate = MutateInGarden;
  garden.env.table = &table;
  garden.env.mutation = settings_;
  garden.env.rising_anywhere = true;
  GrowthStats growth;
  for (int pass = 0; pass < 200 && table.growing_count() > 0 && growth.split_children < 2; ++pass)
    GrowthPass(table, garden.env, 300, &growth);
  EXPECT_GE(growth.mutants, 2);

  // Every mutant went to the archive under the child's name, as a tree file
  // the loader reads, marked as a mutant.
  std::vector<FolderEntry> files;
  ListFolderFiles(archive_.path(), ".ki", files);
  EXPECT_EQ(int64_t(files.size()), stats.mutants + growth.mutants);
  ASSERT_FALSE(files.empty());
  for (const FolderEntry& f : files) {
    EXPECT_EQ(f.name.rfind(child.name + "_", 0), 0u) << f.name;
    Tree archived;
    ASSERT_EQ(LoadTreeFile(archived, JoinPath(archive_.path(), f.name)), 0);
    EXPECT_EQ(archived.mutant, 1);
    EXPECT_EQ(archived.name, child.name);
    EXPECT_TRUE(ValidateGrowthProgram(archived));
  }
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(BredMutants, PlantingChecksTheCanvasAndTheTableFirst) {
  Tree a, b;
  MakeParents(a, b);
  TreeTable& table = table_;
  Canvas canvas;
  EXPECT_EQ(BreedForPlanting(canvas, table, a, b), kPlantNoCanvas);
  canvas.exists = 1;
  for (int i = 0; i < TreeTable::kSlots; ++i) table[i].state = 1;
  const uint32_t before = RandomState();
  EXPECT_EQ(BreedForPlanting(canvas, table, a, b), kPlantTableFull);
  EXPECT_EQ(RandomState(), before);  // refused before anything was crossed
  ASSERT_EQ(platform_.messages.size(), 2u);
  EXPECT_EQ(platform_.messages[1].text, kTableFullText);
  // A parent in the free slot itself is crossed before the child replaces it.
  table[7] = a;
  table[7].state = 0;
  EXPECT_EQ(BreedForPlanting(canvas, table, table[7], b), 7);
  EXPECT_EQ(table[7].name, "ははおや×ちちおや");
  EXPECT_EQ(table[7].state, 0);
  // A refused crossing leaves the slot empty.
  Tree empty;
  table[7].state = 0;
  EXPECT_EQ(BreedForPlanting(canvas, table, a, empty), kPlantLoadFailed);
  EXPECT_EQ(table[7].state, 0);
  EXPECT_EQ(platform_.messages.back().caption, kCrossCaption);
}

TEST_F(BredMutants, LabelsLeadToTheLivingTreeNearestOrToItsFile) {
  Tree a, b;
  MakeParents(a, b);
  TreeTable& table = table_;
  table[3] = a;
  table[3].plant_x = 10;
  table[3].split_max = 1;
  table[5] = a;
  table[5].plant_x = 300;
  table[5].split_max = 2;
  table[8] = b;
  table[8].mutant = 1;
  for (int i : {3, 5, 8}) table[i].state = 2;
  LabelEntry label;
  label.name = a.name;
  label.file_name = a.file_name;
  label.x = 280;
  label.y = table[5].plant_y;
  Tree found;
  ASSERT_EQ(FindLabelledTree(label, table, {}, found), kLabelledLiving);
  EXPECT_EQ(found.split_max, 2);
  // A mutant's label shows "<name>_var".
  label.name = LabelDisplayName(b.name, 1);
  label.file_name = b.file_name;
  ASSERT_EQ(FindLabelledTree(label, table, {}, found), kLabelledLiving);
  EXPECT_EQ(found.name, b.name);

  // Finished trees are found by their file, in the first folder holding it.
  TempDir first, second;
  Tree saved = b;
  ASSERT_EQ(SaveTreeFile(saved, second.File("fallen.ki")), 0);
  label.file_name = "fallen.ki";
  table[8].state = 0;
  ASSERT_EQ(FindLabelledTree(label, table, {first.path(), "", second.path()}, found), kLabelledFile);
  EXPECT_EQ(found.file_name, "fallen.ki");
  EXPECT_EQ(found.ops.size(), b.ops.size());
  EXPECT_TRUE(platform_.messages.empty());

  // Nowhere: a message, and the tree passed in stays.
  label.file_name = "gone.ki";
  EXPECT_EQ(FindLabelledTree(label, table, {first.path(), second.path()}, found), kLabelledMissing);
  EXPECT_EQ(found.file_name, "fallen.ki");
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, kCrossCaption);
}

// ---------------------------------------------------------------- random pairs

// The pool of very different parents: the sample tree with its sample parts,
// the tree-file fixtures, the tree files of the fuzz corpus, mutants of these
// and bred children of all of them.
std::vector<std::unique_ptr<Tree>> MakePool(RecordingPlatform& platform) {
  SeedRandom(2025);  // the same pool whatever ran before
  std::vector<std::unique_ptr<Tree>> pool;
  auto add = [&pool]() -> Tree& { return *pool.emplace_back(std::make_unique<Tree>()); };
  Tree& sample = add();
  MakeSampleTree(sample, 200, 300, 90);
  LoadSampleParts(sample, kDataFolder, kSamplePartDescriptions);
  MakeFixtureTree(add(), 0);
  MakeFixtureTree(add(), 1);
  Tree a, b;
  MakeParents(a, b);
  add() = b;
  std::vector<std::string> corpus;
  for (const auto& entry : std::filesystem::directory_iterator(kKiCorpus)) corpus.push_back(entry.path().string());
  std::sort(corpus.begin(), corpus.end());
  for (const std::string& path : corpus) {
    Tree t;
    if (LoadTreeFile(t, path) == 0) add() = t;
  }
  // Mutants: each tree so far crossed with the garden, drifted and grafted.
  MutationSettings settings;
  settings.mutant_handling = 1;
  settings.program_folder = kDataFolder;
  platform.program_folder = kDataFolder;
  TreeTable table;
  table[0] = *pool[0];
  table[0].state = 1;
  const size_t originals = pool.size();
  for (size_t i = 0; i < originals; ++i) {
    Tree& parent = *pool[i];
    const int32_t chance = parent.mutation_chance;
    parent.mutation_chance = 100;
    Tree& mutant = add();
    SplitChild(mutant, parent, 400, 400, true);
    HandleMutationIn(table, settings, parent, mutant);
    parent.mutation_chance = chance;
  }
  return pool;
}

int PairCount() {
  const char* env = std::getenv("SYLVANE_BREED_PAIRS");
  const int n = env ? std::atoi(env) : 0;
  return n > 0 ? n : 400;
}

TEST(CrossoverPairs, RandomPairsGiveSoundReadableGrowableChildren) {
  RecordingPlatform platform;
  std::vector<std::unique_ptr<Tree>> pool = MakePool(platform);
  ASSERT_GE(pool.size(), 16u);
  platform.messages.clear();
  SeedRandom(2026);
  const int pairs = PairCount();
  int refused = 0, grown = 0;
  for (int n = 0; n < pairs; ++n) {
    const size_t ia = size_t(Rand()) % pool.size();
    const size_t ib = size_t(Rand()) % pool.size();
    const Tree& a = *pool[ia];
    const Tree& b = *pool[ib];
    Tree child;
    CrossoverReport r;
    if (CrossTrees(a, b, child, &r) != kCrossOk) {
      // Only a parent without a program can make a crossing fail.
      EXPECT_TRUE(a.ops.empty() || b.ops.empty()) << ia << " x " << ib;
      ++refused;
      continue;
    }
    ASSERT_TRUE(ValidateGrowthProgram(child)) << ia << " x " << ib;
    ASSERT_LE(child.name.size(), Tree::kMaxText);
    // The loader reads the record back.
    const std::vector<uint8_t> bytes = Record(child);
    ByteReader in(bytes);
    KiRecord rec;
    ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk) << ia << " x " << ib;
    ASSERT_EQ(rec.ops.size(), child.ops.size());
    // Every tenth child grows a few calls on a small torus.
    if (n % 10 == 0) {
      Garden garden(64, 48);
      child.Place(32, 40);
      LoopSeeds seeds;
      for (int call = 0; call < 20 && Grow(child, garden.trees, garden.weight, nullptr, 200, seeds) == 0; ++call) {
        ASSERT_LE(seeds.count, LoopSeeds::kMax);
      }
      ++grown;
    }
    // Some children become parents themselves (the pool stays bounded).
    if (n % 25 == 0 && pool.size() < 64 && child.ops.size() < 400) {
      child.cursor = 0;
      pool.push_back(std::make_unique<Tree>(std::move(child)));
    }
  }
  std::printf("%d pairs: %d refused, %d grown, pool of %zu parents\n", pairs, refused, grown, pool.size());
  EXPECT_LT(refused, pairs / 4);
  EXPECT_GT(grown, 0);
  // Refusals are the only messages.
  EXPECT_EQ(int(platform.messages.size()), refused);
}

}  // namespace
}  // namespace sylvane
