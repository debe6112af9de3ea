// Where the lit canvas goes on a printed page, and the size fields of the
// print settings that keep the canvas's aspect ratio. Free of Win32 so that
// the arithmetic can be checked without a printer.
#pragma once
#include <cstdint>

namespace sylvane {

// How the picture is printed (the radio buttons of the print settings).
constexpr int kPrintFit = 1;       // "フィット": as large as the page allows, aspect kept
constexpr int kPrintFill = 2;      // "用紙全面に拡大": stretched over the whole page
constexpr int kPrintFactors = 3;   // "倍率を決める": width and height factors
constexpr int kPrintMillimetres = 4;  // "長さを決める": width and height in millimetres

// What the printer reports about its page.
struct PrintPage {
  int32_t width = 0;    // HORZRES, device pixels
  int32_t height_mm = 0;  // VERTSIZE, millimetres
  float dpi_x = 0.0f;   // LOGPIXELSX
  float dpi_y = 0.0f;   // LOGPIXELSY
};

// Device pixels per millimetre times millimetres: the inch fraction used for
// page heights and millimetre sizes.
inline constexpr double kInchesPerMillimetre = 0.03937008;

// The page's printable height in device pixels: trunc(VERTSIZE x dpi_y x
// 0.03937008).
int32_t PrintPageHeight(const PrintPage& page);

// Where and how large the picture is printed, in device pixels.
struct PrintPlacement {
  bool print = false;  // false: an unknown type prints nothing
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The placement of a picture_width x picture_height picture on a page of
// page_width x page_height device pixels:
//  - fit: the largest size with the picture's aspect ratio that fits the page;
//  - fill: the whole page (the centre flag plays no part);
//  - factors: trunc(f1 x width) by trunc(f2 x height);
//  - millimetres: trunc(dpi_x x f1 x 0.03937008) by trunc(dpi_y x f2 x 0.03937008);
// each side limited to the page; a side of 0 or less prints nothing. With centre, x = trunc((page width - w) x
// 0.5) and y likewise, each raised to 0 when below 1; otherwise (0, 0).
PrintPlacement PlacePrint(int type, bool centre, float f1, float f2, int32_t picture_width, int32_t picture_height,
                          int32_t page_width, int32_t page_height, float dpi_x, float dpi_y);

// The aspect keepers of the size fields: typing v into the width field sets
// the height to trunc(v / r), typing into the height field sets the width to
// trunc(v x r), r = width / height of the canvas as a 32-bit float.
int32_t HeightForWidth(int32_t width_value, int32_t canvas_width, int32_t canvas_height);
int32_t WidthForHeight(int32_t height_value, int32_t canvas_width, int32_t canvas_height);

}  // namespace sylvane
