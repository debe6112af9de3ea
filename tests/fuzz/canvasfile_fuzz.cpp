// Fuzz target for the canvas-file reader: any bytes must be refused cleanly
// (one message, nothing of the garden changed, no random draws) or read into
// a consistent garden (damaged tree entries skipped and counted in one
// message) that saves and reads back again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/random.h"
#include "canvas/canvas_file.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "support/recording_platform.h"
#include "trees/tree.h"

namespace {

using sylvane::fuzz::Check;

using namespace sylvane;

int Living(const TreeTable& table) {
  int n = 0;
  for (int i = 0; i < TreeTable::kSlots; ++i) n += table[i].state == 1 || table[i].state == 2;
  return n;
}

void CheckConsistent(const Garden& g) {
  Check(g.table.growing_count() == Living(g.table));
  const Canvas& c = g.canvas;
  if (c.exists) {
    Check(c.trees.width > 0 && c.trees.height > 0);
    Check(c.weight.width == c.trees.width && c.weight.height == c.trees.height);
    Check(c.background.width == c.trees.width && c.background.height == c.trees.height);
  } else {
    Check(c.trees.empty() && c.weight.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::RecordingPlatform* platform = new testing::RecordingPlatform();
  static Garden* garden = new Garden();
  static Garden* again = new Garden();
  platform->messages.clear();
  SeedRandom(uint32_t(size));

  const uint32_t random_before = RandomState();
  const int count_before = garden->table.growing_count();
  const uint8_t exists_before = garden->canvas.exists;
  const int32_t labels_before = garden->labels.count();
  const int32_t width_before = garden->canvas.trees.width;
  const std::string path_before = garden->canvas.file_path;

  const int status = ReadCanvasFile(data, size, garden->refs(), "fuzz.syl");
  if (status != kSylOk) {
    Check(status == kSylUnsupported || status == kSylNotSyl || status == kSylNewer);
    Check(platform->messages.size() == 1);
    Check(RandomState() == random_before);
    Check(garden->table.growing_count() == count_before);
    Check(garden->canvas.exists == exists_before);
    Check(garden->labels.count() == labels_before);
    Check(garden->canvas.trees.width == width_before);
    Check(garden->canvas.file_path == path_before);
    return 0;
  }
  Check(garden->canvas.file_path == "fuzz.syl" && garden->canvas.has_file == 1);
  CheckConsistent(*garden);
  // Skipped tree entries are told in one message first; a background picture
  // that cannot be loaded adds its path (after the picture reader's own
  // message, if any). The parse alone says how many were skipped.
  ByteReader in(data, size);
  ParsedCanvas parsed;
  Check(ParseCanvas(in, parsed) == kSylOk);
  Check(platform->messages.size() <= 3);
  Check(parsed.entries.size() + size_t(parsed.skipped_entries) <= size_t(TreeTable::kSlots));
  if (parsed.skipped_entries > 0) {
    Check(!platform->messages.empty());
    Check(platform->messages[0].text == "壊れていた樹のデータ" + std::to_string(parsed.skipped_entries) +
                                            "本を読み飛ばしました。Load_SYL");
  } else {
    Check(platform->messages.size() <= 2);
  }
  Check(garden->table.growing_count() <= int(parsed.entries.size()));
  Check(garden->labels.count() <= kMaxLabels);

  // What was read saves and reads back with the same trees and layers.
  std::vector<uint8_t> bytes;
  Check(EncodeCanvasFile(garden->refs(), bytes));
  platform->messages.clear();
  Check(ReadCanvasFile(bytes.data(), bytes.size(), again->refs(), "again.syl") == kSylOk);
  CheckConsistent(*again);
  Check(again->table.growing_count() == garden->table.growing_count());
  Check(again->labels.count() == garden->labels.count());
  Check(again->canvas.exists == garden->canvas.exists);
  Check(again->canvas.trees.pixels.size() == garden->canvas.trees.pixels.size());
  Check(again->canvas.weight.bytes == garden->canvas.weight.bytes);
  return 0;
}
