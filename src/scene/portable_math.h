#pragma once

// The angle of the point (x, y) from +X in radians, in [-pi, pi], at most 1 ulp from the true value and
// the same bits on every IEEE double platform; signed zeros, infinities and NaN behave as C's atan2.
double PortableAtan2(double y, double x);

// sqrt(a * a + b * b) rounded step by step in doubles, rescaled by a power of two when huge or tiny so it
// neither overflows nor underflows; +inf if either is infinite (even with a NaN), else NaN for a NaN.
double PortableHypot(double a, double b);
