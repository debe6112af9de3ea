// Gardens for the canvas-file and planting tests: a garden of its own (canvas,
// table, labels) filled with distinct values everywhere, and a snapshot that
// tells whether anything of a garden changed.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/random.h"
#include "canvas/canvas_file.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "treefile/tree_fixtures.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane::testing {

// A garden that is not the process's.
struct TestGarden {
  Canvas canvas;
  std::unique_ptr<TreeTable> table = std::make_unique<TreeTable>();
  LabelList labels;
  GardenRefs refs() { return GardenRefs{canvas, *table, labels}; }
};

// Tree-layer byte and weight of pixel (x, buffer row r), distinct enough that
// a shifted or flipped layer shows.
inline uint8_t LayerByte(int x, int r, int c) { return uint8_t((x * 7 + r * 13 + c * 71) % 256); }
inline uint8_t WeightByte(int x, int r) { return uint8_t((x * 31 + r * 5) % 256); }

// A width x height canvas in colour 0x00336699 (interval 5, countdown 2, a
// fixed clock), its tree layer and weight plane painted with LayerByte and
// WeightByte.
inline void FillCanvas(Canvas& canvas, int width, int height) {
  ASSERT_EQ(SetUpCanvasLayers(canvas, width, height, 0x00336699u, kBackgroundColour, Surface{}, 5, false),
            kCanvasOk);
  for (int r = 0; r < height; ++r) {
    uint8_t* row = canvas.trees.BufferRow(r);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = LayerByte(x, r, c);
      canvas.weight.BufferRow(r)[x] = WeightByte(x, r);
    }
  }
  canvas.remaining_minutes = 2;
  canvas.last_daily_update = LocalTime{2024, 3, 2, 16, 21, 45, 7, 123};
  canvas.elapsed_hours = 97;
  canvas.elapsed_minutes = 59;
  canvas.elapsed_seconds = 29;
}

// A fixture tree whose lengths survive reading unchanged (both jitters 0).
inline void MakeSteadyTree(Tree& t, int pen_mode, const std::string& name) {
  MakeFixtureTree(t, pen_mode);
  t.part_jitter = 0;
  t.branch_jitter = 0;
  t.name = name;
  t.file_name = name + ".ki";
}

// Three living trees (slots 0, 3 and 99; pen modes 1, 0, 1; states 1, 2, 2;
// label states 1, 0, 2), one waiting tree in slot 5 (state 0), growing count
// 3, and three labels.
inline void FillGarden(TestGarden& g, int width = 40, int height = 30) {
  FillCanvas(g.canvas, width, height);
  TreeTable& table = *g.table;
  MakeSteadyTree(table[0], 1, "樹ゼロ");
  table[0].state = 1;
  table[0].label_state = 1;
  MakeSteadyTree(table[3], 0, "樹さん");
  table[3].state = 2;
  table[3].label_state = 0;
  MakeSteadyTree(table[99], 1, "最後の樹");
  table[99].state = 2;
  table[99].label_state = 2;
  MakeSteadyTree(table[5], 1, "待つ樹");
  table[5].state = 0;
  table.SetCount(3);
  g.labels.Clear();
  g.labels.text_colour = 0x0000FF00;
  g.labels.font_height = 17;
  g.labels.display_mode = kLabelsFileNames;
  g.labels.Add(LabelEntry{"樹ゼロ", 1, 0, 12, 7, "樹ゼロ.ki"});
  g.labels.Add(LabelEntry{"樹さん_var", 0, 1, -3, 250, "樹さん.ki"});
  g.labels.Add(LabelEntry{"最後の樹", 1, 0, 39, 0, "最後の樹.ki"});
}

inline std::vector<uint8_t> RecordBytes(const Tree& t) {
  ByteWriter w;
  WriteTreeRecord(w, t);
  return w.bytes();
}

// Everything a garden holds, for before/after comparisons.
struct GardenSnapshot {
  struct Slot {
    int32_t state;
    uint32_t cursor;
    uint8_t label_state;
    std::array<uint8_t, kPartCount> part_present;
    std::string file_name;
    std::vector<uint8_t> record;      // the whole tree record (every stored field)
    std::vector<float> brush_cells;   // the pen's built pattern
  };
  std::vector<Slot> slots;
  int growing = 0;
  std::vector<uint8_t> background, trees, weight;
  int32_t widths[3] = {};
  int32_t heights[3] = {};
  uint32_t colour = 0;
  uint8_t kind = 0, stretch = 0, exists = 0, has_file = 0;
  std::string background_path, file_path;
  int32_t interval = 0, remaining = 0, hours = 0, minutes = 0, seconds = 0;
  std::vector<int> last_update;
  std::vector<std::string> label_texts;
  std::vector<int32_t> label_values;
  int32_t label_colour = 0, label_font = 0;
  uint8_t label_mode = 0;
  uint32_t random_state = 0;
};

inline GardenSnapshot Capture(TestGarden& g) {
  GardenSnapshot s;
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    const Tree& t = (*g.table)[i];
    s.slots.push_back({t.state, t.cursor, t.label_state, t.part_present, t.file_name, RecordBytes(t),
                       t.pen.brush.cells.cells});
  }
  s.growing = g.table->growing_count();
  const Canvas& c = g.canvas;
  s.background = c.background.pixels;
  s.trees = c.trees.pixels;
  s.weight = c.weight.bytes;
  s.widths[0] = c.background.width;
  s.widths[1] = c.trees.width;
  s.widths[2] = c.weight.width;
  s.heights[0] = c.background.height;
  s.heights[1] = c.trees.height;
  s.heights[2] = c.weight.height;
  s.colour = c.background_colour;
  s.kind = c.background_kind;
  s.stretch = c.stretch;
  s.exists = c.exists;
  s.has_file = c.has_file;
  s.background_path = c.background_path;
  s.file_path = c.file_path;
  s.interval = c.update_interval;
  s.remaining = c.remaining_minutes;
  s.hours = c.elapsed_hours;
  s.minutes = c.elapsed_minutes;
  s.seconds = c.elapsed_seconds;
  const LocalTime& t = c.last_daily_update;
  s.last_update = {t.year, t.month, t.day_of_week, t.day, t.hour, t.minute, t.second, t.milliseconds};
  for (const LabelEntry& e : g.labels.entries) {
    s.label_texts.push_back(e.name);
    s.label_texts.push_back(e.file_name);
    s.label_values.insert(s.label_values.end(), {e.kind, e.mutant, e.x, e.y});
  }
  s.label_colour = g.labels.text_colour;
  s.label_font = g.labels.font_height;
  s.label_mode = g.labels.display_mode;
  s.random_state = RandomState();
  return s;
}

inline void ExpectSameGarden(const GardenSnapshot& a, const GardenSnapshot& b) {
  ASSERT_EQ(a.slots.size(), b.slots.size());
  for (size_t i = 0; i < a.slots.size(); ++i) {
    EXPECT_EQ(a.slots[i].state, b.slots[i].state) << "slot " << i;
    EXPECT_EQ(a.slots[i].cursor, b.slots[i].cursor) << "slot " << i;
    EXPECT_EQ(a.slots[i].label_state, b.slots[i].label_state) << "slot " << i;
    EXPECT_EQ(a.slots[i].part_present, b.slots[i].part_present) << "slot " << i;
    EXPECT_EQ(a.slots[i].file_name, b.slots[i].file_name) << "slot " << i;
    EXPECT_TRUE(a.slots[i].record == b.slots[i].record) << "slot " << i;
    EXPECT_TRUE(a.slots[i].brush_cells == b.slots[i].brush_cells) << "slot " << i;
  }
  EXPECT_EQ(a.growing, b.growing);
  EXPECT_TRUE(a.background == b.background);
  EXPECT_TRUE(a.trees == b.trees);
  EXPECT_TRUE(a.weight == b.weight);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(a.widths[k], b.widths[k]);
    EXPECT_EQ(a.heights[k], b.heights[k]);
  }
  EXPECT_EQ(a.colour, b.colour);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.stretch, b.stretch);
  EXPECT_EQ(a.exists, b.exists);
  EXPECT_EQ(a.has_file, b.has_file);
  EXPECT_EQ(a.background_path, b.background_path);
  EXPECT_EQ(a.file_path, b.file_path);
  EXPECT_EQ(a.interval, b.interval);
  EXPECT_EQ(a.remaining, b.remaining);
  EXPECT_EQ(a.hours, b.hours);
  EXPECT_EQ(a.minutes, b.minutes);
  EXPECT_EQ(a.seconds, b.seconds);
  EXPECT_EQ(a.last_update, b.last_update);
  EXPECT_EQ(a.label_texts, b.label_texts);
  EXPECT_EQ(a.label_values, b.label_values);
  EXPECT_EQ(a.label_colour, b.label_colour);
  EXPECT_EQ(a.label_font, b.label_font);
  EXPECT_EQ(a.label_mode, b.label_mode);
  EXPECT_EQ(a.random_state, b.random_state);
}

// The garden's canvas file image.
inline std::vector<uint8_t> Encode(TestGarden& g, float version = kSylVersion) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeCanvasFileAs(g.refs(), version, bytes));
  return bytes;
}

}  // namespace sylvane::testing
