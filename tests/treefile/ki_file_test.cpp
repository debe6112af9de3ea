#include "trees/ki_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "base/file_io.h"
#include "base/random.h"
#include "platform/text.h"
#include "trees/huffman.h"
#include "support/recording_platform.h"
#include "tree_fixtures.h"

namespace sylvane {
namespace {

using testing::ExpectOpsEqual;
using testing::ExpectPartsEqual;
using testing::MakeFixtureTree;
using testing::RecordingPlatform;
using testing::TempDir;

std::vector<uint8_t> Record(const Tree& t, float version = kKiVersion) {
  ByteWriter w;
  EXPECT_EQ(WriteTreeRecordAs(w, t, version), 0);
  return w.bytes();
}

int32_t I32At(const std::vector<uint8_t>& b, size_t off) {
  int32_t v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}
void PutI32(std::vector<uint8_t>& b, size_t off, int32_t v) { std::memcpy(b.data() + off, &v, 4); }
void PutF32(std::vector<uint8_t>& b, size_t off, float v) { std::memcpy(b.data() + off, &v, 4); }

// Offsets of the current layout.
constexpr size_t kOffVersion = 15, kOffName = 19, kOffFileName = 279, kOffLoop = 580, kOffMutant = 584,
                 kOffBranchJitter = 585, kOffKind = 589, kOffSpeed = 593, kOffPartJitter = 617, kOffOpCount = 625,
                 kOffPartPresent = 637, kOffCursor = 641, kOffOps = 745;

void ExpectStoredFieldsEqual(const Tree& a, const Tree& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.loop_chance, b.loop_chance);
  EXPECT_EQ(a.mutant, b.mutant);
  EXPECT_EQ(a.branch_jitter, b.branch_jitter);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.growth_speed, b.growth_speed);
  EXPECT_EQ(a.split_distance, b.split_distance);
  EXPECT_EQ(a.split_spread, b.split_spread);
  EXPECT_EQ(a.split_chance, b.split_chance);
  EXPECT_EQ(a.split_max, b.split_max);
  EXPECT_EQ(a.mutation_chance, b.mutation_chance);
  EXPECT_EQ(a.part_jitter, b.part_jitter);
  EXPECT_EQ(a.state, b.state);
  EXPECT_EQ(a.plant_x, b.plant_x);
  EXPECT_EQ(a.plant_y, b.plant_y);
  EXPECT_EQ(a.cursor, b.cursor);
  EXPECT_EQ(a.pen.mode, b.pen.mode);
  EXPECT_EQ(a.pen.heading, b.pen.heading);
  EXPECT_EQ(a.pen.step_count, b.pen.step_count);
  EXPECT_EQ(a.pen.x, b.pen.x);
  EXPECT_EQ(a.pen.y, b.pen.y);
  EXPECT_EQ(a.pen.heading_variance, b.pen.heading_variance);
  EXPECT_EQ(a.pen.red, b.pen.red);
  EXPECT_EQ(a.pen.green, b.pen.green);
  EXPECT_EQ(a.pen.blue, b.pen.blue);
  EXPECT_EQ(a.pen.stamp_interval, b.pen.stamp_interval);
  EXPECT_EQ(a.pen.stamp_countdown, b.pen.stamp_countdown);
}

TEST(KiRecord, CurrentLayoutOffsets) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto b = Record(t);
  EXPECT_EQ(std::memcmp(b.data(), "sylvanewood_ki\0", 15), 0);
  uint32_t version_bits;
  std::memcpy(&version_bits, b.data() + kOffVersion, 4);
  EXPECT_EQ(version_bits, 0x3E4CCCCDu);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + kOffName)), "エゾイチヤクソウ");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + kOffFileName)), "ファイル名");
  for (size_t i = 539; i < 580; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(I32At(b, kOffLoop), 7);
  EXPECT_EQ(b[kOffMutant], 1);
  EXPECT_EQ(I32At(b, kOffBranchJitter), 3);
  EXPECT_EQ(I32At(b, kOffKind), 1);
  EXPECT_EQ(I32At(b, kOffSpeed), 44);
  EXPECT_EQ(I32At(b, kOffSpeed + 4), 123);
  EXPECT_EQ(I32At(b, kOffSpeed + 8), 5000);
  EXPECT_EQ(I32At(b, kOffSpeed + 16), 3);
  EXPECT_EQ(I32At(b, kOffPartJitter), 2);
  EXPECT_EQ(I32At(b, kOffOpCount), 33);
  EXPECT_EQ(I32At(b, kOffOpCount + 4), 351);
  EXPECT_EQ(I32At(b, kOffOpCount + 8), -302);
  EXPECT_EQ(b[kOffPartPresent + 0], 1);
  EXPECT_EQ(b[kOffPartPresent + 1], 0);
  EXPECT_EQ(I32At(b, kOffCursor), 5);
  for (size_t i = 645; i < kOffOps; ++i) EXPECT_EQ(b[i], 0) << i;
  // Op 2: leaf {102, 45, 10, 1, 0, spare 6, -215, 0, fired 22, -26}.
  const size_t op2 = kOffOps + 2 * 40;
  const int32_t want[10] = {102, 45, 10, 1, 0, 6, -215, 0, 22, -26};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(I32At(b, op2 + 4 * size_t(k)), want[k]) << k;
  // Pen: 20 reserved bytes, mode ... countdown, then the brush's width,
  // height, strength, edge, density and type.
  const size_t pen = kOffOps + 33 * 40;
  for (size_t i = pen; i < pen + 20; ++i) EXPECT_EQ(b[i], 0);
  const int32_t pen_want[17] = {1, 93, 17, 349, 280, 2, 95, 165, 19, 4, 1, 8, 7, 150, 100, 90, 3};
  for (int k = 0; k < 17; ++k) EXPECT_EQ(I32At(b, pen + 20 + 4 * size_t(k)), pen_want[k]) << k;
  // Part image 0 follows at once: 20 reserved bytes, parameters 100..111, 5 x 4.
  const size_t part0 = pen + 20 + 17 * 4;
  for (int k = 0; k < 12; ++k) EXPECT_EQ(I32At(b, part0 + 20 + 4 * size_t(k)), 100 + k);
  EXPECT_EQ(I32At(b, part0 + 68), 5);
  EXPECT_EQ(I32At(b, part0 + 72), 4);
}

TEST(KiRecord, RoundTripCurrentVersionPenMode1) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 1);
  auto bytes = Record(t);
  KiRecord rec;
  ByteReader in(bytes);
  ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
  EXPECT_TRUE(in.at_end());
  EXPECT_EQ(rec.magic, "sylvanewood_ki");
  EXPECT_EQ(rec.version, 0.2f);
  EXPECT_TRUE(rec.has_file_name);
  EXPECT_EQ(rec.file_name, "ファイル名");
  EXPECT_EQ(rec.part_present, (std::array<uint8_t, 4>{1, 0, 1, 1}));
  EXPECT_EQ(rec.part_count, 3);
  EXPECT_EQ(rec.pen.brush.type, 3);
  EXPECT_EQ(rec.pen.brush.width, 8);
  EXPECT_EQ(rec.pen.brush.height, 7);
  ExpectOpsEqual(rec.ops, t.ops);

  Tree u;
  u.part_jitter = 99;
  // Zero jitter ranges: loaded lengths equal the stored ones.
  t.part_jitter = t.branch_jitter = 0;
  auto zero_jitter = Record(t);
  ByteReader in3(zero_jitter);
  ASSERT_EQ(ReadTreeRecord(in3, u), kKiOk);
  EXPECT_TRUE(platform.messages.empty());
  ExpectStoredFieldsEqual(u, t);
  EXPECT_EQ(u.file_name, "ファイル名");
  ExpectOpsEqual(u.ops, t.ops);
  EXPECT_EQ(u.pen.brush_params().type, 3);
  EXPECT_EQ(u.pen.brush_params().width, 8);
  EXPECT_EQ(u.pen.brush_params().height, 7);
  EXPECT_EQ(u.pen.brush_params().strength, 150);
  EXPECT_EQ(u.pen.brush_params().edge, 100);
  EXPECT_EQ(u.pen.brush_params().density, 90);
  EXPECT_EQ(u.part_present, (std::array<uint8_t, 4>{1, 1, 1, 1}));
  for (int i = 0; i < 3; ++i) ExpectPartsEqual(u.parts[size_t(i)], t.parts[size_t(i)]);
  // Mode 1 stores no branch sprite: part image 3 comes back empty.
  EXPECT_TRUE(u.parts[3].surface.empty());
  EXPECT_TRUE(u.parts[3].alpha.empty());
  EXPECT_EQ(u.parts[3].params, (std::array<int32_t, 12>{}));
}

TEST(KiRecord, RoundTripPenMode0KeepsBranchSprite) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 0);
  t.part_jitter = t.branch_jitter = 0;
  auto bytes = Record(t);
  // Mode 0: no brush values after the countdown; part image 0 starts there.
  const size_t part0 = kOffOps + 33 * 40 + 20 + 11 * 4;
  EXPECT_EQ(I32At(bytes, part0 + 20), 100);
  Tree u;
  ByteReader in(bytes);
  ASSERT_EQ(ReadTreeRecord(in, u), kKiOk);
  EXPECT_TRUE(in.at_end());
  ExpectStoredFieldsEqual(u, t);
  for (int i = 0; i < 4; ++i) ExpectPartsEqual(u.parts[size_t(i)], t.parts[size_t(i)]);
}

TEST(KiRecord, OtherPenModeStoresNeitherBrushNorSprite) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 2);
  auto bytes = Record(t);
  KiRecord rec;
  ByteReader in(bytes);
  ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
  EXPECT_TRUE(in.at_end());
  EXPECT_EQ(rec.pen.mode, 2);
  EXPECT_EQ(rec.part_count, 3);
}

TEST(KiRecord, RoundTripVersion01) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 0);
  t.part_jitter = t.branch_jitter = 0;
  auto bytes = Record(t, 0.1f);
  EXPECT_EQ(bytes.size(), Record(t).size() - 260);
  // No file-name field: the loop chance sits 260 bytes earlier.
  EXPECT_EQ(I32At(bytes, kOffLoop - 260), 7);
  KiRecord rec;
  ByteReader in(bytes);
  ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
  EXPECT_FALSE(rec.has_file_name);
  EXPECT_TRUE(rec.has_branch_jitter);
  Tree u;
  u.file_name = "before.ki";
  ByteReader in2(bytes);
  ASSERT_EQ(ReadTreeRecord(in2, u), kKiOk);
  EXPECT_EQ(u.file_name, "before.ki");  // a record without the field keeps it
  ExpectStoredFieldsEqual(u, t);
  ExpectOpsEqual(u.ops, t.ops);
  for (int i = 0; i < 4; ++i) ExpectPartsEqual(u.parts[size_t(i)], t.parts[size_t(i)]);
}

TEST(KiRecord, RoundTripOldestVersionCopiesPartJitter) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 1);
  t.part_jitter = 0;
  t.branch_jitter = 9;  // not stored in this layout
  auto bytes = Record(t, 0.05f);
  EXPECT_EQ(bytes.size(), Record(t, 0.1f).size());  // 45 + 4 + 1 = 41 + 4 + 1 + 4
  for (size_t i = 279; i < 324; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(I32At(bytes, 324), 7);  // loop chance after 45 reserved bytes
  EXPECT_EQ(bytes[328], 1);         // mutant
  EXPECT_EQ(I32At(bytes, 329), 1);  // kind
  Tree u;
  ByteReader in(bytes);
  ASSERT_EQ(ReadTreeRecord(in, u), kKiOk);
  EXPECT_EQ(u.branch_jitter, 0);
  EXPECT_EQ(u.part_jitter, 0);
  t.branch_jitter = 0;
  ExpectStoredFieldsEqual(u, t);
  ExpectOpsEqual(u.ops, t.ops);
}

// A version 0.05 record built byte by byte: root branch only, pen mode 1,
// three empty part images.
std::vector<uint8_t> HandBuiltOldRecord() {
  std::vector<uint8_t> b(15 + 4 + 260 + 50 + 9 * 4 + 4 + 8 + 4 + 4 + 100 + 40 + 20 + 17 * 4 + 3 * 88, 0);
  std::memcpy(b.data(), "sylvanewood_ki", 15);
  PutF32(b, 15, 0.05f);
  std::memcpy(b.data() + 19, "old", 4);
  PutI32(b, 324, 11);  // loop chance
  b[328] = 0;          // mutant
  PutI32(b, 329, 0);   // kind
  const int32_t fields[9] = {30, 40, 50, 60, 2, 70, 5, 1, 1};  // speed .. part jitter, state, op count
  for (int k = 0; k < 9; ++k) PutI32(b, 333 + 4 * size_t(k), fields[k]);
  PutI32(b, 369, 12);   // plant x
  PutI32(b, 373, 34);   // plant y
  PutI32(b, 381, 0);    // cursor
  const size_t op = 385 + 100;
  PutI32(b, op, 100);
  PutI32(b, op + 16, 1);  // aux
  const size_t pen = op + 40 + 20;
  const int32_t pen_fields[17] = {1, 90, 0, 12, 34, 2, 10, 20, 30, 4, 0, 6, 6, 120, 80, 70, 1};
  for (int k = 0; k < 17; ++k) PutI32(b, pen + 4 * size_t(k), pen_fields[k]);
  return b;
}

TEST(KiRecord, HandBuiltOldestRecord) {
  RecordingPlatform platform;
  auto b = HandBuiltOldRecord();
  KiRecord rec;
  ByteReader in(b);
  ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
  EXPECT_TRUE(in.at_end());
  EXPECT_EQ(rec.name, "old");
  EXPECT_FALSE(rec.has_file_name);
  EXPECT_FALSE(rec.has_branch_jitter);
  EXPECT_EQ(rec.loop_chance, 11);
  EXPECT_EQ(rec.growth_speed, 30);
  EXPECT_EQ(rec.split_distance, 40);
  EXPECT_EQ(rec.split_spread, 50);
  EXPECT_EQ(rec.split_chance, 60);
  EXPECT_EQ(rec.split_max, 2);
  EXPECT_EQ(rec.mutation_chance, 70);
  EXPECT_EQ(rec.part_jitter, 5);
  EXPECT_EQ(rec.branch_jitter, 5);
  EXPECT_EQ(rec.state, 1);
  ASSERT_EQ(rec.ops.size(), 1u);
  EXPECT_EQ(rec.ops[0].aux, 1);
  EXPECT_EQ(rec.plant_x, 12);
  EXPECT_EQ(rec.plant_y, 34);
  EXPECT_EQ(rec.pen.red, 10);
  EXPECT_EQ(rec.pen.brush.width, 6);
  EXPECT_EQ(rec.pen.brush.strength, 120);
  EXPECT_EQ(rec.pen.brush.type, 1);

  Tree u;
  ByteReader in2(b);
  ASSERT_EQ(ReadTreeRecord(in2, u), kKiOk);
  EXPECT_EQ(u.branch_jitter, 5);
  EXPECT_TRUE(u.parts[0].surface.empty());
}

void ExpectRefused(const std::vector<uint8_t>& bytes, int status, const std::string& text) {
  RecordingPlatform platform;
  Tree u;
  u.name = "keep";
  u.file_name = "keep.ki";
  u.growth_speed = 77;
  ByteReader in(bytes);
  EXPECT_EQ(ReadTreeRecord(in, u), status);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, text);
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(u.name, "keep");
  EXPECT_EQ(u.file_name, "keep.ki");
  EXPECT_EQ(u.growth_speed, 77);
  EXPECT_TRUE(u.ops.empty());
}

TEST(KiRecord, FewerThan15BytesIsNotSupported) {
  std::vector<uint8_t> b(14);
  std::memcpy(b.data(), "sylvanewood_ki", 14);
  ExpectRefused(b, kKiTooShort, "このファイルには対応していません。LoadKi");
  ExpectRefused({}, kKiTooShort, "このファイルには対応していません。LoadKi");
}

TEST(KiRecord, AnyMagicDifferenceIsNotAKiFile) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto good = Record(t);
  for (size_t i = 0; i < 14; ++i) {
    auto b = good;
    b[i] ^= 0x20;
    ExpectRefused(b, kKiNotKi, "このファイルはKIファイルではありません。LoadKi");
  }
  // The 15th byte is not compared.
  auto b = good;
  b[14] = 'x';
  RecordingPlatform platform;
  Tree u;
  ByteReader in(b);
  EXPECT_EQ(ReadTreeRecord(in, u), kKiOk);
}

TEST(KiRecord, NewerVersionNeedsUpgrade) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto b = Record(t);
  PutF32(b, kOffVersion, 0.21f);
  ExpectRefused(b, kKiNewer, "このKIファイルを読み込むには、本体のバージョンアップが必要です。LoadKi");
  PutF32(b, kOffVersion, 0.2000001f);
  ExpectRefused(b, kKiNewer, "このKIファイルを読み込むには、本体のバージョンアップが必要です。LoadKi");
}

TEST(KiRecord, TruncatedAtEveryLengthIsRefused) {
  Tree t;
  MakeFixtureTree(t, 0);
  auto good = Record(t);
  for (size_t n = 15; n < good.size(); ++n) {
    std::vector<uint8_t> b(good.begin(), good.begin() + long(n));
    RecordingPlatform platform;
    Tree u;
    u.name = "keep";
    ByteReader in(b);
    ASSERT_EQ(ReadTreeRecord(in, u), kKiDamaged) << "length " << n;
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "このファイルには対応していません。LoadKi");
    EXPECT_EQ(u.name, "keep");
  }
}

std::vector<uint8_t> WithOp(const std::vector<uint8_t>& good, size_t op, int field, int32_t value) {
  auto b = good;
  PutI32(b, kOffOps + op * 40 + size_t(field) * 4, value);
  return b;
}

TEST(KiRecord, UnsoundProgramsAreRefused) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto good = Record(t);
  const std::string text = "このファイルには対応していません。LoadKi";
  ExpectRefused(WithOp(good, 0, 0, 101), kKiDamaged, text);    // root is not a branch
  ExpectRefused(WithOp(good, 5, 3, 5), kKiDamaged, text);      // parent is itself
  ExpectRefused(WithOp(good, 5, 3, 9), kKiDamaged, text);      // parent comes later
  ExpectRefused(WithOp(good, 5, 3, -1), kKiDamaged, text);     // parent negative
  ExpectRefused(WithOp(good, 5, 3, 2), kKiDamaged, text);      // parent is a leaf
  auto loop = WithOp(good, 32, 0, 103);                        // last op becomes a loop point
  ExpectRefused(WithOp(loop, 32, 7, 2), kKiDamaged, text);     // loop branch is a leaf
  ExpectRefused(WithOp(loop, 32, 7, 40), kKiDamaged, text);    // loop branch out of range
  RecordingPlatform platform;
  Tree u;
  auto ok = WithOp(loop, 32, 7, 31);
  ByteReader in(ok);
  EXPECT_EQ(ReadTreeRecord(in, u), kKiOk);
  EXPECT_EQ(u.ops[32].code, 103);
}

TEST(KiRecord, WrongCountsAndSizesAreRefused) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto good = Record(t);
  const std::string text = "このファイルには対応していません。LoadKi";
  auto b = good;
  PutI32(b, kOffOpCount, 0x7FFFFFFF);
  ExpectRefused(b, kKiDamaged, text);
  PutI32(b, kOffOpCount, -1);
  ExpectRefused(b, kKiDamaged, text);
  PutI32(b, kOffOpCount, 34);  // one op more than stored: the pen is read as an op
  ExpectRefused(b, kKiDamaged, text);

  const size_t part0 = kOffOps + 33 * 40 + 20 + 17 * 4;
  b = good;
  PutI32(b, part0 + 68, 20000);  // width above the largest picture
  ExpectRefused(b, kKiDamaged, text);
  b = good;
  PutI32(b, part0 + 68, 6);  // wider than coded: the block no longer fills it
  ExpectRefused(b, kKiDamaged, text);
  b = good;
  PutI32(b, part0 + 76, 0);  // picture without code bits
  ExpectRefused(b, kKiDamaged, text);
  b = good;
  PutI32(b, part0 + 76, 0x7FFFFFF0);  // more code bits than the file holds
  ExpectRefused(b, kKiDamaged, text);
  b = good;
  b[part0 + 80] = 0xFF;  // counts of the block changed: decoding overflows or the
  b[part0 + 81] = 0xFF;  // picture comes out short, either way a different tree
  RecordingPlatform platform;
  Tree u;
  ByteReader in(b);
  int status = ReadTreeRecord(in, u);
  EXPECT_TRUE(status == kKiOk || status == kKiDamaged);
}

TEST(KiRecord, AlphaLengthMustMatchThePicture) {
  Tree t;
  MakeFixtureTree(t, 1);
  auto good = Record(t);
  KiRecord rec;
  ByteReader probe(good);
  ASSERT_EQ(ParseTreeRecord(probe, rec), kKiOk);
  const size_t part0 = kOffOps + 33 * 40 + 20 + 17 * 4;
  const size_t alpha_len = part0 + 80 + HuffmanBlockSize(rec.parts[0].surface_bits);
  EXPECT_EQ(I32At(good, alpha_len), 20);
  auto b = good;
  PutI32(b, alpha_len, 19);
  ExpectRefused(b, kKiDamaged, "このファイルには対応していません。LoadKi");
  b = good;
  PutI32(b, alpha_len + 4, 0);  // plane without code bits
  ExpectRefused(b, kKiDamaged, "このファイルには対応していません。LoadKi");
}

TEST(KiRecord, LongNamesAreCutAtACharacterBoundary) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 1);
  t.name.clear();
  for (int i = 0; i < 150; ++i) t.name += "樹";  // 300 bytes of two-byte characters
  auto b = Record(t);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + kOffName)).size(), 258u);
  EXPECT_EQ(b[kOffName + 258], 0);
  // A field filled to the last byte without its NUL keeps 259 bytes at most.
  std::memset(b.data() + kOffName, 'a', 260);
  KiRecord rec;
  ByteReader in(b);
  ASSERT_EQ(ParseTreeRecord(in, rec), kKiOk);
  EXPECT_EQ(rec.name, std::string(259, 'a'));
}

TEST(KiRecord, LengthJitterWithKnownDraws) {
  // Seed 1 gives 41, 18467, 6334, 26500, 19169, ...
  SeedRandom(1);
  ASSERT_EQ(Rand(), 41);
  ASSERT_EQ(Rand(), 18467);
  std::vector<GrowthOp> ops(4);
  ops[0] = {100, 0, 30, 0, 1, 0, 0, 0, 0, 0};   // the root: never jittered
  ops[1] = {100, 0, 40, 0, 2, 0, 0, 0, 0, 0};   // branch: branch jitter 4
  ops[2] = {102, 45, 10, 1, 0, 0, 0, 0, 0, 0};  // leaf: part jitter 1
  ops[3] = {101, 0, 0, 1, 0, 0, 0, 0, 0, 0};    // length 0: never jittered
  SeedRandom(1);
  JitterLengths(ops, 1, 4);
  EXPECT_EQ(ops[0].length, 30);
  EXPECT_EQ(ops[1].length, 43);  // 41 odd: +, 18467 % 4 = 3
  EXPECT_EQ(ops[2].length, 10);  // 6334 even: -, 26500 % 1 = 0
  EXPECT_EQ(ops[3].length, 0);
  EXPECT_EQ(Rand(), 19169);      // exactly four draws were used
}

TEST(KiRecord, LengthJitterNeverBelowOneAndNoDrawForZeroRange) {
  std::vector<GrowthOp> ops(3);
  ops[0] = {100, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ops[1] = {100, 0, 2, 0, 0, 0, 0, 0, 0, 0};
  ops[2] = {102, 0, 5, 1, 0, 0, 0, 0, 0, 0};
  for (uint32_t seed = 0; seed < 200; ++seed) {
    auto copy = ops;
    SeedRandom(seed);
    JitterLengths(copy, 0, 50);
    EXPECT_GE(copy[1].length, 1);
    EXPECT_LE(copy[1].length, 2 + 49);
    EXPECT_EQ(copy[2].length, 5);  // range 0: unchanged
    // Draws: sign and range for op 1, sign only for op 2.
    SeedRandom(seed);
    Rand();
    Rand();
    Rand();
    uint32_t expected = RandomState();
    SeedRandom(seed);
    JitterLengths(ops, 0, 50);
    ops = {ops[0], {100, 0, 2, 0, 0, 0, 0, 0, 0, 0}, {102, 0, 5, 1, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(RandomState(), expected);
  }
}

TEST(KiRecord, LoadTwiceGrowsDifferently) {
  RecordingPlatform platform;
  Tree t;
  MakeFixtureTree(t, 1);
  t.branch_jitter = 10;
  t.part_jitter = 10;
  auto bytes = Record(t);
  Tree a, b;
  SeedRandom(5);
  ByteReader ia(bytes);
  ASSERT_EQ(ReadTreeRecord(ia, a), kKiOk);
  ByteReader ib(bytes);
  ASSERT_EQ(ReadTreeRecord(ib, b), kKiOk);
  int differing = 0;
  for (size_t i = 1; i < a.ops.size(); ++i) differing += a.ops[i].length != b.ops[i].length;
  EXPECT_GT(differing, 0);
  EXPECT_EQ(a.ops[0].length, 0);
}

TEST(KiRecord, ProgramCheckAgreesWithGrowth) {
  // Every program the reader accepts is one growth accepts, and the other way round.
  RecordingPlatform platform;
  SeedRandom(77);
  for (int round = 0; round < 300; ++round) {
    Tree t;
    MakeFixtureTree(t, 1);
    t.part_jitter = t.branch_jitter = 0;
    int changes = Rand() % 3;
    for (int c = 0; c < changes; ++c) {
      GrowthOp& op = t.ops[size_t(Rand() % 33)];
      switch (Rand() % 3) {
        case 0: op.code = 100 + Rand() % 5; break;
        case 1: op.parent = Rand() % 40 - 3; break;
        default: op.loop_branch = Rand() % 40 - 3; break;
      }
    }
    auto bytes = Record(t);
    Tree u;
    ByteReader in(bytes);
    int status = ReadTreeRecord(in, u);
    EXPECT_EQ(status == kKiOk, ValidateGrowthProgram(t)) << "round " << round;
  }
}

TEST(KiFile, SaveSetsFileNameAndLoadRestoresIt) {
  RecordingPlatform platform;
  TempDir dir;
  Tree t;
  MakeFixtureTree(t, 0);
  t.part_jitter = t.branch_jitter = 0;
  // JoinPath, not TempDir::File: that one re-encodes a Shift-JIS name on Windows.
  const std::string path = JoinPath(dir.path(), "保存した樹.ki");
  ASSERT_EQ(SaveTreeFile(t, path), 0);
  EXPECT_EQ(t.file_name, "保存した樹.ki");
  EXPECT_TRUE(platform.messages.empty());
  Tree u;
  ASSERT_EQ(LoadTreeFile(u, path), 0);
  EXPECT_EQ(u.file_name, "保存した樹.ki");
  ExpectStoredFieldsEqual(u, t);
  ExpectOpsEqual(u.ops, t.ops);
  for (int i = 0; i < 4; ++i) ExpectPartsEqual(u.parts[size_t(i)], t.parts[size_t(i)]);
  // The stored name wins over the path for a version 0.2 file.
  const std::string other = dir.File("renamed.ki");
  std::rename(path.c_str(), other.c_str());
  ASSERT_EQ(LoadTreeFile(u, other), 0);
  EXPECT_EQ(u.file_name, "保存した樹.ki");
}

TEST(KiFile, OlderFileTakesItsNameFromThePath) {
  RecordingPlatform platform;
  TempDir dir;
  Tree t;
  MakeFixtureTree(t, 1);
  ASSERT_TRUE(WriteFileAtomically(dir.File("old.ki"), Record(t, 0.1f)));
  Tree u;
  u.file_name = "x";
  ASSERT_EQ(LoadTreeFile(u, dir.File("old.ki")), 0);
  EXPECT_EQ(u.file_name, "old.ki");
}

TEST(KiFile, MissingFileAndUnwritableFolder) {
  RecordingPlatform platform;
  TempDir dir;
  Tree u;
  u.file_name = "same";
  EXPECT_EQ(LoadTreeFile(u, dir.File("none.ki")), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。LoadKi");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(u.file_name, "same");

  Tree t;
  MakeFixtureTree(t, 1);
  EXPECT_EQ(SaveTreeFile(t, dir.File("no_such_folder/x.ki")), -1);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[1].text, "ファイルのオープンに失敗しました。SaveKi");
  EXPECT_EQ(platform.messages[1].caption, "エラー");
  EXPECT_EQ(t.file_name, "ファイル名");
}

TEST(KiFile, RefusedFileLeavesTreeAndShowsOneMessage) {
  RecordingPlatform platform;
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.File("bad.ki"), std::vector<uint8_t>{'s', 'y', 'l'}));
  Tree u;
  u.name = "keep";
  EXPECT_EQ(LoadTreeFile(u, dir.File("bad.ki")), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "このファイルには対応していません。LoadKi");
  EXPECT_EQ(u.name, "keep");
}

TEST(KiFile, SaveReplacesAnExistingFileWhole) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("t.ki");
  ASSERT_TRUE(WriteFileAtomically(path, std::vector<uint8_t>(100000, 0xAB)));
  Tree t;
  MakeFixtureTree(t, 1);
  ASSERT_EQ(SaveTreeFile(t, path), 0);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk);
  EXPECT_EQ(bytes, Record(t));
}

TEST(KiFile, SaveDialogWithoutInstalledDialogIsCancelled) {
  Tree t;
  std::string folder = "f";
  EXPECT_EQ(SaveTreeWithDialog(t, folder), -1);
  int calls = 0;
  SetTreeSaveDialog([&](Tree&, std::string& f) {
    ++calls;
    f = "chosen";
    return 0;
  });
  EXPECT_EQ(SaveTreeWithDialog(t, folder), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(folder, "chosen");
  SetTreeSaveDialog(nullptr);
}

}  // namespace
}  // namespace sylvane
