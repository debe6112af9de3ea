// A garden of two labelled sample trees for the end-to-end tests that click
// trees in the canvas window (breeding, clicks at other DPIs), and the
// program started on it with the canvas window at 100 %.
#pragma once

#include <windows.h>

#include <string>

#include "e2e_support.h"

namespace e2e {

inline constexpr char kNameA[] = "アカマツ";
inline constexpr char kNameB[] = "シラカバ";
// Where the two parents stand on the 300 x 200 canvas.
inline constexpr int kAx = 80, kAy = 150;
inline constexpr int kBx = 220, kBy = 150;

// A 300 x 200 garden with the sample tree planted as A and as B, each with
// its name label (already placed, so that growth adds none). With full, the
// other 98 slots hold living copies too: the table has no room left.
// mutation_chance is both parents' (percent).
bool WriteTwoTreeGarden(const std::string& path, bool full, int mutation_chance = 0);

// Starts the program on the garden file with the canvas window at 100 %,
// names hidden, at the screen's top-right (away from centred dialogs).
// mutant_handling: 0 ask, 1 never save, 2 archive automatically.
bool StartOnGarden(App& app, const std::string& garden, int scatter_count = 1, int mutant_handling = 1);

// The canvas window when it is shown, else nullptr.
HWND ShownCanvasWindow(const App& app);

// Opens the canvas window and returns it.
HWND OpenCanvasWindow(App& app);

// Writes the two-tree garden into the app's folder, starts the program on it,
// waits for both trees to grow and opens the canvas window, the program idle
// after. nullptr when a step fails.
HWND StartWithCanvasWindow(App& app);

// The number of trees the canvas window has marked (its published property).
int MarkCount(HWND canvas_window);

}  // namespace e2e
