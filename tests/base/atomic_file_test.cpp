// AtomicFile as the sink of an encoder: many small pieces and pieces larger
// than its buffer arrive in the file in order, and nothing of them is in
// place of the target before Commit.
#include <gtest/gtest.h>

#include <vector>

#include "base/file_io.h"
#include "support/recording_platform.h"

namespace sylvane {
namespace {

TEST(AtomicFileSink, SmallAndLargePiecesLandInOrder) {
  testing::TempDir dir;
  const std::string path = dir.File("pieces.bin");
  ASSERT_TRUE(WriteFileAtomically(path, "old", 3));
  std::vector<uint8_t> expected;
  AtomicFile file;
  ASSERT_TRUE(file.Open(path));
  ByteSink& sink = file;
  uint32_t state = 1;
  for (int i = 0; i < 60000; ++i) {
    state = state * 1103515245u + 12345u;
    // Mostly a few bytes, as a PNG encoder's chunk heads; now and then a piece
    // three times the buffer.
    const size_t size = i % 9000 == 0 ? 3 * AtomicFile::kBufferBytes + 7 : 1 + (state >> 16) % 13;
    std::vector<uint8_t> piece(size);
    for (size_t k = 0; k < size; ++k) piece[k] = uint8_t((state >> 8) + k * 31);
    ASSERT_TRUE(sink.Put(piece.data(), piece.size()));
    expected.insert(expected.end(), piece.begin(), piece.end());
  }
  std::vector<uint8_t> before;
  ASSERT_EQ(ReadWholeFile(path, before), ReadFileStatus::kOk);
  EXPECT_EQ(before, (std::vector<uint8_t>{'o', 'l', 'd'}));
  ASSERT_TRUE(file.Commit());
  std::vector<uint8_t> after;
  ASSERT_EQ(ReadWholeFile(path, after), ReadFileStatus::kOk);
  ASSERT_GT(after.size(), 4 * AtomicFile::kBufferBytes);
  EXPECT_TRUE(after == expected) << after.size() << " bytes written, " << expected.size() << " given";
}

}  // namespace
}  // namespace sylvane
