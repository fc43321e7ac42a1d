// Our own atan2 and hypot: plain double arithmetic with every rounding written out, so each CPU,
// C library and compiler that keeps IEEE semantics (no contraction, no x87) gives the same bits.

#include "portable_math.h"
#include "portable_math_constants.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace portable_math;

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
    // Branches, not a table: neighbouring corners mostly share a centre, and a predicted branch is cheaper.
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
