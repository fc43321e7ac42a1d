#pragma once

#include "scene/scene.h"

class QImage;

// The four pane images of the main window.
struct TFrameImages {
    QImage& xy;
    QImage& xz;
    QImage& yz;
    QImage& b3;
};

// One frame's drawing: the three plan views, the projection for the 3D pane's size, then the 3D view.
void DrawFrame(TScene& scene, const TFrameImages& panes);
