// The garden as a whole: its parts in one struct, creating the canvas of a
// new garden, the sample garden of the "樹の新規作成" command and the growth
// environment of a pass. The program and the command line share these, so
// both make the same garden from the same seed.
#pragma once
#include <cstdint>
#include <string>

#include "canvas/image/surface.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "trees/growth.h"
#include "trees/tree.h"

namespace sylvane {

struct MInitInfo;

// References to the parts of a garden (what a canvas file holds).
struct GardenRefs {
  Canvas& canvas;
  TreeTable& table;
  LabelList& labels;
};

// One garden: the canvas with its three layers, the tree table with the
// growing count, the label list. The Windows program's one lives in its
// garden engine (canvas/garden_engine.h); the command line has its own.
struct Garden {
  Canvas canvas;
  TreeTable table;  // building it draws the 100 pens' random numbers
  LabelList labels;

  GardenRefs refs() { return GardenRefs{canvas, table, labels}; }
};

// Size of the sample garden's canvas, pixels.
constexpr int kSampleGardenWidth = 600;
constexpr int kSampleGardenHeight = 500;
// Step budgets of the three kinds of growth.
constexpr int kPeriodicBudget = 200;
constexpr int kDailyBudget = 300;
constexpr int kSampleBudget = 5000;

// The portable part of creating a canvas: the size checked, every slot of the
// table empty and the count 0, the canvas's layers set up
// (SetUpCanvasLayers), the label list emptied. The caller then makes the
// wallpaper and refreshes the windows. Returns the set-up's status
// (kCanvasOk, or kCanvasBadSize with nothing changed).
int CreateGardenCanvas(Canvas& canvas, TreeTable& table, LabelList& labels, int32_t width, int32_t height,
                       uint32_t colour, int32_t kind, const Surface& picture, int32_t update_interval,
                       bool stretch);

// The default background colour of the settings as a COLORREF (0x00BBGGRR).
uint32_t SettingsBackgroundColour(const MInitInfo& settings);

// Growth settings and layers for a pass: the canvas's tree layer and weight
// plane, the label list, the table (crossover partners), copies of the loop,
// split and rising-tree settings, the loop irregularity and mutation
// handling with its settings. No stop flag (set env.stop for the worker).
GrowthEnv MakeGrowthEnv(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings);

// One grow call for every tree that is growing when it starts (state 1, in
// slot order), as the sample garden grows at once: a finished tree is freed;
// while seeds + growing count < 100 every loop point becomes a loop child
// (no chance draw, whatever the loop setting), with mutation handling, state
// 2 and count up. No splits, no stop flag.
void GrowAtOnce(TreeTable& table, const GrowthEnv& env, int budget, GrowthStats* stats = nullptr);

// The sample garden: clears the table, creates a 600 x 500 canvas in the
// settings' background colour (no picture, update interval 0), loads the
// sample parts into slot 0 and makes it the built-in sample tree at
// (width / 2 + 50, height / 2 + 100), heading 90, pen mode 1, state 1, count
// 1, then grows at once with budget 5000. The caller composes and shows the
// picture. Returns 0, or the canvas set-up's failure.
int MakeSampleGarden(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings,
                     const std::string& program_folder, GrowthStats* stats = nullptr);

// Steps 3 and 4 of the sample garden on a canvas just created (for callers
// that create the canvas themselves, like the main window with its window
// commands): the sample parts into slot 0, the built-in sample tree at
// (width / 2 + 50, height / 2 + 100), heading 90, pen mode 1, state 1, count
// 1, then growing at once with budget 5000.
void PlantAndGrowSample(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings,
                        const std::string& program_folder, GrowthStats* stats = nullptr);

}  // namespace sylvane
