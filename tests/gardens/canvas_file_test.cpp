// Canvas files: the byte layout, round trips of all three layouts, and the
// rules of reading (counts, clocks, labels, layers, background pictures).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "garden_fixtures.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

void ExpectTreeAsRead(const Tree& saved, const Tree& read, bool with_file_name) {
  EXPECT_EQ(read.name, saved.name);
  EXPECT_EQ(read.file_name, with_file_name ? saved.file_name : std::string("ファイル名不明"));
  EXPECT_EQ(read.kind, saved.kind);
  EXPECT_EQ(read.mutant, saved.mutant);
  EXPECT_EQ(read.growth_speed, saved.growth_speed);
  EXPECT_EQ(read.split_distance, saved.split_distance);
  EXPECT_EQ(read.split_spread, saved.split_spread);
  EXPECT_EQ(read.split_chance, saved.split_chance);
  EXPECT_EQ(read.split_max, saved.split_max);
  EXPECT_EQ(read.loop_chance, saved.loop_chance);
  EXPECT_EQ(read.mutation_chance, saved.mutation_chance);
  EXPECT_EQ(read.part_jitter, saved.part_jitter);
  EXPECT_EQ(read.branch_jitter, saved.branch_jitter);
  EXPECT_EQ(read.state, saved.state);
  EXPECT_EQ(read.plant_x, saved.plant_x);
  EXPECT_EQ(read.plant_y, saved.plant_y);
  EXPECT_EQ(read.cursor, saved.cursor);
  ExpectOpsEqual(read.ops, saved.ops);
  EXPECT_EQ(read.pen.mode, saved.pen.mode);
  EXPECT_EQ(read.pen.heading, saved.pen.heading);
  EXPECT_EQ(read.pen.step_count, saved.pen.step_count);
  EXPECT_EQ(read.pen.x, saved.pen.x);
  EXPECT_EQ(read.pen.y, saved.pen.y);
  EXPECT_EQ(read.pen.heading_variance, saved.pen.heading_variance);
  EXPECT_EQ(read.pen.red, saved.pen.red);
  EXPECT_EQ(read.pen.green, saved.pen.green);
  EXPECT_EQ(read.pen.blue, saved.pen.blue);
  EXPECT_EQ(read.pen.stamp_interval, saved.pen.stamp_interval);
  EXPECT_EQ(read.pen.stamp_countdown, saved.pen.stamp_countdown);
  if (saved.pen.mode == 1) {
    const BrushParams a = saved.pen.brush_params(), b = read.pen.brush_params();
    EXPECT_EQ(b.type, a.type);
    EXPECT_EQ(b.width, a.width);
    EXPECT_EQ(b.height, a.height);
    EXPECT_EQ(b.strength, a.strength);
    EXPECT_EQ(b.edge, a.edge);
    EXPECT_EQ(b.density, a.density);
  }
  // Read part images are all created afresh; part image 3 is stored only for
  // pen mode 0.
  EXPECT_EQ(read.part_present, (std::array<uint8_t, kPartCount>{1, 1, 1, 1}));
  for (int i = 0; i < 3; ++i) ExpectPartsEqual(read.parts[size_t(i)], saved.parts[size_t(i)]);
  if (saved.pen.mode == 0) {
    ExpectPartsEqual(read.parts[3], saved.parts[3]);
  } else {
    EXPECT_TRUE(read.parts[3].surface.empty());
  }
}

void ExpectLayersEqual(const Canvas& a, const Canvas& b) {
  ASSERT_EQ(a.trees.width, b.trees.width);
  ASSERT_EQ(a.trees.height, b.trees.height);
  ASSERT_EQ(a.weight.width, b.weight.width);
  ASSERT_EQ(a.weight.height, b.weight.height);
  for (int r = 0; r < a.trees.height; ++r) {
    ASSERT_EQ(std::memcmp(a.trees.BufferRow(r), b.trees.BufferRow(r), size_t(a.trees.width) * 3), 0) << r;
    ASSERT_EQ(std::memcmp(a.weight.BufferRow(r), b.weight.BufferRow(r), size_t(a.weight.width)), 0) << r;
  }
}

class CanvasFileTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;
  TestGarden saved;
  TestGarden loaded;

  void SetUp() override {
    SeedRandom(77);
    FillGarden(saved);
  }

  int Read(const std::vector<uint8_t>& bytes, const std::string& path = "garden.syl") {
    return ReadCanvasFile(bytes.data(), bytes.size(), loaded.refs(), path);
  }
};

// The fields in file order, checked byte by byte without the reader.
TEST_F(CanvasFileTest, WritesTheLayoutFieldByField) {
  const std::vector<uint8_t> bytes = Encode(saved);
  ByteReader in(bytes);
  char magic[16];
  ASSERT_TRUE(in.ReadBytes(magic, 16));
  EXPECT_EQ(std::memcmp(magic, "sylvanewood_syl\0", 16), 0);
  uint32_t u = 0;
  int32_t v = 0;
  ASSERT_TRUE(in.ReadU32(u));
  EXPECT_EQ(u, 0x3E4CCCCDu);
  for (int i = 0; i < 100; ++i) {
    uint8_t b = 1;
    ASSERT_TRUE(in.ReadU8(b));
    EXPECT_EQ(b, 0) << i;
  }
  auto next = [&]() {
    EXPECT_TRUE(in.ReadI32(v));
    return v;
  };
  EXPECT_EQ(next(), 2);  // countdown
  EXPECT_EQ(next(), 5);  // update interval
  const uint16_t time[8] = {2024, 3, 2, 16, 21, 45, 7, 123};
  for (uint16_t want : time) {
    uint16_t got = 0;
    ASSERT_TRUE(in.ReadU16(got));
    EXPECT_EQ(got, want);
  }
  EXPECT_EQ(next(), 97);
  EXPECT_EQ(next(), 59);
  EXPECT_EQ(next(), 29);
  EXPECT_EQ(next(), 3);  // tree count
  EXPECT_EQ(next(), 3);  // entries
  const int slots[3] = {0, 3, 99};
  const uint8_t label_states[3] = {1, 0, 2};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(next(), slots[k]);
    uint8_t ls = 9;
    ASSERT_TRUE(in.ReadU8(ls));
    EXPECT_EQ(ls, label_states[k]);
    const std::vector<uint8_t> record = RecordBytes((*saved.table)[slots[k]]);
    ASSERT_LE(record.size(), in.remaining());
    EXPECT_EQ(std::memcmp(in.current(), record.data(), record.size()), 0) << "record of slot " << slots[k];
    in.Skip(record.size());
  }
  uint8_t used = 9, fit = 9;
  std::string path;
  ASSERT_TRUE(in.ReadU8(used) && in.ReadCharBuffer(260, path) && in.ReadU32(u) && in.ReadU8(fit));
  EXPECT_EQ(used, 0);
  EXPECT_EQ(path, "");
  EXPECT_EQ(u, 0x00336699u);
  EXPECT_EQ(fit, 0);
  for (int i = 0; i < 99; ++i) {
    uint8_t b = 1;
    ASSERT_TRUE(in.ReadU8(b));
    EXPECT_EQ(b, 0);
  }
  EXPECT_EQ(next(), 3);           // labels
  EXPECT_EQ(next(), 0x0000FF00);  // colour
  EXPECT_EQ(next(), 17);          // font height
  uint8_t mode = 0;
  ASSERT_TRUE(in.ReadU8(mode));
  EXPECT_EQ(mode, kLabelsFileNames);
  // Second label: 532 bytes, name, kind, mutant, padding, x, y, file name.
  ASSERT_TRUE(in.Skip(532));
  std::string name, file_name;
  uint8_t kind = 9, mutant = 9;
  ASSERT_TRUE(in.ReadCharBuffer(260, name) && in.ReadU8(kind) && in.ReadU8(mutant) && in.Skip(2));
  EXPECT_EQ(name, "樹さん_var");
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(mutant, 1);
  EXPECT_EQ(next(), -3);
  EXPECT_EQ(next(), 250);
  ASSERT_TRUE(in.ReadCharBuffer(260, file_name));
  EXPECT_EQ(file_name, "樹さん.ki");
  ASSERT_TRUE(in.Skip(532));
  uint8_t present = 0;
  ASSERT_TRUE(in.ReadU8(present));
  EXPECT_EQ(present, 1);
  // The rest is one RGBA PNG of the tree layer with the weight plane as alpha.
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ASSERT_GE(in.remaining(), 26u);
  EXPECT_EQ(std::memcmp(in.current(), signature, 8), 0);
  EXPECT_EQ(in.current()[25], 6) << "colour type RGBA";
  Surface layer;
  AlphaPlane alpha;
  ASSERT_EQ(DecodePng(in.current(), in.remaining(), layer, &alpha, false), kPngOk);
  ASSERT_EQ(layer.width, 40);
  ASSERT_EQ(layer.height, 30);
  EXPECT_EQ(layer.BufferRow(4)[3 * 9 + 1], LayerByte(9, 4, 1));
  EXPECT_EQ(alpha.BufferRow(29)[39], WeightByte(39, 29));
}

TEST_F(CanvasFileTest, CurrentLayoutReadsBackWhole) {
  ASSERT_EQ(Read(Encode(saved)), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
  for (int slot : {0, 3, 99}) {
    SCOPED_TRACE(slot);
    ExpectTreeAsRead((*saved.table)[slot], (*loaded.table)[slot], true);
    EXPECT_EQ((*loaded.table)[slot].label_state, (*saved.table)[slot].label_state);
  }
  for (int i = 0; i < TreeTable::kSlots; ++i)
    if (i != 0 && i != 3 && i != 99) {
      EXPECT_EQ((*loaded.table)[i].state, 0) << i;
    }
  EXPECT_EQ(loaded.table->growing_count(), 3);
  ExpectLayersEqual(saved.canvas, loaded.canvas);
  const Canvas& c = loaded.canvas;
  EXPECT_EQ(c.exists, 1);
  EXPECT_EQ(c.has_file, 1);
  EXPECT_EQ(c.file_path, "garden.syl");
  EXPECT_EQ(c.update_interval, 5);
  EXPECT_EQ(c.remaining_minutes, 5) << "a canvas with a tree layer restarts its countdown";
  EXPECT_EQ(c.elapsed_hours, 97);
  EXPECT_EQ(c.elapsed_minutes, 59);
  EXPECT_EQ(c.elapsed_seconds, 29);
  EXPECT_EQ(c.last_daily_update.year, 2024);
  EXPECT_EQ(c.last_daily_update.milliseconds, 123);
  EXPECT_EQ(c.background_colour, 0x00336699u);
  // The background layer is rebuilt in the colour at the tree layer's size.
  ASSERT_EQ(c.background.width, 40);
  ASSERT_EQ(c.background.height, 30);
  EXPECT_EQ(c.background.PixelAt(17, 11)[0], 0x33);
  EXPECT_EQ(c.background.PixelAt(17, 11)[1], 0x66);
  EXPECT_EQ(c.background.PixelAt(17, 11)[2], 0x99);
  ASSERT_EQ(loaded.labels.count(), 3);
  EXPECT_EQ(loaded.labels.text_colour, 0x0000FF00);
  EXPECT_EQ(loaded.labels.font_height, 17);
  EXPECT_EQ(loaded.labels.display_mode, kLabelsFileNames);
  for (int i = 0; i < 3; ++i) {
    const LabelEntry& a = saved.labels.entries[size_t(i)];
    const LabelEntry& b = loaded.labels.entries[size_t(i)];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.file_name, a.file_name);
    EXPECT_EQ(b.kind, a.kind);
    EXPECT_EQ(b.mutant, a.mutant);
    EXPECT_EQ(b.x, a.x);
    EXPECT_EQ(b.y, a.y);
  }
  // What was read saves to a file that reads back to itself (part images and
  // countdown are as reading made them).
  const std::vector<uint8_t> again = Encode(loaded);
  TestGarden third;
  ASSERT_EQ(ReadCanvasFile(again.data(), again.size(), third.refs(), "again.syl"), kSylOk);
  EXPECT_EQ(Encode(third), again);
}

TEST_F(CanvasFileTest, Version015ReadsShortLabelsWithUnknownFileNames) {
  const std::vector<uint8_t> bytes = Encode(saved, 0.15f);
  ASSERT_EQ(Read(bytes), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
  ASSERT_EQ(loaded.labels.count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.labels.entries[size_t(i)].name, saved.labels.entries[size_t(i)].name);
    EXPECT_EQ(loaded.labels.entries[size_t(i)].file_name, "ファイル名不明");
    EXPECT_EQ(loaded.labels.entries[size_t(i)].x, saved.labels.entries[size_t(i)].x);
  }
  EXPECT_EQ(loaded.labels.font_height, 17);
  for (int slot : {0, 3, 99}) {
    SCOPED_TRACE(slot);
    ExpectTreeAsRead((*saved.table)[slot], (*loaded.table)[slot], false);
    EXPECT_EQ((*loaded.table)[slot].label_state, (*saved.table)[slot].label_state);
  }
  ExpectLayersEqual(saved.canvas, loaded.canvas);
  // The 272-byte form is 260 bytes shorter per label than the current one.
  EXPECT_EQ(Encode(saved).size() - bytes.size(), 3u * 260u + 3u * 260u);  // labels and tree file names
}

TEST_F(CanvasFileTest, Version005HasNoLabelStatesAndNoLabels) {
  const std::vector<uint8_t> bytes = Encode(saved, 0.05f);
  // Stale state of the garden being replaced.
  FillGarden(loaded);
  (*loaded.table)[0].label_state = 1;
  (*loaded.table)[0].file_name = "前の樹.ki";
  ASSERT_EQ(Read(bytes), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
  for (int slot : {0, 3, 99}) {
    SCOPED_TRACE(slot);
    ExpectTreeAsRead((*saved.table)[slot], (*loaded.table)[slot], false);
    // No label state stored: a fresh start, as when the tree is placed.
    EXPECT_EQ((*loaded.table)[slot].label_state, 0) << "the sample program has flowers";
  }
  // No label list stored: none of the replaced garden's labels stay.
  EXPECT_EQ(loaded.labels.count(), 0);
  EXPECT_EQ(loaded.labels.font_height, 17);
  EXPECT_EQ(loaded.table->growing_count(), 3);
  ExpectLayersEqual(saved.canvas, loaded.canvas);
}

TEST_F(CanvasFileTest, EmptyTableWritesNoEntries) {
  saved.table->ClearAll();
  const std::vector<uint8_t> bytes = Encode(saved);
  ByteReader in(bytes);
  int32_t count = -1, entries = -1;
  ASSERT_TRUE(in.Seek(16 + 4 + 100 + 4 + 4 + 16 + 12) && in.ReadI32(count) && in.ReadI32(entries));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(entries, 0);
  uint8_t used = 9;
  ASSERT_TRUE(in.ReadU8(used));
  EXPECT_EQ(used, 0) << "the background row follows at once";
  FillGarden(loaded);
  ASSERT_EQ(Read(bytes), kSylOk);
  EXPECT_EQ(loaded.table->growing_count(), 0);
  for (int i = 0; i < TreeTable::kSlots; ++i) EXPECT_EQ((*loaded.table)[i].state, 0);
}

TEST_F(CanvasFileTest, NoTreeLayerWritesZeroAndReadsAsNoCanvas) {
  TestGarden empty;
  const std::vector<uint8_t> bytes = Encode(empty);
  EXPECT_EQ(bytes.back(), 0) << "the file ends with the tree-layer-present byte";
  FillGarden(loaded);
  ASSERT_EQ(Read(bytes, "empty.syl"), kSylOk);
  EXPECT_EQ(loaded.canvas.exists, 0);
  EXPECT_EQ(loaded.canvas.has_file, 1);
  EXPECT_EQ(loaded.canvas.file_path, "empty.syl");
  // No layers of the replaced garden stay behind to be saved as if it had one.
  EXPECT_TRUE(loaded.canvas.trees.empty());
  EXPECT_TRUE(loaded.canvas.weight.empty());
  EXPECT_TRUE(loaded.canvas.background.empty());
  EXPECT_EQ(Encode(loaded).back(), 0);
}

TEST_F(CanvasFileTest, WithoutTreeLayerTheStoredCountdownStays) {
  TestGarden g;
  g.canvas.update_interval = 9;
  g.canvas.remaining_minutes = 4;
  ASSERT_EQ(Read(Encode(g)), kSylOk);
  EXPECT_EQ(loaded.canvas.update_interval, 9);
  EXPECT_EQ(loaded.canvas.remaining_minutes, 4);
}

TEST_F(CanvasFileTest, GrowingCountIsTheNumberOfLivingTrees) {
  saved.table->SetCount(7);  // drifted
  std::vector<uint8_t> bytes = Encode(saved);
  int32_t stored = 0;
  std::memcpy(&stored, bytes.data() + 156, 4);
  EXPECT_EQ(stored, 7);
  ASSERT_EQ(Read(bytes), kSylOk);
  EXPECT_EQ(loaded.table->growing_count(), 3);
}

TEST_F(CanvasFileTest, TreesAreReadWithTheDrawsOfReadingStraightThrough) {
  (*saved.table)[0].part_jitter = 5;
  (*saved.table)[0].branch_jitter = 9;
  (*saved.table)[99].part_jitter = 3;
  (*saved.table)[99].branch_jitter = 2;
  const std::vector<uint8_t> bytes = Encode(saved);

  SeedRandom(4242);
  ASSERT_EQ(Read(bytes), kSylOk);
  const uint32_t after_file = RandomState();

  // The same records read one after the other with the tree reader.
  TestGarden straight;
  SeedRandom(4242);
  for (int slot : {0, 3, 99}) {
    const std::vector<uint8_t> record = RecordBytes((*saved.table)[slot]);
    ByteReader in(record);
    ASSERT_EQ(ReadTreeRecord(in, (*straight.table)[slot]), kKiOk);
  }
  EXPECT_EQ(RandomState(), after_file);
  for (int slot : {0, 3, 99}) {
    SCOPED_TRACE(slot);
    ExpectOpsEqual((*loaded.table)[slot].ops, (*straight.table)[slot].ops);
    if ((*saved.table)[slot].pen.mode == 1) {
      EXPECT_TRUE((*loaded.table)[slot].pen.brush.cells.cells == (*straight.table)[slot].pen.brush.cells.cells);
    }
  }
  bool jittered = false;
  for (size_t i = 0; i < (*saved.table)[0].ops.size(); ++i)
    jittered |= (*loaded.table)[0].ops[i].length != (*saved.table)[0].ops[i].length;
  EXPECT_TRUE(jittered);
}

TEST_F(CanvasFileTest, AbsurdBrushSizeReadsAsAnEmptyBrush) {
  // Sizes whose cell count overflows 64 bits (found by fuzzing).
  Tree& tree = (*saved.table)[0];
  ASSERT_EQ(tree.pen.mode, 1);
  tree.pen.brush.width = 1768515945;
  tree.pen.brush.height = 1768515945;
  ASSERT_EQ(Read(Encode(saved)), kSylOk);
  const Pen& pen = (*loaded.table)[0].pen;
  EXPECT_EQ(pen.brush_params().width, 1768515945);
  EXPECT_EQ(pen.brush_params().height, 1768515945);
  EXPECT_TRUE(pen.brush.cells.empty());
}

TEST_F(CanvasFileTest, NewerVersionAndForeignMagicAreRefused) {
  std::vector<uint8_t> bytes = Encode(saved);
  const float newer = 0.21f;
  std::memcpy(bytes.data() + 16, &newer, 4);
  EXPECT_EQ(Read(bytes), kSylNewer);
  bytes = Encode(saved);
  bytes[14] = 'X';  // "sylvanewood_syX"
  EXPECT_EQ(Read(bytes), kSylNotSyl);
  bytes = Encode(saved);
  bytes[15] = 'Z';  // the NUL after the magic is not compared
  EXPECT_EQ(Read(bytes), kSylOk);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "このSYLファイルを読み込むには、本体のバージョンアップが必要です。Load_SYL");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(platform.messages[1].text, "このファイルはSYLファイルではありません。Load_SYL");
  EXPECT_EQ(platform.messages[1].caption, "エラー");
}

TEST_F(CanvasFileTest, VersionTwoTenthsIsTheNewestAccepted) {
  std::vector<uint8_t> bytes = Encode(saved);
  const float next = std::nextafter(0.2f, 1.0f);
  std::memcpy(bytes.data() + 16, &next, 4);
  EXPECT_EQ(Read(bytes), kSylNewer);
}

TEST_F(CanvasFileTest, BackgroundPictureIsLoadedFromItsPath) {
  // A 3 x 2 picture stretched over the canvas.
  Surface picture;
  ASSERT_TRUE(picture.CreateFilled(3, 2, 0));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      uint8_t* p = picture.PixelAt(x, y);
      p[0] = uint8_t(10 + x);
      p[1] = uint8_t(20 + y);
      p[2] = 200;
    }
  picture.RefreshHeaders();
  const std::string path = dir.File("背景.bmp");
  ASSERT_EQ(WriteBmp(path, picture), 0);
  Surface reread;
  ASSERT_EQ(LoadImage(path, reread, true), 0);
  ASSERT_EQ(ChangeBackground(saved.canvas, 40, 30, 0x00010203u, kBackgroundPicture, reread, 5, true), kCanvasOk);
  ASSERT_EQ(saved.canvas.background_path, path);
  const std::vector<uint8_t> bytes = Encode(saved);

  ASSERT_EQ(Read(bytes), kSylOk);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(loaded.canvas.background_kind, kBackgroundPicture);
  EXPECT_EQ(loaded.canvas.stretch, 1);
  EXPECT_EQ(loaded.canvas.background_path, path);
  EXPECT_EQ(loaded.canvas.background.pixels, saved.canvas.background.pixels);

  // Without the picture the canvas goes on in its colour, and the path is the
  // message.
  std::remove(path.c_str());
  TestGarden again;
  ASSERT_EQ(ReadCanvasFile(bytes.data(), bytes.size(), again.refs(), "g.syl"), kSylOk);
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().text, path);
  EXPECT_EQ(platform.messages.back().caption, "エラー");
  EXPECT_EQ(again.canvas.background_kind, kBackgroundColour);
  EXPECT_EQ(again.canvas.exists, 1);
  ASSERT_EQ(again.canvas.background.width, 40);
  EXPECT_EQ(again.canvas.background.PixelAt(39, 29)[0], 0x01);
  EXPECT_EQ(again.canvas.background.PixelAt(39, 29)[1], 0x02);
  EXPECT_EQ(again.canvas.background.PixelAt(39, 29)[2], 0x03);
}

TEST_F(CanvasFileTest, PictureWithoutPixelsFillsTheColour) {
  // A picture that failed to load has no size: the colour is used, nothing
  // divides by its width or height.
  Surface no_rows;
  no_rows.width = 5;
  Surface no_columns;
  no_columns.height = 5;
  for (const Surface* picture : {&no_rows, &no_columns}) {
    for (bool stretch : {false, true}) {
      Canvas canvas;
      ASSERT_EQ(ChangeBackground(canvas, 6, 4, 0x00A0B0C0u, kBackgroundPicture, *picture, 3, stretch), kCanvasOk);
      EXPECT_EQ(canvas.background_kind, kBackgroundColour);
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
          const uint8_t* p = canvas.background.PixelAt(x, y);
          ASSERT_EQ(p[0], 0xA0);
          ASSERT_EQ(p[1], 0xB0);
          ASSERT_EQ(p[2], 0xC0);
        }
      }
    }
  }
}

TEST_F(CanvasFileTest, SaveToPathMakesItTheCanvasFileAndDefaultDoesNot) {
  const std::string own = dir.File("own.syl");
  ASSERT_EQ(SaveCanvasFile(saved.refs(), own), kSylSaveOk);
  EXPECT_EQ(saved.canvas.has_file, 1);
  EXPECT_EQ(saved.canvas.file_path, own);
  std::vector<uint8_t> on_disk;
  ASSERT_EQ(ReadWholeFile(own, on_disk), ReadFileStatus::kOk);
  EXPECT_EQ(on_disk, Encode(saved));

  TestGarden fresh;
  FillGarden(fresh);
  ASSERT_EQ(SaveDefaultCanvasFile(fresh.refs(), dir.path()), kSylSaveOk);
  EXPECT_EQ(fresh.canvas.has_file, 0);
  EXPECT_EQ(fresh.canvas.file_path, "");
  ASSERT_EQ(ReadWholeFile(dir.File("default.syl"), on_disk), ReadFileStatus::kOk);
  EXPECT_EQ(on_disk, Encode(fresh));
  EXPECT_TRUE(platform.messages.empty());

  ASSERT_EQ(OpenCanvasFile(loaded.refs(), own), 0);
  EXPECT_EQ(loaded.canvas.file_path, own);
  EXPECT_EQ(loaded.canvas.has_file, 1);
}

TEST_F(CanvasFileTest, OpeningAMissingFileNamesSaveKi) {
  FillGarden(loaded);
  const GardenSnapshot before = Capture(loaded);
  EXPECT_EQ(OpenCanvasFile(loaded.refs(), dir.File("none.syl")), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。SaveKi");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  ExpectSameGarden(before, Capture(loaded));
}

class SortTest : public CanvasFileTest {};

TEST_F(SortTest, CanvasFileIsOpenedAtOnce) {
  const std::string path = dir.File("a.syl");
  ASSERT_EQ(SaveCanvasFile(saved.refs(), path), kSylSaveOk);
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), path), kSortCanvasOpened);
  EXPECT_EQ(loaded.table->growing_count(), 3);
  EXPECT_EQ(loaded.canvas.file_path, path);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SortTest, TreeFileIsLeftToTheCaller) {
  const std::string path = dir.File("a.ki");
  ASSERT_EQ(SaveTreeFile((*saved.table)[0], path), 0);
  FillGarden(loaded);
  const GardenSnapshot before = Capture(loaded);
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), path), kSortTreeFile);
  EXPECT_TRUE(platform.messages.empty());
  ExpectSameGarden(before, Capture(loaded));
}

TEST_F(SortTest, OtherFilesAreRefused) {
  const std::string other = dir.File("a.txt");
  const std::string text = "sylvanewood_sy! and some more text";
  ASSERT_TRUE(WriteFileAtomically(other, text.data(), text.size()));
  const std::string short_file = dir.File("short.syl");
  ASSERT_TRUE(WriteFileAtomically(short_file, "sylvanewood_syl", 15));
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), other), kSortFailed);
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), short_file), kSortFailed);
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), dir.File("missing.syl")), kSortFailed);
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].text, "このファイルには対応していません。Load_KI_SYL");
  EXPECT_EQ(platform.messages[1].text, "このファイルには対応していません。Load_KI_SYL");
  EXPECT_EQ(platform.messages[2].text, "ファイルのオープンに失敗しました。Load_KI_SYL");
  for (const RecordedMessage& m : platform.messages) EXPECT_EQ(m.caption, "エラー");
}

TEST_F(SortTest, DamagedCanvasFileIsNotReportedAsOpened) {
  std::vector<uint8_t> bytes = Encode(saved);
  bytes.resize(bytes.size() - 40);
  const std::string path = dir.File("cut.syl");
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
  FillGarden(loaded);
  const GardenSnapshot before = Capture(loaded);
  EXPECT_EQ(SortTreeOrCanvasFile(loaded.refs(), path), kSortCanvasRefused);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "このファイルには対応していません。Load_SYL");
  ExpectSameGarden(before, Capture(loaded));
}

}  // namespace
}  // namespace sylvane::testing
