// Canvas files damaged as a whole are refused: one message, and the garden in
// memory (table, canvas, labels, random generator) exactly as it was. A
// damaged tree entry is skipped and the rest of the garden read, with one
// message that counts the skipped trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "canvas/image/image_io.h"
#include "garden_fixtures.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

constexpr size_t kEntriesOffset = 16 + 4 + 100 + 4 + 4 + 16 + 12 + 4;  // the entry count T
constexpr size_t kFirstSlotOffset = kEntriesOffset + 4;

class DamagedCanvasTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TestGarden source;
  TestGarden target;
  std::vector<uint8_t> good;

  void SetUp() override {
    SeedRandom(5);
    FillGarden(source, 24, 16);
    good = Encode(source);
    // The garden that must survive: a different one, with a file of its own.
    FillGarden(target, 9, 7);
    (*target.table)[42].state = 1;
    target.table->SetCount(4);
    target.canvas.has_file = 1;
    target.canvas.file_path = "mine.syl";
    target.labels.Add(LabelEntry{"残る", 0, 0, 1, 2, "残る.ki"});
  }

  // Reads bytes into target and checks the refusal: its result, the one
  // message, and nothing of the garden changed.
  void ExpectRefused(const std::vector<uint8_t>& bytes, int status, const char* text) {
    platform.messages.clear();
    SeedRandom(99);
    if (!before_) before_ = std::make_unique<GardenSnapshot>(Capture(target));
    const GardenSnapshot& before = *before_;
    EXPECT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), target.refs(), "damaged.syl"), status);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, text);
    EXPECT_EQ(platform.messages[0].caption, "エラー");
    ExpectSameGarden(before, Capture(target));
  }

  // Reads bytes into a fresh garden and checks that exactly the trees of
  // `missing` (slots of the source) were skipped and everything else read.
  void ExpectSkipped(const std::vector<uint8_t>& bytes, std::initializer_list<int> missing) {
    platform.messages.clear();
    TestGarden g;
    ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), "skipped.syl"), kSylOk);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "壊れていた樹のデータ" + std::to_string(missing.size()) +
                                             "本を読み飛ばしました。Load_SYL");
    EXPECT_EQ(g.table->growing_count(), 3 - int(missing.size()));
    for (int slot : {0, 3, 99}) {
      SCOPED_TRACE(slot);
      const bool gone = std::find(missing.begin(), missing.end(), slot) != missing.end();
      EXPECT_EQ((*g.table)[slot].state, gone ? 0 : (*source.table)[slot].state);
      if (!gone) {
        EXPECT_EQ((*g.table)[slot].name, (*source.table)[slot].name);
      }
    }
    // The rest of the file: labels and the tree layer.
    EXPECT_EQ(g.labels.count(), source.labels.count());
    EXPECT_EQ(g.canvas.exists, 1);
    EXPECT_EQ(g.canvas.weight.bytes, source.canvas.weight.bytes);
    EXPECT_EQ(g.canvas.trees.pixels, source.canvas.trees.pixels);
  }

  // Offset just after slot k's entry (slot, label state, record).
  size_t EntryEnd(int k) const {
    size_t at = kFirstSlotOffset;
    const int slots[3] = {0, 3, 99};
    for (int i = 0; i <= k; ++i) at += 4 + 1 + RecordBytes((*source.table)[slots[i]]).size();
    return at;
  }
  std::unique_ptr<GardenSnapshot> before_;  // the target as set up (it must never change)
  void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t v) { std::memcpy(bytes.data() + at, &v, 4); }
  int32_t I32At(const std::vector<uint8_t>& bytes, size_t at) {
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }
};

constexpr char kUnsupported[] = "このファイルには対応していません。Load_SYL";

TEST_F(DamagedCanvasTest, TheGoodFileIsAccepted) {
  TestGarden g;
  ASSERT_EQ(ReadCanvasFile(good.data(), good.size(), g.refs(), "x.syl"), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DamagedCanvasTest, TruncatedAnywhereIsRefused) {
  // Every cut up to the end of the labels, then a spread of cuts inside the
  // PNG stream (whose end is what makes it whole).
  const size_t png_start = good.size() - [&] {
    std::vector<uint8_t> png;
    EncodePng(source.canvas.trees, &source.canvas.weight, png, PngPacking::kFast);  // as a save writes it
    return png.size();
  }();
  ASSERT_EQ(good[png_start - 1], 1);
  std::vector<size_t> cuts;
  // Every byte through the header and the start of the first entry, then
  // steps that land in every field of the records and labels.
  for (size_t n = 0; n < png_start; n += (n < kFirstSlotOffset + 48 ? 1 : 97)) cuts.push_back(n);
  for (size_t n = png_start; n < good.size(); n += 61) cuts.push_back(n);
  for (int k = 0; k < 3; ++k) cuts.push_back(EntryEnd(k) - 1);
  cuts.push_back(good.size() - 1);
  for (size_t n : cuts) {
    SCOPED_TRACE(n);
    const std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(n));
    ExpectRefused(cut, kSylUnsupported, kUnsupported);
    if (HasFailure()) return;
  }
}

TEST_F(DamagedCanvasTest, SlotOutsideTheTableIsSkipped) {
  for (int32_t slot : {-1, 100, 1 << 30}) {
    SCOPED_TRACE(slot);
    std::vector<uint8_t> bytes = good;
    PutI32(bytes, EntryEnd(0), slot);  // second entry
    ExpectSkipped(bytes, {3});
  }
}

TEST_F(DamagedCanvasTest, RepeatedSlotIsSkipped) {
  std::vector<uint8_t> bytes = good;
  PutI32(bytes, EntryEnd(1), 3);  // the third entry names slot 3 again
  ExpectSkipped(bytes, {99});
}

TEST_F(DamagedCanvasTest, OneEntryTooManyIsSkipped) {
  // The fourth entry is not there: the rest of the file starts where it would.
  std::vector<uint8_t> bytes = good;
  PutI32(bytes, kEntriesOffset, 4);
  platform.messages.clear();
  TestGarden g;
  ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), "x.syl"), kSylOk);
  EXPECT_EQ(g.table->growing_count(), 3);
  EXPECT_EQ(g.labels.count(), source.labels.count());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "壊れていた樹のデータ1本を読み飛ばしました。Load_SYL");
}

TEST_F(DamagedCanvasTest, ImpossibleEntryCountsAreRefused) {
  for (int32_t count : {-1, 101, INT32_MAX}) {
    SCOPED_TRACE(count);
    std::vector<uint8_t> bytes = good;
    PutI32(bytes, kEntriesOffset, count);
    ExpectRefused(bytes, kSylUnsupported, kUnsupported);
  }
}

TEST_F(DamagedCanvasTest, BrokenTreeRecordIsSkipped) {
  // The second record's magic.
  std::vector<uint8_t> bytes = good;
  bytes[EntryEnd(0) + 5 + 3] ^= 0x20;
  ExpectSkipped(bytes, {3});
  // The second record's op count made far larger than the file.
  bytes = good;
  const size_t record = EntryEnd(0) + 5;
  const size_t op_count_offset = 15 + 4 + 260 + 260 + 41 + 4 + 1 + 4 + 4 + 4 * 5 + 4 + 4 + 4;
  PutI32(bytes, record + op_count_offset, 1000000);
  ExpectSkipped(bytes, {3});
  // The second record's op count one less: its ops end early and the reader
  // runs on into the pen (read as an op), and on from there.
  bytes = good;
  PutI32(bytes, record + op_count_offset, int32_t(I32At(bytes, record + op_count_offset) - 1));
  ExpectSkipped(bytes, {3});
  // The third (last) record of a newer tree-file version: the rest of the
  // file is found after it.
  bytes = good;
  const float newer = 0.3f;
  std::memcpy(bytes.data() + EntryEnd(1) + 5 + 15, &newer, 4);
  ExpectSkipped(bytes, {99});
  // The first and the last records both damaged.
  bytes = good;
  bytes[kFirstSlotOffset + 5] = 'S';
  std::memcpy(bytes.data() + EntryEnd(1) + 5 + 15, &newer, 4);
  ExpectSkipped(bytes, {0, 99});
}

TEST_F(DamagedCanvasTest, DamagedRecordWithoutTreeLayerIsRefused) {
  // Without the PNG stream the rest of the file cannot be told from a cut-off
  // record: the file is refused whole.
  source.canvas.trees.Clear();
  source.canvas.weight.Clear();
  source.canvas.exists = 0;
  std::vector<uint8_t> bytes = Encode(source);
  const float newer = 0.3f;
  std::memcpy(bytes.data() + EntryEnd(1) + 5 + 15, &newer, 4);
  ExpectRefused(bytes, kSylUnsupported, kUnsupported);
}

TEST_F(DamagedCanvasTest, BrokenPngStreamIsRefused) {
  const size_t png_size = [&] {
    std::vector<uint8_t> png;
    EncodePng(source.canvas.trees, &source.canvas.weight, png, PngPacking::kFast);  // as a save writes it
    return png.size();
  }();
  const size_t png_start = good.size() - png_size;
  // A damaged signature, a damaged header and damaged image data.
  for (size_t at : {png_start + 1, png_start + 17, good.size() - 30}) {
    SCOPED_TRACE(at);
    std::vector<uint8_t> bytes = good;
    bytes[at] ^= 0x5A;
    ExpectRefused(bytes, kSylUnsupported, kUnsupported);
  }
  // The present byte says 1 but nothing follows.
  std::vector<uint8_t> bytes(good.begin(), good.begin() + ptrdiff_t(png_start));
  ExpectRefused(bytes, kSylUnsupported, kUnsupported);
  // A present byte the program never writes.
  bytes = good;
  bytes[png_start - 1] = 2;
  ExpectRefused(bytes, kSylUnsupported, kUnsupported);
}

TEST_F(DamagedCanvasTest, ImpossibleLabelCountsAreRefused) {
  const size_t labels = EntryEnd(2) + 1 + 260 + 4 + 1 + 99;
  for (int32_t count : {-1, 100, 1 << 28}) {
    SCOPED_TRACE(count);
    std::vector<uint8_t> bytes = good;
    PutI32(bytes, labels, count);
    ExpectRefused(bytes, kSylUnsupported, kUnsupported);
  }
}

TEST_F(DamagedCanvasTest, ShortHeadersAreRefusedWithTheirOwnMessages) {
  ExpectRefused({}, kSylUnsupported, kUnsupported);
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 15), kSylUnsupported, kUnsupported);
  std::vector<uint8_t> bytes = good;
  bytes[0] = 'S';
  ExpectRefused(bytes, kSylNotSyl, "このファイルはSYLファイルではありません。Load_SYL");
}

}  // namespace
}  // namespace sylvane::testing
