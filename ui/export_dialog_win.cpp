#include "ui/export_dialog_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "canvas/image/animation.h"
#include "canvas/image/image_io.h"
#include "platform/handles_win.h"
#include "platform/platform.h"
#include "res/diary_resource.h"

namespace sylvane {
namespace {

// Posted by the worker to the progress dialog.
constexpr UINT kProgressMessage = WM_APP + 0x61;  // wParam: pictures done
constexpr UINT kWritingMessage = WM_APP + 0x62;   // the last step, the file's writing, has begun
constexpr UINT kFinishedMessage = WM_APP + 0x63;  // wParam: DiaryExportEnd, lParam: frames written

// One export: made and freed by the interface thread. The worker reads the
// request and the cancel flag and writes nothing else of it.
struct ExportJob {
  std::vector<DiaryEntry> pictures;  // in date order, not empty
  std::string out;                   // the animation's path
  HWND dialog = nullptr;             // the progress dialog, the target of the worker's messages
  win::UniqueHandle thread;          // the worker
  std::atomic<bool> cancel{false};   // set by the interface thread: the worker abandons the animation
  bool writing = false;              // (interface thread) the file's writing has begun: too late to cancel
};

// The running export; interface thread only.
std::unique_ptr<ExportJob> g_job;

struct ExportOutcome {
  DiaryExportEnd end = DiaryExportEnd::kFailed;
  int frames = 0;
};

// The worker's part: the pictures into the animation one at a time (memory
// holds one picture and the encoder's state). Pictures that cannot be read
// are skipped; frames have the first readable picture's size, and a picture
// of another size (the garden was resized) is fitted to it. An animation
// not finished is abandoned by the writer: no file is left.
ExportOutcome WriteAnimation(ExportJob& job) {
  AnimationWriter writer;
  Surface picture, sized;
  int width = 0, height = 0;
  WPARAM done = 0;
  for (const DiaryEntry& entry : job.pictures) {
    if (job.cancel.load()) return {DiaryExportEnd::kCancelled, 0};
    if (ReadJpeg(entry.path, picture, false) == 0) {
      if (!writer.is_open()) {
        width = picture.width;
        height = picture.height;
        if (writer.Open(job.out, width, height, kDiaryExportFps) != kAnimationOk) return {DiaryExportEnd::kFailed, 0};
      }
      const Surface* frame = &picture;
      if (picture.width != width || picture.height != height)
        frame = FitFrame(picture, width, height, sized) == 0 ? &sized : nullptr;
      if (frame && writer.AddFrame(*frame) != kAnimationOk) return {DiaryExportEnd::kFailed, 0};
    }
    PostMessageA(job.dialog, kProgressMessage, ++done, 0);
  }
  if (!writer.is_open()) return {DiaryExportEnd::kUnreadable, 0};
  if (job.cancel.load()) return {DiaryExportEnd::kCancelled, 0};
  PostMessageA(job.dialog, kWritingMessage, 0, 0);
  const int frames = writer.frame_count();
  if (writer.Finish() != kAnimationOk) return {DiaryExportEnd::kFailed, 0};
  return {DiaryExportEnd::kDone, frames};
}

DWORD WINAPI ExportWorker(void* param) {
  // The export never competes with the interface or the growth passes.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  auto* job = static_cast<ExportJob*>(param);
  const ExportOutcome outcome = WriteAnimation(*job);
  PostMessageA(job->dialog, kFinishedMessage, WPARAM(outcome.end), LPARAM(outcome.frames));
  return 0;
}

// Waits for the worker to end, letting messages sent by other threads
// through: a message of the writer (shown by the interface thread while the
// worker waits) would otherwise never end.
void WaitForWorker(HANDLE thread) {
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Ends the job: the worker cancelled when it still runs, waited for, freed.
void EndJob() {
  std::unique_ptr<ExportJob> job = std::move(g_job);
  if (!job) return;
  job->cancel.store(true);
  if (job->thread) WaitForWorker(job->thread.get());
}

void SetStatus(HWND dialog, const std::string& text) { SetDlgItemTextA(dialog, IDC_DIARY_EXPORT_STATUS, text.c_str()); }

std::string CountText(size_t done, size_t all) {
  return "成長の記録を書き出しています… (" + std::to_string(done) + " / " + std::to_string(all) + " 枚)";
}

void OnCancel(HWND dialog) {
  if (!g_job || g_job->writing || g_job->cancel.load()) return;
  g_job->cancel.store(true);
  EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
  SetStatus(dialog, "キャンセルしています…");
}

void OnFinished(HWND dialog, DiaryExportEnd end, int frames) {
  const std::string out = g_job ? g_job->out : std::string();
  EndJob();
  DestroyWindow(dialog);
  if (end == DiaryExportEnd::kDone) {
    GetPlatform().ShowMessage("成長の記録を書き出しました（" + std::to_string(frames) + " 枚）。\n" + out,
                              kDiaryExportCaption);
  } else if (end == DiaryExportEnd::kUnreadable) {
    GetPlatform().ShowMessage("成長の記録の画像を読み込めませんでした。", kDiaryExportCaption);
  }
  // Cancelled: nothing to say. Failed: the writer has said why.
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* job = reinterpret_cast<const ExportJob*>(lparam);
      const size_t all = job->pictures.size();
      SendDlgItemMessageA(dialog, IDC_DIARY_EXPORT_PROGRESS, PBM_SETRANGE32, 0, LPARAM(all));
      SetStatus(dialog, CountText(0, all));
      return TRUE;
    }
    case kProgressMessage:
      if (g_job) {
        SendDlgItemMessageA(dialog, IDC_DIARY_EXPORT_PROGRESS, PBM_SETPOS, wparam, 0);
        if (!g_job->cancel.load()) SetStatus(dialog, CountText(size_t(wparam), g_job->pictures.size()));
      }
      return TRUE;
    case kWritingMessage:
      if (g_job) g_job->writing = true;
      EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
      SetStatus(dialog, "ファイルに書き込んでいます…");
      return TRUE;
    case kFinishedMessage:
      OnFinished(dialog, DiaryExportEnd(wparam), int(lparam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) OnCancel(dialog);
      return TRUE;
    case WM_CLOSE:
      OnCancel(dialog);
      return TRUE;
    case WM_DESTROY:
      // The owner went away (the program ends) while the worker still runs:
      // cancelled and waited for, so that no half-written file is left.
      if (g_job && g_job->dialog == dialog) EndJob();
      return TRUE;
  }
  return FALSE;
}

}  // namespace

bool AskDiaryExportPath(HWND owner, const std::string& garden_name, std::string& path) {
  static const char kFilter[] = "アニメーションWebP (*.webp)\0*.webp\0アニメーションGIF (*.gif)\0*.gif\0";
  char file[MAX_PATH + 1] = {};
  const std::string suggested = DiaryGardenFolderName(garden_name) + ".webp";
  if (suggested.size() < MAX_PATH) std::memcpy(file, suggested.data(), suggested.size());
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = kDiaryExportCaption;
  ofn.lpstrDefExt = "webp";
  // The current folder stays the program's.
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameA(&ofn)) return false;
  path = file;
  AnimationFormat format;
  if (!AnimationFormatForPath(path, format)) path += ofn.nFilterIndex == 2 ? ".gif" : ".webp";
  return true;
}

bool StartDiaryExport(HWND owner, const std::vector<DiaryEntry>& pictures, const std::string& out) {
  if (g_job) {
    SetForegroundWindow(g_job->dialog);
    return false;
  }
  if (pictures.empty()) return false;
  g_job = std::make_unique<ExportJob>();
  ExportJob* job = g_job.get();
  job->pictures = pictures;
  job->out = out;
  job->dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DIARY_EXPORT), owner,
                                   ProgressProc, reinterpret_cast<LPARAM>(job));
  if (job->dialog) job->thread.reset(CreateThread(nullptr, 0, ExportWorker, job, 0, nullptr));
  if (!job->dialog || !job->thread) {
    HWND dialog = job->dialog;
    EndJob();
    if (dialog) DestroyWindow(dialog);
    GetPlatform().ShowMessage("成長の記録の書き出しを始められませんでした。", kDiaryExportCaption);
    return false;
  }
  ShowWindow(job->dialog, SW_SHOW);
  return true;
}

HWND DiaryExportDialog() { return g_job ? g_job->dialog : nullptr; }

}  // namespace sylvane
