// The projection four corners at a time in AVX2 vectors: every lane does ProjectSighted's IEEE operations
// in its order (no fused multiply-add: the target is "avx2" alone and contraction is off), so the bits
// are the portable path's. Lanes outside the plain case (a zero, infinite, NaN, huge or tiny difference,
// a steep ratio) are projected again one at a time. The only x86-specific file; elsewhere it gives none.
#include "projection_kernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))

#include "portable_math_constants.h"
#include "projection.h"

#include <immintrin.h>

#define TIRVOK_AVX2 __attribute__((target("avx2")))
#define TIRVOK_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

namespace {

using namespace portable_math;
using V = __m256d;

TIRVOK_AVX2_INLINE V Set(double v) { return _mm256_set1_pd(v); }
TIRVOK_AVX2_INLINE V Add(V a, V b) { return _mm256_add_pd(a, b); }
TIRVOK_AVX2_INLINE V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
TIRVOK_AVX2_INLINE V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
TIRVOK_AVX2_INLINE V Div(V a, V b) { return _mm256_div_pd(a, b); }
TIRVOK_AVX2_INLINE V And(V a, V b) { return _mm256_and_pd(a, b); }
TIRVOK_AVX2_INLINE V Or(V a, V b) { return _mm256_or_pd(a, b); }
// `when` where the mask's sign bit is set, else `otherwise`.
TIRVOK_AVX2_INLINE V Pick(V mask, V when, V otherwise) { return _mm256_blendv_pd(otherwise, when, mask); }
// Ordered comparisons: false for NaN, as C's are.
TIRVOK_AVX2_INLINE V Less(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
TIRVOK_AVX2_INLINE V LessEq(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
TIRVOK_AVX2_INLINE V Sign(V a) { return And(a, Set(-0.0)); }
TIRVOK_AVX2_INLINE V Abs(V a) { return _mm256_andnot_pd(Set(-0.0), a); }

// r - atan(r) for |r| <= 7/16, as AtanTail.
TIRVOK_AVX2_INLINE V AtanTail(V r)
{
    const V z = Mul(r, r);
    const V w = Mul(z, z);
    V even = Set(kAtanEven[5]);
    for (int i = 4; i >= 0; --i)
        even = Add(Set(kAtanEven[i]), Mul(w, even));
    even = Mul(z, even);
    V odd = Set(kAtanOdd[4]);
    for (int i = 3; i >= 0; --i)
        odd = Add(Set(kAtanOdd[i]), Mul(w, odd));
    odd = Mul(w, odd);
    return Mul(r, Add(even, odd));
}

// RatioCorrection: the rescale is a multiplication by 1 (exact) where none is needed.
TIRVOK_AVX2_INLINE V RatioCorrection(V ay, V ax, V t)
{
    V scale = Pick(Less(Set(kBig), ax), Set(kScaleDown), Set(1.0));
    scale = Pick(Less(ax, Set(kSmall)), Set(kScaleUp), scale);
    ax = Mul(ax, scale);
    ay = Mul(ay, scale);
    const V p = Mul(t, ax);
    const V ct = Mul(Set(kSplitter), t);
    const V th = Sub(ct, Sub(ct, t));
    const V tl = Sub(t, th);
    const V cx = Mul(Set(kSplitter), ax);
    const V xh = Sub(cx, Sub(cx, ax));
    const V xl = Sub(ax, xh);
    const V productError = Add(Add(Add(Sub(Mul(th, xh), p), Mul(th, xl)), Mul(tl, xh)), Mul(tl, xl));
    return Div(Sub(Sub(ay, p), productError), Add(ax, Mul(t, ay)));
}

// PortableAtan2(y, x) in the lanes `plain` marks (both finite and nonzero with a ratio that is not
// steep, or y zero and x finite and nonzero); the other lanes hold anything.
TIRVOK_AVX2_INLINE V Atan2(V y, V x, V& plain)
{
    const V ax = Abs(x);
    const V ay = Abs(y);
    const V t = Div(ay, ax);
    plain = And(And(Less(Set(0.0), ax), Less(ax, Set(kInf))), And(Less(Set(0.0), ay), Less(ay, Set(kInf))));
    plain = And(plain, LessEq(t, Set(kSteep)));
    const V gain = Pick(LessEq(Set(kFlat), t), RatioCorrection(ay, ax, t), Set(0.0));
    // Each lane's centre: the last one's values, then those of each lower centre whose end lies above t.
    TAtanReduction c = kReductions[4];
    V na = Set(c.na), nb = Set(c.nb), da = Set(c.da), db = Set(c.db);
    V hi = Set(kAtanHi[4]), lo = Set(kAtanLo[4]), piHi = Set(kPiMinusAtanHi[4]), piLo = Set(kPiMinusAtanLo[4]);
    for (int i = 3; i >= 0; --i) {
        const V below = Less(t, Set(kCentreEnds[i]));
        c = kReductions[i];
        na = Pick(below, Set(c.na), na);
        nb = Pick(below, Set(c.nb), nb);
        da = Pick(below, Set(c.da), da);
        db = Pick(below, Set(c.db), db);
        hi = Pick(below, Set(kAtanHi[i]), hi);
        lo = Pick(below, Set(kAtanLo[i]), lo);
        piHi = Pick(below, Set(kPiMinusAtanHi[i]), piHi);
        piLo = Pick(below, Set(kPiMinusAtanLo[i]), piLo);
    }
    const V r = Div(Sub(Mul(na, t), nb), Add(da, Mul(db, t)));
    const V tail = Sub(AtanTail(r), gain);
    const V right = Add(hi, Sub(r, Sub(tail, lo)));
    const V left = Sub(piHi, Sub(r, Add(tail, piLo)));
    V angle = Pick(Less(x, Set(0.0)), left, right);
    // y = ±0 beside a finite nonzero x (a corner level with the camera): 0 or pi by the sign bit of x.
    const V level = And(_mm256_cmp_pd(ay, Set(0.0), _CMP_EQ_OQ), And(Less(Set(0.0), ax), Less(ax, Set(kInf))));
    angle = Pick(level, Pick(x, Set(kPi), Set(0.0)), angle);
    plain = Or(plain, level);
    return _mm256_xor_pd(angle, Sign(y));
}

TIRVOK_AVX2 void ProjectAvx2(const TSight& s, const double* x, const double* y, const double* z, int n, double* sx,
                             double* sy)
{
    for (int i = 0; i < n; i += 4) {
        const V dx = Sub(_mm256_loadu_pd(x + i), Set(s.cx));
        const V dy = Sub(_mm256_loadu_pd(y + i), Set(s.cy));
        const V dz = Sub(_mm256_loadu_pd(z + i), Set(s.cz));
        // PortableHypot's plain case: no rescaling needed.
        const V fa = Abs(dx);
        const V fb = Abs(dy);
        const V unscaled = And(And(LessEq(fa, Set(kBig)), LessEq(fb, Set(kBig))),
                               Or(LessEq(Set(kSmall), fa), LessEq(Set(kSmall), fb)));
        const V h = _mm256_sqrt_pd(Add(Mul(fa, fa), Mul(fb, fb)));
        V plainAz, plainEl;
        V azimuth = Mul(Atan2(dy, dx, plainAz), Set(kDegPerRad));
        const V elevation = Mul(Atan2(dz, h, plainEl), Set(kDegPerRad));
        azimuth = Pick(Less(azimuth, Set(0.0)), Add(azimuth, Set(kFullTurn)), azimuth);
        // WrapAzimuthDelta.
        V daz = Sub(azimuth, Set(s.azimuth));
        V wrapped = Pick(LessEq(Set(kFullTurn / 2), daz), Sub(daz, Set(kFullTurn)), daz);
        daz = Pick(Less(daz, Set(-kFullTurn / 2)), Add(daz, Set(kFullTurn)), wrapped);
        const V del = Sub(elevation, Set(s.elevation));
        _mm256_storeu_pd(sx + i, Sub(Set(s.half), Mul(Div(daz, Set(kViewSpan)), Set(s.size))));
        _mm256_storeu_pd(sy + i, Sub(Set(s.half), Mul(Div(del, Set(kViewSpan)), Set(s.size))));
        const int plain = _mm256_movemask_pd(And(unscaled, And(plainAz, plainEl)));
        for (int lane = 0; lane < 4; ++lane)
            if ((plain & (1 << lane)) == 0)
                ProjectSighted(s, x[i + lane], y[i + lane], z[i + lane], sx[i + lane], sy[i + lane]);
    }
}

}  // namespace

TProjectKernel Avx2ProjectKernel()
{
    static const bool hasAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return hasAvx2 ? ProjectAvx2 : nullptr;
}

#else

TProjectKernel Avx2ProjectKernel() { return nullptr; }

#endif
