// LumaHue: a colour as luma, hue angle and chroma, used to tint part pictures
// and to let their colours drift. The conversions are deliberately the
// program's own (fixed weights, a 0..255 hue scale), not a standard space.
#pragma once

namespace sylvane {

struct LumaHue {
  int luma = 0;        // trunc(0.3 red + 0.6 green + 0.1 blue)
  float hue = 127.5f;  // 0..255 around the colour circle; 127.5 for greys
  float chroma = 0;    // distance from grey, sqrt((red - luma)^2 + (blue - luma)^2)
};

// red, green, blue (0..255) -> luma, hue, chroma.
LumaHue LumaHueForward(int red, int green, int blue);

// luma, hue, chroma -> red, green, blue, each clamped to 0..255.
void LumaHueInverse(int luma, float hue, float chroma, int& red, int& green, int& blue);
inline void LumaHueInverse(const LumaHue& c, int& red, int& green, int& blue) {
  LumaHueInverse(c.luma, c.hue, c.chroma, red, green, blue);
}

}  // namespace sylvane
