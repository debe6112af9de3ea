// Canvas layers for the lighting tests, made by a fixed hash of the position
// (no random generator is touched): a background of every colour, and tree
// paint that keeps the layer invariant tree <= 255 - weight per channel.
#pragma once
#include <cstdint>

#include "canvas/image/surface.h"

namespace sylvane::testing {

struct TestLayers {
  Surface background;
  Surface trees;
  AlphaPlane weight;
};

inline uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// Kinds of tree paint.
enum class Coverage {
  kMixed,  // bare pixels (weight 255), fully painted ones (weight 0) and partial ones
  kNone,   // no tree paint at all
  kFull,   // every pixel painted, weight 0..254
};

inline TestLayers MakeLayers(int w, int h, uint32_t salt, Coverage coverage = Coverage::kMixed) {
  TestLayers l;
  l.background.CreateFilled(w, h, 0);
  l.trees.CreateFilled(w, h, 0);
  l.weight.CreateFilled(w, h, 255);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      uint8_t* b = l.background.BufferRow(r) + 3 * x;
      uint8_t* t = l.trees.BufferRow(r) + 3 * x;
      for (int c = 0; c < 3; ++c) b[c] = uint8_t(Hash(x, r, salt * 8 + c));
      uint32_t kind = Hash(x, r, salt * 8 + 5) % 4;
      int m = 255;
      if (coverage == Coverage::kFull) {
        m = int(Hash(x, r, salt * 8 + 6) % 255);
      } else if (coverage == Coverage::kMixed) {
        m = kind == 0 ? 255 : kind == 1 ? 0 : int(Hash(x, r, salt * 8 + 6) % 256);
      }
      l.weight.BufferRow(r)[x] = uint8_t(m);
      for (int c = 0; c < 3; ++c) {
        const int room = 255 - m;
        t[c] = room == 0 ? 0 : uint8_t(Hash(x, r, salt * 8 + 3 + c) % uint32_t(room + 1));
      }
    }
  }
  l.background.RefreshHeaders();
  l.trees.RefreshHeaders();
  return l;
}

}  // namespace sylvane::testing
