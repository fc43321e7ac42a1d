#include "projection_path.h"

#include "projection_kernels.h"

namespace {

TProjectionPath Fastest() { return Avx2ProjectKernel() != nullptr ? TProjectionPath::Avx2 : TProjectionPath::Portable; }

// The path in use: the CPU is asked once, at the first projection.
TProjectionPath& Chosen()
{
    static TProjectionPath path = Fastest();
    return path;
}

}  // namespace

bool ProjectionPathAvailable(TProjectionPath path)
{
    return path == TProjectionPath::Portable || Avx2ProjectKernel() != nullptr;
}

TProjectionPath ProjectionPath() { return Chosen(); }

TProjectionPath UseProjectionPath(TProjectionPath path)
{
    Chosen() = ProjectionPathAvailable(path) ? path : TProjectionPath::Portable;
    return Chosen();
}
