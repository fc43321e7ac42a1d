#include "readout.h"

#include <QString>

inline constexpr int kReadoutDigits = 15;

std::array<double, kReadouts> ReadoutValues(const TScene& scene)
{
    const auto& m = scene.AxisMarkers;
    // One line per readout group.
    // clang-format off
    return {scene.Camera.x, scene.Camera.y, scene.Camera.z,
            scene.Focus.x,  scene.Focus.y,  scene.Focus.z,
            scene.ViewAngles.azimuth, scene.ViewAngles.elevation,
            m[0].sx, m[0].sy, m[1].sx, m[1].sy, m[2].sx, m[2].sy, m[3].sx, m[3].sy};
    // clang-format on
}

TReadoutFormat::TReadoutFormat(const QLocale& locale) : locale_(locale)
{
    locale_.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
}

QString TReadoutFormat::Text(double value) const { return locale_.toString(value, 'g', kReadoutDigits); }

QString ReadoutText(double value, const QLocale& locale) { return TReadoutFormat(locale).Text(value); }
