#include "announce.h"

#include "readout.h"

#include <algorithm>

namespace {

bool Same(const TVec3& a, const TVec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

bool Same(const TPrism& a, const TPrism& b)
{
    return a.colour == b.colour &&
           std::equal(std::begin(a.c), std::end(a.c), std::begin(b.c),
                      [](const TVertex& p, const TVertex& q) { return p.x == q.x && p.y == q.y && p.z == q.z; });
}

void Point(std::string& out, const char* what, const TVec3& p, std::string_view decimalPoint)
{
    if (!out.empty())
        out += "; ";
    out += what;
    out += ' ';
    out +=
        ReadoutText(p.x, decimalPoint) + ", " + ReadoutText(p.y, decimalPoint) + ", " + ReadoutText(p.z, decimalPoint);
}

}  // namespace

TEditState EditStateOf(const TScene& scene)
{
    TEditState state{scene.Camera, scene.Focus, scene.PrismCount, {}};
    if (scene.PrismCount > 0)
        state.last = scene.Prism(scene.PrismCount);
    return state;
}

std::string EditAnnouncement(const TEditState& before, const TEditState& after, std::string_view decimalPoint)
{
    std::string said;
    if (!Same(before.camera, after.camera))
        Point(said, "Kamera", after.camera, decimalPoint);
    if (!Same(before.focus, after.focus))
        Point(said, "Odak", after.focus, decimalPoint);
    if (after.prismCount > 0 && (before.prismCount != after.prismCount || !Same(before.last, after.last))) {
        if (!said.empty())
            said += "; ";
        said += "Prizma " + std::to_string(after.prismCount);
    }
    return said;
}

std::string PointerAnnouncement(const TScene& scene, TPlanView view, TPointerAt at, std::string_view decimalPoint)
{
    const TGridPoint p = SnapToGrid(scene, view, at.x, at.y);
    const char* axes[] = {"x", "y", "x", "z", "y", "z"};  // by TPlanView: horizontal, vertical
    const std::size_t i = 2 * std::size_t(view);
    return std::string(axes[i]) + ' ' + ReadoutText(p.h, decimalPoint) + ", " + axes[i + 1] + ' ' +
           ReadoutText(p.v, decimalPoint);
}

std::string SpokenReadout(std::string_view measures, std::string_view value)
{
    std::string spoken(measures);
    spoken += ", ";
    spoken += value;
    return spoken;
}
