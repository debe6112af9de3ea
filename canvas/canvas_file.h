// Canvas files (".syl", magic "sylvanewood_syl"): a whole garden in one file:
// the canvas settings, the clocks of the update cycle, every living tree with
// its full tree record, the background settings, the name labels and the
// tree layer with its background-weight plane as one RGBA PNG stream.
//
// Layout (integers int32 little-endian, floats float32, strings char[260]
// NUL-terminated Shift-JIS):
//   char[16] magic, float version (0.2 written), 100 reserved bytes,
//   countdown, update interval, last update time (SYSTEMTIME: eight uint16),
//   elapsed hours, minutes, seconds, tree count, number T of tree entries,
//   T entries of { int32 slot 0..99, uint8 label state (version 0.1 and
//     later), tree record (trees/ki_file.h) } in ascending slot order,
//   uint8 background image used, char[260] background image path,
//   int32 background colour (0x00BBGGRR), uint8 background fit,
//   99 reserved bytes,
//   the label list (version 0.1 and later): int32 count K, int32 text colour,
//     int32 font height, uint8 display mode, K entries of 532 bytes
//     { char[260] name, uint8 kind, uint8 mutant, 2 padding bytes, int32 x,
//       int32 y, char[260] file name } (272 bytes without the file name in
//     files before version 0.2),
//   uint8 tree layer present, and when it is 1 the PNG stream of the tree
//     layer (alpha = weight plane) running to the end of the file.
//
// Reading parses the whole file into a fresh state first and takes it over
// only when every part was read. A damaged tree entry (a record that cannot
// be read, a slot index outside 0..99 or a slot named twice) is skipped: the
// reader finds the next entry or the rest of the file by their signatures
// (tree records carry no length; the rest of the file is only recognised by
// the PNG stream of its tree layer) and reads on, and one message tells how
// many trees were skipped. A file damaged as a whole (bad magic, a newer version,
// impossible counts, a file that ends early, a damaged label list or PNG
// stream) is refused and the garden in memory stays exactly as it was (no
// random numbers drawn either). The trees are taken over in file order with
// the tree reader's load-time draws, so the draws are those of reading
// straight through.
//
// Saving writes a temporary file beside the target that replaces it only when
// the whole file was written and flushed; a failed save keeps the old file.
// The file is encoded straight into the temporary file, piece by piece.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "canvas/garden.h"
#include "canvas/records/name_labels.h"
#include "canvas/image/surface.h"
#include "platform/platform.h"
#include "trees/ki_file.h"

namespace sylvane {

inline constexpr char kSylMagic[] = "sylvanewood_syl";  // 15 characters, stored with its NUL
constexpr size_t kSylMagicBytes = 16;
constexpr float kSylVersion = 0.2f;                     // bits 0x3E4CCCCD
// The program's own garden file in the program folder.
inline constexpr char kDefaultCanvasFileName[] = "default.syl";

// Results of reading a canvas file.
constexpr int kSylOk = 0;
constexpr int kSylUnsupported = -1;  // too short, ends early or damaged:
                                     // "このファイルには対応していません。Load_SYL"
constexpr int kSylNotSyl = -2;       // magic differs: "このファイルはSYLファイルではありません。Load_SYL"
constexpr int kSylNewer = -3;        // version above 0.2:
                                     // "このSYLファイルを読み込むには、本体のバージョンアップが必要です。Load_SYL"

// Results of saving.
constexpr int kSylSaveOk = 0;
constexpr int kSylCannotOpen = -1;   // "ファイルのオープンに失敗しました。SaveKi3" (SaveKi2 for default.syl)
constexpr int kSylWriteFailed = -2;  // "ファイルの書き込みに失敗しました。SaveKi3" (SaveKi2); old file kept

// The whole file image of the garden in the current layout (version 0.2).
// False when a part cannot be encoded (a part image too large for its code
// length fields, or a weight plane whose size differs from the tree layer).
bool EncodeCanvasFile(const GardenRefs& garden, std::vector<uint8_t>& out);
// The same in an older layout, with `version` stored: below 0.1 no label
// state bytes and no label list, from 0.1 the 272-byte labels, from 0.2 the
// current form. Tree records are written with the same version. For tests and
// conversion tools.
bool EncodeCanvasFileAs(const GardenRefs& garden, float version, std::vector<uint8_t>& out);
// The bytes of EncodeCanvasFileAs handed to sink as they are made: the fixed
// fields, tree entries and labels in pieces of some 64 KB, the tree layer's
// PNG stream in the pieces its encoder makes. Saving writes through this into
// the temporary file, so a garden with a long label list and a large tree
// layer is never held in memory as a whole file. False as EncodeCanvasFileAs,
// or when the sink refused bytes; the sink may then hold part of a file.
bool StreamCanvasFile(const GardenRefs& garden, float version, ByteSink& sink);

// One tree entry of a canvas file, as stored.
struct ParsedEntry {
  int32_t slot = 0;         // 0..99
  uint8_t label_state = 0;  // stored only from version 0.1 (0 otherwise)
  KiRecord record;          // the tree record as stored (no load-time jitter)
};

// A whole canvas file, read but not taken over into a garden.
struct ParsedCanvas {
  float version = kSylVersion;
  int32_t countdown = 0;              // minutes left until the next periodic update
  int32_t interval = 0;               // update interval, minutes (0 = once a day)
  LocalTime last_update;              // last daily update (SYSTEMTIME)
  int32_t hours = 0, minutes = 0, seconds = 0;  // timer panel clock
  int32_t tree_count = 0;             // the stored growing count
  std::vector<ParsedEntry> entries;   // the entries that were read, in file order
  int skipped_entries = 0;            // damaged entries passed over (bad record or slot)
  uint8_t background_used = 0;
  std::string background_path;        // Shift-JIS
  uint32_t colour = 0;                // COLORREF 0x00BBGGRR
  uint8_t fit = 0;                    // 1 stretched, 0 tiled
  bool has_labels = false;            // version 0.1 and later
  LabelList labels;
  bool has_layer = false;             // the tree-layer-present byte was 1
  Surface trees;                      // tree layer (when has_layer)
  AlphaPlane weight;                  // background-weight plane (when has_layer)
};

// Parses a whole canvas file image: no messages, no random draws, nothing of
// any garden touched. kSylOk, or the refusal's code.
int ParseCanvas(ByteReader& in, ParsedCanvas& out);

// "save canvas to path": writes the garden to path and, on success, makes
// path the canvas's file (canvas file path, has-a-file 1). Failures show
// their message (caption "エラー") and leave the old file and the canvas's
// file state as they were.
int SaveCanvasFile(const GardenRefs& garden, const std::string& path);
// "save default canvas": writes "default.syl" in program_folder. The canvas's
// file path and has-a-file flag stay as they are. Messages name SaveKi2.
int SaveDefaultCanvasFile(const GardenRefs& garden, const std::string& program_folder);

// Reads a canvas file image into the garden (messages as listed, caption
// "エラー"). On kSylOk: the table holds the file's trees (count = living
// trees), the labels and canvas settings are the file's, the tree layer and
// weight plane come from the PNG stream (canvas exists 1) or are emptied when
// the file has none (canvas exists 0); a background picture is loaded from its
// path (its failure is reported by the path and the colour used instead) and,
// when the canvas exists, the background layer is rebuilt at the tree layer's
// size with the countdown reset to the interval; has-a-file 1 and the file
// path = path. The caller then publishes the wallpaper and refreshes windows.
// Skipped tree entries are reported in one message
// ("壊れていた樹のデータN本を読み飛ばしました。Load_SYL") and the result is still
// kSylOk. On any refusal nothing of the garden changes.
int ReadCanvasFile(const uint8_t* data, size_t size, const GardenRefs& garden, const std::string& path);

// "open canvas": reads the file at path. 0, or -1 after
// "ファイルのオープンに失敗しました。SaveKi" (cannot read) or after the reader's
// message (refused).
int OpenCanvasFile(const GardenRefs& garden, const std::string& path);

// Results of Load_KI_SYL.
constexpr int kSortCanvasOpened = 0;   // a canvas file, opened
constexpr int kSortTreeFile = 1;       // a tree file: the caller plants it
constexpr int kSortFailed = -1;        // cannot open, or neither kind (reported)
constexpr int kSortCanvasRefused = -2; // a canvas file whose reading failed (reported; garden unchanged)

// Sorts a dropped or given file by its magic (Load_KI_SYL): a canvas file is
// opened at once; a tree file is left to the caller. Messages:
// "ファイルのオープンに失敗しました。Load_KI_SYL" and
// "このファイルには対応していません。Load_KI_SYL", caption "エラー".
int SortTreeOrCanvasFile(const GardenRefs& garden, const std::string& path);

// The save dialog's picture filters: the lit canvas picture instead of the
// canvas file.
enum class CanvasPictureType {
  kJpeg = 2,  // "JPEG (*.JPG)": quality 80
  kBmp = 3,   // "Bitmap (*.BMP)"
  kPng = 4,   // "PNG (*.PNG)": RGB
};
constexpr int kCanvasExportJpegQuality = 80;

// Writes an already rendered picture of the canvas as the given type (the
// writers' messages on failure). 0 or -1.
int ExportCanvasPicture(const Surface& lit, const std::string& path, CanvasPictureType type);
// Renders the canvas with the current lighting mode and writes it. -1 when
// the canvas has no picture (nothing written).
int ExportLitCanvas(const Canvas& canvas, const std::string& path, CanvasPictureType type);

}  // namespace sylvane
