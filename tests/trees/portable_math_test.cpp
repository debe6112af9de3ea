// The portable sine, cosine and exponential: close to the C library's, and
// bit for bit the same on every platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "trees/portable_math.h"

namespace sylvane {
namespace {

int64_t UlpDistance(double a, double b) {
  int64_t x, y;
  std::memcpy(&x, &a, 8);
  std::memcpy(&y, &b, 8);
  return x > y ? x - y : y - x;
}

TEST(PortableMath, WithinOneUnitOfTheLibraryOverTheAnglesAndExponentsUsed) {
  for (int i = 0; i <= 200000; ++i) {
    const double x = i * 3.2e-5;  // 0 .. 6.4 radians
    if (std::fabs(std::sin(x)) > 1e-3) {
      EXPECT_LE(UlpDistance(portable::Sin(x), std::sin(x)), 1) << x;
    }
    if (std::fabs(std::cos(x)) > 1e-3) {
      EXPECT_LE(UlpDistance(portable::Cos(x), std::cos(x)), 1) << x;
    }
    EXPECT_NEAR(portable::Sin(x), std::sin(x), 4e-16);
    EXPECT_NEAR(portable::Cos(x), std::cos(x), 4e-16);
  }
  for (int i = 0; i <= 200000; ++i) {
    const double x = -700.0 + i * 0.0035;
    EXPECT_LE(UlpDistance(portable::Exp(x), std::exp(x)), 1) << x;
  }
}

TEST(PortableMath, ExactValuesAndLimits) {
  EXPECT_EQ(portable::Sin(0.0), 0.0);
  EXPECT_EQ(portable::Cos(0.0), 1.0);
  EXPECT_EQ(portable::Exp(0.0), 1.0);
  EXPECT_EQ(portable::Exp(-1000.0), 0.0);
  EXPECT_TRUE(std::isinf(portable::Exp(1000.0)));
  EXPECT_TRUE(std::isnan(portable::Exp(NAN)));
  EXPECT_EQ(portable::Sin(-0.5), -portable::Sin(0.5));
  EXPECT_EQ(portable::Cos(-0.5), portable::Cos(0.5));
}

// The quarter turns of a part sprite, where two C libraries were seen to
// differ in the last bit: these bits are the same on every platform.
TEST(PortableMath, QuarterTurnsOfPartAnglesHaveFixedBits) {
  EXPECT_EQ(portable::Cos(90 * 0.01745328), 0x1.2e78c17446524p-20);
  EXPECT_EQ(portable::Sin(90 * 0.01745328), 0x1.fffffffffe9aap-1);
  EXPECT_EQ(portable::Sin(180 * 0.01745328), 0x1.2e78c174457f2p-19);
  EXPECT_EQ(portable::Cos(270 * 0.01745328), -0x1.c5b5222e662edp-19);
}

}  // namespace
}  // namespace sylvane
