#include "scene.h"

void InitScene(TScene& scene)
{
    scene.ViewOriginXY = {kInitialOrigin, kInitialOrigin};
    scene.ViewOriginYZ = {kInitialOrigin, kInitialOrigin};
    scene.ViewOriginXZ = {kInitialOrigin, kInitialOrigin};
    scene.BackColor = kWhite;
    scene.SightColor = RGB(255, 0, 0);
    scene.PrismCount = 0;
    scene.AxisMarkers = {TVertex{0, 0, 0, 0, 0}, TVertex{100, 0, 0, 0, 0}, TVertex{0, 100, 0, 0, 0},
                         TVertex{0, 0, 100, 0, 0}};
    scene.ViewAngles = {0, 0};
}

TPrism* AppendPrism(TScene& scene)
{
    if (scene.PrismCount >= kPrismSlots)
        return nullptr;
    ++scene.PrismCount;
    return &scene.Prism(scene.PrismCount);
}

TPrism* LastPrism(TScene& scene) { return scene.PrismCount == 0 ? nullptr : &scene.Prism(scene.PrismCount); }

TViewOrigin& OriginOf(TScene& scene, TPlanView view)
{
    switch (view) {
    case TPlanView::XY: return scene.ViewOriginXY;
    case TPlanView::XZ: return scene.ViewOriginXZ;
    case TPlanView::YZ: break;
    }
    return scene.ViewOriginYZ;
}

const TViewOrigin& OriginOf(const TScene& scene, TPlanView view) { return OriginOf(const_cast<TScene&>(scene), view); }

bool& LeftDragOf(TScene& scene, TPlanView view)
{
    switch (view) {
    case TPlanView::XY: return scene.LeftDragXY;
    case TPlanView::XZ: return scene.LeftDragXZ;
    case TPlanView::YZ: break;
    }
    return scene.LeftDragYZ;
}

bool& RightDragOf(TScene& scene, TPlanView view)
{
    switch (view) {
    case TPlanView::XY: return scene.RightDragXY;
    case TPlanView::XZ: return scene.RightDragXZ;
    case TPlanView::YZ: break;
    }
    return scene.RightDragYZ;
}
