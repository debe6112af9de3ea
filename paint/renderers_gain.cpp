// Row fillers of the gain formulas: gain on the trees (F1) and the
// whole-picture gain (F3), with the gains of every renderer that uses them.
#include <algorithm>
#include <cstring>

#include "paint/renderers.h"

namespace sylvane::renderers {
namespace {

// Lattice lines that renderers 18 and 19 leave black.
bool LatticeOneRow(int32_t yb) { return yb % 64 <= 3; }
bool LatticeOneColumn(int32_t x) { return x % 16 <= 1; }
bool LatticeTwoRow(int32_t yb) { return yb % 256 <= 8 || yb % 128 <= 2; }
bool LatticeTwoColumn(int32_t x) { return x % 256 <= 8 || x % 128 <= 2; }

bool AnyTreeColour(const uint8_t* t, int32_t width) {
  const size_t n = size_t(width) * 3;
  for (size_t i = 0; i < n; ++i) {
    if (t[i] != 0) return true;
  }
  return false;
}

void Spot(const RenderPlan& plan, size_t index, int32_t yb, int32_t* out) {
  const Light& l = plan.lights[index];
  SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, plan.width, out);
}

// Fills the gains of row yb; g[c] point to the blue, green and red gains
// (possibly all the same array).
void Gains(const RenderPlan& plan, int32_t yb, RowScratch& s, const int32_t* g[3]) {
  const int32_t width = plan.width;
  int32_t* gb = s.out[0].data();
  int32_t* gg = s.out[1].data();
  int32_t* gr = s.out[2].data();
  g[0] = gb;
  g[1] = gg;
  g[2] = gr;
  switch (plan.gain) {
    case Gain::kSum: {
      g[1] = g[2] = gb;
      if (plan.lights.empty()) {
        std::fill(gb, gb + width, 0);
        return;
      }
      Spot(plan, 0, yb, gb);
      int32_t* more = s.a.data();
      for (size_t i = 1; i < plan.lights.size(); ++i) {
        Spot(plan, i, yb, more);
        for (int32_t x = 0; x < width; ++x) gb[x] += more[x];
      }
      return;
    }
    case Gain::kThreeMixed: {
      int32_t* g1 = s.a.data();
      int32_t* g2 = s.b.data();
      int32_t* g3 = s.c.data();
      Spot(plan, 0, yb, g1);
      Spot(plan, 1, yb, g2);
      Spot(plan, 2, yb, g3);
      for (int32_t x = 0; x < width; ++x) {
        gr[x] = g1[x] + (g2[x] + g3[x]) * 100 / 255;
        gg[x] = g3[x] + (g1[x] + g2[x]) * 100 / 255;
        gb[x] = g2[x] + (g1[x] + g3[x]) * 100 / 255;
      }
      return;
    }
    case Gain::kLatticeOne: {
      int32_t* a = s.a.data();
      int32_t* b = s.b.data();
      int32_t* w = s.c.data();
      Spot(plan, 0, yb, a);
      Spot(plan, 1, yb, b);
      Spot(plan, 2, yb, w);
      for (int32_t x = 0; x < width; ++x) {
        const int32_t base = a[x] + b[x];
        gb[x] = base + plan.colour_numbers[0] * w[x] / 255;
        gg[x] = base + plan.colour_numbers[1] * w[x] / 255;
        gr[x] = base + plan.colour_numbers[2] * w[x] / 255;
      }
      return;
    }
    case Gain::kLatticeTwo: {
      int32_t* r = s.a.data();
      int32_t* a = s.b.data();
      int32_t* p = s.c.data();
      int32_t* q = s.d.data();
      Spot(plan, 0, yb, r);
      Spot(plan, 1, yb, a);
      Spot(plan, 2, yb, p);
      Spot(plan, 3, yb, q);
      // The fractional parts of a channel's terms add up before truncation.
      for (int32_t x = 0; x < width; ++x) {
        gb[x] = a[x] + p[x] + (plan.colour_numbers[0] * r[x] + 80 * q[x]) / 255;
        gg[x] = a[x] + (plan.colour_numbers[1] * r[x] + 100 * p[x] + 150 * q[x]) / 255;
        gr[x] = a[x] + q[x] + (plan.colour_numbers[2] * r[x] + 100 * p[x]) / 255;
      }
      return;
    }
    case Gain::kDots: {
      g[1] = g[2] = gb;
      const int32_t period = plan.dot_period;
      const int32_t* cell_row = plan.dot_gains.data() + size_t(yb % period) * size_t(period);
      for (int32_t x = 0; x < width; ++x) gb[x] = cell_row[x % period];
      return;
    }
    case Gain::kColourDots: {
      const int32_t period = plan.dot_period;
      const int32_t* cell_row = plan.dot_gains.data() + size_t(yb % period) * size_t(period) * 3;
      for (int32_t x = 0; x < width; ++x) {
        const int32_t* cell = cell_row + size_t(x % period) * 3;
        gb[x] = cell[0];
        gg[x] = cell[1];
        gr[x] = cell[2];
      }
      return;
    }
    case Gain::kGlitter: {
      int32_t* spot = s.a.data();
      Spot(plan, 0, yb, spot);
      // Three draws per pixel (red, green, blue) in row order, continued
      // from the state before the first pixel.
      uint32_t state = AdvanceRandomState(plan.glitter_state, 3ull * uint64_t(yb) * uint64_t(width));
      for (int32_t x = 0; x < width; ++x) {
        int32_t n[3];
        for (int k = 0; k < 3; ++k) {
          state = state * 214013u + 2531011u;
          n[k] = int32_t((state >> 16) & 0x7FFF) % 128 + 128;
        }
        gr[x] = n[0] * spot[x] / 255;
        gg[x] = n[1] * spot[x] / 255;
        gb[x] = n[2] * spot[x] / 255;
      }
      return;
    }
  }
}

}  // namespace

void GainRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m, int32_t yb,
             RowScratch& s, uint8_t* o) {
  const int32_t width = plan.width;
  const bool lattice_one = plan.gain == Gain::kLatticeOne;
  const bool lattice_two = plan.gain == Gain::kLatticeTwo;
  if ((lattice_one && LatticeOneRow(yb)) || (lattice_two && LatticeTwoRow(yb))) {
    std::memset(o, 0, size_t(width) * 3);
    return;
  }
  const bool whole = plan.formula == Formula::kWhole;
  // Gain on the trees alone: a row without tree colour is the plain picture.
  if (!whole && !lattice_one && !lattice_two && !AnyTreeColour(t, width)) {
    PlainRow(b, t, m, width, o);
    return;
  }
  const int32_t* g[3];
  Gains(plan, yb, s, g);
  if (whole) {
    // trunc(G * B * M) / 65025 in integers, plus G * T / 255, truncated.
    for (int32_t x = 0; x < width; ++x) {
      const uint64_t mm = m[x];
      const uint64_t gain = uint64_t(g[0][x]);
      const size_t i = size_t(x) * 3;
      for (int c = 0; c < 3; ++c) {
        const uint64_t v = gain * b[i + c] * mm / 65025u + gain * t[i + c] / 255u;
        o[i + c] = uint8_t(v > 255 ? 255 : v);
      }
    }
    return;
  }
  for (int32_t x = 0; x < width; ++x) {
    const size_t i = size_t(x) * 3;
    if ((lattice_one && LatticeOneColumn(x)) || (lattice_two && LatticeTwoColumn(x))) {
      o[i] = o[i + 1] = o[i + 2] = 0;
      continue;
    }
    const uint32_t mm = m[x];
    for (int c = 0; c < 3; ++c) {
      const uint32_t v = (uint32_t(b[i + c]) * mm + uint32_t(t[i + c]) * uint32_t(g[c][x])) / 255u;
      o[i + c] = uint8_t(v > 255 ? 255 : v);
    }
  }
}

}  // namespace sylvane::renderers
