// The version information box "バージョン情報" (resource 110), command 40024.
#pragma once
#include <windows.h>

namespace sylvane {

// The product's homepage shown in the box (Shift-JIS).
inline constexpr char kHomepageAddress[] = "http://sylvane.example.jp/";

void ShowAboutDialog(HWND owner);

}  // namespace sylvane
