#pragma once

#include "scene/scene.h"

class Canvas;

// Redraws the 3D view from the projected positions: background, Z, Y and X axes, every prism's wireframe.
void Draw3B(const TScene& scene, Canvas& pane);

// The twelve edges of one prism at its corners' projected positions, in the prism's colour.
void DrawPrismWire(const TPrism& prism, Canvas& pane);
