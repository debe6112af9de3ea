// The tree description dialog: the clicked tree's name, origin, growth type
// and file name over a strip of the lit canvas around the tree.
#include "ui/tree_description_win.h"

#include <windowsx.h>

#include "canvas/image/surface_win.h"
#include "res/canvaswin_resource.h"
#include "ui/app_services_win.h"
#include "ui/canvas_view.h"
#include "platform/handles_win.h"

namespace sylvane {
namespace {

// One opening of the dialog, attached to it at WM_INITDIALOG.
struct DescriptionDialog {
  const TreeDescriptionInput* input = nullptr;
  Surface canvas;       // the lit canvas, full size
  SurfaceDC canvas_dc;  // memory copy the strip is taken from
};

DescriptionDialog* StateOf(HWND dialog) {
  return reinterpret_cast<DescriptionDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void OnInitDialog(HWND dialog, DescriptionDialog& d) {
  const TreeDescriptionInput& in = *d.input;
  SetDlgItemTextA(dialog, CW_IDC_TREE_NAME, in.name.c_str());
  SetDlgItemTextA(dialog, CW_IDC_TREE_FILE, in.file_name.c_str());
  SetDlgItemTextA(dialog, CW_IDC_TREE_TYPE, GrowthTypeText(in.kind));
  SetDlgItemTextA(dialog, CW_IDC_TREE_ORIGIN, OriginText(in.mutant));
  EnableWindow(GetDlgItem(dialog, CW_IDC_TREE_BREED), in.can_breed ? TRUE : FALSE);
  // Without a canvas there is nothing to show below the fields.
  if (Services().render_lit(d.canvas)) ShowSurface(dialog, d.canvas, d.canvas_dc);
}

void OnPaint(HWND dialog, DescriptionDialog& d) {
  gdi::PaintDc paint(dialog);
  if (!d.canvas_dc.dc() || !d.canvas_dc.bitmap_made()) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const StripRect strip = DescriptionStrip(d.input->x, d.input->y, client.right - client.left,
                                           PixelSize{d.canvas.width, d.canvas.height});
  if (strip.width <= 0 || strip.height <= 0) return;
  BitBlt(paint.get(), 0, kDescriptionStripTop, strip.width, strip.height, d.canvas_dc.dc(), strip.left, strip.top,
         SRCCOPY);
}

INT_PTR CALLBACK DescriptionProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* d = reinterpret_cast<DescriptionDialog*>(lparam);
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    OnInitDialog(dialog, *d);
    return SetDlgMsgResult(dialog, message, TRUE);
  }
  DescriptionDialog* d = StateOf(dialog);
  if (!d) return FALSE;
  switch (message) {
    case WM_PAINT:
      OnPaint(dialog, *d);
      return SetDlgMsgResult(dialog, message, 0);
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return SetDlgMsgResult(dialog, message, 0);
      }
      if (LOWORD(wparam) == CW_IDC_TREE_BREED && d->input->can_breed) {
        EndDialog(dialog, kDescriptionBreed);
        return SetDlgMsgResult(dialog, message, 0);
      }
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int ShowTreeDescription(HWND owner, const TreeDescriptionInput& input) {
  DescriptionDialog d;
  d.input = &input;
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(CW_IDD_TREE_DESCRIPTION), owner,
                                   DescriptionProc, reinterpret_cast<LPARAM>(&d));
  return result <= 0 ? -1 : static_cast<int>(result);
}

}  // namespace sylvane
