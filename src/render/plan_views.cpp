#include "plan_views.h"

#include "canvas.h"

namespace {

inline constexpr int kArrowLength = 100;
inline constexpr int kArrowHead = 5;
inline constexpr int kGridDots = 22;  // per axis: covers a 200-pixel pane whatever the origin
inline constexpr int kGridStep = 10;
inline constexpr int kMarkRadius = 3;

// What tells one plan view from another.
struct TPlanLook {
    TPlanView view;
    TColor horizontal;  // colour of the horizontal arrow
    TColor vertical;    // colour of the vertical arrow
};

constexpr TPlanLook kLookXY{TPlanView::XY, kAxisX, kAxisY};
constexpr TPlanLook kLookXZ{TPlanView::XZ, kAxisX, kAxisZ};
constexpr TPlanLook kLookYZ{TPlanView::YZ, kAxisY, kAxisZ};

// The view's (horizontal, vertical) world coordinates of a point.
void PlanAxes(TPlanView view, double x, double y, double z, double& h, double& v)
{
    switch (view) {
    case TPlanView::XY:
        h = x;
        v = y;
        return;
    case TPlanView::XZ:
        h = x;
        v = z;
        return;
    case TPlanView::YZ:
        h = y;
        v = z;
        return;
    }
}

// Pane pixel of world point (x, y, z) in a plan view; origin goes to double first, then floor.
void PlanPixel(const TViewOrigin& o, TPlanView view, const TVec3& p, long long& px, long long& py)
{
    double h = 0;
    double v = 0;
    PlanAxes(view, p.x, p.y, p.z, h, v);
    px = PlanPanePixel(double(o.ox) + h);
    py = PlanPanePixel(double(o.oy) - v);
}

void DrawArrows(const TViewOrigin& o, const TPlanLook& look, Canvas& pane)
{
    pane.SetPenColor(look.horizontal);
    pane.MoveTo(o.ox, o.oy);
    pane.LineTo(o.ox + kArrowLength, o.oy);
    pane.MoveTo(o.ox + kArrowLength - kArrowHead, o.oy - kArrowHead);
    pane.LineTo(o.ox + kArrowLength, o.oy);
    pane.LineTo(o.ox + kArrowLength - kArrowHead, o.oy + kArrowHead);

    pane.SetPenColor(look.vertical);
    pane.MoveTo(o.ox, o.oy);
    pane.LineTo(o.ox, o.oy - kArrowLength);
    pane.MoveTo(o.ox - kArrowHead, o.oy - kArrowLength + kArrowHead);
    pane.LineTo(o.ox, o.oy - kArrowLength);
    pane.LineTo(o.ox + kArrowHead, o.oy - kArrowLength + kArrowHead);
}

void DrawGrid(const TViewOrigin& o, Canvas& pane)
{
    // C++ % keeps the dividend's sign (-13 % 10 == -3), which lines the dots up with the origin.
    const int firstX = o.ox % kGridStep - kGridStep;
    const int firstY = o.oy % kGridStep - kGridStep;
    for (int i = 0; i < kGridDots; ++i)
        for (int j = 0; j < kGridDots; ++j)
            pane.SetPixel(firstX + kGridStep * i, firstY + kGridStep * j, kBlack);
}

void DrawCameraMark(const TScene& scene, TPlanView view, Canvas& pane)
{
    const TViewOrigin& o = OriginOf(scene, view);
    long long cx = 0, cy = 0, fx = 0, fy = 0;
    PlanPixel(o, view, scene.Camera, cx, cy);
    PlanPixel(o, view, scene.Focus, fx, fy);
    pane.SetPenColor(kLightBlue);
    pane.Ellipse(cx - kMarkRadius, cy - kMarkRadius, cx + kMarkRadius, cy + kMarkRadius);
    pane.SetPenColor(scene.SightColor);
    pane.MoveTo(cx, cy);
    pane.LineTo(fx, fy);
}

void DrawPlan(const TScene& scene, const TPlanLook& look, Canvas& pane)
{
    const TViewOrigin& o = OriginOf(scene, look.view);
    pane.SetBrushColor(scene.BackColor);
    pane.Rectangle(-1, -1, pane.Width() + 1, pane.Height() + 1);
    DrawArrows(o, look, pane);
    DrawGrid(o, pane);
    DrawCameraMark(scene, look.view, pane);
}

}  // namespace

void DrawPrismFootprint(const TPrism& prism, const TViewOrigin& origin, Canvas& pane)
{
    long long px[4];
    long long py[4];
    for (int i = 0; i < 4; ++i)
        PlanPixel(origin, TPlanView::XY, TVec3{prism.c[i].x, prism.c[i].y, prism.c[i].z}, px[i], py[i]);
    pane.SetPenColor(kLightBlue);
    pane.MoveTo(px[0], py[0]);
    for (int i : {1, 2, 3, 0})
        pane.LineTo(px[i], py[i]);
}

void DrawCameraMarkXY(const TScene& scene, Canvas& pane) { DrawCameraMark(scene, TPlanView::XY, pane); }
void DrawCameraMarkXZ(const TScene& scene, Canvas& pane) { DrawCameraMark(scene, TPlanView::XZ, pane); }
void DrawCameraMarkYZ(const TScene& scene, Canvas& pane) { DrawCameraMark(scene, TPlanView::YZ, pane); }

void DrawPlanXY(const TScene& scene, Canvas& pane)
{
    DrawPlan(scene, kLookXY, pane);
    for (int k = 1; k <= scene.PrismCount; ++k)
        DrawPrismFootprint(scene.Prism(k), scene.ViewOriginXY, pane);
}

void DrawPlanXZ(const TScene& scene, Canvas& pane) { DrawPlan(scene, kLookXZ, pane); }

void DrawPlanYZ(const TScene& scene, Canvas& pane) { DrawPlan(scene, kLookYZ, pane); }
