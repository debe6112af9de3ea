// The application settings sheet "アプリケーションの設定" (command 40019): a
// modal property sheet with the pages 基本設定 (111), 動作 (112),
// 関連付け・スタートアップ (113), ライティング (115) and オプション (116, the
// options of "sylvane-options.ini"), without an Apply button. Each page
// fills its controls from the settings when it is first shown and stores
// them when the sheet is confirmed; pages never shown leave their settings as
// they were. The settings file is written by the caller's usual saving (at
// exit); the options page saves the options file itself when they changed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace sylvane {

// Shows the sheet over owner. Returns 1 when the lighting mode or the sun
// lighting changed (the
// caller then runs the lighting refresh: 40005 and 40032 to the main window,
// and 1044 to the changer while it shows the garden), 0 otherwise (also when
// cancelled), -1 when the sheet could not be shown.
int ShowSettingsSheet(HWND owner);

// The "*.wav" files of the "sound" folder beside the program, at most 256,
// in the order the file system returns them.
std::vector<std::string> ListSoundFiles();

}  // namespace sylvane
