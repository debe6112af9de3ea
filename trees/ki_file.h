// Tree files (".ki", magic "sylvanewood_ki"): one tree with its parameters,
// growth program, pen and part images. The same tree record is embedded in
// canvas files, so the record functions work on ByteReader / ByteWriter.
//
// Record layout (integers int32 little-endian, version float32, strings
// char[260] NUL-terminated Shift-JIS):
//   char[15] magic, float version (0.2 written),
//   char[260] name, char[260] file name (version 0.2 and later),
//   41 reserved bytes, loop chance, mutant (1 byte), branch jitter, kind,
//     (version below 0.1: 45 reserved bytes, loop chance, mutant; no branch
//     jitter, which then equals the part jitter)
//   growth speed, split distance, split spread, split chance, split maximum,
//   mutation chance, part jitter, slot state, op count N, plant x, plant y,
//   four part-present bytes, cursor, 100 reserved bytes,
//   N ops of ten int32, the pen record, part images 0, 1, 2, and part image 3
//   when the pen mode is 0.
// Pen record: 20 reserved bytes, mode, heading, step count, x, y, heading
//   variance, red, green, blue, stamp interval, stamp countdown, and when the
//   mode is 1 the brush's width, height, strength, edge, density, type.
// Part image record: 20 reserved bytes, twelve parameters, width, height,
//   code bits B, HuffmanBlock of the pixel buffer (when width, height and B
//   are positive), alpha length L, code bits A, HuffmanBlock of the alpha
//   plane (when L and A are positive).
//
// Readers check every field against the bytes that are left and against the
// growth program's invariants before anything is allocated or changed; a
// refused record leaves the tree as it was. An alpha block is always read
// whole when L and A are positive: a plane longer than its picture (L > w*h)
// keeps its first w*h bytes, a plane of a part without a picture is dropped.
// Refused are a picture without code bits (B <= 0), a plane without code bits
// (A <= 0 with L > 0) and a plane shorter than its picture (L < w*h). A pen
// brush above 256 pixels a side or 65,536 pixels (the program's are 8 x 8)
// keeps its six values but is not rebuilt (no cells, nothing stamped):
// rebuilding goes cell by cell and would cost seconds for a damaged size.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "canvas/image/surface.h"
#include "trees/tree.h"

namespace sylvane {

inline constexpr char kKiMagic[] = "sylvanewood_ki";  // 14 characters, stored with its NUL
constexpr size_t kKiMagicBytes = 15;
constexpr float kKiVersion = 0.2f;                   // bits 0x3E4CCCCD
constexpr size_t kKiTextBytes = 260;

// Results of reading a tree record.
constexpr int kKiOk = 0;
constexpr int kKiTooShort = -1;   // fewer than 15 bytes: "このファイルには対応していません。LoadKi"
constexpr int kKiNotKi = -2;      // magic differs: "このファイルはKIファイルではありません。LoadKi"
constexpr int kKiNewer = -3;      // version above 0.2: "このKIファイルを読み込むには、本体のバージョンアップが必要です。LoadKi"
constexpr int kKiDamaged = -4;    // truncated, impossible sizes or an unsound growth program:
                                  // "このファイルには対応していません。LoadKi"

// The pen as stored.
struct KiPen {
  int32_t mode = 1;              // 1 brush pattern, other values part image 3
  int32_t heading = 0;           // degrees
  int32_t step_count = 0;
  int32_t x = 0;                 // canvas pixels from the left
  int32_t y = 0;                 // canvas pixels from the top
  int32_t heading_variance = 0;
  int32_t red = 0, green = 0, blue = 0;
  int32_t stamp_interval = 0;
  int32_t stamp_countdown = 0;
  BrushParams brush;             // stored only when mode is 1
};

// One part image as stored, with its code lengths.
struct KiPart {
  PartImage image;               // decoded picture, alpha plane and parameters
  int32_t width = 0;             // surface width as stored
  int32_t height = 0;            // surface height as stored
  int32_t surface_bits = 0;      // B
  int32_t alpha_length = 0;      // L
  int32_t alpha_bits = 0;        // A
};

// A tree record exactly as stored: no length jitter applied, brush not built.
struct KiRecord {
  std::string magic;             // the 14 magic characters as read
  float version = kKiVersion;
  std::string name;              // Shift-JIS
  bool has_file_name = true;     // version 0.2 and later
  std::string file_name;         // Shift-JIS, only with has_file_name
  int32_t loop_chance = 0;
  uint8_t mutant = 0;
  bool has_branch_jitter = true; // version 0.1 and later
  int32_t branch_jitter = 0;     // equals part_jitter when not stored
  int32_t kind = 0;
  int32_t growth_speed = 0;
  int32_t split_distance = 0;
  int32_t split_spread = 0;
  int32_t split_chance = 0;
  int32_t split_max = 0;
  int32_t mutation_chance = 0;
  int32_t part_jitter = 0;
  int32_t state = 0;
  int32_t plant_x = 0;
  int32_t plant_y = 0;
  std::array<uint8_t, kPartCount> part_present{};
  uint32_t cursor = 0;
  std::vector<GrowthOp> ops;     // op count = ops.size()
  KiPen pen;
  int part_count = 3;            // 4 when the pen mode is 0 (part image 3 stored)
  std::array<KiPart, kPartCount> parts;
};

// Parses one tree record at the reader's position. No messages, no random
// draws, nothing allocated before its size was checked against the bytes
// left. On failure the reader stands somewhere inside the record.
int ParseTreeRecord(ByteReader& in, KiRecord& out);

// Reads one tree record into tree. On failure shows the result's message
// (caption "エラー"), returns the kKi code and leaves tree as it was. On
// success the lengths of ops 1.. are jittered (draws), all fields replaced,
// the four part images created afresh from the record (part image 3 empty when
// the pen mode is not 0, all part-present bytes 1) and, in mode 1, the pen's
// brush rebuilt (draws). The label state is not touched.
int ReadTreeRecord(ByteReader& in, Tree& tree);

// The second half of ReadTreeRecord, for readers that parse a whole file
// before they change anything (canvas files): replaces tree's fields by the
// parsed record exactly as a successful ReadTreeRecord does (lengths
// jittered, brush rebuilt in mode 1: both draw). The part images are moved
// out of rec. The file name is replaced only when the record holds one.
void ApplyTreeRecord(KiRecord& rec, Tree& tree);

// The load-time length jitter: for ops 1..N-1 with a positive length a sign
// (odd rand() +1, even -1), then, when the range (branch jitter for branches,
// part jitter otherwise) is not 0, rand() % range; the length never drops
// below 1.
void JitterLengths(std::vector<GrowthOp>& ops, int32_t part_jitter, int32_t branch_jitter);

// Appends the tree's record in the current layout (version 0.2). Returns 0, or
// -1 when a part image is too large for the 32-bit code-length fields (the
// writer then has appended part of a record).
int WriteTreeRecord(ByteWriter& out, const Tree& tree);
// The same in an older layout (versions below 0.1, from 0.1, from 0.2), with
// `version` stored; for tests and conversion tools.
int WriteTreeRecordAs(ByteWriter& out, const Tree& tree, float version);

// Message text of a refusal (Shift-JIS, with "LoadKi"); empty for kKiOk.
std::string KiRefusalMessage(int status);

// Saves tree to path: the file-name field becomes the name part of path,
// the record is written to a temporary file that replaces path only when
// complete. Results: 0; -1 cannot open ("ファイルのオープンに失敗しました。SaveKi");
// -2 cannot write or replace ("ファイルの書き込みに失敗しました。SaveKi"), both
// captioned "エラー"; the file-name field is restored on failure.
int SaveTreeFile(Tree& tree, const std::string& path);

// Loads tree from path. -1 with "ファイルのオープンに失敗しました。LoadKi" when
// it cannot be read, -1 after the reader's message when the record is refused
// (tree unchanged); 0 on success, with the file-name field set to the name
// part of path unless the file (version 0.2) stores one.
int LoadTreeFile(Tree& tree, const std::string& path);

// The save dialog ("樹を保存する", "Ki (*.KI)", default extension "ki"), a
// desktop feature installed by the Windows program. It shows the dialog with
// `folder` as initial folder, copies the chosen folder back into it and saves
// the tree; returns 0 when saved and -1 when cancelled or failed. Without an
// installed dialog (command line, tests) it returns -1 at once.
using TreeSaveDialog = std::function<int(Tree& tree, std::string& folder)>;
void SetTreeSaveDialog(TreeSaveDialog dialog);
int SaveTreeWithDialog(Tree& tree, std::string& folder);

}  // namespace sylvane
