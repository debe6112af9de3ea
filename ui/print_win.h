// Printing the lit canvas: the print settings dialog "印刷設定" (resource
// 128) and the print routine that scales the picture onto the printer page.
#pragma once
#include <windows.h>

#include "canvas/image/surface.h"

namespace sylvane {

// How to print (ui/print_layout.h for the types).
struct PrintRequest {
  int type = 1;         // 1 fit, 2 fill the page, 3 factors, 4 millimetres
  bool centre = false;  // centre the picture on the page
  float f1 = 0.0f;      // horizontal factor (type 3) or width in millimetres (type 4)
  float f2 = 0.0f;      // vertical factor or height in millimetres
};

// Shows the standard print dialog and prints picture on one page. 0 when the
// page was sent, -1 when the print dialog was cancelled, -2 when the printer
// refused the document.
int PrintPicture(HWND owner, const PrintRequest& request, Surface& picture);

// Command 40077: without a canvas the message "まだキャンバスが作成されていません。"
// (caption "キャンバスを作成してちょ。"); otherwise the print settings dialog over
// the canvas rendered with the current lighting. Returns the print result, or
// -1 when nothing was printed.
int PrintCanvasDialog(HWND owner);

}  // namespace sylvane
