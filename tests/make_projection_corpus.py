#!/usr/bin/env python3
"""Writes tests/projection_corpus.inc: scenes with the exact angle and pane-position bits and readout texts.

The expected values come from a float64 copy of the C++ arithmetic (Python floats are IEEE doubles and
never fuse a multiply-add), reading its constants from src/scene/portable_math.cpp. Every constant and
every atan2 the corpus makes is checked against mpmath; the run fails if any atan2 is off by over 1 ulp.
`--sweep N` checks atan2 on N random argument pairs of all magnitudes instead of writing the corpus.
"""
import math
import random
import re
import struct
import sys
from pathlib import Path

import mpmath

ROOT = Path(__file__).resolve().parent.parent
SOURCE = ROOT / "src/scene/portable_math.cpp"
OUTPUT = ROOT / "tests/projection_corpus.inc"
mpmath.mp.dps = 80
INF = math.inf


def read_constants():
    """The named double constants of the C++ file, scalars and arrays."""
    def value(text):
        expr = re.sub(r"0x[0-9a-f.]+p[-+]?\d+", lambda m: repr(float.fromhex(m[0])), text.strip())
        return float(eval(expr)) if re.fullmatch(r"[-+*/ ().\de]+", expr) else None

    found = {}
    for name, array, body in re.findall(r"constexpr double (\w+)(\[\])? = ([^;]*);", SOURCE.read_text()):
        found[name] = [value(v) for v in body.strip("{} \n").split(",")] if array else value(body)
    return found


C = read_constants()
DEG_PER_RAD, FULL_TURN, VIEW_SPAN = 57.29578, 360.0, 90.0


def negative(v):
    return math.copysign(1.0, v) < 0


def atan_tail(t):
    e, o = C["kAtanEven"], C["kAtanOdd"]
    z = t * t
    w = z * z
    even = z * (e[0] + w * (e[1] + w * (e[2] + w * (e[3] + w * (e[4] + w * e[5])))))
    odd = w * (o[0] + w * (o[1] + w * (o[2] + w * (o[3] + w * o[4]))))
    return t * (even + odd)


def ratio_correction(ay, ax, t):
    if ax > C["kBig"]:
        ax, ay = ax * C["kScaleDown"], ay * C["kScaleDown"]
    elif ax < C["kSmall"]:
        ax, ay = ax * C["kScaleUp"], ay * C["kScaleUp"]
    p = t * ax
    ct, cx = C["kSplitter"] * t, C["kSplitter"] * ax
    th, xh = ct - (ct - t), cx - (cx - ax)
    tl, xl = t - th, ax - xh
    product_error = ((th * xh - p) + th * xl + tl * xh) + tl * xl
    return ((ay - p) - product_error) / (ax + t * ay)


def angle_of_ratio(ay, ax, x_negative):
    t = ay / ax
    if not t <= C["kSteep"]:
        return C["kHalfPi"]
    gain = ratio_correction(ay, ax, t) if t >= C["kFlat"] else 0.0
    if t < C["kNearZero"]:
        i, r = 0, t
    elif t < C["kNearHalf"]:
        i, r = 1, (2.0 * t - 1.0) / (2.0 + t)
    elif t < C["kNearOne"]:
        i, r = 2, (t - 1.0) / (t + 1.0)
    elif t < C["kNearThreeHalves"]:
        i, r = 3, (t - 1.5) / (1.0 + 1.5 * t)
    else:
        i, r = 4, -1.0 / t
    tail = atan_tail(r) - gain
    if x_negative:
        return C["kPiMinusAtanHi"][i] - (r - (tail + C["kPiMinusAtanLo"][i]))
    return C["kAtanHi"][i] + (r - (tail - C["kAtanLo"][i]))


def atan2(y, x):
    ax, ay = abs(x), abs(y)
    if math.isnan(x) or math.isnan(y):
        return math.nan
    if not (0 < ax < INF and 0 < ay < INF):
        if ay == 0:
            a = C["kPi"] if negative(x) else 0.0
        elif ax == INF and ay == INF:
            a = C["kThreeQuarterPi"] if negative(x) else C["kQuarterPi"]
        elif ax == INF:
            a = C["kPi"] if negative(x) else 0.0
        else:
            a = C["kHalfPi"]
    else:
        a = angle_of_ratio(ay, ax, negative(x))
    return -a if negative(y) else a


def hypot(a, b):
    fa, fb = abs(a), abs(b)
    big, small = C["kBig"], C["kSmall"]
    if fa <= big and fb <= big and (fa >= small or fb >= small):
        return math.sqrt(fa * fa + fb * fb)
    if INF in (fa, fb):
        return INF
    if math.isnan(fa) or math.isnan(fb):
        return math.nan
    if fa == 0 and fb == 0:
        return 0.0
    s, back = (C["kScaleDown"], C["kScaleUp"]) if fa > big or fb > big else (C["kScaleUp"], C["kScaleDown"])
    return math.sqrt((fa * s) * (fa * s) + (fb * s) * (fb * s)) * back


CALLS = []  # every atan2 argument pair the corpus uses, for the accuracy check


def direction_angles(d):
    CALLS.append((d[1], d[0]))
    az = atan2(d[1], d[0]) * DEG_PER_RAD
    h = hypot(d[0], d[1])
    CALLS.append((d[2], h))
    el = atan2(d[2], h) * DEG_PER_RAD
    return (az + FULL_TURN if az < 0 else az), el


def project(camera, focus, point, w, h):
    """The sight angles and where point lands, as ProjectScene then ProjectPoint compute them."""
    view = direction_angles([f - c for f, c in zip(focus, camera)])
    az, el = direction_angles([p - c for p, c in zip(point, camera)])
    size = float(max(w, h))
    half = float(max(w, h) // 2)
    daz = az - view[0]
    daz = daz - FULL_TURN if daz >= FULL_TURN / 2 else daz + FULL_TURN if daz < -FULL_TURN / 2 else daz
    return view[0], view[1], half - (daz / VIEW_SPAN) * size, half - ((el - view[1]) / VIEW_SPAN) * size


def ulp_error(y, x):
    """How far our atan2 lies from the true value, in ulp of the true value; special cases must match C's."""
    got = atan2(y, x)
    if not (0 < abs(x) < INF and 0 < abs(y) < INF):
        ref = math.atan2(y, x)
        return 0.0 if (math.isnan(got) and math.isnan(ref)) or bits(got) == bits(ref) else INF
    true = mpmath.atan2(mpmath.mpf(y), mpmath.mpf(x))
    exponent = max(int(mpmath.floor(mpmath.log(abs(true), 2))), -1022)
    return float(abs(mpmath.mpf(got) - true) / mpmath.ldexp(1, exponent - 52))


def check_constants():
    near = lambda v: float(mpmath.mpf(v))  # noqa: E731  nearest double
    pi = mpmath.pi
    assert C["kPi"] == near(pi) and C["kHalfPi"] == near(pi / 2) and C["kQuarterPi"] == near(pi / 4)
    assert C["kThreeQuarterPi"] == near(3 * pi / 4) and C["kSplitter"] == 2**27 + 1
    for i, centre in enumerate([mpmath.mpf(0), mpmath.atan(0.5), mpmath.atan(1), mpmath.atan(1.5), pi / 2]):
        for hi, lo, exact in [("kAtanHi", "kAtanLo", centre), ("kPiMinusAtanHi", "kPiMinusAtanLo", pi - centre)]:
            assert C[hi][i] == near(exact) and C[lo][i] == near(exact - mpmath.mpf(C[hi][i])), (hi, i)
    # The polynomial itself, in exact arithmetic, against atan on its interval.
    worst = 0
    for k in range(1, 2001):
        t = mpmath.mpf(7) / 16 * k / 2000
        z = t * t
        w = z * z
        even = z * sum(mpmath.mpf(c) * w**j for j, c in enumerate(C["kAtanEven"]))
        odd = w * sum(mpmath.mpf(c) * w**j for j, c in enumerate(C["kAtanOdd"]))
        worst = max(worst, abs((t - t * (even + odd)) / mpmath.atan(t) - 1))
    print(f"constants exact; polynomial relative error on [0, 7/16] 2^{float(mpmath.log(worst, 2)):.1f}")
    assert worst < 2.0**-56


def scenes():
    """(camera, focus, point, width, height) of every case."""
    origin, pane = (0.0, 0.0, 0.0), (200, 200)
    markers = [(0.0, 0.0, 0.0), (100.0, 0.0, 0.0), (0.0, 100.0, 0.0), (0.0, 0.0, 100.0)]
    for camera, focus in [(origin, origin), ((0.0, -100.0, 0.0), origin), ((0.0, 0.0, 0.0), (10.0, 10.0, 0.0)),
                          ((-400.0, -300.0, 200.0), origin), ((7.0, 8.0, 9.0), (17.0, 8.0, 9.0))]:
        for m in markers:
            for size in [pane, (300, 200), (200, 300), (201, 200)]:
                yield camera, focus, m, *size
    units = [-1.0, 0.0, 1.0]
    for camera, focus in [(origin, (100.0, 0.0, 0.0)), ((10.0, 20.0, 30.0), (10.0, 20.0, 130.0)),
                          ((50.0, -50.0, 0.0), (-50.0, 50.0, -70.0))]:
        for dx in units:
            for dy in units:
                for dz in units:
                    for r in [10.0, 1000.0]:
                        yield camera, focus, tuple(c + r * u for c, u in zip(camera, (dx, dy, dz))), *pane
    for sight in [(-100.0, 0.0, 0.0), (-100.0, 20.0, 0.0), (-100.0, -20.0, 0.0), (-1e6, -10.0, 0.0)]:
        for y in [-40.0, -20.0, -10.0, -0.0, 0.0, 10.0, 20.0, 40.0]:
            for x in [-20.0, 0.0, 20.0, 1000.0]:
                yield sight, origin, (x, y, 0.0), *pane
    for camera in [origin, (30.0, -40.0, 50.0)]:
        for up in [1.0, -1.0]:
            for focus_dz in [0.0, 10.0, -10.0]:
                focus = (camera[0] + 10.0, camera[1], camera[2] + focus_dz)
                for h in [10.0, 90.0, 1e9]:
                    yield camera, focus, (camera[0], camera[1], camera[2] + up * h), *pane
    odd = [5e-324, 1e-310, 2.0**-1022, 1e-300, 3e-160, 1e-20, 0.1, 1e15, 1e150, 1e300, 1.7976931348623157e308]
    for a in odd:
        for b in [a, -a, 1.0, -10.0, 1e-300, 1e300]:
            for pick in [(a, b, 0.0), (b, a, 0.0), (a, 0.0, b), (a, -b, a), (0.0, a, b)]:
                yield origin, (b, a, -a), pick, *pane
        yield (-a, 0.0, 0.0), (a, 0.0, 0.0), (a, a, a), *pane
    rng = random.Random(1234)
    grid = lambda span: tuple(10.0 * rng.randint(-span, span) for _ in range(3))  # noqa: E731
    for n in range(1500):
        span = [10, 100, 10000][n % 3]
        size = rng.choice([pane, pane, pane, (300, 200), (640, 480), (1, 1), (200, 1001)])
        yield grid(span), grid(span), grid(span), *size


def cpp(v):
    assert math.isfinite(v)
    return repr(v)


def bits(v):
    return "0x%016x" % struct.unpack(">Q", struct.pack(">d", v))[0]


def write_corpus():
    check_constants()
    lines = []
    unique = {repr(scene): scene for scene in scenes()}  # each scene once, -0.0 apart from 0.0
    for camera, focus, point, w, h in unique.values():
        values = project(camera, focus, point, w, h)
        vec = lambda v: "{" + ", ".join(cpp(c) for c in v) + "}"  # noqa: E731
        texts = ", ".join('"%s"' % ("%.15g" % v) for v in values)
        lines.append(f"{{{vec(camera)}, {vec(focus)}, {vec(point)}, {w}, {h}, "
                     f"{{{', '.join(bits(v) for v in values)}}}, {{{texts}}}}},")
    worst = max(ulp_error(y, x) for y, x in CALLS)
    print(f"{len(lines)} cases, {len(CALLS)} atan2 calls, worst error {worst:.3f} ulp")
    if worst > 1:
        sys.exit("atan2 off by more than 1 ulp")
    header = "// Generated by tests/make_projection_corpus.py; do not edit.\n"
    OUTPUT.write_text(header + "\n".join(lines) + "\n")


def random_double(rng):
    return rng.choice([-1, 1]) * rng.uniform(1, 2) * 2.0 ** rng.randint(-1074, 1023)


def sweep(count):
    """atan2 on count random pairs: independent magnitudes, nearby ones, and ratios at the interval ends."""
    rng = random.Random(99)
    ends = [7 / 16, 11 / 16, 19 / 16, 39 / 16, 1.0, 0.5, 1.5, 2.0**60]
    specials = [0.0, -0.0, INF, -INF, math.nan, 5e-324, -5e-324, 1.0, -1.0, 1.7976931348623157e308]
    worst, where = 0.0, None
    pairs = [(a, b) for a in specials for b in specials]
    while len(pairs) < count:
        x = random_double(rng)
        kind = len(pairs) % 4
        if kind == 0:
            y = random_double(rng)
        elif kind == 1:
            y = x * rng.choice([-1, 1]) * 2.0 ** rng.uniform(-70, 70)
        elif kind == 2:
            y = x * rng.choice(ends) * (1 + rng.uniform(-1e-6, 1e-6) * rng.choice([1, 1e-9]))
        else:
            x, y = float(rng.randint(-10**6, 10**6) * 10), float(rng.randint(-10**6, 10**6) * 10)
        if math.isfinite(y):
            pairs.append((y, x))
    for y, x in pairs:
        e = ulp_error(y, x)
        if e > worst:
            worst, where = e, (y, x)
    print(f"{len(pairs)} pairs, worst error {worst:.3f} ulp at atan2{where}")
    return worst <= 1


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--sweep":
        sys.exit(0 if sweep(int(sys.argv[2])) else 1)
    write_corpus()
