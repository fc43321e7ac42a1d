#include "projection.h"

#include "portable_math.h"

#include <algorithm>

TVec3 VectorBetween(const TVec3& a, const TVec3& b) { return {b.x - a.x, b.y - a.y, b.z - a.z}; }

TAngles DirectionAngles(const TVec3& d)
{
    TAngles angles;
    angles.azimuth = PortableAtan2(d.y, d.x) * kDegPerRad;
    angles.elevation = PortableAtan2(d.z, PortableHypot(d.x, d.y)) * kDegPerRad;
    if (angles.azimuth < 0)
        angles.azimuth += kFullTurn;
    return angles;
}

namespace {

// Brings an azimuth difference into [-180, 180), so points just across the 0/360 seam
// from the line of sight stay beside it instead of landing four panes away.
double WrapAzimuthDelta(double delta)
{
    if (delta >= kFullTurn / 2)
        return delta - kFullTurn;
    if (delta < -kFullTurn / 2)
        return delta + kFullTurn;
    return delta;
}

}  // namespace

TPanePoint ProjectPoint(const TScene& scene, const TVec3& p, int width, int height)
{
    const TAngles a = DirectionAngles(VectorBetween(scene.Camera, p));
    const int size = std::max(width, height);
    const int half = size / 2;
    const double daz = WrapAzimuthDelta(a.azimuth - scene.ViewAngles.azimuth);
    const double del = a.elevation - scene.ViewAngles.elevation;
    return {half - (daz / kViewSpan) * size, half - (del / kViewSpan) * size};
}

namespace {

// The same world point bit for bit, so it projects to the same position.
bool SamePlace(const TVertex& a, const TVertex& b)
{
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

void ProjectVertex(const TScene& scene, TVertex& v, int width, int height)
{
    const TPanePoint p = ProjectPoint(scene, TVec3{v.x, v.y, v.z}, width, height);
    v.sx = p.px;
    v.sy = p.py;
}

// A corner at the same place as its partner on the other face, or as the corner before it, takes
// that corner's position: the same doubles give the same angles, so only distinct places are projected.
void ProjectPrism(const TScene& scene, TPrism& prism, int width, int height)
{
    TVertex* c = prism.c;
    for (int i = 0; i < kPrismCorners; ++i) {
        const TVertex* twin = nullptr;
        if (i >= kFaceCorners && SamePlace(c[i], c[i - kFaceCorners]))
            twin = &c[i - kFaceCorners];
        else if (i > 0 && SamePlace(c[i], c[i - 1]))
            twin = &c[i - 1];
        if (twin != nullptr) {
            c[i].sx = twin->sx;
            c[i].sy = twin->sy;
        } else {
            ProjectVertex(scene, c[i], width, height);
        }
    }
}

}  // namespace

void ProjectScene(TScene& scene, int width, int height)
{
    scene.ViewAngles = DirectionAngles(VectorBetween(scene.Camera, scene.Focus));
    for (TVertex& marker : scene.AxisMarkers)
        ProjectVertex(scene, marker, width, height);
    for (int k = 1; k <= scene.PrismCount; ++k)
        ProjectPrism(scene, scene.Prism(k), width, height);
}
