// The version information box.
#include "ui/about_win.h"

#include <windowsx.h>

#include "res/canvaswin_resource.h"

namespace sylvane {
namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, CW_IDC_HOMEPAGE, kHomepageAddress);
      return SetDlgMsgResult(dialog, message, TRUE);
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return SetDlgMsgResult(dialog, message, 0);
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void ShowAboutDialog(HWND owner) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(CW_IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace sylvane
