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

void WriteLabels(ByteWriter& out, const LabelList& labels, bool with_file_names) {
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
  }
}

// Everything up to and including the tree-layer-present byte; the PNG stream
// of the tree layer goes to `png` (empty when the canvas has no tree layer).
bool EncodeParts(const GardenRefs& g, float version, ByteWriter& out, std::vector<uint8_t>& png) {
  const Canvas& canvas = g.canvas;
  const TreeTable& table = g.table;
  png.clear();
  const bool layer = canvas.trees.width >= 1;
  if (layer && !EncodePng(canvas.trees, &canvas.weight, png, PngPacking::kFast)) return false;

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
    if (WriteTreeRecordAs(out, tree, version) != 0) return false;
  }
  out.WriteU8(canvas.background_kind == kBackgroundPicture ? 1 : 0);
  out.WriteCharBuffer(canvas.background_path, kTextBytes);
  out.WriteU32(canvas.background_colour);
  out.WriteU8(canvas.stretch);
  WriteZeros(out, kReservedAfterBackground);
  if (HasOldLabels(version)) WriteLabels(out, g.labels, HasFullLabels(version));
  out.WriteU8(layer ? 1 : 0);
  return true;
}

// Writes the garden to path through a temporary file. `which` names the
// operation in the messages ("SaveKi3", "SaveKi2").
int WriteGardenFile(const GardenRefs& g, const std::string& path, const char* which) {
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage(std::string("ファイルのオープンに失敗しました。") + which, kCaptionError);
    return kSylCannotOpen;
  }
  ByteWriter head;
  std::vector<uint8_t> png;
  const bool ok = EncodeParts(g, kSylVersion, head, png) && file.Write(head.bytes().data(), head.bytes().size()) &&
                  file.Write(png.data(), png.size()) && file.Commit();
  if (!ok) {
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
  labels.entries.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    LabelEntry e;
    if (!(in.ReadCharBuffer(kTextBytes, e.name) && in.ReadU8(e.kind) && in.ReadU8(e.mutant) && in.Skip(2) &&
          in.ReadI32(e.x) && in.ReadI32(e.y)))
      return false;
    if (with_file_names) {
      if (!in.ReadCharBuffer(kTextBytes, e.file_name)) return false;
    } else {
      e.file_name = kUnknownFileName;
    }
    labels.Add(e);
  }
  return true;
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
  // Every entry names a distinct slot of the table.
  if (entries < 0 || entries > TreeTable::kSlots) return kSylUnsupported;
  bool taken[TreeTable::kSlots] = {};
  p.entries.resize(size_t(entries));
  for (ParsedEntry& e : p.entries) {
    if (!in.ReadI32(e.slot) || e.slot < 0 || e.slot >= TreeTable::kSlots || taken[e.slot]) return kSylUnsupported;
    taken[e.slot] = true;
    if (HasLabelStateBytes(p.version) && !in.ReadU8(e.label_state)) return kSylUnsupported;
    if (ParseTreeRecord(in, e.record) != kKiOk) return kSylUnsupported;
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

bool EncodeCanvasFileAs(const GardenRefs& garden, float version, std::vector<uint8_t>& out) {
  ByteWriter head;
  std::vector<uint8_t> png;
  out.clear();
  if (!EncodeParts(garden, version, head, png)) return false;
  out = std::move(head.bytes());
  out.insert(out.end(), png.begin(), png.end());
  return true;
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
