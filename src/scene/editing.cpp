#include "editing.h"

#include <cmath>

namespace {

// World coordinates a snapped point sets in a view: (x, y), (x, z) or (y, z).
void SetPlanCoords(TVec3& p, TPlanView view, TGridPoint at)
{
    switch (view) {
    case TPlanView::XY:
        p.x = at.h;
        p.y = at.v;
        break;
    case TPlanView::XZ:
        p.x = at.h;
        p.z = at.v;
        break;
    case TPlanView::YZ:
        p.y = at.h;
        p.z = at.v;
        break;
    }
}

void SetPlanCoords(TVertex& c, TPlanView view, TGridPoint at)
{
    TVec3 p{c.x, c.y, c.z};
    SetPlanCoords(p, view, at);
    c.x = p.x;
    c.y = p.y;
    c.z = p.z;
}

double SnapAxis(double offset) { return std::floor((offset + kGrid / 2) / kGrid) * kGrid; }

void Nudge(std::int32_t& value, int step)
{
    if ((step > 0 && value < kOriginLimit) || (step < 0 && value > -kOriginLimit))
        value += step;
}

}  // namespace

TGridPoint SnapToGrid(const TScene& scene, TPlanView view, int x, int y)
{
    const TViewOrigin& o = OriginOf(scene, view);
    // Doubles hold every int difference exactly, so far-away pointers cannot overflow.
    return {SnapAxis(double(x) - o.ox), SnapAxis(double(o.oy) - y)};
}

void EdgeScroll(TScene& scene, TPlanView view, int x, int y, int width, int height)
{
    TViewOrigin& o = OriginOf(scene, view);
    if (x < kEdgeMargin)
        Nudge(o.ox, +1);
    if (x > width - kEdgeMargin)
        Nudge(o.ox, -1);
    if (y < kEdgeMargin)
        Nudge(o.oy, +1);
    if (y > height - kEdgeMargin)
        Nudge(o.oy, -1);
}

bool AddPrismAt(TScene& scene, TPlanView view, TGridPoint at)
{
    TPrism* prism = AppendPrism(scene);
    if (prism == nullptr)
        return false;
    for (TVertex& corner : prism->c)
        SetPlanCoords(corner, view, at);
    return true;
}

void StretchLastPrism(TScene& scene, double x, double y)
{
    TPrism* prism = LastPrism(scene);
    if (prism == nullptr)
        return;
    TVertex* c = prism->c;
    c[6].x = x;
    c[6].y = y;
    c[1].x = c[5].x = c[2].x = c[6].x;
    c[3].y = c[2].y = c[7].y = c[6].y;
}

void PlanMouseDown(TScene& scene, TPlanView view, TMouseButton button, int x, int y, TTool tool)
{
    if (button == TMouseButton::Right) {
        RightDragOf(scene, view) = true;
        return;
    }
    if (button != TMouseButton::Left)
        return;
    // A full table ignores the press whole, so the drag after it cannot re-stretch the last prism.
    if (tool == TTool::Prizma && scene.PrismCount >= kPrismSlots)
        return;
    LeftDragOf(scene, view) = true;
    const TGridPoint at = SnapToGrid(scene, view, x, y);
    if (tool == TTool::Kamera)
        SetPlanCoords(scene.Camera, view, at);
    if (tool == TTool::Odak)
        SetPlanCoords(scene.Focus, view, at);
    if (tool == TTool::Prizma)
        AddPrismAt(scene, view, at);
}

void PlanMouseMove(TScene& scene, TPlanView view, int x, int y, int width, int height, TTool tool)
{
    if (LeftDragOf(scene, view)) {
        // Snap first: the point follows the pointer as the origin stood before this nudge.
        const TGridPoint at = SnapToGrid(scene, view, x, y);
        bool acted = false;
        if (tool == TTool::Odak) {
            SetPlanCoords(scene.Focus, view, at);
            acted = true;
        } else if (tool == TTool::Kamera) {
            SetPlanCoords(scene.Camera, view, at);
            acted = true;
        } else if (view == TPlanView::XY && (tool == TTool::Prizma || tool == TTool::SonPrizma)) {
            StretchLastPrism(scene, at.h, at.v);
            acted = true;
        }
        if (acted)
            EdgeScroll(scene, view, x, y, width, height);
    }
    if (RightDragOf(scene, view))
        EdgeScroll(scene, view, x, y, width, height);
}

TTool PlanMouseUp(TScene& scene, TPlanView view, TMouseButton button, TTool tool)
{
    const bool right = button == TMouseButton::Right;
    LeftDragOf(scene, view) = false;
    RightDragOf(scene, view) = false;
    if (view == TPlanView::XY) {
        if (tool == TTool::Prizma)
            tool = TTool::SonPrizma;
        if (right)
            tool = TTool::None;
        return tool;
    }
    if (tool == TTool::Prizma)
        tool = TTool::None;
    if (right && (tool == TTool::Kamera || tool == TTool::Odak))
        tool = TTool::None;
    return tool;
}
