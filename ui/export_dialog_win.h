// The export of a garden's growth diary as an animation: the save dialog
// (animated WebP or GIF) and a small progress dialog with a progress bar and
// a cancel button, while a worker thread at the lowest priority reads the
// diary's pictures in date order and hands them to the animation writer.
// The interface stays responsive: the progress dialog is modeless, the worker
// posts its progress and its end to it. Cancel (or closing the dialog, or the
// program ending) abandons the animation: no file is left.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "canvas/diary.h"

namespace sylvane {

// Captions and texts of the export.
inline constexpr char kDiaryExportCaption[] = "成長の記録を書き出す";
inline constexpr char kNoDiaryPicturesText[] =
    "この庭の成長の記録はまだありません。\n成長の記録は、庭が更新されるときに一日一枚ずつ書かれます。";

// Frames a second of the exported animation.
constexpr int kDiaryExportFps = 10;

// How an export ended (the finished message's wParam).
enum class DiaryExportEnd {
  kDone,        // the animation was written
  kCancelled,   // the user cancelled: nothing written
  kFailed,      // the writer failed (its message was shown): nothing written
  kUnreadable,  // no picture could be read: nothing written
};

// The save dialog: "<garden name>.webp" suggested, animated WebP or GIF; the
// extension of the chosen filter is added when the name has neither. False
// when cancelled.
bool AskDiaryExportPath(HWND owner, const std::string& garden_name, std::string& path);

// Starts the export of the pictures (in date order, not empty) into out and
// shows the progress dialog owned by owner. Returns at once: false when an
// export is running already (its dialog is brought to the front) or the
// dialog or the worker could not be made (said in a message).
bool StartDiaryExport(HWND owner, const std::vector<DiaryEntry>& pictures, const std::string& out);

// The progress dialog while an export runs, else null.
HWND DiaryExportDialog();

}  // namespace sylvane
