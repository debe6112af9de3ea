// Fuzz target for tree records: any bytes must be refused cleanly or read;
// every record that is read must write back into a record that reads again
// with the same fields. The Huffman decoder is also fed the raw bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/bytes.h"
#include "base/random.h"
#include "support/recording_platform.h"
#include "trees/huffman.h"
#include "trees/ki_file.h"

namespace {

using sylvane::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sylvane;
  static testing::RecordingPlatform* platform = new testing::RecordingPlatform();
  platform->messages.clear();
  SeedRandom(uint32_t(size));

  // Raw Huffman decoding: B taken from the first bytes, output of bounded size.
  if (size >= 4) {
    int32_t bits = int32_t(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16);
    std::vector<uint8_t> out(size_t(data[3]) * 64);
    HuffmanDecode(data + 4, size - 4, bits, out.data(), out.size());
  }

  ByteReader in(data, size);
  static Tree* tree = new Tree();
  const int status = ReadTreeRecord(in, *tree);
  Check(status == kKiOk ? platform->messages.empty() : platform->messages.size() == 1);
  if (status != kKiOk) return 0;
  Check(ValidateGrowthProgram(*tree));

  ByteWriter out;
  if (WriteTreeRecord(out, *tree) != 0) return 0;  // too large to code: refused by the writer
  ByteReader again(out.bytes());
  KiRecord rec;
  Check(ParseTreeRecord(again, rec) == kKiOk && again.at_end());
  Check(rec.name == tree->name && rec.file_name == tree->file_name && rec.ops.size() == tree->ops.size());
  for (size_t i = 0; i < rec.ops.size(); ++i) Check(rec.ops[i].length == tree->ops[i].length);
  for (int i = 0; i < rec.part_count; ++i) {
    Check(rec.parts[size_t(i)].image.surface.pixels == tree->parts[size_t(i)].surface.pixels);
    Check(rec.parts[size_t(i)].image.alpha.bytes == tree->parts[size_t(i)].alpha.bytes);
  }
  return 0;
}
