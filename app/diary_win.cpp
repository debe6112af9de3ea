#include "app/diary_win.h"

#include <cstdio>
#include <vector>

#include "app/app_win.h"
#include "app/canvas_ops_win.h"
#include "canvas/diary.h"
#include "canvas/garden.h"
#include "canvas/records/options.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "ui/export_dialog_win.h"

namespace sylvane::app {
namespace {

// The diary's failure log in the program folder: one line a failure.
constexpr char kDiaryLogName[] = "diary.log";

// The garden and day of the last failed write: not tried again that day, so
// that the log gets one line and a failing disk no retry at every update.
std::string g_failed_garden;
DiaryDate g_failed_day;

void NoteDiaryFailure(const std::string& program_folder, const LocalTime& now, const std::string& reason) {
  FILE* log = std::fopen(JoinPath(program_folder, kDiaryLogName).c_str(), "ab");
  if (!log) return;  // nowhere to note it either; the update goes on all the same
  std::fprintf(log, "%04d-%02d-%02d %02d:%02d:%02d %s\r\n", now.year, now.month, now.day, now.hour, now.minute,
               now.second, reason.c_str());
  std::fclose(log);
}

}  // namespace

std::string DiaryGardenName() {
  const std::string& file = Engine().garden().canvas.file_path;
  if (file.empty()) return "default";
  std::string name = FileNamePart(file);
  // '.' is never the trail byte of a two-byte character.
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "default" : name;
}

void KeepDiaryPicture() {
  if (!Engine().garden().canvas.exists) return;
  Platform& platform = GetPlatform();
  const Options& options = AppOptions();
  const std::string program_folder = platform.ProgramFolder();
  const std::string garden = DiaryGardenName();
  const LocalTime now = platform.Now();
  const DiaryDate today = DiaryDateOf(now);
  if (today == g_failed_day && garden == g_failed_garden) return;
  // One file test at every update; the picture is made once a day.
  if (!DiaryPictureDue(program_folder, garden, today, options)) return;
  Surface lit;
  if (!RenderLitCanvas(lit)) return;
  const DiaryResult result = WriteDiaryPicture(program_folder, garden, today, lit, options);
  if (result.status != DiaryStatus::kFailed) return;
  g_failed_day = today;
  g_failed_garden = garden;
  NoteDiaryFailure(program_folder, now, result.reason);
}

void ExportDiary(HWND main) {
  if (HWND running = DiaryExportDialog()) {
    SetForegroundWindow(running);
    return;
  }
  const std::string garden = DiaryGardenName();
  const std::vector<DiaryEntry> pictures =
      ListDiaryFolder(DiaryGardenFolder(GetPlatform().ProgramFolder(), garden));
  if (pictures.empty()) {
    ShowMessage(kNoDiaryPicturesText, kDiaryExportCaption);
    return;
  }
  std::string out;
  if (!AskDiaryExportPath(main, garden, out)) return;
  StartDiaryExport(main, pictures, out);
}

}  // namespace sylvane::app
