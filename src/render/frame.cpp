#include "frame.h"

#include "canvas.h"
#include "plan_views.h"
#include "scene/projection.h"
#include "view3b.h"

#include <algorithm>

void DrawFrame(TScene& scene, const TFrameRasters& panes)
{
    Canvas xy(panes.xy);
    Canvas xz(panes.xz);
    Canvas yz(panes.yz);
    DrawPlanXY(scene, xy);
    DrawPlanXZ(scene, xz);
    DrawPlanYZ(scene, yz);
    Canvas b3(panes.b3);
    ProjectScene(scene, b3.Width(), b3.Height());
    Draw3B(scene, b3);
}

TFrameChanges TTick::Run(TScene& scene, const TFrameRasters& panes)
{
    DrawFrame(scene, panes);
    TFrameChanges changes;
    const TRaster rasters[] = {panes.xy, panes.xz, panes.yz, panes.b3};
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const TRaster& r = rasters[i];
        std::vector<std::uint32_t>& shown = shown_[i];
        shown.resize(std::size_t(r.width) * std::size_t(r.height));
        // Compared and copied in one pass, word by word, which compilers vectorise: std::equal would call
        // memcmp, which goes byte by byte in WebAssembly's C library.
        std::uint32_t differs = first_ ? 1 : 0;
        for (int y = 0; y < r.height; ++y) {
            const std::uint32_t* row = r.words + std::size_t(y) * std::size_t(r.stride);
            std::uint32_t* kept = shown.data() + std::size_t(y) * std::size_t(r.width);
            for (int x = 0; x < r.width; ++x) {
                differs |= row[x] ^ kept[x];
                kept[x] = row[x];
            }
        }
        changes.panes |= differs != 0 ? 1u << i : 0u;
    }
    const auto values = ReadoutValues(scene);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string text = ReadoutText(values[i], decimalPoint_);
        if (first_ || text != readouts_[i]) {
            readouts_[i] = std::move(text);
            changes.readouts |= 1u << i;
        }
    }
    first_ = false;
    return changes;
}
