#pragma once

#include "scene/projection_path.h"

#include <gtest/gtest.h>

// Runs `body` once under each projection path this build and CPU can run, the path named in failures,
// then restores the path that was in use.
template <typename F>
void ForEachProjectionPath(F body)
{
    const TProjectionPath before = ProjectionPath();
    for (TProjectionPath path : {TProjectionPath::Portable, TProjectionPath::Avx2}) {
        if (!ProjectionPathAvailable(path))
            continue;
        UseProjectionPath(path);
        SCOPED_TRACE(path == TProjectionPath::Portable ? "portable projection" : "AVX2 projection");
        body();
    }
    UseProjectionPath(before);
}
