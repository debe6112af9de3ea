#include "app/canvas_ops_win.h"

#include <commdlg.h>

#include <vector>

#include "app/app_win.h"
#include "app/update_cycle_win.h"
#include "base/file_io.h"
#include "canvas/canvas_file.h"
#include "canvas/image/image_io.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "canvas/image/surface_win.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/resource.h"
#include "canvas/garden.h"
#include "trees/tree.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

// The memory picture of the canvas's background layer.
SurfaceDC g_background_picture;

std::string CurrentFolder() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  return (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string();
}

// A filter string of the common dialogs: pairs of NUL-terminated strings,
// ended by one more NUL.
std::vector<char> Filter(std::initializer_list<const char*> parts) {
  std::vector<char> f;
  for (const char* p : parts) {
    for (const char* c = p; *c; ++c) f.push_back(*c);
    f.push_back('\0');
  }
  f.push_back('\0');
  return f;
}

// Runs a canvas file dialog: file_buffer starts as ".syl"; the folder the
// user ended in is copied back into folder. 0 with path and filter index, -1
// when cancelled.
int RunCanvasFileDialog(HWND owner, bool save, std::string& folder, std::string& path, DWORD& filter_index) {
  std::vector<char> filter = save ? Filter({"SYL (*.SYL)", "*.SYL", "JPEG (*.JPG)", "*.jpg", "Bitmap (*.BMP)",
                                            "*.BMP", "PNG (*.PNG)", "*.PNG"})
                                  : Filter({"SYL (*.SYL)", "*.SYL"});
  char file[MAX_PATH + 1] = ".syl";
  std::string initial = folder;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.data();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = save ? "キャンバスを保存する" : "キャンバス（.SYL）を開く";
  ofn.lpstrDefExt = "syl";
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | (save ? 0 : OFN_FILEMUSTEXIST);
  BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return -1;
  std::string here = CurrentFolder();
  if (!here.empty()) folder = here;
  path = file;
  filter_index = ofn.nFilterIndex;
  return 0;
}

// What follows every canvas file read into the garden: the background's
// memory picture and, when the file held a canvas, the wallpaper.
void AfterCanvasRead(HWND main) {
  RefreshBackgroundPicture(main);
  if (GetCanvas().exists) SendCommand(CMD_MAKE_WALLPAPER);
}

}  // namespace

int CreateCanvas(HWND main, int width, int height, uint32_t colour, int kind, const Surface& picture,
                 int update_interval, bool stretch) {
  if (!IsAcceptableSize(width, height)) {
    ShowMessage("キャンバスを作成できませんでした。幅、高さともに 1～16384 ピクセルにしてください。",
                "サイズについて");
    return kCanvasBadSize;
  }
  int rc = CreateGardenCanvas(GetCanvas(), GetTreeTable(), GetLabelList(), width, height, colour, kind, picture,
                              update_interval, stretch);
  if (rc != kCanvasOk) return rc;
  RefreshBackgroundPicture(main);
  ClearFirstUpdateFlag();
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  return 0;
}

void RefreshBackgroundPicture(HWND main) {
  Surface& background = GetCanvas().background;
  g_background_picture.Release();
  if (background.empty()) return;
  HDC wdc = GetDC(main);
  g_background_picture.CreateDC(wdc);
  g_background_picture.MakeBitmap(wdc, background.width, background.height);
  ReleaseDC(main, wdc);
}

void CopyIntoBackgroundPicture(HWND main, Surface& picture) {
  if (!g_background_picture.bitmap_made()) RefreshBackgroundPicture(main);
  if (!CopySurfaceToDC(g_background_picture.dc(), picture)) ShowMessage("Hello!", "Hello");
}

bool RenderLitCanvas(Surface& out) {
  Canvas& canvas = GetCanvas();
  if (!canvas.exists) {
    out.Clear();
    return false;
  }
  if (WorkerRunning())
    RenderWithMode(CurrentLightingMode(), canvas.background, SnapshotTrees(), SnapshotWeight(), out);
  else
    RenderCanvas(canvas, out);
  return !out.empty();
}

int SaveDefaultCanvas(HWND) { return CanvasFileSaveDefault(); }

int SaveCanvasToPath(HWND, const std::string& path) { return CanvasFileSave(path); }

int OpenCanvasFile(HWND main, const std::string& path) {
  int rc = CanvasFileOpen(path);
  if (rc == 0) AfterCanvasRead(main);
  return rc;
}

int SortTreeOrCanvasFile(HWND main, const std::string& path) {
  int rc = CanvasFileSort(path);
  if (rc == kSortCanvasOpened) AfterCanvasRead(main);
  return rc == kSortCanvasOpened ? 0 : rc == kSortTreeFile ? 1 : -1;
}

int SaveCanvasDialog(HWND main) {
  std::string path;
  DWORD filter = 1;
  std::string& folder = Settings().folders[kFolderSaveCanvases];
  if (RunCanvasFileDialog(main, true, folder, path, filter) != 0) return -1;
  if (filter <= 1) return SaveCanvasToPath(main, path) == 0 ? 0 : -1;
  Surface lit;
  if (!RenderLitCanvas(lit)) return -1;
  CanvasPictureType type = filter == 2   ? CanvasPictureType::kJpeg
                           : filter == 3 ? CanvasPictureType::kBmp
                                         : CanvasPictureType::kPng;
  return ExportCanvasPicture(lit, path, type) == 0 ? 0 : -1;
}

int OpenCanvasDialog(HWND main) {
  std::string path;
  DWORD filter = 1;
  std::string& folder = Settings().folders[kFolderOpenCanvases];
  if (RunCanvasFileDialog(main, false, folder, path, filter) != 0) return -1;
  return OpenCanvasFile(main, path) == 0 ? 0 : -1;
}

int SaveCanvasToOwnFileOrAsk(HWND main) {
  Canvas& canvas = GetCanvas();
  if (canvas.has_file && !canvas.file_path.empty()) return SaveCanvasToPath(main, canvas.file_path) == 0 ? 0 : -1;
  return SaveCanvasDialog(main);
}

bool AskToSaveCanvas(HWND main) {
  Answer a = Ask("現在のキャンバスを保存しますか？", "保存？", QuestionButtons::kYesNoCancel);
  if (a == Answer::kCancel) return false;
  if (a == Answer::kYes) {
    if (!StopWorkerForChange()) return false;
    HoldWorker hold;
    if (SaveCanvasToOwnFileOrAsk(main) != 0) return false;
  }
  return true;
}

namespace {
// Setting 1: save to the canvas's own file; without one, ask for a name.
bool SaveAutomatically(HWND main) {
  Canvas& canvas = GetCanvas();
  if (canvas.has_file && !canvas.file_path.empty()) {
    SaveCanvasToPath(main, canvas.file_path);
    return true;
  }
  ShowMessage("保存するファイル名を指定してください。", "SYLファイルの保存");
  return SaveCanvasDialog(main) == 0;
}
}  // namespace

bool SaveByExitSetting(HWND main, bool may_ask) {
  switch (Settings().exit_saving) {
    case 1:
      return SaveAutomatically(main);
    case 2: {
      if (!may_ask) return true;
      Answer a = Ask("現在のキャンバスを保存しますか？", "保存？", QuestionButtons::kYesNoCancel);
      if (a == Answer::kCancel) return false;
      if (a == Answer::kYes) return SaveAutomatically(main);
      return true;
    }
    default:
      return true;
  }
}

void LoadOrCreateDefaultCanvas(HWND main) {
  std::string folder = GetPlatform().ProgramFolder();
  SetCurrentDirectoryA(folder.c_str());
  if (FileExists(JoinPath(folder, kDefaultCanvasFile))) {
    OpenCanvasFile(main, kDefaultCanvasFile);
    if (GetCanvas().exists) StartUpdateTimer();
  } else {
    SaveDefaultCanvas(main);
  }
}

}  // namespace sylvane::app
