#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "canvas/image/luma_hue.h"

namespace sylvane {
namespace {

TEST(LumaHue, EveryGreyHasZeroChromaAndMiddleHue) {
  for (int g = 0; g < 256; ++g) {
    const LumaHue c = LumaHueForward(g, g, g);
    EXPECT_EQ(c.luma, g);
    EXPECT_EQ(c.chroma, 0.0f) << g;
    EXPECT_EQ(c.hue, 127.5f) << g;
  }
}

TEST(LumaHue, ForwardOfPrimaries) {
  // Reference values of the formula, computed independently.
  struct Case {
    int r, g, b, luma;
    float hue, chroma;
  };
  const Case cases[] = {
      {255, 0, 0, 76, 207.545303f, 194.465942f},
      {0, 255, 0, 153, 31.875025f, 216.374680f},
      {0, 0, 255, 25, 123.105896f, 231.354706f},
      {10, 200, 30, 126, 35.692451f, 150.572235f},
      {1, 0, 0, 0, 191.249985f, 1.0f},
      {0, 1, 0, 0, 127.5f, 0.0f},  // luma truncates 0.6 to 0
  };
  for (const Case& c : cases) {
    const LumaHue out = LumaHueForward(c.r, c.g, c.b);
    EXPECT_EQ(out.luma, c.luma) << c.r << "," << c.g << "," << c.b;
    EXPECT_NEAR(out.hue, c.hue, 1e-3);
    EXPECT_NEAR(out.chroma, c.chroma, 1e-3);
  }
}

TEST(LumaHue, HueStaysOnTheScale) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15) {
        const LumaHue c = LumaHueForward(r, g, b);
        EXPECT_GE(c.hue, 0.0f);
        EXPECT_LE(c.hue, 255.0f);
      }
}

TEST(LumaHue, InverseOfZeroChromaIsGrey) {
  for (int y : {0, 1, 77, 128, 254, 255})
    for (float hue : {0.0f, 13.0f, 127.5f, 200.25f, 255.0f}) {
      int r = -1, g = -1, b = -1;
      LumaHueInverse(y, hue, 0.0f, r, g, b);
      EXPECT_EQ(r, y);
      EXPECT_EQ(g, y);
      EXPECT_EQ(b, y);
    }
}

TEST(LumaHue, RoundTripStaysWithinAFewLevels) {
  int worst = 0;
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 5) {
        int r2, g2, b2;
        LumaHueInverse(LumaHueForward(r, g, b), r2, g2, b2);
        worst = std::max({worst, std::abs(r - r2), std::abs(g - g2), std::abs(b - b2)});
      }
  EXPECT_LE(worst, 2);
}

TEST(LumaHue, SeriesAgreesWithLibrarySineWithinOneLevel) {
  // The polynomial covers hues near the middle; far hues use sin and cos. A
  // double-precision reference must agree to a level either way.
  for (int step = 0; step <= 510; ++step) {
    const float hue = float(step) * 0.5f;
    for (float chroma : {10.0f, 90.0f, 180.0f}) {
      const int y = 128;
      int r, g, b;
      LumaHueInverse(y, hue, chroma, r, g, b);
      const double angle = (double(hue) - 127.5) * 0.02464;
      auto ref = [](double v) { return std::clamp(int(std::trunc(v)), 0, 255); };
      EXPECT_LE(std::abs(r - ref(y + chroma * std::sin(angle))), 1) << hue;
      EXPECT_LE(std::abs(b - ref(y + chroma * std::cos(angle))), 1) << hue;
      EXPECT_LE(std::abs(g - ref(y - 0.5 * chroma * std::sin(angle) - 0.1667 * chroma * std::cos(angle))), 1)
          << hue;
    }
  }
}

TEST(LumaHue, InverseClampsEachChannel) {
  int r, g, b;
  LumaHueInverse(250, 127.5f, 100.0f, r, g, b);  // angle 0: red = luma, blue = luma + chroma
  EXPECT_EQ(r, 250);
  EXPECT_EQ(b, 255);
  EXPECT_EQ(g, 233);  // 250 - 16.67 truncated
  LumaHueInverse(5, 127.5f, -100.0f, r, g, b);
  EXPECT_EQ(b, 0);
  LumaHueInverse(100, 127.5f, 1e30f, r, g, b);
  EXPECT_EQ(b, 255);
  EXPECT_EQ(g, 0);
  LumaHueInverse(100, std::numeric_limits<float>::quiet_NaN(), 50.0f, r, g, b);
  EXPECT_TRUE(r >= 0 && r <= 255 && g >= 0 && g <= 255 && b >= 0 && b <= 255);
}

}  // namespace
}  // namespace sylvane
