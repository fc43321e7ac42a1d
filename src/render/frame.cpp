#include "frame.h"

#include "canvas.h"
#include "plan_views.h"
#include "scene/projection.h"
#include "view3b.h"

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
