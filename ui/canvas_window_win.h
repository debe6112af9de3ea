// The canvas window: a small skinned modeless dialog (resource 120) that
// shows the lit canvas at a zoom of 100 % down to 10 %, scrolls over it,
// writes the trees' names or file names next to them, marks the tree under
// the pointer, opens a tree's description when it is clicked, marks two trees
// for breeding (click, then Ctrl+click; its menu and the description's
// "交配させる" give 40095 to the main window), and plants a tree file dropped
// onto it.
//
// The window lives for the whole run and is only shown or hidden. Everything
// else reaches it as WM_COMMAND (id in the low word):
//   1041 / 1047   its combo boxes (zoom, names)
//   40012         hide (its close button "SYLWND_CLOSE"); open flag 0
//   40032         rebuild the picture at the zoom in use
//   40059, 40084  write the tree names / file names onto the picture
//   40061..40070  rebuild at 100 % .. 10 %
//   40072         names shown: remove them, else write the tree names
//   40075         reload the skin's frame pictures and rebuild (after every skin load)
// The open flag, zoom step, names choice and position are those of the
// application settings (canvas_window_state, canvas_zoom_step, canvas_names,
// canvas_window).
#pragma once
#include <windows.h>

#include "canvas/records/name_labels.h"

namespace sylvane {

// Creates the window hidden, without owner, at the stored position (the
// collapsed strip when the open flag is 2), with both combo boxes filled and
// set from the settings, accepting dropped files. main is the main window, on
// whose behalf a dropped canvas file is opened. The picture is built when the
// skin sends 40075. nullptr on failure.
HWND CreateCanvasWindow(HINSTANCE instance, HWND main);

// The window made by CreateCanvasWindow (nullptr before, or after it was destroyed).
HWND CanvasWindowHandle();

// The labels of the two trees marked for breeding (first parent, second
// parent); false, leaving both as they were, unless both are marked.
bool CanvasWindowBreedPair(LabelEntry& first, LabelEntry& second);
// Takes both marks away and redraws the picture (after the child was planted).
void ClearCanvasWindowBreedMarks();
// The window's property holding the number of marked trees (0..2), kept
// whenever the marks are drawn.
inline constexpr char kBreedMarksProperty[] = "SylvaneBreedMarks";

}  // namespace sylvane
