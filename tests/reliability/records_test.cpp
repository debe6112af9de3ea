// The lasting garden stays bounded and damaged records read as far as they
// can: the label list keeps its newest 10,000 entries, grows by doubling and
// shares equal texts;
// a tree record's alpha plane longer than its picture is read whole and cut;
// the mutation sound waits for its end only on the growth worker.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/records/settings.h"
#include "gardens/garden_fixtures.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "trees/huffman.h"
#include "trees/ki_file.h"
#include "trees/mutation.h"

namespace sylvane::testing {
namespace {

LabelEntry Numbered(int i) { return LabelEntry{"樹" + std::to_string(i), 0, 0, i, -i, std::to_string(i) + ".ki"}; }

TEST(LabelBound, TheOldestLabelsGoFirstAndTheStorageDoubles) {
  LabelList list;
  std::vector<size_t> capacities;
  for (int i = 0; i < kMaxLabels + 250; ++i) {
    list.Add(Numbered(i));
    if (capacities.empty() || capacities.back() != list.entries.capacity())
      capacities.push_back(list.entries.capacity());
  }
  ASSERT_EQ(list.count(), kMaxLabels);
  EXPECT_EQ(list.entries.front().x, 250);  // labels 0..249 went first
  EXPECT_EQ(list.entries.back().x, kMaxLabels + 249);
  for (size_t i = 1; i < list.entries.size(); ++i) ASSERT_EQ(list.entries[i].x, list.entries[i - 1].x + 1);
  // 16, 32, ... 8192, then the limit: never more room than 10,000 entries.
  ASSERT_GE(capacities.size(), 2u);
  EXPECT_EQ(capacities.front(), 16u);
  for (size_t i = 1; i < capacities.size(); ++i)
    EXPECT_EQ(capacities[i], std::min<size_t>(capacities[i - 1] * 2, size_t(kMaxLabels)));
  EXPECT_EQ(capacities.back(), size_t(kMaxLabels));
  list.Clear();
  list.Add(Numbered(1));
  EXPECT_EQ(list.count(), 1);
}

TEST(LabelBound, ACanvasFileWithMoreLabelsLoadsTheNewest) {
  RecordingPlatform platform;
  TestGarden g;
  FillGarden(g, 12, 8);
  g.labels.entries.clear();
  // Written by an earlier version that kept every label.
  for (int i = 0; i < kMaxLabels + 1234; ++i) g.labels.entries.push_back(Numbered(i));
  const std::vector<uint8_t> bytes = Encode(g);
  TestGarden loaded;
  ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), loaded.refs(), "many.syl"), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
  ASSERT_EQ(loaded.labels.count(), kMaxLabels);
  EXPECT_EQ(loaded.labels.entries.front().name, "樹1234");
  EXPECT_EQ(loaded.labels.entries.back().x, kMaxLabels + 1233);
  EXPECT_EQ(loaded.labels.entries.back().file_name, std::to_string(kMaxLabels + 1233) + ".ki");
  EXPECT_EQ(loaded.table->growing_count(), 3);  // the rest of the file read on
  EXPECT_EQ(loaded.canvas.weight.bytes, g.canvas.weight.bytes);
}

// Years of flowers repeat a few names thousands of times: equal texts among
// the newest labels share one string, also once clipped to 259 bytes and
// when read from a file; different texts never do.
TEST(LabelBound, EqualTextsShareOneString) {
  const std::string long_file(300, 'v');  // a mutant's "…_var_var…" file name, clipped
  LabelList list;
  for (int i = 0; i < 3000; ++i)
    list.Add(LabelEntry{i % 3 == 0 ? "アカマツ" : "シラカバ", 0, 0, i, i, i % 2 ? long_file : "a.ki"});
  const std::vector<LabelEntry>& e = list.entries;
  EXPECT_EQ(e[2999].file_name.size(), 259u);
  for (size_t i = 6; i < e.size(); ++i) {
    ASSERT_TRUE(e[i].name.SharesWith(e[i - 3].name)) << i;
    ASSERT_TRUE(e[i].file_name.SharesWith(e[i - 2].file_name)) << i;
    ASSERT_FALSE(e[i].file_name.SharesWith(e[i - 1].file_name)) << i;
  }
  EXPECT_EQ(e[3].name, "アカマツ");
  EXPECT_EQ(e[4].name, "シラカバ");

  RecordingPlatform platform;
  TestGarden g;
  FillGarden(g, 12, 8);
  g.labels = list;
  const std::vector<uint8_t> bytes = Encode(g);
  TestGarden loaded;
  ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), loaded.refs(), "shared.syl"), kSylOk);
  ASSERT_EQ(loaded.labels.count(), 3000);
  EXPECT_TRUE(loaded.labels.entries[2999].file_name.SharesWith(loaded.labels.entries[2997].file_name));
  for (size_t i = 0; i < e.size(); ++i) {
    ASSERT_EQ(loaded.labels.entries[i].name, e[i].name) << i;
    ASSERT_EQ(loaded.labels.entries[i].file_name, e[i].file_name) << i;
  }
}

// Part image records of a tree whose part 0 has an alpha plane of `length`
// bytes (a coded block), spliced into the record the writer made.
class AlphaPlaneTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  Tree tree;
  std::vector<uint8_t> good;
  size_t alpha_at = 0;  // offset of part 0's L field
  size_t after = 0;     // offset just after part 0's alpha block

  void SetUp() override {
    MakeFixtureTree(tree, 1);
    tree.parts[0] = MakePart(5, 4, 10);
    ByteWriter w;
    ASSERT_EQ(WriteTreeRecord(w, tree), 0);
    good = w.bytes();
    KiRecord rec;
    ByteReader in(good);
    ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
    const size_t part0 = 15 + 4 + 260 + 260 + 41 + 4 + 1 + 4 + 4 + 4 * 5 + 4 + 4 + 4 + 4 + 4 + 4 + 4 + 4 + 100 +
                         rec.ops.size() * 40 + 20 + 11 * 4 + 6 * 4;
    alpha_at = part0 + 20 + 48 + 12 + HuffmanBlockSize(rec.parts[0].surface_bits);
    ASSERT_EQ(I32(alpha_at), 20);
    after = alpha_at + 8 + HuffmanBlockSize(I32(alpha_at + 4));
  }
  int32_t I32(size_t at) const {
    int32_t v;
    std::memcpy(&v, good.data() + at, 4);
    return v;
  }
  // The record with part 0's plane replaced by `plane`.
  std::vector<uint8_t> WithPlane(const std::vector<uint8_t>& plane) const {
    std::vector<uint8_t> block;
    const int64_t bits = HuffmanEncode(plane.data(), plane.size(), block);
    EXPECT_GT(bits, 0);
    std::vector<uint8_t> b(good.begin(), good.begin() + ptrdiff_t(alpha_at));
    ByteWriter w;
    w.WriteI32(int32_t(plane.size()));
    w.WriteI32(int32_t(bits));
    b.insert(b.end(), w.bytes().begin(), w.bytes().end());
    b.insert(b.end(), block.begin(), block.end());
    b.insert(b.end(), good.begin() + ptrdiff_t(after), good.end());
    return b;
  }
};

TEST_F(AlphaPlaneTest, ALongerPlaneIsReadWholeAndCutToThePicture) {
  std::vector<uint8_t> plane(20 + 37);
  for (size_t i = 0; i < plane.size(); ++i) plane[i] = uint8_t(i * 11);
  const std::vector<uint8_t> bytes = WithPlane(plane);
  Tree t;
  ByteReader in(bytes);
  ASSERT_EQ(ReadTreeRecord(in, t), kKiOk);
  EXPECT_TRUE(in.at_end());  // the parts after it were read from the right place
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(t.parts[0].alpha.bytes, std::vector<uint8_t>(plane.begin(), plane.begin() + 20));
  EXPECT_EQ(t.parts[0].alpha.width, 5);
  EXPECT_EQ(t.parts[0].alpha.height, 4);
  EXPECT_EQ(t.parts[1].surface.pixels, tree.parts[1].surface.pixels);
  EXPECT_EQ(t.parts[2].alpha.bytes, tree.parts[2].alpha.bytes);
}

TEST_F(AlphaPlaneTest, APlaneWithoutAPictureIsReadAndDropped) {
  // Part 0 without a picture: width 0, height 0, B 0, no block, then a plane.
  std::vector<uint8_t> bytes = WithPlane(std::vector<uint8_t>(30, 200));
  // Cut the picture's block out and zero its size fields.
  KiRecord rec;
  ByteReader probe(good);
  ASSERT_EQ(ParseTreeRecord(probe, rec), kKiOk);
  const size_t block = HuffmanBlockSize(rec.parts[0].surface_bits);
  const size_t fields = alpha_at - block - 12;
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(fields));
  const uint8_t zeros[12] = {};
  cut.insert(cut.end(), zeros, zeros + 12);
  cut.insert(cut.end(), bytes.begin() + ptrdiff_t(alpha_at), bytes.end());
  Tree t;
  ByteReader in(cut);
  ASSERT_EQ(ReadTreeRecord(in, t), kKiOk);
  EXPECT_TRUE(in.at_end());
  EXPECT_TRUE(t.parts[0].surface.empty());
  EXPECT_TRUE(t.parts[0].alpha.bytes.empty());
  EXPECT_EQ(t.parts[1].surface.pixels, tree.parts[1].surface.pixels);
}

TEST_F(AlphaPlaneTest, AShorterPlaneOrOneWithoutCodeBitsIsRefused) {
  std::vector<uint8_t> bytes = WithPlane(std::vector<uint8_t>(19, 7));
  Tree t;
  ByteReader in(bytes);
  EXPECT_EQ(ReadTreeRecord(in, t), kKiDamaged);
  bytes = good;
  std::memset(bytes.data() + alpha_at + 4, 0, 4);  // A = 0 with L = 20
  ByteReader again(bytes);
  EXPECT_EQ(ReadTreeRecord(again, t), kKiDamaged);
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(AlphaPlaneTest, AHugeBrushIsKeptWithoutBeingBuilt) {
  // The pen's brush (mode 1) follows its eleven fields; width and height
  // come first. Found by fuzzing: 1,400 x 2,800 took seconds to rebuild,
  // 512 x 512 a tenth of a second per tree.
  KiRecord rec;
  ByteReader probe(good);
  ASSERT_EQ(ParseTreeRecord(probe, rec), kKiOk);
  const size_t brush = 15 + 4 + 260 + 260 + 41 + 4 + 1 + 4 + 4 + 4 * 5 + 4 * 8 + 100 + rec.ops.size() * 40 + 20 + 11 * 4;
  ASSERT_EQ(I32(brush), tree.pen.brush_params().width);
  const struct {
    int32_t width, height;
    bool built;
  } cases[] = {{1400, 2800, false}, {257, 1, false}, {512, 512, false},
               {256, 256, true},    {256, 2, true},   {-5, 4000000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    std::vector<uint8_t> bytes = good;
    std::memcpy(bytes.data() + brush, &c.width, 4);
    std::memcpy(bytes.data() + brush + 4, &c.height, 4);
    Tree t;
    ByteReader in(bytes);
    SeedRandom(3);
    ASSERT_EQ(ReadTreeRecord(in, t), kKiOk);
    EXPECT_EQ(t.pen.brush_params().width, c.width);
    EXPECT_EQ(t.pen.brush_params().height, c.height);
    EXPECT_EQ(t.pen.brush.cells.empty(), !c.built);
  }
}

class MutationSoundTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  MutationSettings settings;
  void SetUp() override {
    settings.sound = true;
    settings.sound_file = "bell.wav";
    settings.program_folder = "prog";
  }
};

TEST_F(MutationSoundTest, OnTheWorkerTheSoundPlaysToItsEnd) {
  platform.interface_thread = false;
  PlayMutationSound(settings);
  ASSERT_EQ(platform.sound_waits.size(), 1u);
  EXPECT_EQ(platform.sound_waits[0], SoundWait::kToEnd);
  EXPECT_EQ(platform.sounds[0], JoinPath(JoinPath("prog", "sound"), "bell.wav"));
}

TEST_F(MutationSoundTest, OnTheInterfaceThreadItDoesNotWait) {
  platform.interface_thread = true;
  PlayMutationSound(settings);
  ASSERT_EQ(platform.sound_waits.size(), 1u);
  EXPECT_EQ(platform.sound_waits[0], SoundWait::kNo);
  PlayMutationSound(settings, SoundWait::kToEnd);  // the caller's word counts
  EXPECT_EQ(platform.sound_waits.back(), SoundWait::kToEnd);
  settings.sound = false;
  PlayMutationSound(settings);
  EXPECT_EQ(platform.sounds.size(), 2u);
}

}  // namespace
}  // namespace sylvane::testing
