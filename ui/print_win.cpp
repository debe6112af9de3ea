// The print settings dialog and the print routine.
#include "ui/print_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstdlib>
#include <string>

#include "canvas/garden_engine.h"
#include "canvas/image/surface_win.h"
#include "paint/canvas.h"
#include "platform/handles_win.h"
#include "platform/platform.h"
#include "res/canvaswin_resource.h"
#include "trees/planting.h"
#include "ui/app_services_win.h"
#include "ui/print_layout.h"

namespace sylvane {
namespace {

constexpr UINT_PTR kAspectKeeperId = 1;
// Characters read from each factor field.
constexpr int kFactorChars = 4;

// One opening of the print settings, attached to the dialog at WM_INITDIALOG.
struct PrintDialog {
  Surface picture;  // the lit canvas to print
  int result = -1;  // what printing returned; -1 when nothing was printed
};

PrintDialog* StateOf(HWND dialog) { return reinterpret_cast<PrintDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// A field read as a signed integer, as atoi reads it ("12mm" is 12, "" is 0).
long FieldInteger(HWND dialog, int id) {
  char text[32] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return std::strtol(text, nullptr, 10);
}

float FieldFactor(HWND dialog, int id) {
  char text[kFactorChars + 1] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return static_cast<float>(std::atof(text));
}

// The aspect keepers of the two millimetre fields: on every key release,
// while "縦横比をキャンバスにあわせる" is checked, the other field follows the
// canvas's aspect ratio.
LRESULT CALLBACK AspectKeeperProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                  DWORD_PTR data) {
  if (message == WM_KEYUP) {
    HWND dialog = GetParent(edit);
    const auto* d = reinterpret_cast<const PrintDialog*>(data);
    if (d && IsDlgButtonChecked(dialog, CW_IDC_PRINT_KEEP_ASPECT) == BST_CHECKED) {
      const int id = GetDlgCtrlID(edit);
      const long v = FieldInteger(dialog, id);
      if (v < 0) {
        ShowMessage("サイズは正の値を記入してください。", "修正");
      } else if (id == CW_IDC_PRINT_MM_W) {
        SetDlgItemInt(dialog, CW_IDC_PRINT_MM_H,
                      UINT(HeightForWidth(int32_t(v), d->picture.width, d->picture.height)), TRUE);
      } else {
        SetDlgItemInt(dialog, CW_IDC_PRINT_MM_W,
                      UINT(WidthForHeight(int32_t(v), d->picture.width, d->picture.height)), TRUE);
      }
    }
  }
  return DefSubclassProc(edit, message, wparam, lparam);
}

void OnInitDialog(HWND dialog, PrintDialog& d) {
  Services().render_lit(d.picture);
  SetDlgItemInt(dialog, CW_IDC_PRINT_MM_W, UINT(d.picture.width), TRUE);
  SetDlgItemInt(dialog, CW_IDC_PRINT_MM_H, UINT(d.picture.height), TRUE);
  CheckDlgButton(dialog, CW_IDC_PRINT_FIT, BST_CHECKED);
  CheckDlgButton(dialog, CW_IDC_PRINT_KEEP_ASPECT, BST_CHECKED);
  for (int id : {CW_IDC_PRINT_MM_W, CW_IDC_PRINT_MM_H})
    SetWindowSubclass(GetDlgItem(dialog, id), AspectKeeperProc, kAspectKeeperId, reinterpret_cast<DWORD_PTR>(&d));
}

void OnDestroy(HWND dialog) {
  for (int id : {CW_IDC_PRINT_MM_W, CW_IDC_PRINT_MM_H})
    RemoveWindowSubclass(GetDlgItem(dialog, id), AspectKeeperProc, kAspectKeeperId);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// "次へ": prints by the first checked method, then the dialog closes.
void OnNext(HWND dialog, PrintDialog& d) {
  PrintRequest request;
  request.centre = Checked(dialog, CW_IDC_PRINT_CENTRE);
  if (Checked(dialog, CW_IDC_PRINT_FIT)) {
    request.type = kPrintFit;
  } else if (Checked(dialog, CW_IDC_PRINT_FILL)) {
    request.type = kPrintFill;
  } else if (Checked(dialog, CW_IDC_PRINT_FACTORS)) {
    request.type = kPrintFactors;
    request.f1 = FieldFactor(dialog, CW_IDC_PRINT_FACTOR_W);
    request.f2 = FieldFactor(dialog, CW_IDC_PRINT_FACTOR_H);
  } else if (Checked(dialog, CW_IDC_PRINT_MM)) {
    request.type = kPrintMillimetres;
    request.f1 = static_cast<float>(FieldInteger(dialog, CW_IDC_PRINT_MM_W));
    request.f2 = static_cast<float>(FieldInteger(dialog, CW_IDC_PRINT_MM_H));
  } else {
    ShowMessage("ラジオボタンのどれかにチェックしてください。", "チェック！！");
    EndDialog(dialog, IDOK);
    return;
  }
  d.result = PrintPicture(dialog, request, d.picture);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK PrintSettingsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    OnInitDialog(dialog, *reinterpret_cast<PrintDialog*>(lparam));
    return SetDlgMsgResult(dialog, message, TRUE);
  }
  PrintDialog* d = StateOf(dialog);
  if (!d) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        OnNext(dialog, *d);
        return SetDlgMsgResult(dialog, message, 0);
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return SetDlgMsgResult(dialog, message, 0);
      }
      return FALSE;
    case WM_DESTROY:
      OnDestroy(dialog);
      return SetDlgMsgResult(dialog, message, 0);
    case WM_NCDESTROY:
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int PrintPicture(HWND owner, const PrintRequest& request, Surface& picture) {
  if (picture.empty()) return -1;
  PRINTDLGA pd{};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC | PD_HIDEPRINTTOFILE;
  pd.nFromPage = pd.nToPage = pd.nMinPage = pd.nMaxPage = 1;
  pd.nCopies = 1;
  if (!PrintDlgA(&pd)) return -1;
  // The dialog's device description is not needed once it gave the DC.
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
  const win::DeviceContext printer(pd.hDC);
  HDC dc = printer.get();
  if (!dc) return -2;

  picture.RefreshHeaders();
  BITMAPINFO bi = SurfaceBitmapInfo(picture);
  DOCINFOA doc{};
  doc.cbSize = sizeof(doc);
  doc.lpszDocName = "test";
  if (StartDocA(dc, &doc) <= 0) return -2;
  StartPage(dc);
  PrintPage page;
  page.width = GetDeviceCaps(dc, HORZRES);
  page.height_mm = GetDeviceCaps(dc, VERTSIZE);
  page.dpi_x = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSX));
  page.dpi_y = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSY));
  const PrintPlacement at = PlacePrint(request.type, request.centre, request.f1, request.f2, picture.width,
                                       picture.height, page.width, PrintPageHeight(page), page.dpi_x, page.dpi_y);
  if (at.print) {
    StretchDIBits(dc, at.x, at.y, at.width, at.height, 0, 0, picture.width, picture.height, picture.pixels.data(), &bi,
                  DIB_RGB_COLORS, SRCCOPY);
  }
  EndPage(dc);
  EndDoc(dc);
  return 0;
}

int PrintCanvasDialog(HWND owner) {
  if (!Services().engine->garden().canvas.exists) {
    ShowNoCanvasMessage();
    return -1;
  }
  PrintDialog d;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(CW_IDD_PRINT_SETTINGS), owner, PrintSettingsProc,
                  reinterpret_cast<LPARAM>(&d));
  return d.result;
}

}  // namespace sylvane
