#pragma once

// The ways ProjectScene can project a scene's corners; every one gives the same bits as ProjectPoint.
enum class TProjectionPath {
    Portable,  // one corner at a time, plain C++
    Avx2,      // four corners at a time in 256-bit vectors, on x86 CPUs that have AVX2
};

// Whether this build and this CPU can run the path.
bool ProjectionPathAvailable(TProjectionPath path);

// The path ProjectScene takes: the fastest available one, picked at the first call, unless
// UseProjectionPath chose another.
TProjectionPath ProjectionPath();

// Makes ProjectScene take `path` from now on, or the portable path when `path` is not available;
// returns the path now in use. For benchmarks and tests that compare the paths.
TProjectionPath UseProjectionPath(TProjectionPath path);
