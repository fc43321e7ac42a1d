#pragma once

// One frame of the main window: the four pane rasters, and the drawing of every view into them in
// order (plan views, projection, 3D view), as the frame timer Saat calls it.

#include "raster.h"
#include "scene/scene.h"

// The four pane rasters of the main window.
struct TFrameRasters {
    TRaster xy;
    TRaster xz;
    TRaster yz;
    TRaster b3;
};

// One frame's drawing: the three plan views, the projection for the 3D pane's size, then the 3D view.
void DrawFrame(TScene& scene, const TFrameRasters& panes);
