// Sine, cosine and exponential in double precision computed with additions,
// multiplications and divisions only, so that every IEEE-754 platform gets the
// same bits. The C libraries of Linux and Windows differ in the last bit for
// some arguments (sin and cos near multiples of pi/2, for instance), and the
// growth step truncates sums of such values to whole pixels and colour levels:
// one bit is enough to change a pixel. With these, a seed grows the same
// garden on every platform.
//
// The kernels are the classic minimax polynomials of the freely distributable
// fdlibm (accurate to within one unit in the last place). Arguments are reduced
// with a two-part pi/2 and ln 2, which is exact enough for |x| below a few
// thousand; callers pass angles below 2 pi and exponents of any size.
#pragma once
#include <cmath>

namespace sylvane::portable {

namespace detail {

// sin(x) for |x| <= pi/4.
inline double KernelSin(double x) {
  constexpr double S1 = -1.66666666666666324348e-01;
  constexpr double S2 = 8.33333333332248946124e-03;
  constexpr double S3 = -1.98412698298579493134e-04;
  constexpr double S4 = 2.75573137070700676789e-06;
  constexpr double S5 = -2.50507602534068634195e-08;
  constexpr double S6 = 1.58969099521155010221e-10;
  const double z = x * x;
  const double v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  return x + v * (S1 + z * r);
}

// cos(x) for |x| <= pi/4.
inline double KernelCos(double x) {
  constexpr double C1 = 4.16666666666666019037e-02;
  constexpr double C2 = -1.38888888888741095749e-03;
  constexpr double C3 = 2.48015872894767294178e-05;
  constexpr double C4 = -2.75573143513906633035e-07;
  constexpr double C5 = 2.08757232129817482790e-09;
  constexpr double C6 = -1.13596475577881948265e-11;
  const double z = x * x;
  const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  return w + (((1.0 - w) - hz) + z * r);
}

// x = n * pi/2 + y with |y| <= pi/4 (about); returns n mod 4.
inline int ReduceQuarterTurns(double x, double& y) {
  constexpr double kInvPio2 = 6.36619772367581382433e-01;
  constexpr double kPio2Hi = 1.57079632673412561417e+00;  // first 33 bits of pi/2
  constexpr double kPio2Lo = 6.07710050650619224932e-11;  // pi/2 - kPio2Hi
  const double n = std::floor(x * kInvPio2 + 0.5);
  y = (x - n * kPio2Hi) - n * kPio2Lo;
  const long long q = static_cast<long long>(n);
  return static_cast<int>(((q % 4) + 4) % 4);
}

}  // namespace detail

inline double Sin(double x) {
  double y = 0;
  switch (detail::ReduceQuarterTurns(x, y)) {
    case 0: return detail::KernelSin(y);
    case 1: return detail::KernelCos(y);
    case 2: return -detail::KernelSin(y);
    default: return -detail::KernelCos(y);
  }
}

inline double Cos(double x) {
  double y = 0;
  switch (detail::ReduceQuarterTurns(x, y)) {
    case 0: return detail::KernelCos(y);
    case 1: return -detail::KernelSin(y);
    case 2: return -detail::KernelCos(y);
    default: return detail::KernelSin(y);
  }
}

inline double Exp(double x) {
  constexpr double kLn2Hi = 6.93147180369123816490e-01;
  constexpr double kLn2Lo = 1.90821492927058770002e-10;
  constexpr double kInvLn2 = 1.44269504088896338700e+00;
  constexpr double P1 = 1.66666666666666019037e-01;
  constexpr double P2 = -2.77777777770155933842e-03;
  constexpr double P3 = 6.61375632143793436117e-05;
  constexpr double P4 = -1.65339022054652515390e-06;
  constexpr double P5 = 4.13813679705723846039e-08;
  if (x != x) return x;  // NaN
  if (x > 709.782712893383973096) return HUGE_VAL;
  if (x < -745.13321910194110842) return 0.0;
  const double k = std::floor(x * kInvLn2 + 0.5);
  const double hi = x - k * kLn2Hi;
  const double lo = k * kLn2Lo;
  const double r = hi - lo;
  const double t = r * r;
  const double c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
  const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  return std::ldexp(y, static_cast<int>(k));
}

}  // namespace sylvane::portable
