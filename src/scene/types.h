#pragma once

// The engine's small value types: packed colours and the scene's colours by name, world points and
// vectors (TVec3), angles, a prism's eight corners with their projected positions, a plan view's origin.

#include <bit>
#include <cstdint>

// Colours are packed as red + green * 256 + blue * 65536.
using TColor = std::uint32_t;

// Packs one colour from its 0..255 channels.
constexpr TColor RGB(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r + g * 256u + b * 65536u; }

constexpr std::uint32_t RedOf(TColor c) { return c & 0xFFu; }
constexpr std::uint32_t GreenOf(TColor c) { return (c >> 8) & 0xFFu; }
constexpr std::uint32_t BlueOf(TColor c) { return (c >> 16) & 0xFFu; }

inline constexpr TColor kBlack = RGB(0, 0, 0);
inline constexpr TColor kWhite = RGB(255, 255, 255);
inline constexpr TColor kAxisX = RGB(0, 0, 255);          // blue
inline constexpr TColor kAxisY = RGB(0, 255, 0);          // green
inline constexpr TColor kAxisZ = RGB(255, 0, 0);          // red
inline constexpr TColor kLightBlue = RGB(120, 120, 255);  // camera marker, footprints

// A point or vector in world units; z is up in the XZ and YZ views.
struct TVec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

// A direction in degrees: azimuth from +X towards +Y in [0, 360), elevation above the XY plane.
struct TAngles {
    double azimuth = 0;
    double elevation = 0;
};

// A world point and the 3D-view pane position it last projected to (unclipped).
struct TVertex {
    double x = 0;
    double y = 0;
    double z = 0;
    double sx = 0;
    double sy = 0;
};

// Bit for bit: +0 and -0 (which atan2 tells apart) differ, and a NaN matches only its own bits.
constexpr bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Corners of a prism, and of one of its two faces.
inline constexpr int kPrismCorners = 8;
inline constexpr int kFaceCorners = 4;

// A box by its corners: c[0..3] one face around its edge, c[i + 4] opposite c[i].
struct TPrism {
    TVertex c[kPrismCorners] = {};
    TColor colour = kBlack;
};

// Pane pixel of a plan view's world origin.
struct TViewOrigin {
    std::int32_t ox = 0;
    std::int32_t oy = 0;
};
