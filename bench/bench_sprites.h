// Sprites made in code for the growth benchmarks: no tree file is read, so
// the figures measure growth alone.
#pragma once

#include <cmath>
#include <cstdint>

#include "trees/part_data.h"

namespace sylvane::bench_sprites {

// A soft disc with a two-tone colour, like a flower sprite.
inline PartImage DiscSprite(int size, uint32_t inner, uint32_t outer) {
  PartImage p;
  p.surface.CreateFilled(size, size, 0);
  p.alpha.CreateFilled(size, size, 0);
  const double c = (size - 1) * 0.5;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / c;
      if (d > 1.0) continue;
      const uint32_t rgb = d < 0.4 ? inner : outer;
      uint8_t* px = p.surface.PixelAt(x, y);
      px[0] = uint8_t(rgb);
      px[1] = uint8_t(rgb >> 8);
      px[2] = uint8_t(rgb >> 16);
      p.alpha.BufferRow(size - 1 - y)[x] = uint8_t(255 * (1.0 - d * d));
    }
  }
  p.params[kParamRootX] = size / 2;
  p.params[kParamRootY] = size - 1;
  return p;
}

}  // namespace sylvane::bench_sprites
