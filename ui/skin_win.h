// The skin of the Windows program: reads the skin folder, dresses the main
// window, the wallpaper changer and the canvas window, and owns the skinned
// child windows (buttons, the timer and tree-count panels, the map window).
//
// How the program uses it (all on the user-interface thread unless noted):
//
//   At start-up, once the main window exists:
//     SkinHost host;                      // main window, program folder, settings access
//     ... fill host ...
//     InitSkin(host);
//     StartSkin();                        // skin.txt, transparency, image sets, main
//                                         // background, the main window's elements
//     SIZE s = MainBackgroundSize();      // place and show the main window with this size
//   Then, once the changer and the canvas window exist (they lay themselves out
//   from CurrentSkinLayout() and SkinComposite()):
//     DressSkinWindows(changer, canvas_window);  // their transparency, 40075 to the
//                                                // canvas window, their elements,
//                                                // the map window
//   Main window WM_PAINT:     PaintMainBackground(hdc);
//   Command 40020:            ChangeSkin();
//   Transparency dialog OK:   ApplySkinTransparency();
//   Timer 40018 (1 s):        TimerPanelTick(state);   // sends 41006 / 40001 / 41005
//   Stop and wait:            TimerPanelShowStopped();
//   Clock restored or reset:  TimerPanelRefresh();
//   Growing count changed:    TreeCountPanelSetCount(n);  // any thread
//   Planting a tree file:     MapWindowShowCanvas(lit_canvas); ShowWindow(MapWindowHandle(), SW_SHOW);
//                             EnableWindow(main, FALSE);
//   Command 40016:            CanvasPoint p = MapPlantingPosition();
//   Changer / canvas window:  LoadSkinComposite(SkinImageSetFolder(set), ...) for their backgrounds,
//                             CurrentSkinLayout() for their control rectangles.
//
// Skin buttons send WM_COMMAND (id, no notification, no control) to their
// owner window with SendMessage. The map window enables the main window,
// sends 40016 to it and hides itself when the user clicks the picture; its
// cancel button (40017) does the same without the 40016.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "canvas/image/surface.h"
#include "ui/menu_checks.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"
#include "ui/timer_clock.h"

namespace sylvane {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Cursor resources of the program: over a button, and while it is held.
inline constexpr int kCursorOverButton = 104;
inline constexpr int kCursorButtonDown = 105;

// What the skin needs from the program. Filled once before InitSkin.
struct SkinHost {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND changer = nullptr;        // wallpaper changer dialog (set by DressSkinWindows)
  HWND canvas_window = nullptr;  // canvas window dialog (set by DressSkinWindows)
  std::string program_folder;    // Shift-JIS, no trailing separator
  // SetLayeredWindowAttributes looked up in user32.dll at start-up; null when
  // missing (then the transparency settings change nothing).
  SetLayeredWindowAttributesFn set_layered_attributes = nullptr;

  // Settings (MInitInfo) the skin reads and writes.
  std::function<std::string()> skin_folder;                  // the skin folder (folder 3)
  std::function<void(const std::string&)> set_skin_folder;   // store a new skin folder
  std::function<void(bool)> set_png_skin;                    // the skin option byte
  std::function<int()> transparency_mode;                    // 0 skin, 1 uniform alpha, 2 none
  std::function<int()> user_alpha;                           // 0..255, for mode 1
  std::function<SkinRect()> map_rect;                        // map window left, top, width, height
  std::function<void(int left, int top)> set_map_position;   // map window moved by the user
  // State shown by the popup menu's check marks, read when MENU0 opens it.
  std::function<MenuCheckState()> menu_state;
};

void InitSkin(const SkinHost& host);

// Reads skin.txt (falling back to the default skin folder, with the messages
// of LoadSkinLayout), records the png-skin flag, applies the transparency and
// lets the main window accept dropped files. 0, or -1 when no skin.txt was
// found (the layout and the windows then stay as they were).
int LoadSkin();

// The main window's part of start-up: LoadSkin, the image sets and the main
// background (the main window sized to it), and the main window's own
// elements in creation order. Returns LoadSkin's result.
int StartSkin();

// The rest of start-up, once the changer and the canvas window exist: their
// transparency, command 40075 to the canvas window (the changer lays itself
// out from the loaded skin when it is made), the other elements (theirs and
// the map window's) in creation order, and the map opacity.
void DressSkinWindows(HWND changer, HWND canvas_window);

// Command 40020: the folder browser "スキンのフォルダを指定"; unless cancelled,
// the chosen folder becomes the skin folder, everything is loaded again and
// every element re-placed; the main window keeps its position.
void ChangeSkin();

// Applies the transparency mode and the skin's layering values to the main
// window, the changer and the canvas window (in that order).
void ApplySkinTransparency();

const SkinLayout& CurrentSkinLayout();

// The main window's background picture and its size.
SIZE MainBackgroundSize();
void PaintMainBackground(HDC dc);

// Reads one image file of a skin folder. With alpha given, a PNG's alpha
// channel lands there (a BMP gives 255 everywhere). 0, or -1 when the file
// cannot be read. No message is shown.
int LoadSkinImage(const std::string& folder, const std::string& file, Surface& out, AlphaPlane* alpha);
// One composite of an image set: the state image over the back image, both
// from folder. 0; -1 when the back image cannot be read; -2 when the state
// image cannot be read. out is left as it was on failure.
int LoadSkinComposite(const std::string& folder, const std::string& state_file, const std::string& back_file,
                      Surface& out);
// The folder an image set is read from: the skin folder, except for the
// changer and canvas-window sets of a bitmap skin, which come from the
// default skin folder.
std::string SkinImageSetFolder(ImageSet set);
// The three composites (normal, over, down) of an image set as last loaded;
// empty surfaces when the set could not be read.
const Surface& SkinComposite(ImageSet set, int state /* 0 normal, 1 over, 2 down */);
// The back image of an image set as last loaded with its composites; empty
// when it could not be read.
const Surface& SkinImageSetBack(ImageSet set);

// The window of an element (nullptr when it could not be created).
HWND SkinElementWindow(SkinElementId id);

// Timer panel. The tick repaints the panel, advances the clock and sends the
// due commands to the main window (synchronously).
void TimerPanelTick(TimerTickState& state);
// Shows "作業停止中" on the timer panel at once (the next tick shows the time).
void TimerPanelShowStopped();
// Shows a note on the timer panel instead of the time until it is cleared
// with an empty note ("作業停止中" still shows while the worker is awaited).
void TimerPanelShowNote(const std::string& note);
// Repaints the timer panel with the given clock (after the clock was restored).
void TimerPanelRefresh(int32_t hours, int32_t minutes, int32_t seconds);

// Tree-count panel: shows count. Safe from the worker thread (it only
// invalidates the panel; the user-interface thread repaints it).
void TreeCountPanelSetCount(int32_t count);

// Map window. ShowCanvas fits the lit canvas into the map, blends it over the
// map background at the skin's opacity and paints it; the caller shows the
// window and disables the main window.
void MapWindowShowCanvas(const Surface& lit_canvas);
HWND MapWindowHandle();
// Before the map is shown: while it has no stored position (the settings'
// reset 0, 0) it is put beside the main window and that position is stored.
void PlaceMapWindowFirstTime(HWND main);
// The canvas position the user clicked in the map (read on command 40016).
CanvasPoint MapPlantingPosition();

}  // namespace sylvane
