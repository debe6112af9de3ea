// The garden as a whole: creating the canvas of a new garden, the sample
// garden of the "樹の新規作成" command, and a growth pass over the process's
// table, canvas, labels and settings. The program and the command line share
// these, so both make the same garden from the same seed.
#pragma once
#include <cstdint>
#include <string>

#include "canvas/image/surface.h"
#include "trees/growth.h"

namespace sylvane {

struct Canvas;
struct LabelList;
struct MInitInfo;
class TreeTable;

// Size of the sample garden's canvas, pixels.
constexpr int kSampleGardenWidth = 600;
constexpr int kSampleGardenHeight = 500;
// Step budgets of the three kinds of growth.
constexpr int kPeriodicBudget = 200;
constexpr int kDailyBudget = 300;
constexpr int kSampleBudget = 5000;

// The portable part of creating a canvas: every slot of the table empty and
// the count 0, the canvas's layers set up (SetUpCanvasLayers), the label list
// emptied. The caller then makes the wallpaper and refreshes the windows.
// Returns the set-up's status (kCanvasOk, or kCanvasBadSize with nothing but
// the table changed).
int CreateGardenCanvas(Canvas& canvas, TreeTable& table, LabelList& labels, int32_t width, int32_t height,
                       uint32_t colour, int32_t kind, const Surface& picture, int32_t update_interval,
                       bool stretch);

// The default background colour of the settings as a COLORREF (0x00BBGGRR).
uint32_t SettingsBackgroundColour(const MInitInfo& settings);

// Growth settings and layers for a pass: the canvas's tree layer and weight
// plane, the label list, the loop, split and rising-tree settings, the loop
// irregularity and mutation handling. No stop flag (set env.stop for the
// worker).
GrowthEnv MakeGrowthEnv(Canvas& canvas, LabelList& labels, const MInitInfo& settings);

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

// A growth pass over the process's table, canvas, labels and settings
// (budget 200 for the worker, 300 daily). With honour_stop the pass ends when
// GrowthStopFlag() is seen set after a tree.
int GardenGrowthPass(int budget, bool honour_stop, GrowthStats* stats = nullptr);

}  // namespace sylvane
