#pragma once

#include "scene/scene.h"

#include <array>

class QLocale;
class QString;

inline constexpr int kReadouts = 16;

// Values behind Label1..Label16: camera xyz, focus xyz, azimuth, elevation, then sx, sy of markers 0..3.
std::array<double, kReadouts> ReadoutValues(const TScene& scene);

// General decimal text of a readout: up to 15 significant digits, no trailing zeros, no digit grouping,
// the locale's decimal separator, exponent form for tiny and huge magnitudes.
QString ReadoutText(double value, const QLocale& locale);
