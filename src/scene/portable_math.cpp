// Our own atan2 and hypot: plain double arithmetic with every rounding written out, so each CPU,
// C library and compiler that keeps IEEE semantics (no contraction, no x87) gives the same bits.

#include "portable_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

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

// True when the sign bit is set, for -0 and negative NaN too.
bool Negative(double v) { return (std::bit_cast<std::uint64_t>(v) >> 63) != 0; }

// r - atan(r) for |r| <= 7/16.
double AtanTail(double r)
{
    const double z = r * r;
    const double w = z * z;
    const double even =
        z * (kAtanEven[0] +
             w * (kAtanEven[1] + w * (kAtanEven[2] + w * (kAtanEven[3] + w * (kAtanEven[4] + w * kAtanEven[5])))));
    const double odd = w * (kAtanOdd[0] + w * (kAtanOdd[1] + w * (kAtanOdd[2] + w * (kAtanOdd[3] + w * kAtanOdd[4]))));
    return r * (even + odd);
}

// ay / ax - t for t = ay / ax rounded, times 1 / (1 + t^2): what the angle gains from the exact ratio.
// Dekker's exact product gives the remainder of the division; ax, ay are finite, positive, t in [2^-27, 2^60].
double RatioCorrection(double ay, double ax, double t)
{
    if (ax > kBig) {
        ax *= kScaleDown;
        ay *= kScaleDown;
    } else if (ax < kSmall) {
        ax *= kScaleUp;
        ay *= kScaleUp;
    }
    const double p = t * ax;
    const double ct = kSplitter * t;
    const double th = ct - (ct - t);
    const double tl = t - th;
    const double cx = kSplitter * ax;
    const double xh = cx - (cx - ax);
    const double xl = ax - xh;
    const double productError = ((th * xh - p) + th * xl + tl * xh) + tl * xl;
    return ((ay - p) - productError) / (ax + t * ay);
}

// The angle of (x, y) in [0, pi] for finite nonzero |y| over x, from the ratio t moved next to the centre
// 0, 0.5, 1, 1.5 or infinity whose atan is known; pi minus it on the side of negative x.
double AngleOfRatio(double ay, double ax, bool xNegative)
{
    const double t = ay / ax;
    if (!(t <= kSteep))  // also catches an overflowed ratio
        return kHalfPi;
    const double gain = t >= kFlat ? RatioCorrection(ay, ax, t) : 0.0;
    int centre;
    double r;
    if (t < kNearZero) {
        centre = 0;
        r = t;
    } else if (t < kNearHalf) {
        centre = 1;
        r = (2.0 * t - 1.0) / (2.0 + t);
    } else if (t < kNearOne) {
        centre = 2;
        r = (t - 1.0) / (t + 1.0);
    } else if (t < kNearThreeHalves) {
        centre = 3;
        r = (t - 1.5) / (1.0 + 1.5 * t);
    } else {
        centre = 4;
        r = -1.0 / t;
    }
    const double tail = AtanTail(r) - gain;
    if (xNegative)
        return kPiMinusAtanHi[centre] - (r - (tail + kPiMinusAtanLo[centre]));
    return kAtanHi[centre] + (r - (tail - kAtanLo[centre]));
}

// Either argument zero, infinite or NaN.
double SpecialAtan2(double y, double x)
{
    if (std::isnan(x) || std::isnan(y))
        return kNaN;
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    double angle;
    if (ay == 0)
        angle = Negative(x) ? kPi : 0.0;
    else if (ax == kInf && ay == kInf)
        angle = Negative(x) ? kThreeQuarterPi : kQuarterPi;
    else if (ax == kInf)
        angle = Negative(x) ? kPi : 0.0;
    else  // x zero or y infinite
        angle = kHalfPi;
    return Negative(y) ? -angle : angle;
}

}  // namespace

double PortableAtan2(double y, double x)
{
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    if (!(ax > 0 && ax < kInf && ay > 0 && ay < kInf))
        return SpecialAtan2(y, x);
    const double angle = AngleOfRatio(ay, ax, Negative(x));
    return Negative(y) ? -angle : angle;
}

// The plain definition, not a correctly rounded hypot: it is what the angles are defined with, each step
// is an exactly rounded IEEE operation (so the bits agree everywhere), and it is cheaper.
double PortableHypot(double a, double b)
{
    const double fa = std::fabs(a);
    const double fb = std::fabs(b);
    if (fa <= kBig && fb <= kBig && (fa >= kSmall || fb >= kSmall))
        return std::sqrt(fa * fa + fb * fb);
    if (fa == kInf || fb == kInf)
        return kInf;
    if (std::isnan(fa) || std::isnan(fb))
        return kNaN;
    if (fa == 0 && fb == 0)
        return 0.0;
    const bool big = fa > kBig || fb > kBig;
    const double sa = fa * (big ? kScaleDown : kScaleUp);
    const double sb = fb * (big ? kScaleDown : kScaleUp);
    return std::sqrt(sa * sa + sb * sb) * (big ? kScaleUp : kScaleDown);
}
