// A straightforward per-pixel implementation of the 33 lighting renderers,
// written directly from their formulas: every pixel computes its own distances
// with sqrt and its spot values without tables, and every random number is
// drawn with Rand() at the moment the formula draws it. The fast renderers
// must match it byte for byte.
#pragma once
#include "canvas/image/surface.h"

namespace sylvane::reference {

// Creates out at the layers' size (black first) and fills it.
void Render(int renderer, const Surface& background, const Surface& trees, const AlphaPlane& weight,
            Surface& out);

}  // namespace sylvane::reference
