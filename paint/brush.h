// BrushPattern: the soft, speckled dab a tree's pen paints with. Six random
// variants of a float opacity pattern (0 = no paint, 1 = full pen colour) of
// one of 26 types are stacked in one FloatGrid: variant v occupies rows
// v * height .. v * height + height - 1. Only the six parameters are ever
// stored; the pen rebuilds the pattern from them before every stamp, so every
// dab gets a fresh speckle from the program's one random generator.
//
// Types (region of cells that may receive a value -- value):
//   0 every cell -- fall-off over half the diagonal
//   1 disc -- linear fall-off        2/3 bands along the two diagonals
//   4 disc, whole rows negated at random (7 %)   5 diamond (density drawn inside only)
//   6 disc, brightest at the rim     7 outside the disc (corners)
//   8/9 crosses   10/11 X shapes     12/13 horizontal stripe (13 signed)
//   14/15 vertical stripe (15 signed)  16-21 triangles, halves, parabolas
//   22-25 one of several of the above, chosen once per build
//   any other type behaves as 1; a 1 x 1 pattern is always type 0.
#pragma once
#include <cstdint>

#include "canvas/image/surface.h"
#include "base/grid.h"

namespace sylvane {

// Number of random variants in every pattern.
constexpr int kBrushVariants = 6;
// Number of pattern types (0 .. kBrushTypes - 1).
constexpr int kBrushTypes = 26;

struct BrushPattern {
  FloatGrid cells;       // width columns x 6 * height rows, the six variants stacked
  int32_t type = 0;      // pattern type 0..25 (0 after building a 1 x 1 pattern); others act as 1
  int32_t area = 0;      // width * height (saturated to the int32 range)
  int32_t width = 0;     // columns of one variant
  int32_t height = 0;    // rows of one variant
  int32_t strength = 0;  // opacity at the centre, in 255ths (strength / 255 where the fall-off is 0)
  int32_t edge = 0;      // level at the fall-off radius, in 255ths of the centre level
  int32_t density = 0;   // percentage (0..100) of cells that receive a value

  // Discards the cells, stores the parameters and fills six fresh variants,
  // drawing random numbers (one per cell, see brush.cpp for the exact order).
  // A width or height that is not positive, or a pattern too large for a
  // FloatGrid, stays empty and draws nothing.
  void Build(int new_type, int new_width, int new_height, int new_strength, int new_edge,
             int new_density);
  // The opacity of variant v at column x, row y (row 0 at the top); 0 outside
  // the pattern.
  float Value(int v, int x, int y) const;
  // Frees the cells (the parameters stay).
  void Release();
};

// Blends variant v of an already built pattern onto the tree layer and the
// background-weight plane, centred at (px, py) (canvas pixels from the top
// left) in the colour (red, green, blue), each 0..255. Every cell with a
// non-zero value l changes its pixel to trunc(l * pen + (1 - l) * old) per
// channel and its weight to trunc((1 - l) * weight), both clamped to 0..255.
// Columns and rows outside the canvas wrap around to the other side, however
// far outside they lie. Nothing is drawn when the layer is empty or the plane's
// size differs from the layer's.
void BlendBrushVariant(const BrushPattern& pattern, int v, int px, int py, int red, int green,
                       int blue, Surface& tree_layer, AlphaPlane& weight);

// Builds fill their cells from shapes computed once per type, size and level
// (the default), or, turned off, cell by cell with the fall-off computed for
// every cell (the reference). Both make the same cells with the same draws.
void SetBrushShapeCache(bool enabled);
// Lets builds and blends use the processor's vector instructions where it has
// them (the default), or keeps them to the portable code. Same cells and bytes.
void SetBrushVectorCode(bool enabled);

// One dab of a pen: rebuilds pattern from its own stored parameters, draws the
// variant v = Rand() % 6 and blends it (BlendBrushVariant).
void StampBrush(BrushPattern& pattern, int px, int py, int red, int green, int blue,
                Surface& tree_layer, AlphaPlane& weight);

}  // namespace sylvane
