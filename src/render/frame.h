#pragma once

// One frame of the main window: the four pane rasters, and the drawing of every view into them in
// order (plan views, projection, 3D view), as the frame timer Saat calls it.

#include "raster.h"
#include "readout.h"
#include "scene/scene.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The four pane rasters of the main window.
struct TFrameRasters {
    TRaster xy;
    TRaster xz;
    TRaster yz;
    TRaster b3;
};

// One frame's drawing: the three plan views, the projection for the 3D pane's size, then the 3D view.
void DrawFrame(TScene& scene, const TFrameRasters& panes);

// What a tick changed since the one before: a bit (1 << TPaneId) per pane whose pixels differ, and a bit
// (1 << index) per readout whose text differs.
struct TFrameChanges {
    unsigned panes = 0;
    unsigned readouts = 0;
};

// The frame timer's work, the same in every shell: draw the four panes, project, format the sixteen
// readouts, and say what changed since the last tick, so a shell repaints and relabels only that.
class TTick {
public:
    // Readouts use `decimalPoint` (the user's, UTF-8) as their separator.
    explicit TTick(std::string_view decimalPoint = ".") : decimalPoint_(decimalPoint) {}

    // One frame on the panes (by TPaneId: XY, XZ, YZ, 3D view); the first tick reports everything changed.
    TFrameChanges Run(TScene& scene, const TFrameRasters& panes);

    // Readout `index` (0 for Label1) as of the last tick, UTF-8.
    const std::string& Readout(int index) const { return readouts_[std::size_t(index)]; }

    // The separator the readouts use (UTF-8), for other texts that show numbers as the readouts do.
    const std::string& DecimalPoint() const { return decimalPoint_; }
    // A new separator takes effect at the next tick.
    void SetDecimalPoint(std::string_view decimalPoint) { decimalPoint_ = decimalPoint; }

private:
    std::string decimalPoint_;
    std::array<std::vector<std::uint32_t>, 4> shown_;  // each pane's words as of the last tick
    std::array<std::string, kReadouts> readouts_;
    bool first_ = true;
};
