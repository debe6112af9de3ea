// The growth diary in the program: today's picture of the garden kept at the
// first update of each day, and the command that exports a garden's diary as
// an animation.
#pragma once
#include <windows.h>

#include <string>

namespace sylvane::app {

// The diary's name of the open garden: its canvas file's name without the
// extension, "default" for the program's own garden (and a canvas without file).
std::string DiaryGardenName();

// Keeps today's lit picture of the garden in its diary unless the diary is
// off, the picture exists or there is no canvas. Never disturbs the update:
// a failure shows no message; it is noted once (a line in "diary.log" in the
// program folder) and not tried again that day.
void KeepDiaryPicture();

// "成長の記録を書き出す…": the garden's diary as an animated WebP or GIF,
// made on a worker thread with a progress dialog.
void ExportDiary(HWND main);

}  // namespace sylvane::app
