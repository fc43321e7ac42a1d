#pragma once

#include "scene/scene.h"

#include <QLocale>

#include <array>

class QString;

inline constexpr int kReadouts = 16;

// What each readout measures, as a screen reader names it, for Label1..Label16.
extern const std::array<const char*, kReadouts> kReadoutNames;

// Values behind Label1..Label16: camera xyz, focus xyz, azimuth, elevation, then sx, sy of markers 0..3.
std::array<double, kReadouts> ReadoutValues(const TScene& scene);

// The readouts' text form: general decimal format with up to 15 significant digits, no trailing
// zeros, exponent form for tiny and huge magnitudes (`1e-05`, `1e+16`). Only the decimal separator
// is the locale's; digits, minus sign and exponent are ASCII in every locale, with no grouping and
// no bidi marks.
class TReadoutFormat {
public:
    explicit TReadoutFormat(const QLocale& locale = QLocale());

    // The text of one readout value.
    QString Text(double value) const;

private:
    QString decimalPoint_;  // the locale's separator, whole (U+066B in Arabic locales)
};
