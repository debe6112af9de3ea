// The wallpaper changer: a skinned modeless dialog (resource 119) that puts
// either the garden or a picture from its own list on the desktop. It holds
// the list (filled by the add-image dialog or by dropped files, sorted,
// reordered by dragging), a small picture of what is chosen, and docks under
// the main window.
//
// How the program uses it (user-interface thread):
//   Start-up, after the main window exists and before the skin is started:
//     HWND changer = CreateChanger(instance, main, on_dock);   // nullptr: end
//   (the skin then sends 40076 to lay it out and creates its six buttons).
//   Its commands come as WM_COMMAND (id, no notification, no control):
//     40083  refresh the small picture from "default.bmp"
//     1044   show the garden (radio 1131); 1045 show a picture of the list
//     40076  lay out from the skin
//   Dialog messages: IsDialogMessageA(changer, &msg) in the message loop.
//   Exit: StoreChangerPosition() when the open flag is above 0; DestroyChanger().
#pragma once
#include <windows.h>

#include <functional>

namespace sylvane {

// Told the docked flag (2 docked under the main window, 0 free) whenever
// dragging the changer changes it, and once at creation with the stored flag.
using ChangerDockListener = std::function<void(int docked)>;

// Creates the changer (hidden unless its open flag is 1) at its stored
// position. Returns its window, or nullptr when it cannot be created.
HWND CreateChanger(HINSTANCE instance, HWND main, ChangerDockListener on_dock = {});

// The changer's window (nullptr before CreateChanger or after DestroyChanger).
HWND ChangerWindow();

// Command 40073: open flag 0 -> 1, show and repaint; otherwise -> 0 and hide.
void ToggleChanger();

// True while the changer shows the garden (radio 1131), not a picture of its list.
bool ChangerShowsGarden();

// Stores the changer's window rectangle in the settings.
void StoreChangerPosition();

// Destroys the changer window (at exit).
void DestroyChanger();

}  // namespace sylvane
