#include "canvas/image/image_dialog_win.h"

#include <commdlg.h>
// windows.h names LoadImageA "LoadImage", as the program's picture loader is called.
#undef LoadImage

#include <cstdio>
#include <cstring>

#include "canvas/image/image_io.h"
#include "canvas/image/resample.h"
#include "canvas/image/surface_win.h"
#include "platform/text.h"
#include "res/resource.h"

namespace sylvane {
namespace {

constexpr int kPreviewSide = 70;  // pixels

// The preview picture, shared by every open-image dialog of the run.
Surface& PreviewSurface() {
  static Surface preview;
  return preview;
}

void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

void ShowSelection(HWND hook) {
  char path[MAX_PATH + 1] = {};
  HWND box = GetParent(hook);
  LRESULT n = SendMessageA(box, CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
  Surface& preview = PreviewSurface();
  int w = 0, h = 0;
  int rc = -1;
  if (n > 0) rc = LoadAndFit(path, preview, kPreviewSide, kPreviewSide, &w, &h);
  else preview.CreateFilled(kPreviewSide, kPreviewSide, 0);
  if (rc != 0) {
    SetText(hook, IDC_PREVIEW_NAME, "---");
    SetText(hook, IDC_PREVIEW_WIDTH, "0");
    SetText(hook, IDC_PREVIEW_HEIGHT, "0");
  } else {
    SetText(hook, IDC_PREVIEW_NAME, FileNamePart(path));
    SetText(hook, IDC_PREVIEW_WIDTH, std::to_string(w));
    SetText(hook, IDC_PREVIEW_HEIGHT, std::to_string(h));
  }
  HWND picture = GetDlgItem(hook, IDC_PREVIEW_PICTURE);
  InvalidateRect(picture, nullptr, FALSE);
  UpdateWindow(picture);
}

UINT_PTR CALLBACK PreviewHook(HWND hook, UINT msg, WPARAM, LPARAM lparam) {
  switch (msg) {
    case WM_INITDIALOG: {
      HWND picture = GetDlgItem(hook, IDC_PREVIEW_PICTURE);
      SetWindowPos(picture, nullptr, 0, 0, kPreviewSide, kPreviewSide, SWP_NOMOVE | SWP_NOZORDER);
      PreviewSurface().CreateFilled(kPreviewSide, kPreviewSide, 0);
      HWND box = GetParent(hook);
      RECT r;
      if (GetWindowRect(box, &r))
        SetWindowPos(box, nullptr, r.left - kPreviewSide, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return 0;
    }
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lparam);
      if (hdr && hdr->code == CDN_SELCHANGE) ShowSelection(hook);
      return 0;
    }
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item && item->CtlID == IDC_PREVIEW_PICTURE) {
        Surface& preview = PreviewSurface();
        if (!CopySurfaceToDC(item->hDC, preview, 0, 0)) FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return TRUE;
      }
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace

int OpenImageDialog(HWND owner, Surface& surface, const char* title, std::string& folder) {
  static const char kFilter[] =
      "IMG (*.JPG, *.BMP, *PNG)\0*.jpg;*.bmp;*.png\0JPEG (*.JPG)\0*.jpg\0Bitmap (*.BMP)\0*.BMP\0"
      "Portable Network Graphics (*.PNG)\0*.PNG\0";
  char file[MAX_PATH + 1] = {};
  std::snprintf(file, sizeof(file), "%s", surface.path.c_str());
  std::string initial = folder;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.hInstance = GetModuleHandleA(nullptr);
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY |
              OFN_NOCHANGEDIR;
  ofn.lpfnHook = PreviewHook;
  ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_IMAGE_PREVIEW);
  if (!GetOpenFileNameA(&ofn)) return -1;
  if (LoadImage(file, surface, true) != 0) return -2;
  surface.path = file;
  const std::string chosen = FolderPart(surface.path);
  if (!chosen.empty()) folder = chosen;
  return 0;
}

}  // namespace sylvane
