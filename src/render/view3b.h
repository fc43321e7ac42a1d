#pragma once

// The 3D view (3B): the axes and every prism's wireframe drawn at the positions the projection gave.

#include "scene/scene.h"

class Canvas;

// Redraws the 3D view from the projected positions: background, Z, Y and X axes, every prism's wireframe.
void Draw3B(const TScene& scene, Canvas& pane);

// The twelve edges of one prism at its corners' projected positions, in the prism's colour.
void DrawPrismWire(const TPrism& prism, Canvas& pane);
