#include "canvas/canvas_file.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

constexpr char kCaptionError[] = "エラー";
constexpr char kUnsupportedText[] = "このファイルには対応していません。Load_SYL";
constexpr char kNotSylText[] = "このファイルはSYLファイルではありません。Load_SYL";
constexpr char kNewerText[] = "このSYLファイルを読み込むには、本体のバージョンアップが必要です。Load_SYL";
constexpr char kOpenFailedText[] = "ファイルのオープンに失敗しました。SaveKi";
constexpr char kSortOpenFailedText[] = "ファイルのオープンに失敗しました。Load_KI_SYL";
constexpr char kSortUnsupportedText[] = "このファイルには対応していません。Load_KI_SYL";
// A file whose tree entries were partly damaged: the rest was read.
constexpr char kSkippedTreesFormat[] = "壊れていた樹のデータ%d本を読み飛ばしました。Load_SYL";
// File name of labels read from files that did not store one, and of trees
// read from tree records that did not.
constexpr char kUnknownFileName[] = "ファイル名不明";

constexpr size_t kReservedAfterVersion = 100;
constexpr size_t kReservedAfterBackground = 99;
constexpr size_t kTextBytes = 260;
constexpr size_t kLabelBytesOld = 272;  // versions 0.1 up to 0.2: no file name
constexpr size_t kLabelBytes = 532;
constexpr size_t kSystemTimeBytes = 16;

bool HasLabelStateBytes(float version) { return double(version) >= 0.1; }
bool HasOldLabels(float version) { return double(version) >= 0.1; }
bool HasFullLabels(float version) { return double(version) >= 0.2; }

bool Living(const Tree& tree) { return tree.state == 1 || tree.state == 2; }

// ---- writing ----

void WriteZeros(ByteWriter& out, size_t n) {
  for (size_t i = 0; i < n; ++i) out.WriteU8(0);
}

// SYSTEMTIME as stored in memory: eight 16-bit fields.
void WriteSystemTime(ByteWriter& out, const LocalTime& t) {
  for (int v : {t.year, t.month, t.day_of_week, t.day, t.hour, t.minute, t.second, t.milliseconds})
    out.WriteU16(uint16_t(v));
}

// Gathers the fixed-width fields in one small buffer and hands them to the
// sink whenever kPieceBytes or more have come together, so that the tree
// entries and the label list (up to kMaxLabels entries of 532 bytes) are never
// held in memory whole.
constexpr size_t kPieceBytes = size_t(1) << 16;

class PieceWriter {
 public:
  explicit PieceWriter(ByteSink& sink) : sink_(sink) { out_.bytes().reserve(kPieceBytes + kLabelBytes); }
  ByteWriter& out() { return out_; }
  // Hands the gathered bytes over once there are enough of them.
  bool MaybeFlush() { return out_.size() < kPieceBytes || Flush(); }
  bool Flush() {
    const bool ok = out_.size() == 0 || sink_.Put(out_.bytes().data(), out_.size());
    out_.Clear();
    return ok;
  }

 private:
  ByteSink& sink_;
  ByteWriter out_;
};

bool WriteLabels(PieceWriter& w, const LabelList& labels, bool with_file_names) {
  ByteWriter& out = w.out();
  out.WriteI32(labels.count());
  out.WriteI32(labels.text_colour);
  out.WriteI32(labels.font_height);
  out.WriteU8(labels.display_mode);
  for (const LabelEntry& e : labels.entries) {
    out.WriteCharBuffer(e.name, kTextBytes);
    out.WriteU8(e.kind);
    out.WriteU8(e.mutant);
    WriteZeros(out, 2);
    out.WriteI32(e.x);
    out.WriteI32(e.y);
    if (with_file_names) out.WriteCharBuffer(e.file_name, kTextBytes);
    if (!w.MaybeFlush()) return false;
  }
  return true;
}

// Writes a temporary file beside path that replaces it once the whole garden
// went in. `which` names the operation in the messages ("SaveKi3", "SaveKi2").
int WriteGardenFile(const GardenRefs& g, const std::string& path, const char* which) {
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage(std::string("ファイルのオープンに失敗しました。") + which, kCaptionError);
    return kSylCannotOpen;
  }
  if (!StreamCanvasFile(g, kSylVersion, file) || !file.Commit()) {
    file.Abandon();
    ShowMessage(std::string("ファイルの書き込みに失敗しました。") + which, kCaptionError);
    return kSylWriteFailed;
  }
  return kSylSaveOk;
}

// ---- reading ----

bool ReadSystemTime(ByteReader& in, LocalTime& t) {
  uint16_t v[8];
  for (uint16_t& x : v)
    if (!in.ReadU16(x)) return false;
  t.year = v[0];
  t.month = v[1];
  t.day_of_week = v[2];
  t.day = v[3];
  t.hour = v[4];
  t.minute = v[5];
  t.second = v[6];
  t.milliseconds = v[7];
  return true;
}

bool ReadLabels(ByteReader& in, bool with_file_names, LabelList& labels) {
  int32_t count = 0;
  if (!(in.ReadI32(count) && in.ReadI32(labels.text_colour) && in.ReadI32(labels.font_height) &&
        in.ReadU8(labels.display_mode)))
    return false;
  const size_t entry_bytes = with_file_names ? kLabelBytes : kLabelBytesOld;
  if (count < 0 || uint64_t(count) * entry_bytes > in.remaining()) return false;
  // The list keeps the newest kMaxLabels: older entries are passed over.
  const int32_t first_kept = count > kMaxLabels ? count - kMaxLabels : 0;
  if (!in.Skip(size_t(first_kept) * entry_bytes)) return false;
  labels.entries.clear();
  labels.entries.reserve(size_t(count - first_kept));
  for (int32_t i = first_kept; i < count; ++i) {
    LabelEntry e;
    std::string name;
    std::string file_name = kUnknownFileName;
    if (!(in.ReadCharBuffer(kTextBytes, name) && in.ReadU8(e.kind) && in.ReadU8(e.mutant) && in.Skip(2) &&
          in.ReadI32(e.x) && in.ReadI32(e.y)))
      return false;
    if (with_file_names && !in.ReadCharBuffer(kTextBytes, file_name)) return false;
    e.name = std::move(name);
    e.file_name = std::move(file_name);
    labels.Add(e);
  }
  return true;
}

// ---- finding the way past a damaged tree entry ----

// Bytes from the start of the background fields (row 11) to the label list.
constexpr size_t kBackgroundBytes = 1 + kTextBytes + 4 + 1 + kReservedAfterBackground;
constexpr size_t kLabelHeaderBytes = 4 + 4 + 4 + 1;
constexpr uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

int32_t PeekI32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Whether the rest of a canvas file (rows 11 to 18) can start at `at`: a
// background-used byte of 0 or 1, a label list that fits with a display mode
// 0..2, and a tree-layer byte 1 right before a PNG signature. Cheap: no field
// is parsed beyond these. A rest without a tree layer is never looked for:
// zeros followed by the end of the file, as a cut-off record often is, would
// pass for one.
bool TailStartsAt(const uint8_t* data, size_t size, size_t at, float version) {
  if (at >= size || data[at] > 1) return false;
  uint64_t end = uint64_t(at) + kBackgroundBytes;
  if (HasOldLabels(version)) {
    if (end + kLabelHeaderBytes > size) return false;
    const int32_t count = PeekI32(data + end);
    if (count < 0 || data[end + kLabelHeaderBytes - 1] > kLabelsFileNames) return false;
    end += kLabelHeaderBytes + uint64_t(count) * (HasFullLabels(version) ? kLabelBytes : kLabelBytesOld);
  }
  return end + 1 + sizeof kPngSignature <= size && data[end] == 1 &&
         std::memcmp(data + end + 1, kPngSignature, sizeof kPngSignature) == 0;
}

// Whether a tree entry can start at `at`: a slot index 0..99 and, after the
// label-state byte, the tree record's magic.
bool EntryStartsAt(const uint8_t* data, size_t size, size_t at, float version) {
  const size_t magic_at = at + 4 + (HasLabelStateBytes(version) ? 1 : 0);
  if (magic_at + kKiMagicBytes > size) return false;
  const int32_t slot = PeekI32(data + at);
  return slot >= 0 && slot < TreeTable::kSlots && std::memcmp(data + magic_at, kKiMagic, kKiMagicBytes) == 0;
}

// Where the file goes on after a damaged entry that started at `from`: the
// first place where the next entry (when more are due) or the rest of the
// file can start. Tree records carry no length, so this is a search; the
// first place is taken because the bytes of a label list can look like the
// start of a shorter one. The rest may start at `from` itself (an entry count
// one too high). Returns false when neither is found (the file is damaged as
// a whole).
bool FindNextPart(const uint8_t* data, size_t size, size_t from, float version, bool entries_due, size_t& at,
                  bool& is_tail) {
  for (size_t q = from; q < size; ++q) {
    if (entries_due && q > from && EntryStartsAt(data, size, q, version)) {
      at = q;
      is_tail = false;
      return true;
    }
    if (TailStartsAt(data, size, q, version)) {
      at = q;
      is_tail = true;
      return true;
    }
  }
  return false;
}

enum class EntryRead { kGood, kBadSlot, kBroken };

// One tree entry. kBadSlot: a slot outside the table or taken already, with
// a record that reads (the reader stands after it); kBroken: the record (or
// the entry's head) cannot be read.
EntryRead ReadEntry(ByteReader& in, float version, bool* taken, ParsedEntry& e) {
  if (!in.ReadI32(e.slot)) return EntryRead::kBroken;
  if (HasLabelStateBytes(version) && !in.ReadU8(e.label_state)) return EntryRead::kBroken;
  if (ParseTreeRecord(in, e.record) != kKiOk) return EntryRead::kBroken;
  if (e.slot < 0 || e.slot >= TreeTable::kSlots || taken[e.slot]) return EntryRead::kBadSlot;
  taken[e.slot] = true;
  return EntryRead::kGood;
}

}  // namespace

// Parses the whole file. No messages, no draws, nothing of the garden touched.
int ParseCanvas(ByteReader& in, ParsedCanvas& p) {
  char magic[kSylMagicBytes];
  if (!in.ReadBytes(magic, kSylMagicBytes)) return kSylUnsupported;
  if (std::memcmp(magic, kSylMagic, kSylMagicBytes - 1) != 0) return kSylNotSyl;
  if (!in.ReadF32(p.version)) return kSylUnsupported;
  if (p.version > kSylVersion) return kSylNewer;
  int32_t entries = 0;
  if (!(in.Skip(kReservedAfterVersion) && in.ReadI32(p.countdown) && in.ReadI32(p.interval) &&
        ReadSystemTime(in, p.last_update) && in.ReadI32(p.hours) && in.ReadI32(p.minutes) &&
        in.ReadI32(p.seconds) && in.ReadI32(p.tree_count) && in.ReadI32(entries)))
    return kSylUnsupported;
  // At most one entry per slot of the table.
  if (entries < 0 || entries > TreeTable::kSlots) return kSylUnsupported;
  bool taken[TreeTable::kSlots] = {};
  p.entries.reserve(size_t(entries));
  p.skipped_entries = 0;
  const uint8_t* data = in.current() - in.position();
  const size_t size = in.position() + in.remaining();
  for (int32_t index = 0; index < entries; ++index) {
    const size_t start = in.position();
    ParsedEntry e;
    const EntryRead read = ReadEntry(in, p.version, taken, e);
    if (read == EntryRead::kGood) {
      p.entries.push_back(std::move(e));
      continue;
    }
    // A damaged entry is skipped and the rest of the garden read.
    ++p.skipped_entries;
    if (read == EntryRead::kBadSlot) continue;
    size_t next = 0;
    bool tail = false;
    if (!FindNextPart(data, size, start, p.version, index + 1 < entries, next, tail)) return kSylUnsupported;
    in.Seek(next);
    if (tail) {
      // The entries still due were lost with the damaged one.
      p.skipped_entries += entries - index - 1;
      break;
    }
  }
  if (!(in.ReadU8(p.background_used) && in.ReadCharBuffer(kTextBytes, p.background_path) &&
        in.ReadU32(p.colour) && in.ReadU8(p.fit) && in.Skip(kReservedAfterBackground)))
    return kSylUnsupported;
  if (HasOldLabels(p.version)) {
    p.has_labels = true;
    if (!ReadLabels(in, HasFullLabels(p.version), p.labels)) return kSylUnsupported;
  }
  uint8_t present = 0;
  // The program writes 0 or 1; anything else is damage.
  if (!in.ReadU8(present) || present > 1) return kSylUnsupported;
  p.has_layer = present == 1;
  if (p.has_layer) {
    if (DecodePng(in.current(), in.remaining(), p.trees, &p.weight, false) != kPngOk) return kSylUnsupported;
    if (p.trees.width < 1 || p.weight.width != p.trees.width || p.weight.height != p.trees.height)
      return kSylUnsupported;
    p.trees.RefreshHeaders();
    p.trees.path.clear();
  }
  return kSylOk;
}

namespace {

void ShowReadMessage(int status) {
  switch (status) {
    case kSylNotSyl:
      ShowMessage(kNotSylText, kCaptionError);
      break;
    case kSylNewer:
      ShowMessage(kNewerText, kCaptionError);
      break;
    default:
      ShowMessage(kUnsupportedText, kCaptionError);
      break;
  }
}

// Replaces the garden by the parsed file. Trees are read into their slots in
// file order, each with the tree reader's load-time draws.
void TakeOver(ParsedCanvas& p, const Surface& picture, const GardenRefs& g, const std::string& path) {
  TreeTable& table = g.table;
  table.ClearAll();
  const bool label_bytes = HasLabelStateBytes(p.version);
  for (ParsedEntry& e : p.entries) {
    Tree& tree = table[e.slot];
    KiRecord& rec = e.record;
    // A record without a file name must not inherit the slot's previous tree's.
    if (!rec.has_file_name) {
      rec.file_name = kUnknownFileName;
      rec.has_file_name = true;
    }
    ApplyTreeRecord(rec, tree);
    // Files without label state bytes start each tree's label afresh instead
    // of keeping the previous occupant's state.
    tree.label_state = label_bytes ? e.label_state : (tree.HasFlower() ? 0 : 2);
  }
  int living = 0;
  for (int i = 0; i < TreeTable::kSlots; ++i)
    if (Living(table[i])) ++living;
  table.SetCount(living);

  LabelList& labels = g.labels;
  if (p.has_labels) {
    labels.entries = std::move(p.labels.entries);
    labels.text_colour = p.labels.text_colour;
    labels.font_height = p.labels.font_height;
    labels.display_mode = p.labels.display_mode;
  } else {
    // Files older than the label list: no labels belong to these trees.
    labels.Clear();
  }

  Canvas& canvas = g.canvas;
  canvas.remaining_minutes = p.countdown;
  canvas.update_interval = p.interval;
  canvas.last_daily_update = p.last_update;
  canvas.elapsed_hours = p.hours;
  canvas.elapsed_minutes = p.minutes;
  canvas.elapsed_seconds = p.seconds;
  canvas.background_colour = p.colour;
  canvas.background_kind = p.background_used ? uint8_t(kBackgroundPicture) : uint8_t(kBackgroundColour);
  canvas.background_path = p.background_path;
  canvas.stretch = p.fit;
  if (p.has_layer) {
    canvas.trees = std::move(p.trees);
    canvas.weight = std::move(p.weight);
    canvas.exists = 1;
    ChangeBackground(canvas, canvas.trees.width, canvas.trees.height, p.colour, canvas.background_kind, picture,
                     p.interval, p.fit != 0);
  } else {
    // No tree layer: no canvas, and no stale layers that a later save would
    // write back as if it had one.
    canvas.trees.Clear();
    canvas.weight.Clear();
    canvas.background.Clear();
    canvas.exists = 0;
  }
  canvas.has_file = 1;
  canvas.file_path = path;
}

}  // namespace

bool StreamCanvasFile(const GardenRefs& g, float version, ByteSink& sink) {
  const Canvas& canvas = g.canvas;
  const TreeTable& table = g.table;
  const bool layer = canvas.trees.width >= 1;
  PieceWriter w(sink);
  ByteWriter& out = w.out();
  out.WriteBytes(kSylMagic, kSylMagicBytes);
  out.WriteF32(version);
  WriteZeros(out, kReservedAfterVersion);
  out.WriteI32(canvas.remaining_minutes);
  out.WriteI32(canvas.update_interval);
  WriteSystemTime(out, canvas.last_daily_update);
  out.WriteI32(canvas.elapsed_hours);
  out.WriteI32(canvas.elapsed_minutes);
  out.WriteI32(canvas.elapsed_seconds);
  out.WriteI32(table.growing_count());
  int32_t living = 0;
  for (int i = 0; i < TreeTable::kSlots; ++i)
    if (Living(table[i])) ++living;
  out.WriteI32(living);
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    const Tree& tree = table[i];
    if (!Living(tree)) continue;
    out.WriteI32(i);
    if (HasLabelStateBytes(version)) out.WriteU8(tree.label_state);
    if (WriteTreeRecordAs(out, tree, version) != 0 || !w.MaybeFlush()) return false;
  }
  out.WriteU8(canvas.background_kind == kBackgroundPicture ? 1 : 0);
  out.WriteCharBuffer(canvas.background_path, kTextBytes);
  out.WriteU32(canvas.background_colour);
  out.WriteU8(canvas.stretch);
  WriteZeros(out, kReservedAfterBackground);
  if (HasOldLabels(version) && !WriteLabels(w, g.labels, HasFullLabels(version))) return false;
  out.WriteU8(layer ? 1 : 0);
  if (!w.Flush()) return false;
  return !layer || StreamPng(canvas.trees, &canvas.weight, PngPacking::kFast, sink);
}

bool EncodeCanvasFileAs(const GardenRefs& garden, float version, std::vector<uint8_t>& out) {
  out.clear();
  VectorSink sink(out);
  if (StreamCanvasFile(garden, version, sink)) return true;
  out.clear();
  return false;
}

bool EncodeCanvasFile(const GardenRefs& garden, std::vector<uint8_t>& out) {
  return EncodeCanvasFileAs(garden, kSylVersion, out);
}

int SaveCanvasFile(const GardenRefs& garden, const std::string& path) {
  const int status = WriteGardenFile(garden, path, "SaveKi3");
  if (status != kSylSaveOk) return status;
  garden.canvas.file_path = path;
  garden.canvas.has_file = 1;
  return kSylSaveOk;
}

int SaveDefaultCanvasFile(const GardenRefs& garden, const std::string& program_folder) {
  return WriteGardenFile(garden, JoinPath(program_folder, kDefaultCanvasFileName), "SaveKi2");
}

int ReadCanvasFile(const uint8_t* data, size_t size, const GardenRefs& garden, const std::string& path) {
  ByteReader in(data, size);
  ParsedCanvas parsed;
  const int status = ParseCanvas(in, parsed);
  if (status != kSylOk) {
    ShowReadMessage(status);
    return status;
  }
  if (parsed.skipped_entries > 0) {
    char text[200];
    std::snprintf(text, sizeof text, kSkippedTreesFormat, parsed.skipped_entries);
    ShowMessage(text, kCaptionError);
  }
  Surface picture;
  if (parsed.background_used) {
    if (LoadImage(parsed.background_path, picture, true) != 0) {
      ShowMessage(parsed.background_path, kCaptionError);
      parsed.background_used = 0;
      picture.Clear();
    }
  }
  TakeOver(parsed, picture, garden, path);
  return kSylOk;
}

int OpenCanvasFile(const GardenRefs& garden, const std::string& path) {
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(path, bytes)) {
    case ReadFileStatus::kOk:
      break;
    case ReadFileStatus::kTooLarge:
      ShowMessage(kUnsupportedText, kCaptionError);
      return -1;
    default:
      ShowMessage(kOpenFailedText, kCaptionError);
      return -1;
  }
  return ReadCanvasFile(bytes.data(), bytes.size(), garden, path) == kSylOk ? 0 : -1;
}

int SortTreeOrCanvasFile(const GardenRefs& garden, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    ShowMessage(kSortOpenFailedText, kCaptionError);
    return kSortFailed;
  }
  char head[kSylMagicBytes];
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (got < sizeof head) {
    ShowMessage(kSortUnsupportedText, kCaptionError);
    return kSortFailed;
  }
  if (std::memcmp(head, kSylMagic, kSylMagicBytes - 1) == 0)
    return OpenCanvasFile(garden, path) == 0 ? kSortCanvasOpened : kSortCanvasRefused;
  if (std::memcmp(head, kKiMagic, kKiMagicBytes - 1) == 0) return kSortTreeFile;
  ShowMessage(kSortUnsupportedText, kCaptionError);
  return kSortFailed;
}

int ExportCanvasPicture(const Surface& lit, const std::string& path, CanvasPictureType type) {
  switch (type) {
    case CanvasPictureType::kJpeg:
      return WriteJpeg(path, lit, kCanvasExportJpegQuality) == 0 ? 0 : -1;
    case CanvasPictureType::kBmp:
      return WriteBmp(path, lit) == 0 ? 0 : -1;
    case CanvasPictureType::kPng:
      return WritePng(path, lit, nullptr) == 0 ? 0 : -1;
  }
  return -1;
}

int ExportLitCanvas(const Canvas& canvas, const std::string& path, CanvasPictureType type) {
  Surface lit;
  RenderCanvas(canvas, lit);
  if (lit.empty()) return -1;
  return ExportCanvasPicture(lit, path, type);
}

}  // namespace sylvane
