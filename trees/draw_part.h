// Drawing one plant-part sprite (flower, second flower or leaf) where a growth
// op fires: shrunk a little at random, mirrored or not, rotated to the pen
// heading plus the op's part angle about the part's root point, tinted by the
// part's colour parameters with a fresh random variation, and blended into the
// canvas's tree layer and background-weight plane. No two flowers of a tree
// look exactly alike. The part image is only read.
#pragma once

#include "canvas/image/surface.h"

namespace sylvane {


// Draws `part` with its root at (x, y) (canvas pixels from the top left), at
// the op's part angle (degrees, relative to the pen) and the pen heading
// (degrees, counter-clockwise, 90 = up). The canvas wraps at its edges.
// The random draws are always made (two for the shrink, two for the angle
// jitter, up to six for the colour), even when the sprite is empty and
// nothing is painted. A part without an alpha plane of its size is drawn as
// opaque. Returns 0.
int DrawPart(Surface& tree_layer, AlphaPlane& weight, const PartImage& part, int x, int y, int part_angle,
             int heading);

}  // namespace sylvane
