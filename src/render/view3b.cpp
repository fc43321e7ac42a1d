#include "view3b.h"

#include "canvas.h"

#include <iterator>

namespace {

void MoveToVertex(Canvas& pane, const TVertex& v) { pane.MoveTo(PanePixel(v.sx), PanePixel(v.sy)); }
void LineToVertex(Canvas& pane, const TVertex& v) { pane.LineTo(PanePixel(v.sx), PanePixel(v.sy)); }

// The twelve edges as drawn: first face, c0-c4, second face, then c1-c5, c2-c6, c3-c7.
struct TEdge {
    int from;
    int to;
};
constexpr TEdge kWireEdges[] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {4, 5},
                                {5, 6}, {6, 7}, {7, 4}, {1, 5}, {2, 6}, {3, 7}};
constexpr int kSecondFace = 5;  // kWireEdges[kSecondFace + i] is the second face's copy of edge i
constexpr int kFaceEdges = 4;

// The same projected position bit for bit, so it floors to the same pixel.
bool SameSpot(const TVertex& a, const TVertex& b) { return SameBits(a.sx, b.sx) && SameBits(a.sy, b.sy); }

}  // namespace

// An edge that would paint nothing (no length) or exactly what the same prism has just painted
// (the second face's edge between the same pixels, in the same direction) is left out.
void DrawPrismWire(const TPrism& prism, Canvas& pane)
{
    int px[kPrismCorners];
    int py[kPrismCorners];
    for (int i = 0; i < kPrismCorners; ++i) {
        if (i >= kFaceCorners && SameSpot(prism.c[i], prism.c[i - kFaceCorners])) {
            px[i] = px[i - kFaceCorners];
            py[i] = py[i - kFaceCorners];
        } else {
            px[i] = PanePixel(prism.c[i].sx);
            py[i] = PanePixel(prism.c[i].sy);
        }
    }
    const auto samePixel = [&](int a, int b) { return px[a] == px[b] && py[a] == py[b]; };
    pane.SetPenColor(prism.colour);
    for (int e = 0; e < int(std::size(kWireEdges)); ++e) {
        const TEdge edge = kWireEdges[e];
        if (samePixel(edge.from, edge.to))
            continue;
        if (e >= kSecondFace && e < kSecondFace + kFaceEdges && samePixel(edge.from, edge.from - kFaceCorners) &&
            samePixel(edge.to, edge.to - kFaceCorners))
            continue;
        pane.MoveTo(px[edge.from], py[edge.from]);
        pane.LineTo(px[edge.to], py[edge.to]);
    }
    pane.MoveTo(px[7], py[7]);  // where the full wireframe leaves the pen
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
