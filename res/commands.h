// The program's command catalogue: every command id of the menus, the main
// window, the timer, the skin buttons, the wallpaper changer and the canvas
// window, and nowhere else. res/*.rc (through windres), the dispatch table,
// the clock, the windows and the tests take their ids from here.
#pragma once

// ---- the main window ----
#define CMD_PERIODIC_UPDATE 40001
#define CMD_MAKE_WALLPAPER 40005
#define CMD_NEW_CANVAS 40006
#define CMD_CANVAS_SETTINGS 40007
#define CMD_SAMPLE_GARDEN 40008
#define CMD_SAVE_TREE 40009
#define CMD_PLANT_TREE 40010
#define CMD_SAVE_CANVAS 40011
#define CMD_EXIT 40012  // also "close" of the changer's and canvas window's skins
#define CMD_HIDE_WINDOWS 40013
#define CMD_SAVE_CANVAS_AS 40014
#define CMD_OPEN_CANVAS 40015
#define CMD_MAP_CLICKED 40016
#define CMD_MAP_CANCELLED 40017
#define TIMER_UPDATE 40018  // the one-second timer's id
#define CMD_APP_SETTINGS 40019
#define CMD_CHANGE_SKIN 40020
#define WM_TRAY_CALLBACK 40021  // the tray icon's callback message
#define CMD_SHOW_WINDOWS 40022
#define CMD_ABOUT 40024
#define CMD_CANVAS_WINDOW 40031
#define CMD_REFRESH_CANVAS_WINDOW 40032
#define CMD_TRANSPARENCY 40033
#define CMD_SHOW_NAMES 40058
#define CMD_NAMES_TO_CANVAS_WINDOW 40059
#define CMD_SHOW_NAMES_NORMAL 40060
#define CMD_CHANGER 40073
#define CMD_LAYOUT_CANVAS_WINDOW 40075
#define CMD_LAYOUT_CHANGER 40076
#define CMD_PRINT 40077
#define CMD_CHANGER_REFRESH 40083
#define CMD_FILE_NAMES_TO_CANVAS_WINDOW 40084
#define CMD_SHOW_FILE_NAMES_NORMAL 40085
#define CMD_DAILY_UPDATE 41005
#define CMD_FIRST_UPDATE 41006
#define CMD_LIGHT_FOLLOW_SUN 41030  // 「ライティング」: follow the real sun (not one of the 28 modes)
#define CMD_EXPORT_DIARY 41040  // "成長の記録を書き出す…": the garden's diary as an animation
#define CMD_WELCOME 40110              // the welcome of the first start (window and tray balloon)
#define CMD_RECOMMENDED_GARDEN 40111   // "おすすめの庭を作る": a desktop-sized garden of starter trees

// ---- the 28 lighting commands: two ranges of the 「ライティング」 menu ----
#define CMD_LIGHT_FIRST 40035     // 23 commands, 40035..40057
#define CMD_LIGHT_LAST 40057
#define CMD_LIGHT_BG_FIRST 40078  // 5 commands, 40078..40082
#define CMD_LIGHT_BG_LAST 40082

// ---- the canvas window ----
#define CMD_CW_ZOOM_FIRST 40061  // ten zoom steps, 100 % .. 10 %
#define CMD_CW_TOGGLE_NAMES 40072
#define CMD_BREED 40095  // "交配させる": cross the two trees marked in the canvas window

// ---- the wallpaper changer ----
#define CMD_CHANGER_ADD 1003
#define CMD_CHANGER_REMOVE 1042
#define CMD_CHANGER_CLEAR 1046
#define CMD_CHANGER_USE_CANVAS 1044
#define CMD_CHANGER_USE_OTHER 1045

#ifndef RC_INVOKED
// The lighting command of menu position i (0..27): the first 23 in the first
// range, the last 5 in the second.
constexpr int kLightingCommandCount = 28;
constexpr int LightingCommand(int i) { return i < 23 ? CMD_LIGHT_FIRST + i : CMD_LIGHT_BG_FIRST + (i - 23); }
constexpr bool IsLightingCommand(int id) {
  return (id >= CMD_LIGHT_FIRST && id <= CMD_LIGHT_LAST) || (id >= CMD_LIGHT_BG_FIRST && id <= CMD_LIGHT_BG_LAST);
}
#endif
