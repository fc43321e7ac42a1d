#include "frame.h"

#include "canvas.h"
#include "plan_views.h"
#include "scene/projection.h"
#include "view3b.h"

#include <QImage>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void ZeroUpperAvx() { _mm256_zeroupper(); }
#endif

// Qt's raster code (the camera marks) can leave the vector registers' upper halves in use, which
// halves the speed of libm's atan2 and hypot after it; clearing them changes no value.
void ClearUpperVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx"))
        ZeroUpperAvx();
#endif
}

}  // namespace

void DrawFrame(TScene& scene, const TFrameImages& panes)
{
    Canvas xy(panes.xy);
    Canvas xz(panes.xz);
    Canvas yz(panes.yz);
    DrawPlanXY(scene, xy);
    DrawPlanXZ(scene, xz);
    DrawPlanYZ(scene, yz);
    Canvas b3(panes.b3);
    ClearUpperVectorState();
    ProjectScene(scene, b3.Width(), b3.Height());
    Draw3B(scene, b3);
}
