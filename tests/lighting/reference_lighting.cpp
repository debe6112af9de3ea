#include "reference_lighting.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "base/random.h"

namespace sylvane::reference {
namespace {

struct Pos {
  int x;
  int y;
};

// spot(d; r, k) with d = trunc(sqrt(dx^2 + dy^2)) to (X, Y).
int Spot(int x, int yb, Pos p, int r, int k) {
  const double dx = double(x - p.x);
  const double dy = double(yb - p.y);
  const int d = int(std::sqrt(dx * dx + dy * dy));
  return int(double(r) / std::sqrt(double(d) * double(d) + double(r) * double(r)) * double(k));
}

int Clamp255(double v) { return v > 255.0 ? 255 : (v < 0.0 ? 0 : int(v)); }
int Clamp255(long long v) { return v > 255 ? 255 : (v < 0 ? 0 : int(v)); }

// A coloured light of the dimmed-trees formulas: colour written (red, green, blue).
struct ColourLight {
  Pos at;
  int r;
  int k;
  int red, green, blue;
};

struct Pixel {
  int b[3];  // background blue, green, red
  int t[3];  // tree layer blue, green, red
  int m;     // weight
};

// F2 and renderer 6. f and colours in (red, green, blue) order as written.
void DimmedLights(const Pixel& p, int x, int yb, double fr, double fg, double fb,
                  const std::vector<ColourLight>& lights, bool everywhere, int out[3]) {
  const double f[3] = {fb, fg, fr};
  for (int c = 0; c < 3; ++c) out[c] = int(p.t[c] * f[c]) + p.b[c] * p.m / 255;
  if (!everywhere && p.m == 255) return;
  for (const ColourLight& l : lights) {
    const int L = Spot(x, yb, l.at, l.r, l.k);
    const int k[3] = {l.blue, l.green, l.red};
    for (int c = 0; c < 3; ++c) {
      if (everywhere) {
        out[c] = Clamp255(out[c] + double(L) * k[c] / 255.0);
      } else {
        out[c] = Clamp255(out[c] + double(255 - p.m) * L * k[c] / 65025.0);
      }
    }
  }
}

void Plain(const Pixel& p, int out[3]) {
  for (int c = 0; c < 3; ++c) out[c] = Clamp255((long long)(p.b[c] * p.m / 255 + p.t[c]));
}

// F1 with a gain per channel (blue, green, red).
void GainOnTrees(const Pixel& p, const int g[3], int out[3]) {
  for (int c = 0; c < 3; ++c) out[c] = Clamp255(double(p.b[c] * p.m + p.t[c] * g[c]) / 255.0);
}

// F3: trunc(G * B * M) / 65025 in integers plus G * T / 255.
void WholePicture(const Pixel& p, int g, int out[3]) {
  for (int c = 0; c < 3; ++c) {
    const long long first = (long long)g * p.b[c] * p.m / 65025;
    out[c] = Clamp255(double(first) + double(g) * p.t[c] / 255.0);
  }
}

void PlainChannel(const Pixel& p, int channel, int L, int out[3]) {
  Plain(p, out);
  if (p.m != 255) out[channel] = Clamp255((long long)(out[channel] + (255 - p.m) * L / 255));
}

}  // namespace

void Render(int renderer, const Surface& background, const Surface& trees, const AlphaPlane& weight,
            Surface& out) {
  const int W = trees.width;
  const int H = trees.height;
  out.Clear();
  if (W <= 0 || H <= 0) {
    // Only the draws that do not depend on the size.
    if (renderer == 18 || renderer == 19 || renderer == 23) {
      Rand();
      Rand();
      Rand();
    }
    return;
  }
  out.CreateFilled(W, H, 0);

  // Draws made once before the first pixel.
  Pos random_point{0, 0};
  int cr = 0, cg = 0, cb = 0;
  std::vector<Pos> points;
  switch (renderer) {
    case 10:
      random_point.x = Rand() % W;
      break;
    case 18:
    case 19:
      random_point.x = Rand() % W;
      random_point.y = Rand() % H;
      cr = Rand() % 256;
      cg = Rand() % 256;
      cb = Rand() % 256;
      break;
    case 23:
      cr = Rand() % 256;
      cg = Rand() % 256;
      cb = Rand() % 256;
      break;
    case 24:
      random_point.x = Rand() % W;
      random_point.y = Rand() % H;
      break;
    case 25:
    case 26:
    case 27:
      for (int i = 0; i < 28 - renderer; ++i) {
        Pos p;
        p.x = Rand() % W;
        p.y = Rand() % H;
        points.push_back(p);
      }
      break;
    default:
      break;
  }

  const std::vector<ColourLight> five = {
      {{W / 10, 9 * H / 10}, 50, 200, 255, 0, 0},
      {{9 * W / 10, 9 * H / 10}, 50, 200, 0, 255, 0},
      {{W / 10, H / 10}, 50, 200, 255, 255, 0},
      {{9 * W / 10, H / 10}, 50, 200, 255, 0, 255},
      {{W / 2, H / 2}, 50, 200, 255, 255, 255},
  };
  std::vector<ColourLight> nine = five;
  nine.push_back({{W / 2, 3 * H / 4}, 50, 200, 128, 0, 255});
  nine.push_back({{W / 4, H / 2}, 50, 200, 0, 255, 255});
  nine.push_back({{W / 2, H / 4}, 50, 200, 0, 0, 255});
  nine.push_back({{3 * W / 4, H / 2}, 50, 200, 255, 128, 0});
  std::vector<ColourLight> nine_dim_centre = nine;
  nine_dim_centre[4].k = 150;

  const Pos inner[4] = {{W / 4, H / 4}, {3 * W / 4, H / 4}, {W / 4, 3 * H / 4}, {3 * W / 4, 3 * H / 4}};
  const Pos corners[4] = {{W / 10, H / 10}, {9 * W / 10, H / 10}, {W / 10, 9 * H / 10}, {9 * W / 10, 9 * H / 10}};

  for (int yb = 0; yb < H; ++yb) {
    for (int x = 0; x < W; ++x) {
      Pixel p;
      const uint8_t* bp = background.BufferRow(yb) + 3 * x;
      const uint8_t* tp = trees.BufferRow(yb) + 3 * x;
      for (int c = 0; c < 3; ++c) {
        p.b[c] = bp[c];
        p.t[c] = tp[c];
      }
      p.m = weight.BufferRow(yb)[x];
      int o[3] = {0, 0, 0};
      bool write = true;
      switch (renderer) {
        case 1:
          DimmedLights(p, x, yb, 0.4, 0.4, 1.0, {{{7 * W / 8, 4 * H / 5}, 265, 180, 180, 255, 150}}, false, o);
          break;
        case 2:
          DimmedLights(p, x, yb, 0.7, 0.7, 1.0,
                       {{{7 * W / 8, 4 * H / 5}, 500, 50, 200, 200, 150}, {{W / 5, H / 10}, 500, 200, 140, 200, 88}},
                       false, o);
          break;
        case 3:
          PlainChannel(p, 2, Spot(x, yb, {W / 3, H / 2}, 200, 200), o);
          break;
        case 4:
          DimmedLights(p, x, yb, 0.5, 0.5, 0.8,
                       {{{W / 10, H / 10}, 50, 200, 206, 0, 108}, {{9 * W / 10, H / 10}, 80, 200, 203, 45, 255}},
                       false, o);
          break;
        case 5:
          DimmedLights(p, x, yb, 0.4, 0.4, 0.8, {}, false, o);
          break;
        case 6:
          DimmedLights(p, x, yb, 0.2, 0.2, 0.6, nine_dim_centre, true, o);
          break;
        case 7:
          DimmedLights(p, x, yb, 0.4, 0.4, 0.8, five, false, o);
          break;
        case 8:
          DimmedLights(p, x, yb, 0.4, 0.4, 0.8, nine, false, o);
          break;
        case 9:
          PlainChannel(p, 0, Spot(x, yb, {W / 3, H / 2}, 200, 200), o);
          break;
        case 10:
          DimmedLights(p, x, yb, 0.2, 0.2, 0.5,
                       {{{W / 4, H / 5}, 350, 200, 0, 0, 50}, {{random_point.x, 4 * H / 5}, 150, 200, 120, 200, 255}},
                       false, o);
          break;
        case 11:
          DimmedLights(p, x, yb, 0.3, 0.3, 0.2,
                       {{{4 * W / 5, 4 * H / 5}, 150, 200, 180, 180, 13}, {{W / 5, H / 5}, 200, 200, 241, 131, 21}},
                       false, o);
          break;
        case 12:
          DimmedLights(p, x, yb, 0.4, 0.2, 0.9, {{{W / 2, H / 2}, 200, 150, 255, 128, 255}}, false, o);
          break;
        case 13:
          DimmedLights(p, x, yb, 80.0 / 255.0, 80.0 / 255.0, 80.0 / 255.0,
                       {{{W / 10, H / 10}, 150, 200, 0, 255, 0},
                        {{9 * W / 10, H / 10}, 150, 200, 0, 255, 255},
                        {{W / 2, 7 * H / 10}, 150, 200, 196, 42, 0}},
                       false, o);
          break;
        case 14:
        case 15: {
          const int g = Spot(x, yb, {W / 2, renderer == 14 ? H / 10 : 9 * H / 10}, 250, 400);
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 16: {
          int g = 0;
          for (const Pos& q : inner) g += Spot(x, yb, q, 50, 255);
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 17: {
          const int g1 = Spot(x, yb, {W / 4, H / 4}, 80, 400);
          const int g2 = Spot(x, yb, {3 * W / 4, H / 4}, 80, 400);
          const int g3 = Spot(x, yb, {W / 2, 3 * H / 4}, 80, 400);
          const int red = int(g1 + (g2 + g3) * 100 / 255.0);
          const int green = int(g3 + (g1 + g2) * 100 / 255.0);
          const int blue = int(g2 + (g1 + g3) * 100 / 255.0);
          const int gg[3] = {blue, green, red};
          GainOnTrees(p, gg, o);
          break;
        }
        case 18: {
          if (x % 16 <= 1 || yb % 64 <= 3) {
            write = false;
            break;
          }
          const int a = Spot(x, yb, {3 * W / 4, H / 4}, 80, 300);
          const int b = Spot(x, yb, random_point, 80, 300);
          const int w = Spot(x, yb, {W / 2, 3 * H / 4}, 200, 300);
          const int gg[3] = {a + b + cb * w / 255, a + b + cg * w / 255, a + b + cr * w / 255};
          GainOnTrees(p, gg, o);
          break;
        }
        case 19: {
          if (x % 256 <= 8 || yb % 256 <= 8 || x % 128 <= 2 || yb % 128 <= 2) {
            write = false;
            break;
          }
          const int r = Spot(x, yb, random_point, 80, 400);
          const int a = Spot(x, yb, {9 * W / 10, H / 4}, 80, 400);
          const int pp = Spot(x, yb, {W / 3, H / 3}, 80, 200);
          const int q = Spot(x, yb, {2 * W / 3, 2 * H / 3}, 80, 200);
          // Each gain is trunc of a sum of fractions over 255: put it over 255 first.
          const int blue = (cb * r + 255 * (a + pp) + q * 80) / 255;
          const int green = (cg * r + 255 * a + pp * 100 + q * 150) / 255;
          const int red = (cr * r + 255 * (a + q) + pp * 100) / 255;
          const int gg[3] = {blue, green, red};
          GainOnTrees(p, gg, o);
          break;
        }
        case 20: {
          int g = 0;
          for (const Pos& q : corners) g += Spot(x, yb, q, 60, 400);
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 21: {
          const int g = Spot(x, yb, {W / 2, H / 2}, 80, 400);
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 22: {
          const double dx = x % 32 - 16;
          const double dy = yb % 32 - 16;
          const int d = int(std::sqrt(dx * dx + dy * dy));
          const int s = int(8.0 / std::sqrt(double(d * d + 64)) * 350.0);
          const int g = s * 256 / 255;
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 23: {
          const double dx = x % 128 - 64;
          const double dy = yb % 128 - 64;
          const int d = int(std::sqrt(dx * dx + dy * dy));
          const int s = int(32.0 / std::sqrt(double(d * d + 1024)) * 400.0);
          const int gg[3] = {cb * s / 255, cg * s / 255, cr * s / 255};
          GainOnTrees(p, gg, o);
          break;
        }
        case 24: {
          const int s = Spot(x, yb, random_point, 260, 400);
          const int nr = Rand() % 128 + 128;
          const int ng = Rand() % 128 + 128;
          const int nb = Rand() % 128 + 128;
          const int gg[3] = {nb * s / 255, ng * s / 255, nr * s / 255};
          GainOnTrees(p, gg, o);
          break;
        }
        case 25:
        case 26:
        case 27: {
          const int r = renderer == 25 ? 50 : renderer == 26 ? 60 : 80;
          const int k = renderer == 27 ? 500 : 400;
          int g = 0;
          for (const Pos& q : points) g += Spot(x, yb, q, r, k);
          const int gg[3] = {g, g, g};
          GainOnTrees(p, gg, o);
          break;
        }
        case 28:
          WholePicture(p, Spot(x, yb, {W / 2, H / 2}, 80, 400), o);
          break;
        case 29:
          WholePicture(p, Spot(x, yb, {W / 2, H / 10}, 250, 400), o);
          break;
        case 30:
          WholePicture(p, Spot(x, yb, {W / 2, 9 * H / 10}, 250, 400), o);
          break;
        case 31: {
          int g = 0;
          for (const Pos& q : inner) g += Spot(x, yb, q, 50, 255);
          WholePicture(p, g, o);
          break;
        }
        case 32: {
          int g = 0;
          for (const Pos& q : corners) g += Spot(x, yb, q, 60, 400);
          WholePicture(p, g, o);
          break;
        }
        default:
          Plain(p, o);
          break;
      }
      if (!write) continue;
      uint8_t* op = out.BufferRow(yb) + 3 * x;
      for (int c = 0; c < 3; ++c) op[c] = uint8_t(Clamp255((long long)o[c]));
    }
  }
  out.RefreshHeaders();
}

}  // namespace sylvane::reference
