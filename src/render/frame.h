#pragma once

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
