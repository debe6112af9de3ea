// The canvas dialogs: "キャンバスの新規作成" (101), "設定" (102), "まとめ植え"
// (114) and "透過ウインドウの設定" (127). All modal, owned by the main window.
#pragma once
#include <windows.h>

namespace sylvane {

// 1 when a canvas was created, 0 when cancelled.
int NewCanvasDialog(HWND owner);
// 1 when the settings were applied, 0 when cancelled.
int CanvasSettingsDialog(HWND owner);
// 0 when OK was pressed (out-of-range values warned about and stored as
// entered), -1 when cancelled.
int ScatterDialog(HWND owner);
// 1 when a mode was applied, 0 when cancelled.
int TransparencyDialog(HWND owner);

}  // namespace sylvane
