// The seed corpus of the canvas-file fuzz target: small gardens of every
// layout and damaged files. The files in tests/fuzz/corpus/canvasfile are
// checked here ("ok_*" must read, "skip_*" must read without one damaged tree,
// "bad_*" must be refused); set
// SYLVANE_WRITE_CANVAS_CORPUS to a folder to write the seeds there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "base/file_io.h"
#include "garden_fixtures.h"
#include "platform/text.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

// A four-op tree with one small part image, so that the records stay small.
void MakeSmallTree(Tree& t, int pen_mode, int x, int y) {
  t.InitDefault("小さな樹", "small.ki", 0, 0, x, y, 90);
  t.AppendBranch(0, 0, 0, 1);
  t.AppendBranch(0, 5, 0, 2);
  t.AppendPart(kOpFlower, 20, 3, 1, 0, -20);
  t.AppendPart(kOpLeaf, -30, 2, 1, 0, 40);
  t.pen.mode = pen_mode;
  for (PartImage& p : t.parts) p = PartImage();
  t.parts[0] = MakePart(3, 2, 10);
  t.state = 1;
  t.label_state = 0;
}

void MakeSmallGarden(TestGarden& g, int trees) {
  FillCanvas(g.canvas, 12, 8);
  for (int i = 0; i < trees; ++i) MakeSmallTree((*g.table)[i * 7], i % 2 == 0 ? 1 : 0, 3 + i, 4);
  g.table->SetCount(trees);
  g.labels.Clear();
  g.labels.Add(LabelEntry{"小さな樹", 0, 0, 3, 4, "small.ki"});
}

std::map<std::string, std::vector<uint8_t>> Seeds() {
  std::map<std::string, std::vector<uint8_t>> seeds;
  SeedRandom(1);
  TestGarden g;
  MakeSmallGarden(g, 2);
  const std::vector<uint8_t> current = Encode(g);
  seeds["ok_v0.2.syl"] = current;
  seeds["ok_v0.15.syl"] = Encode(g, 0.15f);
  seeds["ok_v0.05.syl"] = Encode(g, 0.05f);
  TestGarden bare;
  seeds["ok_no_layer.syl"] = Encode(bare);
  TestGarden no_trees;
  MakeSmallGarden(no_trees, 0);
  seeds["ok_no_trees.syl"] = Encode(no_trees);

  const size_t first_slot = 16 + 4 + 100 + 4 + 4 + 16 + 12 + 4 + 4;
  std::vector<uint8_t> bytes = current;
  bytes.resize(bytes.size() / 2);
  seeds["bad_truncated.syl"] = bytes;
  bytes = current;
  const int32_t outside = 100;
  std::memcpy(bytes.data() + first_slot, &outside, 4);
  seeds["skip_slot.syl"] = bytes;
  // Both entries name slot 0.
  bytes = current;
  ByteWriter w;
  WriteTreeRecord(w, (*g.table)[0]);
  std::memset(bytes.data() + first_slot + 5 + w.bytes().size(), 0, 4);
  seeds["skip_repeated_slot.syl"] = bytes;
  // The first tree record's magic damaged.
  bytes = current;
  bytes[first_slot + 5 + 2] ^= 0x40;
  seeds["skip_record.syl"] = bytes;
  bytes = current;
  bytes[bytes.size() - 20] ^= 0x55;
  seeds["bad_png.syl"] = bytes;
  return seeds;
}

TEST(CanvasCorpus, SeedsReadAsTheirNamesSay) {
  RecordingPlatform platform;
  const auto seeds = Seeds();
  size_t total = 0;
  for (const auto& [name, bytes] : seeds) {
    SCOPED_TRACE(name);
    TestGarden g;
    const int status = ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), name);
    if (name.rfind("ok_", 0) == 0) {
      EXPECT_EQ(status, kSylOk);
    } else if (name.rfind("skip_", 0) == 0) {
      EXPECT_EQ(status, kSylOk);
      EXPECT_EQ(g.table->growing_count(), 1);
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages.back().text, "壊れていた樹のデータ1本を読み飛ばしました。Load_SYL");
    } else {
      EXPECT_EQ(status, kSylUnsupported);
    }
    platform.messages.clear();
    total += bytes.size();
  }
  EXPECT_LT(total, 100000u);
  if (const char* out = std::getenv("SYLVANE_WRITE_CANVAS_CORPUS")) {
    for (const auto& [name, bytes] : seeds) ASSERT_TRUE(WriteFileAtomically(JoinPath(out, name), bytes));
  }
}

TEST(CanvasCorpus, StoredCorpusReadsAsItsNamesSay) {
  RecordingPlatform platform;
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(SYLVANE_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "canvasfile";
  int checked = 0;
  uintmax_t total = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(entry.path().string(), bytes), ReadFileStatus::kOk);
    total += bytes.size();
    TestGarden g;
    const int status = ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), name);
    if (name.rfind("ok_", 0) == 0) {
      EXPECT_EQ(status, kSylOk);
    } else if (name.rfind("skip_", 0) == 0) {
      EXPECT_EQ(status, kSylOk);
      EXPECT_EQ(g.table->growing_count(), 1);
    } else if (name.rfind("bad_", 0) == 0) {
      EXPECT_NE(status, kSylOk);
    }
    ++checked;
  }
  EXPECT_GE(checked, 10);
  EXPECT_LT(total, 100000u);
}

}  // namespace
}  // namespace sylvane::testing
