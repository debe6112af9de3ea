#include "trees/ki_file.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/file_io.h"
#include "base/random.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "trees/huffman.h"

namespace sylvane {
namespace {

constexpr size_t kReservedAfterNames = 41;  // 45 in layouts below 0.1
constexpr size_t kReservedOldLayout = 45;
constexpr size_t kReservedAfterCursor = 100;
constexpr size_t kReservedBeforePen = 20;
constexpr size_t kReservedBeforePart = 20;
constexpr size_t kOpBytes = 40;
// The largest brush that is rebuilt on loading. The program's pens use 8 x 8;
// rebuilding makes six variants of width x height cells with one random draw
// each, so a few damaged bytes must not cost seconds of work and hundreds of
// megabytes.
constexpr int32_t kMaxBrushSide = 256;
constexpr int64_t kMaxBrushArea = int64_t(1) << 16;

bool BrushTooLarge(const BrushParams& b) {
  return b.width > kMaxBrushSide || b.height > kMaxBrushSide ||
         (b.width > 0 && b.height > 0 && int64_t(b.width) * int64_t(b.height) > kMaxBrushArea);
}

// A larger brush keeps its six values and no cells, as the pattern builder
// keeps a brush too large to allocate: it stamps nothing.
void KeepUnbuiltBrush(BrushPattern& brush, const BrushParams& p) {
  brush.Release();
  brush.type = p.type;
  brush.width = p.width;
  brush.height = p.height;
  brush.strength = p.strength;
  brush.edge = p.edge;
  brush.density = p.density;
  brush.area = int32_t(std::clamp<int64_t>(int64_t(p.width) * int64_t(p.height), INT32_MIN, INT32_MAX));
}

bool HasFileNameField(float version) { return double(version) >= 0.2; }
bool HasBranchJitterField(float version) { return double(version) >= 0.1; }

// Text cut to the 259 bytes a char[260] field holds before its NUL, without
// splitting a two-byte Shift-JIS character.
std::string FitField(std::string text) {
  if (text.size() <= Tree::kMaxText) return text;
  size_t i = 0, keep = 0;
  while (i < Tree::kMaxText) {
    size_t n = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + n > Tree::kMaxText) break;
    i += n;
    keep = i;
  }
  text.resize(keep);
  return text;
}

// A char[260] field read as text: cut before the first NUL (FitField when
// there is none).
bool ReadText(ByteReader& in, std::string& out) {
  if (!in.ReadCharBuffer(kKiTextBytes, out)) return false;
  out = FitField(std::move(out));
  return true;
}

void WriteText(ByteWriter& out, const std::string& text) { out.WriteCharBuffer(FitField(text), kKiTextBytes); }

bool ReadOp(ByteReader& in, GrowthOp& op) {
  return in.ReadI32(op.code) && in.ReadI32(op.heading_offset) && in.ReadI32(op.length) &&
         in.ReadI32(op.parent) && in.ReadI32(op.aux) && in.ReadI32(op.spare) && in.ReadI32(op.part_angle) &&
         in.ReadI32(op.loop_branch) && in.ReadI32(op.fired_x) && in.ReadI32(op.fired_y);
}

// The rules growth relies on (ValidateGrowthProgram in trees/tree.h), checked
// on the op list alone: op 0 a branch, every later op's parent an earlier
// branch op, every loop point's loop branch a branch op. An empty program is
// sound (the tree is finished at once).
bool SoundProgram(const std::vector<GrowthOp>& ops) {
  const size_t n = ops.size();
  if (n == 0) return true;
  if (ops[0].code != kOpBranch) return false;
  for (size_t i = 1; i < n; ++i) {
    const int32_t p = ops[i].parent;
    if (p < 0 || size_t(p) >= i || ops[size_t(p)].code != kOpBranch) return false;
  }
  for (const GrowthOp& op : ops) {
    if (op.code != kOpLoopPoint) continue;
    if (op.loop_branch < 0 || size_t(op.loop_branch) >= n || ops[size_t(op.loop_branch)].code != kOpBranch)
      return false;
  }
  return true;
}

bool ReadPen(ByteReader& in, KiPen& pen) {
  if (!in.Skip(kReservedBeforePen)) return false;
  if (!(in.ReadI32(pen.mode) && in.ReadI32(pen.heading) && in.ReadI32(pen.step_count) && in.ReadI32(pen.x) &&
        in.ReadI32(pen.y) && in.ReadI32(pen.heading_variance) && in.ReadI32(pen.red) && in.ReadI32(pen.green) &&
        in.ReadI32(pen.blue) && in.ReadI32(pen.stamp_interval) && in.ReadI32(pen.stamp_countdown)))
    return false;
  if (pen.mode == 1) {
    BrushParams& b = pen.brush;
    if (!(in.ReadI32(b.width) && in.ReadI32(b.height) && in.ReadI32(b.strength) && in.ReadI32(b.edge) &&
          in.ReadI32(b.density) && in.ReadI32(b.type)))
      return false;
  }
  return true;
}

// One Huffman block of `bits` code bits decoded into exactly `size` bytes of
// zeros. Every decoded byte costs at least one bit, so a block whose B is
// smaller than the picture it claims to fill is damaged; this also bounds
// what a few bytes of a damaged file can make us allocate.
bool ReadBlock(ByteReader& in, int32_t bits, size_t size, std::vector<uint8_t>& out) {
  if (bits <= 0 || uint64_t(bits) < size) return false;
  size_t block_size = HuffmanBlockSize(bits);
  if (block_size > in.remaining()) return false;
  out.assign(size, 0);
  if (HuffmanDecode(in.current(), block_size, bits, out.data(), out.size()) < 0) return false;
  return in.Skip(block_size);
}

bool ReadPart(ByteReader& in, KiPart& part) {
  PartImage& image = part.image;
  int32_t width = 0, height = 0;
  if (!in.Skip(kReservedBeforePart)) return false;
  for (int32_t& p : image.params)
    if (!in.ReadI32(p)) return false;
  if (!(in.ReadI32(width) && in.ReadI32(height) && in.ReadI32(part.surface_bits))) return false;
  part.width = width;
  part.height = height;
  if (width > 0 && height > 0) {
    // A picture with no code bits would be followed by a block the format
    // cannot skip, so a positive size needs positive B.
    if (!IsAcceptableSize(width, height) || part.surface_bits <= 0) return false;
    Surface& s = image.surface;
    if (!ReadBlock(in, part.surface_bits, size_t(height) * size_t(StrideFor(width)), s.pixels)) return false;
    s.width = width;
    s.height = height;
    s.stride = StrideFor(width);
    s.RefreshHeaders();
  }
  if (!(in.ReadI32(part.alpha_length) && in.ReadI32(part.alpha_bits))) return false;
  if (part.alpha_length > 0) {
    // A block of L > 0 bytes needs code bits: without them the format gives
    // no way past it.
    if (part.alpha_bits <= 0) return false;
    const bool has_picture = !image.surface.empty();
    const int64_t pixels = int64_t(width) * int64_t(height);
    // Fewer bytes than pixels cannot be a plane for this picture.
    if (has_picture && int64_t(part.alpha_length) < pixels) return false;
    // The whole block is read, so that the next field is read from the right
    // place; a longer plane keeps its first byte per pixel, and a plane without
    // a picture is dropped.
    std::vector<uint8_t> plane;
    if (!ReadBlock(in, part.alpha_bits, size_t(part.alpha_length), plane)) return false;
    if (has_picture) {
      plane.resize(size_t(pixels));
      image.alpha.bytes = std::move(plane);
      image.alpha.width = width;
      image.alpha.height = height;
    }
  }
  return true;
}

void WriteOp(ByteWriter& out, const GrowthOp& op) {
  for (int32_t v : {op.code, op.heading_offset, op.length, op.parent, op.aux, op.spare, op.part_angle,
                    op.loop_branch, op.fired_x, op.fired_y})
    out.WriteI32(v);
}

void WritePen(ByteWriter& out, const Pen& pen) {
  out.WriteBytes(std::string(kReservedBeforePen, '\0').data(), kReservedBeforePen);
  for (int32_t v : {pen.mode, pen.heading, pen.step_count, pen.x, pen.y, pen.heading_variance, pen.red,
                    pen.green, pen.blue, pen.stamp_interval, pen.stamp_countdown})
    out.WriteI32(v);
  if (pen.mode == 1) {
    const BrushParams b = pen.brush_params();
    for (int32_t v : {b.width, b.height, b.strength, b.edge, b.density, b.type}) out.WriteI32(v);
  }
}

int WritePart(ByteWriter& out, const PartImage& image) {
  out.WriteBytes(std::string(kReservedBeforePart, '\0').data(), kReservedBeforePart);
  for (int32_t p : image.params) out.WriteI32(p);
  const Surface& s = image.surface;
  out.WriteI32(s.width);
  out.WriteI32(s.height);
  std::vector<uint8_t> block;
  bool has_picture = s.width > 0 && s.height > 0 && !s.pixels.empty();
  if (has_picture) {
    int64_t bits = HuffmanEncode(s.pixels.data(), s.pixels.size(), block);
    if (bits <= 0) return -1;
    out.WriteI32(int32_t(bits));
    out.WriteBytes(block.data(), block.size());
  } else {
    out.WriteI32(0);
  }
  // Only a plane of one byte per pixel of the picture is stored; the reader
  // refuses any other.
  const AlphaPlane& a = image.alpha;
  if (has_picture && !a.bytes.empty() && a.bytes.size() == size_t(s.width) * size_t(s.height)) {
    int64_t bits = HuffmanEncode(a.bytes.data(), a.bytes.size(), block);
    if (bits <= 0) return -1;
    out.WriteI32(int32_t(a.bytes.size()));
    out.WriteI32(int32_t(bits));
    out.WriteBytes(block.data(), block.size());
  } else {
    out.WriteI32(0);
    out.WriteI32(0);
  }
  return 0;
}

void WriteZeros(ByteWriter& out, size_t n) {
  static const uint8_t zeros[128] = {};
  while (n) {
    size_t k = std::min(n, sizeof zeros);
    out.WriteBytes(zeros, k);
    n -= k;
  }
}

// Replaces tree's fields by the record's (after jitter), as a successful
// read does.
void ApplyRecord(KiRecord& rec, Tree& tree) {
  JitterLengths(rec.ops, rec.part_jitter, rec.branch_jitter);
  tree.name = rec.name;
  if (rec.has_file_name) tree.file_name = rec.file_name;
  tree.loop_chance = rec.loop_chance;
  tree.mutant = rec.mutant;
  tree.branch_jitter = rec.branch_jitter;
  tree.kind = rec.kind;
  tree.growth_speed = rec.growth_speed;
  tree.split_distance = rec.split_distance;
  tree.split_spread = rec.split_spread;
  tree.split_chance = rec.split_chance;
  tree.split_max = rec.split_max;
  tree.mutation_chance = rec.mutation_chance;
  tree.part_jitter = rec.part_jitter;
  tree.state = rec.state;
  tree.plant_x = rec.plant_x;
  tree.plant_y = rec.plant_y;
  tree.cursor = rec.cursor;
  tree.ops = std::move(rec.ops);

  Pen& pen = tree.pen;
  pen.mode = rec.pen.mode;
  pen.heading = rec.pen.heading;
  pen.step_count = rec.pen.step_count;
  pen.x = rec.pen.x;
  pen.y = rec.pen.y;
  pen.heading_variance = rec.pen.heading_variance;
  pen.red = rec.pen.red;
  pen.green = rec.pen.green;
  pen.blue = rec.pen.blue;
  pen.stamp_interval = rec.pen.stamp_interval;
  pen.stamp_countdown = rec.pen.stamp_countdown;
  if (pen.mode == 1) {
    if (BrushTooLarge(rec.pen.brush))
      KeepUnbuiltBrush(pen.brush, rec.pen.brush);
    else
      pen.SetBrush(rec.pen.brush);
  }

  for (int i = 0; i < kPartCount; ++i) {
    tree.parts[size_t(i)] = i < rec.part_count ? std::move(rec.parts[size_t(i)].image) : PartImage();
    tree.part_present[size_t(i)] = 1;
  }
}

int ReadRecordInto(ByteReader& in, Tree& tree, const std::string* file_name_from_path) {
  KiRecord rec;
  int status = ParseTreeRecord(in, rec);
  if (status != kKiOk) {
    ShowMessage(KiRefusalMessage(status), "エラー");
    return status;
  }
  if (!rec.has_file_name && file_name_from_path) {
    rec.file_name = *file_name_from_path;
    rec.has_file_name = true;
  }
  ApplyRecord(rec, tree);
  return kKiOk;
}

std::mutex& DialogMutex() {
  static std::mutex m;
  return m;
}
TreeSaveDialog& InstalledDialog() {
  static TreeSaveDialog dialog;
  return dialog;
}

}  // namespace

int ParseTreeRecord(ByteReader& in, KiRecord& rec) {
  char magic[kKiMagicBytes];
  if (!in.ReadBytes(magic, kKiMagicBytes)) return kKiTooShort;
  if (std::memcmp(magic, kKiMagic, kKiMagicBytes - 1) != 0) return kKiNotKi;
  rec.magic.assign(magic, kKiMagicBytes - 1);
  if (!in.ReadF32(rec.version)) return kKiDamaged;
  if (rec.version > kKiVersion) return kKiNewer;

  rec.has_file_name = HasFileNameField(rec.version);
  rec.has_branch_jitter = HasBranchJitterField(rec.version);
  if (!ReadText(in, rec.name)) return kKiDamaged;
  if (rec.has_file_name && !ReadText(in, rec.file_name)) return kKiDamaged;
  if (rec.has_branch_jitter) {
    if (!(in.Skip(kReservedAfterNames) && in.ReadI32(rec.loop_chance) && in.ReadU8(rec.mutant) &&
          in.ReadI32(rec.branch_jitter) && in.ReadI32(rec.kind)))
      return kKiDamaged;
  } else {
    if (!(in.Skip(kReservedOldLayout) && in.ReadI32(rec.loop_chance) && in.ReadU8(rec.mutant))) return kKiDamaged;
    if (!in.ReadI32(rec.kind)) return kKiDamaged;
  }
  uint32_t op_count = 0;
  if (!(in.ReadI32(rec.growth_speed) && in.ReadI32(rec.split_distance) && in.ReadI32(rec.split_spread) &&
        in.ReadI32(rec.split_chance) && in.ReadI32(rec.split_max) && in.ReadI32(rec.mutation_chance) &&
        in.ReadI32(rec.part_jitter) && in.ReadI32(rec.state) && in.ReadU32(op_count) && in.ReadI32(rec.plant_x) &&
        in.ReadI32(rec.plant_y) && in.ReadBytes(rec.part_present.data(), kPartCount) && in.ReadU32(rec.cursor) &&
        in.Skip(kReservedAfterCursor)))
    return kKiDamaged;
  if (!rec.has_branch_jitter) rec.branch_jitter = rec.part_jitter;

  if (uint64_t(op_count) * kOpBytes > in.remaining()) return kKiDamaged;
  rec.ops.resize(op_count);
  for (GrowthOp& op : rec.ops)
    if (!ReadOp(in, op)) return kKiDamaged;
  if (!SoundProgram(rec.ops)) return kKiDamaged;

  if (!ReadPen(in, rec.pen)) return kKiDamaged;
  rec.part_count = rec.pen.mode == 0 ? 4 : 3;
  for (int i = 0; i < rec.part_count; ++i)
    if (!ReadPart(in, rec.parts[size_t(i)])) return kKiDamaged;
  return kKiOk;
}

void JitterLengths(std::vector<GrowthOp>& ops, int32_t part_jitter, int32_t branch_jitter) {
  for (size_t i = 1; i < ops.size(); ++i) {
    GrowthOp& op = ops[i];
    if (op.length <= 0) continue;
    int sign = (Rand() & 1) ? 1 : -1;
    int32_t range = op.code == kOpBranch ? branch_jitter : part_jitter;
    int64_t change = range != 0 ? Rand() % range : 0;
    int64_t length = int64_t(op.length) + sign * change;
    op.length = int32_t(std::clamp<int64_t>(length, 1, INT32_MAX));
  }
}

int WriteTreeRecordAs(ByteWriter& out, const Tree& tree, float version) {
  out.WriteBytes(kKiMagic, kKiMagicBytes);
  out.WriteF32(version);
  WriteText(out, tree.name);
  if (HasFileNameField(version)) WriteText(out, tree.file_name);
  if (HasBranchJitterField(version)) {
    WriteZeros(out, kReservedAfterNames);
    out.WriteI32(tree.loop_chance);
    out.WriteU8(tree.mutant);
    out.WriteI32(tree.branch_jitter);
  } else {
    WriteZeros(out, kReservedOldLayout);
    out.WriteI32(tree.loop_chance);
    out.WriteU8(tree.mutant);
  }
  for (int32_t v : {tree.kind, tree.growth_speed, tree.split_distance, tree.split_spread, tree.split_chance,
                    tree.split_max, tree.mutation_chance, tree.part_jitter, tree.state})
    out.WriteI32(v);
  out.WriteU32(tree.op_count());
  out.WriteI32(tree.plant_x);
  out.WriteI32(tree.plant_y);
  out.WriteBytes(tree.part_present.data(), kPartCount);
  out.WriteU32(tree.cursor);
  WriteZeros(out, kReservedAfterCursor);
  for (const GrowthOp& op : tree.ops) WriteOp(out, op);
  WritePen(out, tree.pen);
  int parts = tree.pen.mode == 0 ? 4 : 3;
  for (int i = 0; i < parts; ++i)
    if (WritePart(out, tree.parts[size_t(i)]) != 0) return -1;
  return 0;
}

int WriteTreeRecord(ByteWriter& out, const Tree& tree) { return WriteTreeRecordAs(out, tree, kKiVersion); }

int ReadTreeRecord(ByteReader& in, Tree& tree) { return ReadRecordInto(in, tree, nullptr); }

void ApplyTreeRecord(KiRecord& rec, Tree& tree) { ApplyRecord(rec, tree); }

std::string KiRefusalMessage(int status) {
  switch (status) {
    case kKiOk:
      return {};
    case kKiNotKi:
      return "このファイルはKIファイルではありません。LoadKi";
    case kKiNewer:
      return "このKIファイルを読み込むには、本体のバージョンアップが必要です。LoadKi";
    default:
      return "このファイルには対応していません。LoadKi";
  }
}

int SaveTreeFile(Tree& tree, const std::string& path) {
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage("ファイルのオープンに失敗しました。SaveKi", "エラー");
    return -1;
  }
  std::string previous = std::move(tree.file_name);
  tree.file_name = FitField(FileNamePart(path));
  ByteWriter out;
  if (WriteTreeRecord(out, tree) != 0 || !file.Write(out.bytes().data(), out.bytes().size()) || !file.Commit()) {
    file.Abandon();
    tree.file_name = std::move(previous);
    ShowMessage("ファイルの書き込みに失敗しました。SaveKi", "エラー");
    return -2;
  }
  return 0;
}

int LoadTreeFile(Tree& tree, const std::string& path) {
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(path, bytes)) {
    case ReadFileStatus::kOk:
      break;
    case ReadFileStatus::kTooLarge:
      ShowMessage(KiRefusalMessage(kKiDamaged), "エラー");
      return -1;
    default:
      ShowMessage("ファイルのオープンに失敗しました。LoadKi", "エラー");
      return -1;
  }
  ByteReader in(bytes);
  const std::string name = FitField(FileNamePart(path));
  return ReadRecordInto(in, tree, &name) == kKiOk ? 0 : -1;
}

void SetTreeSaveDialog(TreeSaveDialog dialog) {
  std::lock_guard<std::mutex> lock(DialogMutex());
  InstalledDialog() = std::move(dialog);
}

int SaveTreeWithDialog(Tree& tree, std::string& folder) {
  TreeSaveDialog dialog;
  {
    std::lock_guard<std::mutex> lock(DialogMutex());
    dialog = InstalledDialog();
  }
  return dialog ? dialog(tree, folder) : -1;
}

}  // namespace sylvane
