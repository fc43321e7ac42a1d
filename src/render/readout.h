#pragma once

#include "scene/scene.h"

#include <QLocale>

#include <array>

class QString;

inline constexpr int kReadouts = 16;

// Values behind Label1..Label16: camera xyz, focus xyz, azimuth, elevation, then sx, sy of markers 0..3.
std::array<double, kReadouts> ReadoutValues(const TScene& scene);

// The readouts' text form in one locale: general decimal format with up to 15 significant digits,
// no trailing zeros, no digit grouping, the locale's decimal separator, exponent form for tiny and
// huge magnitudes.
class TReadoutFormat {
public:
    explicit TReadoutFormat(const QLocale& locale = QLocale());

    // The text of one readout value.
    QString Text(double value) const;

private:
    QLocale locale_;  // the given locale with digit grouping switched off, prepared once
};

// The text of one readout value in the given locale (see TReadoutFormat).
QString ReadoutText(double value, const QLocale& locale);
