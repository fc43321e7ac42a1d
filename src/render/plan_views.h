#pragma once

// The three plan views (top XY, front XZ, side YZ): background, axis arrows, dot grid, the camera mark
// with its line of sight, and the prism footprints in the top view.

#include "scene/scene.h"

class Canvas;

// Redraws the whole top view: background, X and Y arrows, dot grid, camera marker, prism outlines.
void DrawPlanXY(const TScene& scene, Canvas& pane);
// Redraws the whole front view: background, X and Z arrows, dot grid, camera marker.
void DrawPlanXZ(const TScene& scene, Canvas& pane);
// Redraws the whole side view: background, Y and Z arrows, dot grid, camera marker.
void DrawPlanYZ(const TScene& scene, Canvas& pane);

// Camera circle in light blue and the sight line to the focus point, in one plan view.
void DrawCameraMarkXY(const TScene& scene, Canvas& pane);
void DrawCameraMarkXZ(const TScene& scene, Canvas& pane);
void DrawCameraMarkYZ(const TScene& scene, Canvas& pane);

// Outline c0-c1-c2-c3 of one prism in the top view with origin (ox, oy).
void DrawPrismFootprint(const TPrism& prism, const TViewOrigin& origin, Canvas& pane);
