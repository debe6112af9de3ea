#include "trees/mutation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/file_io.h"
#include "base/random.h"
#include "canvas/garden.h"
#include "canvas/records/settings.h"
#include "platform/folder_list.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "tree_fixtures.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"

namespace sylvane {
namespace {

using testing::MakeFixtureTree;
using testing::MakePart;
using testing::RecordingPlatform;
using testing::TempDir;

const std::string kDataFolder = std::string(SYLVANE_SOURCE_DIR) + "/data";

// Keeps the process's settings as they were around each test.
class MutationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Settings();
    Settings().mutant_handling = 1;
    Settings().mutation_sound = 0;
    platform_.program_folder = empty_.path();  // no prj_data unless a test says so
    SetMutationTimerHooks([this] { timer_.push_back("stop"); }, [this] { timer_.push_back("start"); });
  }
  void TearDown() override {
    Settings() = saved_;
    SetMutationTimerHooks(nullptr, nullptr);
    SetTreeSaveDialog(nullptr);
  }

  RecordingPlatform platform_;
  TempDir empty_;
  MInitInfo saved_;
  std::vector<std::string> timer_;
};

// A grey part image: every pixel value v, alpha a (w x h).
PartImage GreyPart(int w, int h, uint8_t v, uint8_t a) {
  PartImage p;
  p.surface.CreateFilled(w, h, v);
  p.alpha.CreateFilled(w, h, a);
  return p;
}

uint8_t GreyAt(const PartImage& p, int x, int y) { return p.surface.PixelAt(x, y)[0]; }

TEST(Graft, RootedGreyPixelsBlendAtEightyPercent) {
  PartImage target = GreyPart(3, 3, 50, 255);
  target.alpha.BufferRow(2)[1] = 0;  // top row, middle column: transparent
  target.params[kParamRootX] = 1;
  target.params[kParamRootY] = 1;
  PartImage source = GreyPart(3, 3, 200, 255);
  source.alpha.BufferRow(0)[2] = 100;  // bottom row, right column
  source.params[kParamRootX] = 1;
  source.params[kParamRootY] = 1;
  GraftRooted(target, source);
  // Column 0 of the source is never used: target column 0 keeps its grey.
  for (int y = 0; y < 3; ++y) EXPECT_EQ(GreyAt(target, 0, y), 50) << y;
  EXPECT_EQ(GreyAt(target, 1, 0), 50);   // transparent target pixel untouched
  EXPECT_EQ(GreyAt(target, 1, 1), 170);  // o = 204: (204 * 200 + 50 * 51) / 255
  EXPECT_EQ(GreyAt(target, 2, 1), 170);
  EXPECT_EQ(GreyAt(target, 2, 2), 97);   // o = 80: (80 * 200 + 50 * 175) / 255
  EXPECT_EQ(target.alpha.BufferRow(2)[1], 0);  // alpha plane unchanged
}

TEST(Graft, RootedUsesTheSourceOffsetsAndRootShift) {
  PartImage target = GreyPart(4, 1, 50, 255);
  target.params[kParamRootX] = 0;
  PartImage source = GreyPart(2, 1, 200, 255);
  source.params[kParamRootX] = 1;  // target column x uses source column x + 1
  source.params[kParamLumaOffset] = 10;
  GraftRooted(target, source);
  EXPECT_EQ(GreyAt(target, 0, 0), 178);  // luma 210: (204 * 210 + 50 * 51) / 255
  EXPECT_EQ(GreyAt(target, 1, 0), 50);   // source column 2 does not exist
  EXPECT_EQ(GreyAt(target, 3, 0), 50);
}

TEST(Graft, LumaOffsetIsClamped) {
  PartImage target = GreyPart(2, 1, 0, 255);
  PartImage source = GreyPart(2, 1, 250, 255);
  source.params[kParamLumaOffset] = 1000000;
  GraftRooted(target, source);
  EXPECT_EQ(GreyAt(target, 1, 0), 204);  // luma 255: (204 * 255) / 255
}

TEST(Graft, TiledRepeatsFromTheTopLeftWithEveryColumn) {
  PartImage target = GreyPart(5, 2, 0, 255);
  PartImage source = GreyPart(2, 1, 0, 255);
  source.surface.PixelAt(0, 0)[0] = source.surface.PixelAt(0, 0)[1] = source.surface.PixelAt(0, 0)[2] = 255;
  source.params[kParamRootX] = 1;  // no effect when tiled
  GraftTiled(target, source);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(GreyAt(target, x, y), x % 2 == 0 ? 204 : 0) << x << "," << y;
}

TEST(Graft, NeverShowsATransparentPixelAndIgnoresEmptyParts) {
  PartImage target = GreyPart(3, 3, 10, 0);
  target.alpha.BufferRow(1)[1] = 255;
  PartImage source = GreyPart(3, 3, 240, 255);
  PartImage before = target;
  GraftTiled(target, source);
  EXPECT_EQ(target.alpha.bytes, before.alpha.bytes);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      if (!(x == 1 && y == 1)) {
        EXPECT_EQ(GreyAt(target, x, y), 10);
      }
  EXPECT_NE(GreyAt(target, 1, 1), 10);
  PartImage empty;
  GraftRooted(target, empty);
  GraftTiled(empty, source);
  EXPECT_TRUE(empty.surface.empty());
}

TEST_F(MutationTest, ChanceZeroCopiesPartsOnly) {
  TreeTable table;
  Tree parent, child;
  MakeFixtureTree(parent, 0);
  parent.mutation_chance = 0;
  child.growth_speed = 33;
  SeedRandom(9);
  Rand();
  const uint32_t after_one_draw = RandomState();
  SeedRandom(9);
  EXPECT_EQ(HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child), 0);
  EXPECT_EQ(RandomState(), after_one_draw);
  EXPECT_EQ(child.mutant, 0);
  EXPECT_EQ(child.growth_speed, 33);
  for (int i = 0; i < 4; ++i) testing::ExpectPartsEqual(child.parts[size_t(i)], parent.parts[size_t(i)]);
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MutationTest, HandComputedCrossoverAndDrift) {
  // Seed 1 draws: 41 18467 6334 26500 19169 15724 11478 29358 26962 24464
  // 5705 28145 23281 16827 9961 491 2995 11942 4827 5436 32391 14604 3902 153
  // 292 12382 17421 18716 19718 19895 5447 21726 14771 11538 1869 19912 25667
  // 26299 17035 9894 28703 23811 31322 30333 17673 4664 15141 7711 28253 6868
  // 25547 27644 32662 ...
  TreeTable table;
  table[0].state = 1;
  table[1].state = 2;  // slot 2 is empty: the run holds two trees
  Tree& partner = table[1];
  partner.split_max = -7;
  partner.branch_jitter = 200;
  partner.split_chance = 90;
  Tree parent, child;
  parent.mutation_chance = 100;
  child.split_max = 1;
  child.branch_jitter = 4;
  child.split_chance = 10;
  SeedRandom(1);
  EXPECT_EQ(HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child), 0);
  EXPECT_EQ(child.mutant, 1);
  // Partner: 18467 % 2 = slot 1. Crossover draws 78 58 62 64 5 45 81 27 61:
  // only split maximum and branch jitter blend.
  EXPECT_EQ(child.split_chance, 10);
  EXPECT_EQ(child.split_max, 0);       // trunc((-7 + 1) * 0.5) = -3, raised to 0
  EXPECT_EQ(child.branch_jitter, 50);  // (200 + 4) / 2 = 102, lowered to 50
  // Drift of part 0: +5, -27, -21, ranges 4 2 3; part 2: -2, +26, -5, 7 6 1;
  // part 3: -9, -17, +25, 4 3 1; part 1: -3, +14, +1, 3 8 7.
  auto drift = [&](int part) {
    const auto& p = child.parts[size_t(part)].params;
    return std::array<int32_t, 6>{p[6], p[7], p[8], p[9], p[10], p[11]};
  };
  EXPECT_EQ(drift(0), (std::array<int32_t, 6>{5, -27, -21, 4, 2, 3}));
  EXPECT_EQ(drift(2), (std::array<int32_t, 6>{-2, 26, -5, 7, 6, 1}));
  EXPECT_EQ(drift(3), (std::array<int32_t, 6>{-9, -17, 25, 4, 3, 1}));
  EXPECT_EQ(drift(1), (std::array<int32_t, 6>{-3, 14, 1, 3, 8, 7}));
  // Then one discarded draw and the part choice; no prj_data folder: no more draws.
  EXPECT_EQ(Rand(), 32757);
  EXPECT_TRUE(platform_.messages.empty());  // never-save setting
}

TEST_F(MutationTest, DriftBeyondTheLimitsStartsAgain) {
  TreeTable table;
  Tree parent, child;
  parent.mutation_chance = 100;
  parent.parts[0].params[kParamLumaOffset] = 255;
  parent.parts[0].params[kParamLumaRange] = 100;
  // Seed 1 with slot 0 empty: 41 (chance), then part 0's luma: 18467 odd, +6334 % 10 = 4
  // gives 259, so 26500 % 255 = 235; hue 19169 odd +15724 % 30 = 4; chroma 11478 even
  // -29358 % 30 = 18; luma range 100 + 26962 % 10 = 102, so 24464 % 100 = 64.
  SeedRandom(1);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  const auto& p = child.parts[0].params;
  EXPECT_EQ(p[kParamLumaOffset], 235);
  EXPECT_EQ(p[kParamHueOffset], 4);
  EXPECT_EQ(p[kParamChromaOffset], -18);
  EXPECT_EQ(p[kParamLumaRange], 64);
}

TEST_F(MutationTest, EmptySlotZeroStillDriftsAndGraftsProjection) {
  platform_.program_folder = kDataFolder;
  TreeTable table;
  Tree parent, child;
  parent.mutation_chance = 100;
  for (auto& part : parent.parts) part = GreyPart(40, 40, 128, 255);
  SeedRandom(31);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  EXPECT_EQ(child.mutant, 1);
  int changed = 0;
  for (int i = 0; i < 4; ++i) changed += child.parts[size_t(i)].surface.pixels != parent.parts[size_t(i)].surface.pixels;
  EXPECT_EQ(changed, 1);  // exactly the part that received projection material
  // Which part: the draw after the 1 + 4 * 9 drift draws and the discarded one.
  SeedRandom(31);
  for (int i = 0; i < 1 + 36 + 1; ++i) Rand();
  const int pick[4] = {0, 2, 3, 1};
  const int part = pick[Rand() % 4];
  EXPECT_NE(child.parts[size_t(part)].surface.pixels, parent.parts[size_t(part)].surface.pixels);
}

TEST_F(MutationTest, AskYesOpensTheSaveDialogWithTheTreeFolder) {
  Settings().mutant_handling = 0;
  Settings().mutation_sound = 1;
  Settings().sound_file = "chime.wav";
  Settings().folders[kFolderSaveTrees] = "trees-here";
  platform_.answers.push_back(Answer::kYes);
  std::string seen_folder;
  int dialogs = 0;
  SetTreeSaveDialog([&](Tree& t, std::string& folder) {
    ++dialogs;
    seen_folder = folder;
    EXPECT_EQ(t.cursor, 0u);
    EXPECT_EQ(timer_, (std::vector<std::string>{"stop"}));  // the timer is stopped meanwhile
    folder = "moved";
    return 0;
  });
  TreeTable table;
  Tree parent, child;
  MakeFixtureTree(parent, 1);
  parent.name = "ハナ";
  parent.mutation_chance = 100;
  MakeFixtureTree(child, 1);
  child.cursor = 7;
  SeedRandom(4);
  MutationSettings settings = MutationSettingsFrom(Settings());
  settings.chosen_folder = &Settings().folders[kFolderSaveTrees];
  HandleMutationIn(table, settings, parent, child);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_TRUE(platform_.messages[0].question);
  EXPECT_EQ(platform_.messages[0].text, "ハナの変異種が発生しました。保存しますか？");
  EXPECT_EQ(platform_.messages[0].caption, "変異種発生");
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(seen_folder, "trees-here");
  EXPECT_EQ(Settings().folders[kFolderSaveTrees], "moved");
  EXPECT_EQ(child.cursor, 0u);
  EXPECT_EQ(timer_, (std::vector<std::string>{"stop", "start"}));
  ASSERT_EQ(platform_.sounds.size(), 1u);
  EXPECT_EQ(platform_.sounds[0], JoinPath(JoinPath(platform_.program_folder, "sound"), "chime.wav"));
}

TEST_F(MutationTest, AskNoNamesTheMutantAfterTheParentFile) {
  Settings().mutant_handling = 0;
  platform_.answers.push_back(Answer::kNo);
  TreeTable table;
  Tree parent, child;
  MakeFixtureTree(parent, 1);
  parent.file_name = "親.ki";
  parent.mutation_chance = 100;
  MakeFixtureTree(child, 1);
  SeedRandom(4);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  EXPECT_EQ(child.file_name, "親.ki_var");
  EXPECT_TRUE(platform_.sounds.empty());  // sound off
  EXPECT_EQ(timer_, (std::vector<std::string>{"stop", "start"}));
}

TEST_F(MutationTest, ChildWithoutOpsIsNotArchived) {
  Settings().mutant_handling = 0;
  TreeTable table;
  Tree parent, child;
  parent.mutation_chance = 100;
  SeedRandom(4);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  EXPECT_EQ(child.mutant, 1);
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MutationTest, AutomaticSavingKeepsTheNewestFiles) {
  TempDir archive;
  Settings().mutant_handling = 2;
  Settings().mutant_file_count = 3;
  Settings().folders[kFolderMutantArchive] = archive.path();
  // Three archived files, created in the order c, b, a (names in reverse).
  for (const char* n : {"c.ki", "b.ki", "a.ki"}) {
    ASSERT_TRUE(WriteFileAtomically(archive.File(n), std::vector<uint8_t>{1}));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  ASSERT_TRUE(WriteFileAtomically(archive.File("other.txt"), std::vector<uint8_t>{1}));
  platform_.now.month = 5;
  platform_.now.day = 3;
  platform_.now.hour = 14;
  platform_.now.minute = 7;
  platform_.now.second = 9;
  platform_.now.milliseconds = 250;
  TreeTable table;
  Tree parent, child;
  MakeFixtureTree(parent, 1);
  parent.mutation_chance = 100;
  MakeFixtureTree(child, 1);
  SeedRandom(4);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  EXPECT_TRUE(platform_.messages.empty());
  std::vector<FolderEntry> files;
  ASSERT_TRUE(ListFolderFiles(archive.path(), ".ki", files));
  std::vector<std::string> names;
  for (auto& f : files) names.push_back(f.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.ki", "b.ki", "エゾイチヤクソウ_5_3_14_7_9_250.ki"}));
  EXPECT_TRUE(FileExists(archive.File("other.txt")));
  Tree loaded;
  ASSERT_EQ(LoadTreeFile(loaded, JoinPath(archive.path(), "エゾイチヤクソウ_5_3_14_7_9_250.ki")), 0);
  EXPECT_EQ(loaded.mutant, 1);
}

TEST_F(MutationTest, APassUsesTheSettingsItWasGivenNotTheOnesEditedMeanwhile) {
  // The settings sheet may change the sound while a pass runs on the worker:
  // the pass plays the sound and archives where its copy says.
  TempDir archive, elsewhere;
  Settings().mutant_handling = 2;
  Settings().mutation_sound = 1;
  Settings().sound_file = "first.wav";
  Settings().folders[kFolderMutantArchive] = archive.path();
  Canvas canvas;
  ASSERT_EQ(SetUpCanvasLayers(canvas, 40, 30, 0, kBackgroundColour, Surface{}, 0, false), kCanvasOk);
  TreeTable table;
  LabelList labels;
  const GrowthEnv env = MakeGrowthEnv(canvas, table, labels, Settings());
  Settings().sound_file = "second.wav";
  Settings().folders[kFolderMutantArchive] = elsewhere.path();
  Tree parent, child;
  MakeFixtureTree(parent, 1);
  parent.mutation_chance = 100;
  MakeFixtureTree(child, 1);
  SeedRandom(4);
  env.mutate(env, parent, child);
  ASSERT_EQ(platform_.sounds.size(), 1u);
  EXPECT_EQ(FileNamePart(platform_.sounds[0]), "first.wav");
  std::vector<FolderEntry> files;
  ASSERT_TRUE(ListFolderFiles(archive.path(), ".ki", files));
  EXPECT_EQ(files.size(), 1u);
  ASSERT_TRUE(ListFolderFiles(elsewhere.path(), ".ki", files));
  EXPECT_TRUE(files.empty());
}

TEST_F(MutationTest, AutomaticSavingIntoAMissingFolderReportsTheOpenFailure) {
  Settings().mutant_handling = 2;
  Settings().mutant_file_count = 5;
  Settings().folders[kFolderMutantArchive] = JoinPath(empty_.path(), "gone");
  TreeTable table;
  Tree parent, child;
  MakeFixtureTree(parent, 1);
  parent.mutation_chance = 100;
  MakeFixtureTree(child, 1);
  SeedRandom(4);
  HandleMutationIn(table, MutationSettingsFrom(Settings()), parent, child);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, "ファイルのオープンに失敗しました。SaveKi");
  EXPECT_EQ(platform_.messages[0].caption, "エラー");
}

TEST(Prune, CountsKiFilesAndDeletesTheFirstCreatedAtTheLimit) {
  TempDir dir;
  for (const char* n : {"x.ki", "y.KI", "z.txt"}) ASSERT_TRUE(WriteFileAtomically(dir.File(n), std::vector<uint8_t>{1}));
  EXPECT_EQ(PruneArchive(dir.path(), 3), 2);
  EXPECT_EQ(PruneArchive(dir.path(), 2), 1);
  std::vector<FolderEntry> files;
  ListFolderFiles(dir.path(), ".ki", files);
  EXPECT_EQ(files.size(), 1u);
  EXPECT_EQ(PruneArchive(JoinPath(dir.path(), "missing"), 3), 0);
  EXPECT_EQ(PruneArchive(dir.path(), 0), 0);
  EXPECT_EQ(PruneArchive(dir.path(), 0), 0);  // nothing left to delete
}

TEST(Prune, ArchiveFileNames) {
  LocalTime t;
  t.month = 12;
  t.day = 31;
  t.hour = 23;
  t.minute = 59;
  t.second = 58;
  t.milliseconds = 7;
  EXPECT_EQ(ArchiveFileName("樹", t), "樹_12_31_23_59_58_7.ki");
  EXPECT_EQ(ArchiveFileName("a/b:c*d?e\"f<g>h|i\\j", t), "a_b_c_d_e_f_g_h_i_j_12_31_23_59_58_7.ki");
  // "ソ" is 0x83 0x5C in Shift-JIS: its trail byte is not a separator.
  std::string so = "ソ";
  ASSERT_EQ(so, std::string("\x83\x5C"));
  EXPECT_EQ(ArchiveFileName(so + "\\", t), so + "__12_31_23_59_58_7.ki");
}

}  // namespace
}  // namespace sylvane
