#include "readout.h"

#include <QString>

inline constexpr int kReadoutDigits = 15;

// clang-format off
const std::array<const char*, kReadouts> kReadoutNames{
    "Kamera x", "Kamera y", "Kamera z",
    "Odak x", "Odak y", "Odak z",
    "Bakış azimutu", "Bakış yükselişi",
    "Orijin sx", "Orijin sy", "X ucu sx", "X ucu sy", "Y ucu sx", "Y ucu sy", "Z ucu sx", "Z ucu sy"};
// clang-format on

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

TReadoutFormat::TReadoutFormat(const QLocale& locale) : decimalPoint_(locale.decimalPoint()) {}

// The C locale gives printf's %.15g; full localisation would also swap digits, minus and exponent.
QString TReadoutFormat::Text(double value) const
{
    QString text = QLocale::c().toString(value, 'g', kReadoutDigits);
    if (decimalPoint_ != QLatin1String("."))
        text.replace(QLatin1Char('.'), decimalPoint_);
    return text;
}
