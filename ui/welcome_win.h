// The welcome of the first start: a small window beside the notification
// area offering a recommended garden, the new-canvas dialog or nothing.
// It is not a dialog box: the program goes on answering while it is shown.
#pragma once
#include <windows.h>

namespace sylvane {

// Window class, caption, message and the three choices.
inline constexpr char kWelcomeClass[] = "SylvaneWelcome";
inline constexpr char kWelcomeCaption[] = "シルヴァネへようこそ";
inline constexpr char kWelcomeText[] =
    "はじめまして。シルヴァネはデスクトップの壁紙に小さな庭を作り、樹を少しずつ育てます。\r\n"
    "まずは庭を作りましょう。";
inline constexpr char kWelcomeRecommended[] = "おすすめの庭を作る";
inline constexpr char kWelcomeOwn[] = "自分で作る";
inline constexpr char kWelcomeClose[] = "閉じる";

// Control ids of the three choices (also the WM_COMMAND ids the buttons send).
constexpr int kWelcomeRecommendedId = 101;
constexpr int kWelcomeOwnId = 102;
constexpr int kWelcomeCloseId = 103;

// Shows the welcome (once: a second call brings the open one forward) in the
// bottom right corner of the work area. Its choices post `recommended_command`
// or `own_command` to the main window and close it. Returns the window.
HWND ShowWelcomeWindow(HINSTANCE instance, HWND main, int recommended_command, int own_command);

// The open welcome, or null.
HWND WelcomeWindow();

}  // namespace sylvane
