#pragma once
// The constants of the own atan2 and hypot, shared by the one-corner code and the vector kernels so
// both compute with the very same doubles.

#include <limits>

namespace portable_math {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// pi, pi/2, pi/4 and 3pi/4 rounded to double.
inline constexpr double kPi = 0x1.921fb54442d18p+1;
inline constexpr double kHalfPi = 0x1.921fb54442d18p+0;
inline constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
inline constexpr double kThreeQuarterPi = 0x1.2d97c7f3321d2p+1;

// atan of the centres 0, 0.5, 1, 1.5 and infinity, each as the nearest double plus the double nearest the
// rest; then the same for pi minus each, the angle on the side of negative x.
inline constexpr double kAtanHi[] = {0, 0x1.dac670561bb4fp-2, 0x1.921fb54442d18p-1, 0x1.f730bd281f69bp-1,
                                     0x1.921fb54442d18p+0};
inline constexpr double kAtanLo[] = {0, 0x1.a2b7f222f65e2p-56, 0x1.1a62633145c07p-55, 0x1.007887af0cbbdp-56,
                                     0x1.1a62633145c07p-54};
inline constexpr double kPiMinusAtanHi[] = {0x1.921fb54442d18p+1, 0x1.56c6e7397f5aep+1, 0x1.2d97c7f3321d2p+1,
                                            0x1.145385fa3af71p+1, 0x1.921fb54442d18p+0};
inline constexpr double kPiMinusAtanLo[] = {0x1.1a62633145c07p-53, 0x1.660b64ece6f4bp-53, 0x1.a79394c9e8a0ap-54,
                                            0x1.fa53523b6428fp-53, 0x1.1a62633145c07p-54};

// atan(r) = r - r * (r^2 P(r^4) + r^4 Q(r^4)) on |r| <= 7/16, odd coefficients with alternating signs.
inline constexpr double kAtanEven[] = {0x1.555555555550dp-2, 0x1.24924920083ffp-3, 0x1.745cdc54c206ep-4,
                                       0x1.10d66a0d03d51p-4, 0x1.97b4b24760debp-5, 0x1.0ad3ae322da11p-6};
inline constexpr double kAtanOdd[] = {-0x1.999999998ebc4p-3, -0x1.c71c6fe231671p-4, -0x1.3b0f2af749a6dp-4,
                                      -0x1.dde2d52defd9ap-5, -0x1.2b4442c6a6c2fp-5};

// Upper ends of the ratio intervals around the centres 0, 0.5, 1 and 1.5; above the last, infinity.
inline constexpr double kNearZero = 7.0 / 16;
inline constexpr double kNearHalf = 11.0 / 16;
inline constexpr double kNearOne = 19.0 / 16;
inline constexpr double kNearThreeHalves = 39.0 / 16;
// The ratio below which each of the centres 0..3 is taken; from the last one up, infinity's.
inline constexpr double kCentreEnds[] = {kNearZero, kNearHalf, kNearOne, kNearThreeHalves};

// Each centre's reduction of the ratio, r = (na t - nb) / (da + db t): t, (2t - 1) / (2 + t), (t - 1) / (t + 1),
// (t - 1.5) / (1 + 1.5t) and -1 / t, bit for bit, as t * 1, t - 0, 0 * t and 0 + u are exact.
struct TAtanReduction {
    double na, nb, da, db;
};
inline constexpr TAtanReduction kReductions[] = {
    {1.0, 0.0, 1.0, 0.0}, {2.0, 1.0, 2.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.5, 1.0, 1.5}, {0.0, 1.0, 0.0, 1.0}};

// Above this ratio the angle is pi/2 to the last bit; below the other, the ratio's rounding costs under 1 ulp.
inline constexpr double kSteep = 0x1p60;
inline constexpr double kFlat = 0x1p-27;

// Veltkamp's splitter: 2^27 + 1 cuts a double into two halves whose products are exact.
inline constexpr double kSplitter = 0x1p27 + 1;

// Beyond these magnitudes squares and split products would overflow or go subnormal, so values are
// rescaled by a power of two, which is exact.
inline constexpr double kBig = 0x1p500;
inline constexpr double kSmall = 0x1p-500;
inline constexpr double kScaleDown = 0x1p-600;
inline constexpr double kScaleUp = 0x1p600;

}  // namespace portable_math
