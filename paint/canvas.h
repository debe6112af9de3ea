// Canvas: the state of the open garden. Three layers make every finished
// picture of it: the background layer, the tree layer the pens paint into
// (colour already multiplied by coverage) and the background-weight plane
// (255 where no tree paint lies). A finished picture is
//   background x weight / 255 + tree layer
// lit by one of the lighting renderers (paint/lighting.h).
//
// It is part of a garden (canvas/garden.h): the interface thread owns it; the
// growth worker paints into the tree layer and weight plane.
// The Windows halves of creating a canvas (the memory device context of the
// background, the wallpaper and window-refresh commands) and emptying the tree
// table and label list are done by the callers of the set-up functions here.
#pragma once
#include <cstdint>
#include <string>

#include "canvas/image/surface.h"
#include "platform/platform.h"

namespace sylvane {

// Background kinds.
constexpr int32_t kBackgroundColour = 0;   // filled with the background colour
constexpr int32_t kBackgroundPicture = 1;  // a picture, stretched or tiled

struct Canvas {
  // Layers: all three are width x height of the canvas (the tree layer's size
  // is the canvas size).
  Surface background;  // background layer: colour, stretched or tiled picture; trees never paint it
  Surface trees;       // tree layer: tree colour x coverage; all bytes 0 on a new canvas
  AlphaPlane weight;   // background-weight plane: 255 x fraction of background showing; 255 on a new canvas

  // Background settings.
  uint32_t background_colour = 0;  // COLORREF 0x00BBGGRR (red in the low byte)
  uint8_t background_kind = 0;     // kBackgroundPicture when a picture is used ("background image used")
  std::string background_path;     // full path of the background picture (Shift-JIS); empty when none
  uint8_t stretch = 0;             // 1 the picture is stretched to the canvas, 0 tiled from the top-left

  // Update cycle.
  int32_t update_interval = 0;     // minutes between growth passes, 0..1440; 0 = once a day
  int32_t remaining_minutes = 0;   // minutes left until the next periodic update (the countdown)
  LocalTime last_daily_update;     // local time of creation and of the last daily update
  int32_t elapsed_hours = 0;       // timer panel clock: hours (wrap from 98 to 0)
  int32_t elapsed_minutes = 0;     // timer panel clock: minutes 0..59
  int32_t elapsed_seconds = 0;     // timer panel clock: seconds 0..59

  // File state.
  uint8_t exists = 0;              // 1 once a canvas was created, or loaded with a tree layer
  uint8_t has_file = 0;            // 1 once loaded from or saved to its own file
  std::string file_path;           // that file (Shift-JIS); empty when none

  int32_t width() const { return trees.width; }
  int32_t height() const { return trees.height; }
};

// Status codes of the set-up functions.
constexpr int kCanvasOk = 0;
constexpr int kCanvasBadSize = -1;  // width or height outside 1..kMaxSurfaceSide; nothing changed

// Sets up the layers of a new canvas (the portable part of "create canvas"):
// records the interval as interval and countdown, the current local time as
// the last daily update, the colour, the kind, the stretch flag and, for a
// picture, picture.path; creates the background layer width x height filled
// by FillBackground, the tree layer black and the weight plane 255; marks the
// canvas as existing and as having no file. A kBackgroundPicture whose picture
// is empty (failed to load) is recorded and filled as the colour. The caller
// has emptied the tree table and labels and sends the window commands.
int SetUpCanvasLayers(Canvas& canvas, int32_t width, int32_t height, uint32_t colour, int32_t kind,
                      const Surface& picture, int32_t update_interval, bool stretch);

// "change background": records colour, kind, picture path, stretch flag and
// interval (as interval and countdown) and re-creates only the background layer
// at width x height (the caller passes the tree layer's size). The tree layer
// and weight plane stay as they are.
int ChangeBackground(Canvas& canvas, int32_t width, int32_t height, uint32_t colour, int32_t kind,
                     const Surface& picture, int32_t update_interval, bool stretch);

// Fills every pixel of layer (already created) by the background rules:
//  - kind kBackgroundPicture, stretch: pixel (x, buffer row r) takes picture
//    pixel (trunc(x * pw / W), trunc(r * ph / H)) (nearest neighbour, exactly W x H);
//  - kind kBackgroundPicture, no stretch: tiled from the top-left corner;
//  - otherwise, or when the picture is empty: the COLORREF colour
//    (blue = bits 16..23, green = bits 8..15, red = bits 0..7).
// Padding bytes at the row ends are left as they are.
void FillBackground(Surface& layer, uint32_t colour, int32_t kind, const Surface& picture, bool stretch);

// The picture without lighting: out = background x weight / 255 + tree layer
// per channel (integers, truncated). out is created at the tree layer's size.
// Returns false (out left empty) when the three layers differ in size.
bool ComposePlain(const Surface& background, const Surface& trees, const AlphaPlane& weight,
                  Surface& out);

}  // namespace sylvane
