#pragma once

// The 3D view's angular projection: vector arithmetic on world points, the azimuth and elevation of a
// direction, the pane position of one point (ProjectPoint), and ProjectScene, which projects the axis
// markers and every live prism corner at once on the fastest path the CPU has.

#include "scene.h"

// The rounded degree factor the angles are made with (not the exact 180 / pi).
inline constexpr double kDegPerRad = 57.29578;
inline constexpr double kFullTurn = 360;
// Degrees of angle that equal one pane size in the 3D view.
inline constexpr double kViewSpan = 90;

// A pane position in the 3D view, in pixels; not clipped.
struct TPanePoint {
    double px = 0;
    double py = 0;
};

// b - a, component by component.
TVec3 VectorBetween(const TVec3& a, const TVec3& b);

// Degrees: azimuth from +X towards +Y in [0, 360), elevation above the XY plane; zero vector gives (0, 0).
TAngles DirectionAngles(const TVec3& d);

// Where the camera sees p in a W x H pane: the angle off the line of sight, 90 degrees per pane size.
TPanePoint ProjectPoint(const TScene& scene, const TVec3& p, int width, int height);

// Recomputes the line of sight, then sx, sy of the axis markers and of every live prism corner;
// a corner at the very place of another of its prism copies that corner's sx, sy.
void ProjectScene(TScene& scene, int width, int height);
