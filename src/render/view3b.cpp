#include "view3b.h"

#include "canvas.h"

namespace {

void MoveToVertex(Canvas& pane, const TVertex& v) { pane.MoveTo(PanePixel(v.sx), PanePixel(v.sy)); }
void LineToVertex(Canvas& pane, const TVertex& v) { pane.LineTo(PanePixel(v.sx), PanePixel(v.sy)); }

}  // namespace

void DrawPrismWire(const TPrism& prism, Canvas& pane)
{
    constexpr int kCorners = 8;
    int px[kCorners];
    int py[kCorners];
    for (int i = 0; i < kCorners; ++i) {
        px[i] = PanePixel(prism.c[i].sx);
        py[i] = PanePixel(prism.c[i].sy);
    }
    pane.SetPenColor(prism.colour);
    // First face, the edge c0-c4, then the second face in one polyline; the other three edges after.
    pane.MoveTo(px[0], py[0]);
    for (int i : {1, 2, 3, 0, 4, 5, 6, 7, 4})
        pane.LineTo(px[i], py[i]);
    for (int i : {1, 2, 3}) {
        pane.MoveTo(px[i], py[i]);
        pane.LineTo(px[i + 4], py[i + 4]);
    }
}

void Draw3B(const TScene& scene, Canvas& pane)
{
    const auto& m = scene.AxisMarkers;
    pane.SetBrushColor(scene.BackColor);
    pane.Rectangle(-1, -1, pane.Width() + 1, pane.Height() + 1);
    const struct {
        int end;
        TColor colour;
    } axes[] = {{3, kAxisZ}, {2, kAxisY}, {1, kAxisX}};
    for (const auto& axis : axes) {
        MoveToVertex(pane, m[0]);
        pane.SetPenColor(axis.colour);
        LineToVertex(pane, m[static_cast<std::size_t>(axis.end)]);
    }
    for (int k = 1; k <= scene.PrismCount; ++k)
        DrawPrismWire(scene.Prism(k), pane);
}
