#include "projection.h"

#include "portable_math.h"
#include "projection_kernels.h"
#include "projection_path.h"

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

void ProjectSighted(const TSight& sight, double x, double y, double z, double& sx, double& sy)
{
    const TAngles a = DirectionAngles(VectorBetween({sight.cx, sight.cy, sight.cz}, {x, y, z}));
    const double daz = WrapAzimuthDelta(a.azimuth - sight.azimuth);
    const double del = a.elevation - sight.elevation;
    sx = sight.half - (daz / kViewSpan) * sight.size;
    sy = sight.half - (del / kViewSpan) * sight.size;
}

namespace {

TSight SightOf(const TScene& scene, int width, int height)
{
    const int size = std::max(width, height);
    return {scene.Camera.x,   scene.Camera.y, scene.Camera.z, scene.ViewAngles.azimuth, scene.ViewAngles.elevation,
            double(size / 2), double(size)};
}

}  // namespace

TPanePoint ProjectPoint(const TScene& scene, const TVec3& p, int width, int height)
{
    TPanePoint at;
    ProjectSighted(SightOf(scene, width, height), p.x, p.y, p.z, at.px, at.py);
    return at;
}

namespace {

// The same world point bit for bit, so it projects to the same position.
bool SamePlace(const TVertex& a, const TVertex& b)
{
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

// The corner a prism's corner i copies its position from: its partner on the other face or the corner
// before it when at the very same place (the same doubles give the same angles), else nullptr.
const TVertex* TwinOf(const TVertex* c, int i)
{
    if (i >= kFaceCorners && SamePlace(c[i], c[i - kFaceCorners]))
        return &c[i - kFaceCorners];
    if (i > 0 && SamePlace(c[i], c[i - 1]))
        return &c[i - 1];
    return nullptr;
}

void ProjectCorners(TScene& scene, const TSight& sight)
{
    for (int k = 1; k <= scene.PrismCount; ++k) {
        TVertex* c = scene.Prism(k).c;
        for (int i = 0; i < kPrismCorners; ++i) {
            if (const TVertex* twin = TwinOf(c, i)) {
                c[i].sx = twin->sx;
                c[i].sy = twin->sy;
            } else {
                ProjectSighted(sight, c[i].x, c[i].y, c[i].z, c[i].sx, c[i].sy);
            }
        }
    }
}

// Corners gathered for a vector kernel: whole prisms only, so a twin's source is projected with it.
class TCornerBatch {
public:
    TCornerBatch(const TSight& sight, TProjectKernel kernel) : sight_(sight), kernel_(kernel) {}

    // Queues v to be projected at the next Flush.
    void Project(TVertex& v)
    {
        at_[n_] = &v;
        x_[n_] = v.x;
        y_[n_] = v.y;
        z_[n_] = v.z;
        ++n_;
    }
    // Queues v to take the position of `from`, queued before it, at the next Flush.
    void Copy(TVertex& v, const TVertex& from) { twins_[t_++] = {&v, &from}; }
    // Room for one more prism's corners.
    bool Fits() const { return n_ + kPrismCorners <= kCapacity && t_ + kPrismCorners <= kCapacity; }

    // Projects what was gathered (the last corner repeated up to a whole vector), then copies the twins.
    void Flush()
    {
        if (n_ > 0) {
            int padded = n_;
            for (; padded % kLanes != 0; ++padded) {
                x_[padded] = x_[n_ - 1];
                y_[padded] = y_[n_ - 1];
                z_[padded] = z_[n_ - 1];
            }
            kernel_(sight_, x_, y_, z_, padded, sx_, sy_);
            for (int i = 0; i < n_; ++i) {
                at_[i]->sx = sx_[i];
                at_[i]->sy = sy_[i];
            }
        }
        for (int i = 0; i < t_; ++i) {
            twins_[i].to->sx = twins_[i].from->sx;
            twins_[i].to->sy = twins_[i].from->sy;
        }
        n_ = 0;
        t_ = 0;
    }

private:
    static constexpr int kLanes = 4;
    static constexpr int kCapacity = 64;  // corners per kernel call: a few prisms, all in L1
    struct TTwin {
        TVertex* to;
        const TVertex* from;
    };

    const TSight& sight_;
    TProjectKernel kernel_;
    int n_ = 0;
    int t_ = 0;
    TVertex* at_[kCapacity] = {};
    TTwin twins_[kCapacity] = {};
    double x_[kCapacity + kLanes], y_[kCapacity + kLanes], z_[kCapacity + kLanes];
    double sx_[kCapacity + kLanes], sy_[kCapacity + kLanes];
};

void ProjectInBatches(TScene& scene, const TSight& sight, TProjectKernel kernel)
{
    TCornerBatch batch(sight, kernel);
    for (TVertex& marker : scene.AxisMarkers)
        batch.Project(marker);
    for (int k = 1; k <= scene.PrismCount; ++k) {
        if (!batch.Fits())
            batch.Flush();
        TVertex* c = scene.Prism(k).c;
        for (int i = 0; i < kPrismCorners; ++i) {
            if (const TVertex* twin = TwinOf(c, i))
                batch.Copy(c[i], *twin);
            else
                batch.Project(c[i]);
        }
    }
    batch.Flush();
}

}  // namespace

void ProjectScene(TScene& scene, int width, int height)
{
    scene.ViewAngles = DirectionAngles(VectorBetween(scene.Camera, scene.Focus));
    const TSight sight = SightOf(scene, width, height);
    if (ProjectionPath() == TProjectionPath::Avx2) {
        ProjectInBatches(scene, sight, Avx2ProjectKernel());
        return;
    }
    for (TVertex& marker : scene.AxisMarkers)
        ProjectSighted(sight, marker.x, marker.y, marker.z, marker.sx, marker.sy);
    ProjectCorners(scene, sight);
}
