// Identifiers of the Windows program's resources and commands. Included by
// res/sylvane.rc (through windres) and by the C++ sources of the program.
#pragma once
#include "commands.h"

// Cursors of the skin buttons.
#define IDC_SKIN_OVER 104
#define IDC_SKIN_DOWN 105
// Icons: the window class's small icon and the tray icon.
#define IDI_SYLVANE_SMALL 108
#define IDI_SYLVANE_TRAY 109

// Dialogs.
#define IDD_NEW_CANVAS 101
#define IDD_CANVAS_SETTINGS 102
#define IDD_SCATTER 114
#define IDD_IMAGE_PREVIEW 126
#define IDD_TRANSPARENCY 127

// Controls of the new-canvas dialog (101) and the canvas settings dialog (102).
#define IDC_WIDTH 1000
#define IDC_HEIGHT 1001
#define IDC_FIT_DESKTOP 1002
#define IDC_BG_COLOR 1003
#define IDC_INTERVAL 1004
#define IDC_BG_IMAGE 1005
#define IDC_CURRENT_WALLPAPER 1006
#define IDC_SETTINGS_INTERVAL 1006
#define IDC_LABEL_B 1007
#define IDC_OPEN_CANVAS_WINDOW 1017
#define IDC_FIT_BG_IMAGE 1022
#define IDC_SHOW_NAMES 1034
#define IDC_LABEL_R 1035
#define IDC_LABEL_G 1036
#define IDC_LABEL_SIZE 1037
#define IDC_HIDE_NAMES 1038
#define IDC_NO_AUTO_WALLPAPER 1053
// Scatter dialog (114).
#define IDC_SCATTER_COUNT 1030
#define IDC_SCATTER_RADIUS 1031
// Image preview template (126).
#define IDC_PREVIEW_PICTURE 1163
#define IDC_PREVIEW_NAME 1172
#define IDC_PREVIEW_WIDTH 1018
#define IDC_PREVIEW_HEIGHT 1019
// Transparency dialog (127).
#define IDC_TRANS_SKIN 1201
#define IDC_TRANS_ALPHA 1202
#define IDC_TRANS_NONE 1203
#define IDC_TRANS_OPACITY 1204

