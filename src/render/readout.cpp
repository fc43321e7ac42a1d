#include "readout.h"

#include <charconv>

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

// to_chars ignores the C locale and is exact, unlike printf on some C libraries (msvcrt's `1e-005`).
std::string ReadoutText(double value, std::string_view decimalPoint)
{
    char digits[32];  // "-1.23456789012346e-308" is the longest
    const auto end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, kReadoutDigits).ptr;
    std::string text;
    text.reserve(std::size_t(end - digits) + decimalPoint.size());
    for (const char* c = digits; c != end; ++c) {
        if (*c == '.')
            text += decimalPoint;
        else
            text += *c;
    }
    return text;
}
