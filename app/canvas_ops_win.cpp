#include "app/canvas_ops_win.h"

#include <commdlg.h>

#include <vector>

#include "app/app_win.h"
#include "app/update_cycle_win.h"
#include "base/file_io.h"
#include "canvas/canvas_file.h"
#include "canvas/garden_engine.h"
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
  // The current folder stays the program's: files named without a folder
  // would otherwise follow the user's browsing.
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? 0 : OFN_FILEMUSTEXIST);
  BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return -1;
  path = file;
  std::string chosen_folder = FolderPart(path);
  if (!chosen_folder.empty()) folder = chosen_folder;
  filter_index = ofn.nFilterIndex;
  return 0;
}

// What follows every canvas file read into the garden: the background's
// memory picture and, when the file held a canvas, the wallpaper.
void AfterCanvasRead(HWND main) {
  RefreshBackgroundPicture(main);
  if (Engine().garden().canvas.exists) SendCommand(CMD_MAKE_WALLPAPER);
}

GardenRefs TheGarden() { return Engine().Unguarded().refs(); }

}  // namespace

int CreateCanvas(HWND main, int width, int height, uint32_t colour, int kind, const Surface& picture,
                 int update_interval, bool stretch) {
  if (!IsAcceptableSize(width, height)) {
    ShowMessage("キャンバスを作成できませんでした。幅、高さともに 1～16384 ピクセルにしてください。",
                "サイズについて");
    return kCanvasBadSize;
  }
  int rc = kCanvasBadSize;
  if (!Engine().Change([&](Garden& g) {
        rc = CreateGardenCanvas(g.canvas, g.table, g.labels, width, height, colour, kind, picture, update_interval,
                                stretch);
      }))
    return -1;
  if (rc != kCanvasOk) return rc;
  RefreshBackgroundPicture(main);
  ClearFirstUpdateFlag();
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  return 0;
}

void RefreshBackgroundPicture(HWND main) {
  const Surface& background = Engine().garden().canvas.background;
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
  const GardenEngine& engine = Engine();
  const Canvas& canvas = engine.garden().canvas;
  if (!canvas.exists) {
    out.Clear();
    return false;
  }
  // While a pass paints, pictures come from the layers as it found them.
  RenderLayers(ChooseCurrentRenderer(), canvas.background, engine.TreesForPictures(), engine.WeightForPictures(),
               out);
  return !out.empty();
}

int SaveDefaultCanvas(HWND) { return SaveDefaultCanvasFile(TheGarden(), GetPlatform().ProgramFolder()); }

int SaveCanvasToPath(HWND, const std::string& path) { return SaveCanvasFile(TheGarden(), path); }

int OpenCanvasFile(HWND main, const std::string& path) {
  int rc = sylvane::OpenCanvasFile(TheGarden(), path);
  if (rc == 0) AfterCanvasRead(main);
  return rc;
}

int SortTreeOrCanvasFile(HWND main, const std::string& path) {
  int rc = sylvane::SortTreeOrCanvasFile(TheGarden(), path);
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
  const Canvas& canvas = Engine().garden().canvas;
  if (canvas.has_file && !canvas.file_path.empty()) return SaveCanvasToPath(main, canvas.file_path) == 0 ? 0 : -1;
  return SaveCanvasDialog(main);
}

bool AskToSaveCanvas(HWND main) {
  Answer a = Ask("現在のキャンバスを保存しますか？", "保存？", QuestionButtons::kYesNoCancel);
  if (a == Answer::kCancel) return false;
  if (a == Answer::kYes) {
    bool saved = false;
    if (!Engine().Change([&](Garden&) { saved = SaveCanvasToOwnFileOrAsk(main) == 0; })) return false;
    if (!saved) return false;
  }
  return true;
}

namespace {
// Setting 1: save to the canvas's own file; without one, ask for a name.
bool SaveAutomatically(HWND main) {
  const Canvas& canvas = Engine().garden().canvas;
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
  // "default.syl" is named by its full path: the garden's own file must stay
  // in the program folder whatever the current folder is.
  const std::string folder = GetPlatform().ProgramFolder();
  SetCurrentDirectoryA(folder.c_str());
  const std::string path = JoinPath(folder, kDefaultCanvasFile);
  bool first_start = false;
  Engine().Change([&](Garden&) {
    if (FileExists(path)) {
      OpenCanvasFile(main, path);
    } else {
      SaveDefaultCanvas(main);
      first_start = true;
    }
  });
  if (Engine().garden().canvas.exists) StartUpdateTimer();
  // The welcome comes once the windows are shown and the message loop runs.
  if (first_start) PostMessageA(main, WM_COMMAND, WPARAM(CMD_WELCOME), 0);
}

}  // namespace sylvane::app
