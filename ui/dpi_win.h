// Monitor DPI for a program aware of each monitor's DPI (the manifest asks
// for per-monitor awareness, version 2, with system awareness on older
// systems). Skinned windows keep their pixel-exact skin sizes on every
// monitor; dialogs and their fonts are scaled by the dialog manager. The
// newer user32 functions are looked up at run time, so the program still
// starts on systems without them.
#pragma once
#include <windows.h>

namespace sylvane {

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI of the monitor a window is on (GetDpiForWindow); the system DPI
// where the system lacks that function.
UINT WindowDpi(HWND window);

// WM_DPICHANGED of a skinned window: it moves to the top-left corner of the
// suggested rectangle (lparam) and keeps its size in pixels, as its skin
// pictures are drawn pixel for pixel.
void MoveToSuggestedCorner(HWND window, LPARAM suggested);

// A skinned dialog: the dialog manager neither resizes it nor its controls
// nor changes their fonts when it moves to a monitor of another DPI.
void KeepDialogPixelExact(HWND dialog);

}  // namespace sylvane
