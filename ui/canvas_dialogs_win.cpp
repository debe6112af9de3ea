#include "ui/canvas_dialogs_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>

#include "canvas/garden_engine.h"
#include "canvas/image/image_dialog_win.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "canvas/image/surface_win.h"
#include "canvas/wallpaper_win.h"
// windows.h names LoadImageA "LoadImage", as the program's picture loader is called.
#undef LoadImage
#include "canvas/image/image_io.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "ui/app_services_win.h"
#include "ui/skin_win.h"

namespace sylvane {
namespace {

constexpr int kPreviewSide = 50;  // pixels
constexpr int kMaxInterval = 1440;

// What one of the two canvas dialogs is choosing. Both live for the whole run.
struct BackgroundChoice {
  Surface preview;         // 50 x 50
  SurfaceDC preview_picture;
  Surface image;           // the background picture being chosen
  bool image_chosen = false;
  COLORREF colour = 0;     // 0x00BBGGRR
  POINT preview_at{};      // where the preview is drawn in the client area
};

BackgroundChoice g_new_canvas{{}, {}, {}, false, 0, {20, 140}};
BackgroundChoice g_settings{{}, {}, {}, false, 0, {65, 11}};
COLORREF g_custom_colours[16] = {};

COLORREF SettingsColour() {
  const MInitInfo& s = Settings();
  return RGB(s.background_red & 0xFF, s.background_green & 0xFF, s.background_blue & 0xFF);
}

void FillPreview(BackgroundChoice& c) {
  c.preview.CreateFilled(kPreviewSide, kPreviewSide, 0);
  for (int y = 0; y < kPreviewSide; ++y) {
    uint8_t* row = c.preview.BufferRow(y);
    for (int x = 0; x < kPreviewSide; ++x) {
      row[3 * x] = GetBValue(c.colour);
      row[3 * x + 1] = GetGValue(c.colour);
      row[3 * x + 2] = GetRValue(c.colour);
    }
  }
}

// Nearest neighbour into the 50 x 50 preview: column j shows image column
// trunc(j * width / 50), row i image row trunc(i * height / 50).
void PreviewImage(BackgroundChoice& c) {
  c.preview.CreateFilled(kPreviewSide, kPreviewSide, 0);
  const Surface& img = c.image;
  if (img.empty()) return;
  for (int i = 0; i < kPreviewSide; ++i) {
    int sy = static_cast<int>(int64_t(i) * img.height / kPreviewSide);
    if (sy > img.height - 1) sy = img.height - 1;
    for (int j = 0; j < kPreviewSide; ++j) {
      int sx = static_cast<int>(int64_t(j) * img.width / kPreviewSide);
      if (sx > img.width - 1) sx = img.width - 1;
      const uint8_t* s = img.PixelAt(sx, sy);
      uint8_t* d = c.preview.PixelAt(j, i);
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

void ShowPreview(HWND dialog, BackgroundChoice& c) {
  if (c.image_chosen)
    PreviewImage(c);
  else
    FillPreview(c);
  ShowSurface(dialog, c.preview, c.preview_picture);
  RECT r{c.preview_at.x, c.preview_at.y, c.preview_at.x + kPreviewSide, c.preview_at.y + kPreviewSide};
  InvalidateRect(dialog, &r, FALSE);
}

void PaintPreview(HWND dialog, BackgroundChoice& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  BlitCompanion(dc, c.preview_picture, c.preview_at.x, c.preview_at.y);
  EndPaint(dialog, &ps);
}

// The canvas's background picture loaded again from its path; a failure
// (its message shown) clears the canvas's picture flag.
void ReloadCanvasPicture(BackgroundChoice& c) {
  Canvas& canvas = Services().engine->Unguarded().canvas;
  c.image_chosen = false;
  if (canvas.background_kind != kBackgroundPicture) return;
  if (LoadImage(canvas.background_path, c.image, true) == 0)
    c.image_chosen = true;
  else
    canvas.background_kind = kBackgroundColour;
}

void ChooseColour(HWND dialog, BackgroundChoice& c) {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = dialog;
  cc.lpCustColors = g_custom_colours;
  cc.Flags = CC_FULLOPEN;
  if (!ChooseColorA(&cc)) return;
  c.colour = cc.rgbResult;
  c.image_chosen = false;
  ShowPreview(dialog, c);
}

void ChooseImage(HWND dialog, BackgroundChoice& c) {
  if (OpenImageDialog(dialog, c.image, "背景画像を開く", Settings().folders[kFolderBackgroundImages]) != 0) return;
  c.image_chosen = true;
  ShowPreview(dialog, c);
}

// The background buttons both canvas dialogs have; false for any other command.
bool OnBackgroundButton(HWND dialog, int id, BackgroundChoice& c) {
  if (id == IDC_BG_COLOR) {
    ChooseColour(dialog, c);
    return true;
  }
  if (id == IDC_BG_IMAGE) {
    ChooseImage(dialog, c);
    return true;
  }
  return false;
}

// The chosen background kept in the settings, and the kind of background it makes.
int StoreBackground(MInitInfo& s, const BackgroundChoice& c) {
  s.background_red = GetRValue(c.colour);
  s.background_green = GetGValue(c.colour);
  s.background_blue = GetBValue(c.colour);
  return c.image_chosen ? kBackgroundPicture : kBackgroundColour;
}

// A signed integer field; text that is not a number reads as 0.
int ReadInt(HWND dialog, int id) {
  BOOL ok = FALSE;
  int v = static_cast<int>(GetDlgItemInt(dialog, id, &ok, TRUE));
  return ok ? v : 0;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void EnableSizeFields(HWND dialog) {
  bool fit = Checked(dialog, IDC_FIT_DESKTOP);
  EnableWindow(GetDlgItem(dialog, IDC_WIDTH), !fit);
  EnableWindow(GetDlgItem(dialog, IDC_HEIGHT), !fit);
}

void IntervalMessage() { ShowMessage("更新時間間隔は 0～1440 までの値にして下さい。", "修正"); }

// ---- new canvas ----
void InitNewCanvas(HWND dialog) {
  const MInitInfo& s = Settings();
  BackgroundChoice& c = g_new_canvas;
  SetDlgItemInt(dialog, IDC_WIDTH, UINT(s.canvas_width), TRUE);
  SetDlgItemInt(dialog, IDC_HEIGHT, UINT(s.canvas_height), TRUE);
  Check(dialog, IDC_FIT_DESKTOP, s.canvas_fits_desktop != 0);
  Check(dialog, IDC_FIT_BG_IMAGE, s.fit_background != 0);
  SetDlgItemInt(dialog, IDC_INTERVAL, UINT(s.update_interval), TRUE);
  Check(dialog, IDC_NO_AUTO_WALLPAPER, s.changer_active != 0);
  EnableSizeFields(dialog);
  c.colour = SettingsColour();
  ReloadCanvasPicture(c);
  ShowPreview(dialog, c);
}

bool ApplyNewCanvas(HWND dialog) {
  MInitInfo& s = Settings();
  BackgroundChoice& c = g_new_canvas;
  const bool fit_desktop = Checked(dialog, IDC_FIT_DESKTOP);
  int width = 0, height = 0;
  if (fit_desktop) {
    RECT r{};
    GetClientRect(GetDesktopWindow(), &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
  } else {
    width = ReadInt(dialog, IDC_WIDTH);
    height = ReadInt(dialog, IDC_HEIGHT);
  }
  const bool fit_image = Checked(dialog, IDC_FIT_BG_IMAGE);
  const bool no_auto = Checked(dialog, IDC_NO_AUTO_WALLPAPER);
  s.canvas_fits_desktop = fit_desktop ? 1 : 0;
  s.fit_background = fit_image ? 1 : 0;
  // The values are checked before anything of the running garden changes, so
  // a refused entry leaves the clock and the canvas as they were.
  if (width < 1 || height < 1) {
    ShowMessage("サイズは幅、高さともに、1ピクセル以上を指定してください。", "サイズについて");
    return false;
  }
  if (width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
    ShowMessage("サイズは幅、高さともに、16384ピクセル以下を指定してください。", "サイズについて");
    return false;
  }
  s.update_interval = ReadInt(dialog, IDC_INTERVAL);
  if (s.update_interval < 0 || s.update_interval > kMaxInterval) {
    IntervalMessage();
    return false;
  }
  const AppServices& app = Services();
  int rc = -1;
  const bool changed = app.engine->Change([&](Garden& garden) {
    app.stop_clock();
    Canvas& canvas = garden.canvas;
    canvas.elapsed_hours = canvas.elapsed_minutes = canvas.elapsed_seconds = 0;
    canvas.stretch = fit_image ? 1 : 0;
    s.changer_active = no_auto ? 1 : 0;
    if (app.changer)
      SendMessageA(app.changer, WM_COMMAND, no_auto ? CMD_CHANGER_USE_OTHER : CMD_CHANGER_USE_CANVAS, 0);
    s.canvas_width = width;
    s.canvas_height = height;
    const int kind = StoreBackground(s, c);
    rc = app.create_canvas(width, height, uint32_t(c.colour), kind, c.image, s.update_interval, fit_image);
    TreeCountPanelSetCount(0);
    TimerPanelRefresh(0, 0, 0);
  });
  if (!changed) return false;
  if (app.engine->garden().canvas.exists) app.start_clock();
  return rc == 0;
}

INT_PTR CALLBACK NewCanvasProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      InitNewCanvas(dialog);
      return TRUE;
    case WM_PAINT:
      PaintPreview(dialog, g_new_canvas);
      return TRUE;
    case WM_COMMAND:
      if (OnBackgroundButton(dialog, LOWORD(wparam), g_new_canvas)) return TRUE;
      switch (LOWORD(wparam)) {
        case IDC_FIT_DESKTOP:
          EnableSizeFields(dialog);
          return TRUE;
        case IDC_CURRENT_WALLPAPER:
          if (ReadCurrentWallpaper(dialog, g_new_canvas.image) == 0) {
            g_new_canvas.image_chosen = true;
            ShowPreview(dialog, g_new_canvas);
          }
          return TRUE;
        case IDOK:
          if (ApplyNewCanvas(dialog)) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- canvas settings ----
void InitSettings(HWND dialog) {
  const Canvas& canvas = Services().engine->garden().canvas;
  const LabelList& labels = Services().engine->garden().labels;
  BackgroundChoice& c = g_settings;
  c.colour = SettingsColour();
  ReloadCanvasPicture(c);
  Check(dialog, IDC_FIT_BG_IMAGE, canvas.stretch != 0);
  SetDlgItemInt(dialog, IDC_SETTINGS_INTERVAL, UINT(canvas.update_interval), TRUE);
  SetDlgItemInt(dialog, IDC_LABEL_R, labels.text_colour & 0xFF, FALSE);
  SetDlgItemInt(dialog, IDC_LABEL_G, (labels.text_colour >> 8) & 0xFF, FALSE);
  SetDlgItemInt(dialog, IDC_LABEL_B, (labels.text_colour >> 16) & 0xFF, FALSE);
  SetDlgItemInt(dialog, IDC_LABEL_SIZE, UINT(labels.font_height), TRUE);
  ShowPreview(dialog, c);
}

bool ApplySettings(HWND dialog) {
  MInitInfo& s = Settings();
  BackgroundChoice& c = g_settings;
  s.update_interval = ReadInt(dialog, IDC_SETTINGS_INTERVAL);
  if (s.update_interval < 0 || s.update_interval > kMaxInterval) {
    IntervalMessage();
    return false;
  }
  const int r = ReadInt(dialog, IDC_LABEL_R), g = ReadInt(dialog, IDC_LABEL_G), b = ReadInt(dialog, IDC_LABEL_B);
  const int size = ReadInt(dialog, IDC_LABEL_SIZE);
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255 || size < 1 || size > 20) {
    ShowMessage("文字の色は各色 0～255、文字のサイズは 1～20 の値にして下さい。", "修正");
    return false;
  }
  const AppServices& app = Services();
  const bool changed = app.engine->Change([&](Garden& garden) {
    LabelList& labels = garden.labels;
    labels.text_colour = int32_t(RGB(r, g, b));
    labels.font_height = size;
    const bool fit = Checked(dialog, IDC_FIT_BG_IMAGE);
    Canvas& canvas = garden.canvas;
    canvas.stretch = fit ? 1 : 0;
    s.fit_background = fit ? 1 : 0;
    const int kind = StoreBackground(s, c);
    ChangeBackground(canvas, canvas.width(), canvas.height(), uint32_t(c.colour), kind, c.image,
                     s.update_interval, fit);
  });
  if (!changed) return false;
  app.refresh_background_picture();
  app.send_command(CMD_MAKE_WALLPAPER);
  app.send_command(CMD_REFRESH_CANVAS_WINDOW);
  return true;
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      InitSettings(dialog);
      return TRUE;
    case WM_PAINT:
      PaintPreview(dialog, g_settings);
      return TRUE;
    case WM_COMMAND:
      if (OnBackgroundButton(dialog, LOWORD(wparam), g_settings)) return TRUE;
      switch (LOWORD(wparam)) {
        case IDC_OPEN_CANVAS_WINDOW:
          Services().send_command(CMD_CANVAS_WINDOW);
          return TRUE;
        case IDC_SHOW_NAMES:
          Services().send_command(CMD_REFRESH_CANVAS_WINDOW);
          Services().send_command(CMD_SHOW_NAMES_NORMAL);
          return TRUE;
        case IDC_HIDE_NAMES:
          Services().engine->Unguarded().labels.display_mode = kLabelsOff;
          Services().send_command(CMD_REFRESH_CANVAS_WINDOW);
          return TRUE;
        case IDOK:
          if (ApplySettings(dialog)) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- scatter planting ----
INT_PTR CALLBACK ScatterProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemInt(dialog, IDC_SCATTER_COUNT, UINT(Settings().scatter_count), TRUE);
      SetDlgItemInt(dialog, IDC_SCATTER_RADIUS, UINT(Settings().scatter_radius), TRUE);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        MInitInfo& s = Settings();
        s.scatter_count = ReadInt(dialog, IDC_SCATTER_COUNT);
        s.scatter_radius = ReadInt(dialog, IDC_SCATTER_RADIUS);
        if (s.scatter_count < 1 || s.scatter_count > 100)
          ShowMessage("ばらまき数は半角で 1 ～ 100 までの数を入れてください。", "警告");
        if (s.scatter_radius < 0 || s.scatter_radius > 1000)
          ShowMessage("ばらまき半径は半角で 0 ～ 1000 までの数を入れてください。", "警告");
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, -1);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- window transparency ----
INT_PTR CALLBACK TransparencyProc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      const MInitInfo& s = Settings();
      int id = s.transparency_mode == 0 ? IDC_TRANS_SKIN : s.transparency_mode == 1 ? IDC_TRANS_ALPHA : IDC_TRANS_NONE;
      CheckRadioButton(dialog, IDC_TRANS_SKIN, IDC_TRANS_NONE, id);
      SetDlgItemInt(dialog, IDC_TRANS_OPACITY, UINT(s.window_opacity), TRUE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        int opacity = ReadInt(dialog, IDC_TRANS_OPACITY);
        if (opacity < 0 || opacity > 255) {
          ShowMessage("不透明度は 0～255 の値にして下さい。", "修正");
          return TRUE;
        }
        MInitInfo& s = Settings();
        s.window_opacity = opacity;
        s.transparency_mode = Checked(dialog, IDC_TRANS_SKIN) ? 0 : Checked(dialog, IDC_TRANS_ALPHA) ? 1 : 2;
        ApplySkinTransparency();
        HWND main = Services().main;
        InvalidateRect(main, nullptr, TRUE);
        DragAcceptFiles(main, TRUE);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR Run(HWND owner, int id, DLGPROC proc) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), owner, proc, 0);
}

}  // namespace

int NewCanvasDialog(HWND owner) { return Run(owner, IDD_NEW_CANVAS, NewCanvasProc) == 1 ? 1 : 0; }
int CanvasSettingsDialog(HWND owner) { return Run(owner, IDD_CANVAS_SETTINGS, SettingsProc) == 1 ? 1 : 0; }
int ScatterDialog(HWND owner) { return Run(owner, IDD_SCATTER, ScatterProc) == 0 ? 0 : -1; }
int TransparencyDialog(HWND owner) { return Run(owner, IDD_TRANSPARENCY, TransparencyProc) == 1 ? 1 : 0; }

}  // namespace sylvane
