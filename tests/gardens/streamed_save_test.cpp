// Saving a garden straight into its file: the bytes of the streamed save are
// those of the encoded file, no piece handed over is anywhere near the whole
// file, and a sink that refuses bytes stops the save wherever it happens.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "garden_fixtures.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

// Keeps what it is given, and refuses everything from the byte `limit` on.
class RecordingSink : public ByteSink {
 public:
  explicit RecordingSink(size_t limit = SIZE_MAX) : limit_(limit) {}
  bool Put(const void* data, size_t size) override {
    ++puts;
    if (refused) ++puts_after_refusal;
    if (bytes.size() + size > limit_) {
      refused = true;
      return false;
    }
    const uint8_t* b = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), b, b + size);
    largest_piece = std::max(largest_piece, size);
    return true;
  }
  std::vector<uint8_t> bytes;
  size_t largest_piece = 0;
  int puts = 0;
  int puts_after_refusal = 0;
  bool refused = false;

 private:
  size_t limit_;
};

class StreamedSaveTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  TestGarden garden;
  // A garden grown for years: a full canvas of 300 x 200 and 3,000 labels
  // whose file names are as long as a file keeps (a mutant of mutants), some
  // 1.6 MB of label list.
  void SetUp() override {
    SeedRandom(5);
    FillGarden(garden, 300, 200);
    for (int i = 0; i < 3000; ++i) {
      std::string file = "樹" + std::to_string(i);
      while (file.size() < 259) file += "_var";
      garden.labels.Add(LabelEntry{"名" + std::to_string(i), uint8_t(i % 2), uint8_t(i % 3 == 0), i % 300,
                                   (i * 7) % 200, file.substr(0, 259)});
    }
  }
};

TEST_F(StreamedSaveTest, SavedFileIsTheEncodedFileByteForByte) {
  const std::vector<uint8_t> encoded = Encode(garden);
  ASSERT_GT(encoded.size(), size_t(3003) * 532);
  const std::string path = dir.File("long.syl");
  ASSERT_EQ(SaveCanvasFile(garden.refs(), path), kSylSaveOk);
  std::vector<uint8_t> saved;
  ASSERT_EQ(ReadWholeFile(path, saved), ReadFileStatus::kOk);
  EXPECT_TRUE(saved == encoded) << "saved " << saved.size() << " bytes, encoded " << encoded.size();

  // And it reads back whole: every label, the last one's long file name too.
  TestGarden back;
  ASSERT_EQ(OpenCanvasFile(back.refs(), path), 0);
  ASSERT_EQ(back.labels.count(), 3003);
  EXPECT_EQ(back.labels.entries.back().file_name, garden.labels.entries.back().file_name);
  EXPECT_EQ(back.labels.entries[1500].x, garden.labels.entries[1500].x);
}

TEST_F(StreamedSaveTest, NoPieceComesNearTheWholeFile) {
  RecordingSink sink;
  ASSERT_TRUE(StreamCanvasFile(garden.refs(), kSylVersion, sink));
  EXPECT_TRUE(sink.bytes == Encode(garden));
  // The label list alone is 1.6 MB: it goes over in pieces of tens of kilobytes.
  EXPECT_LE(sink.largest_piece, size_t(100) * 1024);
  EXPECT_GE(sink.puts, 25);
}

TEST_F(StreamedSaveTest, ARefusedPieceStopsTheSaveInEveryPart) {
  const size_t size = Encode(garden).size();
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(garden.canvas.trees, &garden.canvas.weight, png, PngPacking::kFast));
  const size_t png_at = size - png.size();
  // In the fixed fields, in the label list, at the tree-layer byte, inside
  // the PNG stream (libpng's error path), at its last bytes.
  for (size_t limit : {size_t(10), size / 2, png_at - 1, png_at + png.size() / 2, size - 1}) {
    RecordingSink sink(limit);
    EXPECT_FALSE(StreamCanvasFile(garden.refs(), kSylVersion, sink)) << limit;
    EXPECT_TRUE(sink.refused) << limit;
    EXPECT_EQ(sink.puts_after_refusal, 0) << limit;
    EXPECT_LE(sink.bytes.size(), limit);
  }
}

TEST_F(StreamedSaveTest, ALayerThatCannotBeEncodedFailsAfterTheLabelsAndLeavesNoFile) {
  garden.canvas.weight.CreateFilled(2, 2, 0);
  std::vector<uint8_t> out{1, 2, 3};
  EXPECT_FALSE(EncodeCanvasFile(garden.refs(), out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(SaveCanvasFile(garden.refs(), dir.File("bad.syl")), kSylWriteFailed);
  EXPECT_TRUE(fs::is_empty(dir.path())) << "no file and no temporary file";
}

}  // namespace
}  // namespace sylvane::testing
