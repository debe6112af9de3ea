#include "two_tree_garden.h"

#include "canvas/canvas_file.h"
#include "canvas/garden.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "res/commands.h"
#include "trees/part_data.h"
#include "trees/tree.h"
#include "ui/canvas_window_win.h"

namespace e2e {

// A 300 x 200 garden with the sample tree planted as A and as B, each with
// its name label (already placed, so that growth adds none). With full, the
// other 98 slots hold living copies too: the table has no room left.
// mutation_chance is both parents' (percent).
bool WriteTwoTreeGarden(const std::string& path, bool full, int mutation_chance) {
  sylvane::Canvas canvas;
  sylvane::TreeTable table;
  sylvane::LabelList labels;
  sylvane::Surface no_picture;
  if (sylvane::CreateGardenCanvas(canvas, table, labels, 300, 200, RGB(20, 40, 20), sylvane::kBackgroundColour,
                                  no_picture, 60, false) != 0)
    return false;
  sylvane::Tree sample;
  sylvane::LoadSampleParts(sample, DataFolder(), sylvane::kSamplePartDescriptions);
  sylvane::MakeSampleTree(sample, 0, 0, 90);
  sample.mutation_chance = mutation_chance;
  auto plant = [&](int slot, const std::string& name, int x, int y, bool labelled) {
    sylvane::Tree& t = table[slot];
    t = sample;
    t.name = name;
    t.file_name = name + ".ki";
    t.Place(x, y);
    t.label_state = 1;
    table.CountUp();
    if (labelled) labels.Add(sylvane::LabelEntry{name, uint8_t(t.kind), 0, x, y, t.file_name});
  };
  plant(0, kNameA, kAx, kAy, true);
  plant(1, kNameB, kBx, kBy, true);
  if (full)
    for (int i = 2; i < sylvane::TreeTable::kSlots; ++i) plant(i, "filler", 150, 100, false);
  return sylvane::SaveCanvasFile(sylvane::GardenRefs{canvas, table, labels}, path) == 0;
}

// Starts the program on the garden file with the canvas window at 100 %,
// names hidden, at the screen's top-right (away from centred dialogs).
// mutant_handling: 0 ask, 1 never save, 2 archive automatically.
bool StartOnGarden(App& app, const std::string& garden, int scatter_count, int mutant_handling) {
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.mutant_handling = uint8_t(mutant_handling);
  s.scatter_count = scatter_count;
  s.scatter_radius = 0;
  s.scatter_mode = 0;
  s.canvas_zoom_step = 0;
  s.canvas_names = 0;
  s.canvas_window = sylvane::WindowRect{900, 20, 300, 300};
  WriteSettings(s, app.folder());
  return app.Start("\"" + garden + "\"");
}

HWND ShownCanvasWindow(const App& app) {
  for (const auto& [window, title] : app.TopDialogs())
    if (IsWindowVisible(window) && title != "壁紙チェンジャー") return window;
  return nullptr;
}

HWND StartWithCanvasWindow(App& app) {
  const std::string garden = app.File("two trees.syl");
  if (!WriteTwoTreeGarden(garden, false) || !StartOnGarden(app, garden) ||
      !WaitUntil([&] { return app.State("SylvaneGrowing") == 2; }))
    return nullptr;
  HWND window = OpenCanvasWindow(app);
  return window && app.Sync() ? window : nullptr;
}

HWND OpenCanvasWindow(App& app) {
  if (!app.Send(CMD_CANVAS_WINDOW)) return nullptr;
  HWND found = nullptr;
  WaitUntil([&] { return (found = ShownCanvasWindow(app)) != nullptr; });
  return found;
}


// The number of trees the canvas window has marked (its published property).
int MarkCount(HWND canvas_window) {
  return int(reinterpret_cast<INT_PTR>(GetPropA(canvas_window, sylvane::kBreedMarksProperty)));
}

}  // namespace e2e
