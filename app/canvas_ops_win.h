// The Windows halves of the garden's canvas operations: creating a canvas
// (with the background's memory picture and the wallpaper and window-refresh
// commands), the canvas files (the program's own "default.syl", saving under
// a name, opening) with their save and open dialogs, the exit-saving rules and
// the lit picture of the canvas.
#pragma once
#include <windows.h>

#include <string>

#include "canvas/image/surface.h"

namespace sylvane::app {

// Creates a new canvas: empties the tree table and labels, sets up the
// layers, gives the background its memory picture, clears the first-update
// flag, then sends 40005 (wallpaper) and 40032 (canvas window). 0, or the
// set-up's failure (reported).
int CreateCanvas(HWND main, int width, int height, uint32_t colour, int kind, const Surface& picture,
                 int update_interval, bool stretch);
// The canvas's background with its memory picture redone (after the
// background changed).
void RefreshBackgroundPicture(HWND main);
// Copies a picture of the canvas's size into the background's memory picture.
void CopyIntoBackgroundPicture(HWND main, Surface& picture);

// The canvas files. Each returns 0 on success and a negative value on failure
// or cancel; the messages are the canvas file's own.
int SaveDefaultCanvas(HWND main);
int SaveCanvasToPath(HWND main, const std::string& path);
int OpenCanvasFile(HWND main, const std::string& path);
// Sorts a dropped or given file by its magic: 0 a canvas file (opened), 1 a
// tree file (for the caller to plant), -1 neither or failure (reported).
int SortTreeOrCanvasFile(HWND main, const std::string& path);

// "キャンバスを保存する" dialog: 0 saved (canvas file or picture), -1 cancelled.
int SaveCanvasDialog(HWND main);
// "キャンバス（.SYL）を開く" dialog: 0 opened, -1 cancelled or failed.
int OpenCanvasDialog(HWND main);

// Saves the canvas to its own file, or through the save dialog when it has none.
// 0 saved, -1 cancelled or failed.
int SaveCanvasToOwnFileOrAsk(HWND main);

// The question of 40006 and 40015 ("現在のキャンバスを保存しますか？"): false
// when the user cancelled (the question or the save dialog).
bool AskToSaveCanvas(HWND main);

// The exit-saving setting after "default.syl" was written: 0 nothing; 1 save
// to the canvas's file (or, after "保存するファイル名を指定してください。", the
// save dialog); 2 ask first (only when may_ask). False when the user cancelled.
bool SaveByExitSetting(HWND main, bool may_ask);

// Start-up: loads "default.syl" when it exists (and starts the timer when a
// canvas now exists), writes it otherwise.
void LoadOrCreateDefaultCanvas(HWND main);

// Renders the lit canvas (see app_win.h).
bool RenderLitCanvas(Surface& out);

}  // namespace sylvane::app
