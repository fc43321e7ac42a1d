#pragma once

// The sixteen readouts beside the panes: their values taken from the scene, and their text, the same
// digits on every platform with only the decimal separator the user's.

#include "scene/scene.h"

#include <array>
#include <string>
#include <string_view>

inline constexpr int kReadouts = 16;

// Values behind Label1..Label16: camera xyz, focus xyz, azimuth, elevation, then sx, sy of markers 0..3.
std::array<double, kReadouts> ReadoutValues(const TScene& scene);

// The readouts' text form, UTF-8: general decimal format with up to 15 significant digits, no trailing
// zeros, exponent form for tiny and huge magnitudes (`1e-05`, `1e+16`). Only the decimal separator is
// the user's (handed in by the shell, whole: U+066B in Arabic locales); digits, minus sign and exponent
// are ASCII in every locale, with no grouping and no direction marks, and the same on every C library.
std::string ReadoutText(double value, std::string_view decimalPoint = ".");
